// The external sorter: entries come out sorted and stable whether they fit in memory or are
// merged from many spilled runs, and the scratch file leaves nothing behind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "paradox/storage/external_sort.h"
#include "paradox/storage/stream_cipher.h"
#include "test_support.h"

using namespace paradox;
using paradox_test::ScratchDir;

namespace {

// Entries: a 2-byte key with many repeats, then the 4-byte input position.
struct Entry {
    uint16_t key;
    uint32_t seq;
};

// byteKey: the sorter compares the key itself rather than through a Less. lead: bytes all
// entries share before the 2-byte key (a long key whose first eight bytes tie).
std::vector<Entry> SortAll(const std::string& dir, const std::vector<uint16_t>& keys, std::size_t budget, std::size_t* runs,
                           bool secret, bool byteKey, std::size_t lead = 0) {
    const std::size_t key = lead + 2;
    ExternalSorter sorter = byteKey ? ExternalSorter(dir, secret, key + 4, ExternalSorter::ByteKey{key}, budget)
                                    : ExternalSorter(dir, secret, key + 4, [key](const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, key) < 0; }, budget);
    std::vector<uint8_t> e(key + 4, 'k');
    for (uint32_t i = 0; i < keys.size(); ++i) {
        e[lead] = static_cast<uint8_t>(keys[i] >> 8);  // big-endian: byte order is key order
        e[lead + 1] = static_cast<uint8_t>(keys[i]);
        std::memcpy(e.data() + key, &i, 4);
        sorter.add(e.data());
    }
    sorter.finish();
    EXPECT_THROW(sorter.add(reinterpret_cast<const uint8_t*>("abcdef")), std::exception);
    std::vector<Entry> out;
    while (const uint8_t* e = sorter.next()) {
        Entry x{static_cast<uint16_t>(e[lead] << 8 | e[lead + 1]), 0};
        std::memcpy(&x.seq, e + key, 4);
        out.push_back(x);
    }
    EXPECT_EQ(sorter.next(), nullptr);
    *runs = sorter.runs();
    return out;
}

TEST(ExternalSort, SortedAndStableInMemoryAndFromRuns) {
    std::mt19937 rng(7);
    std::vector<uint16_t> keys(20000);
    for (auto& k : keys) k = static_cast<uint16_t>(rng() % 300);
    for (std::size_t lead : {0, 8})
    for (bool byteKey : {false, true})
    for (std::size_t budget : {std::size_t(1) << 24, std::size_t(1000), std::size_t(64), std::size_t(65)}) {
        ScratchDir dir;
        std::size_t runs = 0;
        const std::vector<Entry> out = SortAll(dir.str(), keys, budget, &runs, budget != 64, byteKey, lead);  // enciphered or not
        ASSERT_EQ(out.size(), keys.size()) << budget;
        for (std::size_t i = 1; i < out.size(); ++i) {
            ASSERT_LE(out[i - 1].key, out[i].key) << budget << " at " << i;
            if (out[i - 1].key == out[i].key) {
                ASSERT_LT(out[i - 1].seq, out[i].seq) << budget << " at " << i;
            }
        }
        for (const Entry& e : out) ASSERT_EQ(keys[e.seq], e.key);
        if (budget > 1000000) EXPECT_EQ(runs, 0u);
        else EXPECT_GT(runs, 10u);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "scratch file left behind";
    }
}

TEST(StreamCipher, ChaCha20KnownBlockAndSeekableKeystream) {
    // The block function's published example: key 00..1f, counter 1, nonce 00000009 0000004a 0.
    std::array<uint32_t, 8> key{};
    for (uint32_t i = 0; i < 8; ++i) key[i] = (4 * i) | (4 * i + 1) << 8 | (4 * i + 2) << 16 | (4 * i + 3) << 24;
    uint8_t block[64];
    ChaCha20Block(key, 1, {0x09000000, 0x4a000000, 0}, block);
    const uint8_t expected[16] = {0x10, 0xf1, 0xe7, 0xe4, 0xd1, 0x3b, 0x59, 0x15,
                                  0x50, 0x0f, 0xdd, 0x1f, 0xa3, 0x20, 0x71, 0xc4};
    EXPECT_EQ(std::memcmp(block, expected, 16), 0);

    // Pieces enciphered at their offsets equal the whole; applying twice gives the clear text.
    const StreamCipher cipher(key);
    std::vector<uint8_t> whole(300), pieces(300);
    for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = pieces[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> clear = whole;
    cipher.apply(whole.data(), whole.size(), 1000);
    const std::size_t cuts[] = {0, 13, 64, 65, 200, 300};
    for (std::size_t i = 0; i + 1 < std::size(cuts); ++i) cipher.apply(pieces.data() + cuts[i], cuts[i + 1] - cuts[i], 1000 + cuts[i]);
    EXPECT_EQ(pieces, whole);
    EXPECT_NE(whole, clear);
    cipher.apply(whole.data(), whole.size(), 1000);
    EXPECT_EQ(whole, clear);
}

TEST(ExternalSort, NothingInNothingOut) {
    ScratchDir dir;
    std::size_t runs = 0;
    EXPECT_TRUE(SortAll(dir.str(), {}, 64, &runs, false, true).empty());
}

}  // namespace
