// Auxiliary passwords as the engine offers them: the security-descriptor cursor of a table, the
// changes a restructure's security entries ask for (add, modify, drop), re-keying when the master
// password changes, and the strict-integrity flag kept beside them. Every change needs the
// master password and replaces the store file in one crash-safe step.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/security_descriptor.h"
#include "paradox/session/aux_password.h"
#include "paradox/storage/family_swap.h"
#include "paradox/table/table.h"

namespace paradox {

// The table's auxiliary passwords in entry order (empty for a table without any). 10498 when
// the master password is not among the candidates.
std::vector<SecurityDescriptor> ListAuxPasswords(const std::string& dir, const std::string& table,
                                                 const OpenOptions& options = {});

// Applies security entries with their operation codes: CRADD adds (10009 when the password
// exists), CRMODIFY replaces the entry with the same password, CRDROP removes it (9986 when
// absent), CRNOOP/CRCOPY keep it. Table rights must be one of the PRV values; only a protected
// table can have auxiliary passwords (9986 otherwise). Field rights beyond the field count are
// ignored. Nothing changes when an entry fails.
void ApplySecurityEntries(const std::string& dir, const std::string& table, const SecurityDescriptor* entries,
                          const OperationCode* ops, uint16_t count, const OpenOptions& options = {});

// The checks and changes of ApplySecurityEntries on a store in memory, for a table of fieldCount
// fields; protectedTable false refuses additions (9986).
void ApplyEntriesToStore(AuxStore& store, const SecurityDescriptor* entries, const OperationCode* ops, uint16_t count,
                         std::size_t fieldCount, bool protectedTable);

// Field rights carried across a restructure: newNumberOfOld gives each old field's new 1-based
// number (0 = dropped); fields new to the table are granted full rights, as when a password is
// added without field rights.
void RemapFieldRights(AuxStore& store, const std::vector<uint16_t>& newNumberOfOld, std::size_t newFieldCount);

// The bytes of a store keyed by masterChecksum; nullopt when nothing is left to keep (no entries
// and no flag, or no master password, which drops every auxiliary password).
std::optional<std::vector<uint8_t>> StoreBytes(AuxStore store, uint32_t masterChecksum);

// Stages the store file of table base into swap, or its removal for nullopt.
void StageAuxStore(FamilySwap& swap, const std::string& dir, const std::string& base,
                   const std::optional<std::vector<uint8_t>>& bytes);

// The store's bytes re-keyed for a new master checksum (0 = the master password is removed,
// which drops every auxiliary password: nullopt means "remove the file"). For restructure, which
// stages them with the rest of the family.
std::optional<std::vector<uint8_t>> RekeyedAuxStore(const std::string& dir, const std::string& base,
                                                    uint32_t oldChecksum, uint32_t newChecksum);

// Sets the strict-integrity flag of a table (kept in the auxiliary store file).
void SetStrictIntegrity(const std::string& dir, const std::string& table, bool strict, const OpenOptions& options = {});

}  // namespace paradox
