// ChaCha20 block function and keystream.
#include "paradox/storage/stream_cipher.h"

#include <random>

namespace paradox {

namespace {

constexpr uint32_t Rotl(uint32_t v, int n) {
    return (v << n) | (v >> (32 - n));
}

void QuarterRound(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) {
    a += b;
    d ^= a;
    d = Rotl(d, 16);
    c += d;
    b ^= c;
    b = Rotl(b, 12);
    a += b;
    d ^= a;
    d = Rotl(d, 8);
    c += d;
    b ^= c;
    b = Rotl(b, 7);
}

}  // namespace

void ChaCha20Block(const std::array<uint32_t, 8>& key, uint32_t counter,
                   const std::array<uint32_t, 3>& nonce, uint8_t out[64]) {
    // "expand 32-byte k", then key, counter and nonce.
    const uint32_t input[16] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574, key[0], key[1],
                                key[2],     key[3],     key[4],     key[5],     key[6], key[7],
                                counter,    nonce[0],   nonce[1],   nonce[2]};
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = input[i];
    for (int round = 0; round < 10; ++round) {
        QuarterRound(x[0], x[4], x[8], x[12]);
        QuarterRound(x[1], x[5], x[9], x[13]);
        QuarterRound(x[2], x[6], x[10], x[14]);
        QuarterRound(x[3], x[7], x[11], x[15]);
        QuarterRound(x[0], x[5], x[10], x[15]);
        QuarterRound(x[1], x[6], x[11], x[12]);
        QuarterRound(x[2], x[7], x[8], x[13]);
        QuarterRound(x[3], x[4], x[9], x[14]);
    }
    for (int i = 0; i < 16; ++i) {
        const uint32_t v = x[i] + input[i];
        for (int k = 0; k < 4; ++k) out[4 * i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
}

StreamCipher::StreamCipher() {
    std::random_device rd;
    for (uint32_t& w : key_) w = rd();
}

void StreamCipher::apply(uint8_t* bytes, std::size_t n, uint64_t offset) const {
    uint8_t block[64];
    for (std::size_t i = 0; i < n;) {
        const uint64_t pos = offset + i;
        const uint64_t index = pos / 64;
        ChaCha20Block(key_, static_cast<uint32_t>(index),
                      {static_cast<uint32_t>(index >> 32), 0, 0}, block);
        for (std::size_t k = pos % 64; k < 64 && i < n; ++k, ++i) bytes[i] ^= block[k];
    }
}

}  // namespace paradox
