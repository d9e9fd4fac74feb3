// Auxiliary passwords of a protected table: where they are kept and how a password is checked.
// Paradox's own place for them inside its files is not publicly known, so they live in a file
// of their own beside the table ("<table>.VTS"), which the original software never reads. Each
// entry keeps its rights enciphered under the master key, plus the master key wrapped by the
// auxiliary password, so that opening with the auxiliary password can read the data.
// Layout on disk: doc/security.md.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "paradox/format/security_descriptor.h"

namespace paradox {

inline constexpr const char* kAuxPasswordExtension = "VTS";

struct AuxStore {
    bool strictIntegrity = false;              // kept here: Paradox's own flag byte is not known
    std::vector<SecurityDescriptor> entries;   // entry numbers 1..n
};

// What an auxiliary password grants on opening.
struct AuxGrant {
    uint32_t masterChecksum = 0;
    uint32_t tableRights = rights::kFull;
    uint16_t familyRights = rights::kAllFamily;
    std::vector<uint32_t> fieldRights;  // per field: rights::kFieldNone/kFieldReadOnly/kFieldFull
};

// Reads the store of table base in dir with the master key; empty store when there is none.
// 8962 when the file is damaged.
AuxStore ReadAuxStore(const std::string& dir, const std::string& base, uint32_t masterChecksum);

// The store's bytes for entries enciphered with masterChecksum (exposed for tests).
std::vector<uint8_t> EncodeAuxStore(const AuxStore& store, uint32_t masterChecksum);
AuxStore DecodeAuxStore(const std::vector<uint8_t>& bytes, uint32_t masterChecksum);

// Whether `password` is an auxiliary password of the table; what it grants. No master key needed.
std::optional<AuxGrant> CheckAuxPassword(const std::string& dir, const std::string& base, const std::string& password);

// Number of auxiliary passwords and the strict-integrity flag, readable without the master key.
uint16_t AuxPasswordCount(const std::string& dir, const std::string& base);
bool StoredStrictIntegrity(const std::string& dir, const std::string& base);

}  // namespace paradox
