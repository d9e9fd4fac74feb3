// KnownPasswords: the process-wide list of table passwords given to the library, each kept with
// its checksum so that a password is added once however often it is given. One lock guards it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shared/vortab_api.h"

namespace vortab {

// Adds the password unless one with the same checksum is known; empty passwords are ignored.
void AddKnownPassword(const std::string& password);
std::vector<std::string> KnownPasswordList();
void ClearKnownPasswords();

// The caller's password callback (null when none); exchanging it takes no lock.
VortabPasswordCallback ExchangePasswordCallback(VortabPasswordCallback callback);
VortabPasswordCallback CurrentPasswordCallback();

}  // namespace vortab
