// ChaCha20 (20 rounds, 256-bit key) as a seekable keystream: bytes at any offset of a stream can
// be enciphered or deciphered on their own. Used for scratch files that must not hold a table's
// contents in clear; the key lives only in memory.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace paradox {

// The ChaCha20 block function: 64 keystream bytes for key, 32-bit block counter and 96-bit nonce.
void ChaCha20Block(const std::array<uint32_t, 8>& key, uint32_t counter,
                   const std::array<uint32_t, 3>& nonce, uint8_t out[64]);

class StreamCipher {
  public:
    // A fresh random key from the operating system's generator.
    StreamCipher();
    explicit StreamCipher(const std::array<uint32_t, 8>& key) : key_(key) {}

    // XORs n bytes, which sit at byte `offset` of the stream, with the keystream there: the same
    // call enciphers and deciphers. Block i of the stream uses counter = low 32 bits of i and the
    // nonce (high 32 bits of i, 0, 0).
    void apply(uint8_t* bytes, std::size_t n, uint64_t offset) const;

  private:
    std::array<uint32_t, 8> key_;
};

}  // namespace paradox
