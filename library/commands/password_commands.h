// TBL_AUXPSWD and the master-password attribute of TBL_SETATTR: one change of a table's security
// entries. The master password given (the new one in master mode, the one in force in
// auxiliary mode) becomes known, and the restructure carries it so the table stays protected.
#pragma once
#include <cstdint>
#include <string>

#include "library/language/handler.h"

namespace vortab {

inline constexpr std::uint32_t kRemoveRights = 255;

enum class PasswordMode { Master, Auxiliary };

struct PasswordRequest {
    std::string table;
    std::string password;     // master mode: the new master password; else the one in force
    std::string auxiliary;    // empty: every auxiliary password
    std::uint32_t rights = kRemoveRights;
    std::string readOnlyFields, hiddenFields;
    PasswordMode mode = PasswordMode::Auxiliary;
};

// Changes the table's passwords; failures are thrown (EAlreadyUpdated when nothing is to do;
// 10498 in auxiliary mode when a protected table's master password is not the one given).
void ChangeTablePasswords(const PasswordRequest& request);

void AuxPasswordHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
