// Table passwords as the library keeps them: the passwords its callers gave (KnownPasswords, held
// by the engine session, so a table they protect opens), the caller's password callback asked
// for a table none of them opens, and the master password a restructure must carry so that a
// protected table stays protected.
#pragma once
#include <cstdint>
#include <string>

#include "shared/engine_records.h"
#include "shared/vortab_api.h"

namespace vortab {

// Adds a password unless one with the same checksum is known; empty texts are ignored.
void AddKnownPassword(const std::string& password);
bool IsKnownChecksum(std::uint32_t checksum);

// The caller's callback (null when none); exchanging it takes no lock.
VortabPasswordCallback ExchangePasswordCallback(VortabPasswordCallback callback);

// Asks the callback for the table's password until it gives one with this checksum;
// 10498 when there is no callback, it gives up, or it repeats a wrong answer.
std::string RequestPassword(const std::string& tableName, std::uint32_t checksum);

// Fills the master-password members of a descriptor for a table whose header holds
// `checksum` (0: unprotected); 10498 when no known password has that checksum.
void MasterPasswordFor(std::uint32_t checksum, TableDescriptor& descriptor);

// The password checksum a table file's header holds (0 for none): bytes 37..40 for file
// versions below 5, else bytes 92..95; a file shorter than 120 bytes counts as zero-padded.
// A missing file gives 0.
std::uint32_t HeaderChecksum(const std::string& path);

}  // namespace vortab
