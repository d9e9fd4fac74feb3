// Paradox table encryption: the password checksum stored in the header, and the 256-byte
// chunk cipher applied to .DB/.PX data blocks (keyed by block number) and to whole .MB files.
// Only the low 16 bits of the checksum key the cipher.
// Layout on disk: doc/encryption.md.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace paradox {

uint32_t PasswordChecksum(std::string_view password);

// In-place cipher of one data block (size a multiple of 256) with its 1-based block number.
void EncryptDataBlock(uint8_t* block, std::size_t size, uint32_t checksum, uint32_t blockNumber);
void DecryptDataBlock(uint8_t* block, std::size_t size, uint32_t checksum, uint32_t blockNumber);

// In-place cipher of .MB bytes (size a multiple of 256, starting at a file offset multiple of 256).
void EncryptBlobBytes(uint8_t* data, std::size_t size, uint32_t checksum);
void DecryptBlobBytes(uint8_t* data, std::size_t size, uint32_t checksum);

}  // namespace paradox
