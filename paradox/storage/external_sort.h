// ExternalSorter: sorts fixed-size entries in bounded memory. Entries are gathered up to a
// memory budget, sorted, and written as runs to an unnamed scratch file in a given directory
// (the table's own, so that no other file system fills up); reading merges the runs, first in
// passes of as many runs as the budget has read buffers for, so that memory stays bounded
// however many runs there are. For secret entries (from a protected table) run bytes are
// enciphered (ChaCha20) with a random key that only lives in memory, so that they never reach
// the disk in clear. Equal entries come out in the order they went in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "paradox/storage/file_io.h"
#include "paradox/storage/stream_cipher.h"

namespace paradox {

class ExternalSorter {
public:
    using Less = std::function<bool(const uint8_t*, const uint8_t*)>;
    static constexpr std::size_t kDefaultBudget = 8u << 20;

    // Entries ordered by their first `size` bytes, compared as unsigned bytes (memcmp): the
    // common case, sorted without calling through a Less.
    struct ByteKey {
        std::size_t size;
    };

    ExternalSorter(std::string scratchDir, bool secret, std::size_t entrySize, Less less,
                   std::size_t memoryBudget = kDefaultBudget);
    ExternalSorter(std::string scratchDir, bool secret, std::size_t entrySize, ByteKey key,
                   std::size_t memoryBudget = kDefaultBudget);
    ~ExternalSorter();
    ExternalSorter(const ExternalSorter&) = delete;
    ExternalSorter& operator=(const ExternalSorter&) = delete;

    void add(const uint8_t* entry);
    // Ends the input; next() then yields the entries in order.
    void finish();
    // The next entry in order (entrySize bytes, valid until the next call), nullptr at the end.
    const uint8_t* next();

    uint64_t size() const { return count_; }
    std::size_t runs() const { return spilledRuns_; }  // sorted runs written to the scratch file

private:
    struct Run;
    void sortBuffer();
    void spill();
    bool refill(Run& r);
    // Records the first key bytes of r's next entry (byte-keyed sorts); true.
    bool noteHead(Run& r) const;
    // Appends bytes, enciphered, to the scratch file.
    void writeScratch(std::vector<uint8_t>& bytes);
    // Merges runs_ in consecutive groups into fewer, longer runs until one merge can take them all.
    void mergePasses();
    std::unique_ptr<Run> mergeGroup(std::vector<std::unique_ptr<Run>>& group, std::size_t index);
    // Heap order: whether run a's head comes after run b's (the heap keeps the least on top).
    bool after(const Run* a, const Run* b) const;

    std::string dir_;
    std::size_t size_;
    Less less_;
    bool byteKeyed_ = false;   // entries compare by memcmp of byteKey_ bytes, not less_
    std::size_t byteKey_ = 0;
    std::size_t capacity_;  // entries held in memory at once
    std::vector<uint8_t> buffer_;
    std::vector<uint32_t> order_;
    std::size_t held_ = 0;   // entries in buffer_
    std::size_t served_ = 0; // in-memory mode: entries handed out
    uint64_t count_ = 0;
    std::size_t budget_;
    std::size_t mergeWidth_;  // runs merged at once
    std::size_t readChunk_ = 64u << 10;  // bytes read ahead per run while merging
    std::size_t spilledRuns_ = 0;
    std::optional<StreamCipher> cipher_;  // for secret entries
    File scratch_;
    uint64_t scratchEnd_ = 0;
    std::vector<std::unique_ptr<Run>> runs_;
    std::vector<Run*> heap_;
    std::vector<uint8_t> current_;
    bool finished_ = false;
};

// For a sorter fed `count` entries of a key of keySize bytes followed by the entry's ordinal
// (0..count-1, little-endian 32 bits) and ordered by the key: the ordinals whose key an earlier
// entry already holds. The first entry of each key keeps it.
std::vector<bool> RepeatedKeyOrdinals(ExternalSorter& keys, std::size_t keySize, uint32_t count);

}  // namespace paradox
