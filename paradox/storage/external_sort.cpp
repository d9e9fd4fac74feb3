// External merge sort: sorted runs spilled to a scratch file, merged through a heap.
#include "paradox/storage/external_sort.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {

constexpr std::size_t kReadChunk = 64u << 10;     // scratch writes, and reads while runs are few
constexpr std::size_t kMinReadChunk = 16u << 10;  // reads when many runs share the budget

// memcmp's sign for byte keys, eight bytes at a time: keys are short and often share a long
// head (the same text in many records), where a call to memcmp per comparison costs most.
int CompareBytes(const uint8_t* a, const uint8_t* b, std::size_t n) {
    for (; n >= 8; a += 8, b += 8, n -= 8) {
        uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y) return __builtin_bswap64(x) < __builtin_bswap64(y) ? -1 : 1;
    }
    for (; n > 0; ++a, ++b, --n)
        if (*a != *b) return *a < *b ? -1 : 1;
    return 0;
}

// A key's first eight bytes (zeros past a shorter key) as one number that orders as the bytes do.
uint64_t KeyHead(const uint8_t* key, std::size_t n) {
    uint8_t bytes[8] = {};
    std::memcpy(bytes, key, std::min<std::size_t>(n, 8));
    uint64_t x;
    std::memcpy(&x, bytes, 8);
    return __builtin_bswap64(x);
}

}  // namespace

struct ExternalSorter::Run {
    std::size_t index = 0;       // position among the runs: breaks ties, keeping input order
    uint64_t offset = 0;         // next byte to read from the scratch file
    uint64_t left = 0;           // entries not yet read from the file
    std::vector<uint8_t> chunk;  // entries read ahead
    std::size_t at = 0, in = 0;  // next entry in chunk, entries in chunk
    uint64_t head = 0;           // byte keys: the next entry's first eight key bytes, big-endian
};

ExternalSorter::ExternalSorter(std::string scratchDir, bool secret, std::size_t entrySize, Less less, std::size_t memoryBudget)
    : dir_(std::move(scratchDir)), size_(entrySize), less_(std::move(less)), budget_(memoryBudget) {
    if (secret) cipher_.emplace();
    if (size_ == 0) throw EngineError(err::kInvalidParam, "sort entry size 0");
    capacity_ = std::max<std::size_t>(memoryBudget / (size_ + sizeof(uint32_t)), 16);
    mergeWidth_ = std::max<std::size_t>(memoryBudget / kReadChunk, 2);
}

ExternalSorter::ExternalSorter(std::string scratchDir, bool secret, std::size_t entrySize, ByteKey key, std::size_t memoryBudget)
    : ExternalSorter(std::move(scratchDir), secret, entrySize, Less(), memoryBudget) {
    if (key.size > entrySize) throw EngineError(err::kInvalidParam, "sort key larger than its entry");
    byteKeyed_ = true;
    byteKey_ = key.size;
}

ExternalSorter::~ExternalSorter() = default;

void ExternalSorter::add(const uint8_t* entry) {
    if (finished_) throw EngineError(err::kInvalidParam, "entry added after the sort finished");
    if (held_ == capacity_) spill();
    if (buffer_.capacity() < (held_ + 1) * size_) {
        // Doubling while small, then straight to the budget and never past it: a vector's own
        // growth may overshoot the budget, and each doubling holds the old and the new buffer.
        const std::size_t doubled = std::max<std::size_t>(held_ * 2, 64);
        buffer_.reserve((doubled < capacity_ / 4 ? doubled : capacity_) * size_);
    }
    buffer_.insert(buffer_.end(), entry, entry + size_);  // buffer_ holds held_ entries
    ++held_;
    ++count_;
}

void ExternalSorter::sortBuffer() {
    order_.resize(held_);
    std::iota(order_.begin(), order_.end(), 0u);
    const uint8_t* base = buffer_.data();
    if (byteKeyed_) {
        const std::size_t key = byteKey_, size = size_;
        std::stable_sort(order_.begin(), order_.end(), [base, key, size](uint32_t a, uint32_t b) {
            return CompareBytes(base + std::size_t(a) * size, base + std::size_t(b) * size, key) < 0;
        });
        return;
    }
    std::stable_sort(order_.begin(), order_.end(),
                     [&](uint32_t a, uint32_t b) { return less_(base + std::size_t(a) * size_, base + std::size_t(b) * size_); });
}

void ExternalSorter::writeScratch(std::vector<uint8_t>& bytes) {
    if (cipher_) cipher_->apply(bytes.data(), bytes.size(), scratchEnd_);
    scratch_.writeAt(scratchEnd_, bytes.data(), bytes.size());
    scratchEnd_ += bytes.size();
    bytes.clear();
}

void ExternalSorter::spill() {
    if (held_ == 0) return;
    if (!scratch_.isOpen()) scratch_ = File::createAnonymous(dir_);
    sortBuffer();
    auto run = std::make_unique<Run>();
    run->index = runs_.size();
    run->offset = scratchEnd_;
    run->left = held_;
    std::vector<uint8_t> out;
    out.reserve(std::min(held_ * size_, kReadChunk + size_));
    for (std::size_t i = 0; i < held_; ++i) {
        out.insert(out.end(), buffer_.data() + std::size_t(order_[i]) * size_, buffer_.data() + std::size_t(order_[i] + 1) * size_);
        if (out.size() >= kReadChunk || i + 1 == held_) writeScratch(out);
    }
    runs_.push_back(std::move(run));
    ++spilledRuns_;
    held_ = 0;
    buffer_.clear();  // the capacity stays for the next run
}

bool ExternalSorter::refill(Run& r) {
    if (r.at < r.in) return noteHead(r);
    if (r.left == 0) return false;
    const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(r.left, std::max<std::size_t>(readChunk_ / size_, 1)));
    r.chunk.resize(n * size_);
    if (!scratch_.readAt(r.offset, r.chunk.data(), r.chunk.size()))
        throw EngineError(err::kReadErr, "sort scratch file ended early");
    if (cipher_) cipher_->apply(r.chunk.data(), r.chunk.size(), r.offset);
    r.offset += r.chunk.size();
    r.left -= n;
    r.at = 0;
    r.in = n;
    return noteHead(r);
}

bool ExternalSorter::noteHead(Run& r) const {
    if (byteKeyed_) r.head = KeyHead(r.chunk.data() + r.at * size_, byteKey_);
    return true;
}

bool ExternalSorter::after(const Run* a, const Run* b) const {
    const uint8_t* x = a->chunk.data() + a->at * size_;
    const uint8_t* y = b->chunk.data() + b->at * size_;
    if (byteKeyed_) {
        // The heads decide most comparisons without touching the runs' buffers, which with
        // hundreds of runs lie far apart in memory.
        if (a->head != b->head) return a->head > b->head;
        const int r = byteKey_ > 8 ? CompareBytes(x + 8, y + 8, byteKey_ - 8) : 0;
        return r != 0 ? r > 0 : a->index > b->index;
    }
    if (less_(y, x)) return true;
    if (less_(x, y)) return false;
    return a->index > b->index;
}

std::unique_ptr<ExternalSorter::Run> ExternalSorter::mergeGroup(std::vector<std::unique_ptr<Run>>& group, std::size_t index) {
    auto merged = std::make_unique<Run>();
    merged->index = index;
    merged->offset = scratchEnd_;
    std::vector<Run*> heap;
    for (auto& r : group)
        if (refill(*r)) heap.push_back(r.get());
    const auto greater = [this](const Run* a, const Run* b) { return after(a, b); };
    std::make_heap(heap.begin(), heap.end(), greater);
    std::vector<uint8_t> out;
    out.reserve(kReadChunk + size_);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), greater);
        Run* r = heap.back();
        out.insert(out.end(), r->chunk.data() + r->at * size_, r->chunk.data() + (r->at + 1) * size_);
        ++merged->left;
        ++r->at;
        if (refill(*r)) std::push_heap(heap.begin(), heap.end(), greater);
        else heap.pop_back();
        if (out.size() >= kReadChunk) writeScratch(out);
    }
    if (!out.empty()) writeScratch(out);
    return merged;
}

void ExternalSorter::mergePasses() {
    // A pass rewrites every entry through the scratch file, which on a big table costs more than
    // smaller reads do: the read buffers shrink (down to kMinReadChunk) so that three quarters of
    // the budget hold one for every run, and a table of up to the format's 2 GB merges in one go.
    // The last quarter is left to what the caller writes the merged entries into, so that the
    // merge needs no more memory than the sort before it.
    const std::size_t readBudget = budget_ / 4 * 3;
    readChunk_ = std::clamp(readBudget / std::max<std::size_t>(runs_.size(), 1), kMinReadChunk, kReadChunk);
    mergeWidth_ = std::max<std::size_t>(readBudget / readChunk_, 2);
    while (runs_.size() > mergeWidth_) {
        std::vector<std::unique_ptr<Run>> next;
        for (std::size_t first = 0; first < runs_.size(); first += mergeWidth_) {
            std::vector<std::unique_ptr<Run>> group;
            for (std::size_t i = first; i < std::min(first + mergeWidth_, runs_.size()); ++i) group.push_back(std::move(runs_[i]));
            next.push_back(mergeGroup(group, next.size()));  // groups are consecutive: order is kept
        }
        runs_ = std::move(next);
    }
}

void ExternalSorter::finish() {
    if (finished_) return;
    finished_ = true;
    current_.resize(size_);
    if (runs_.empty()) {
        sortBuffer();  // everything fits: no scratch file at all
        return;
    }
    spill();
    buffer_.clear();
    buffer_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
    mergePasses();
    for (auto& r : runs_)
        if (refill(*r)) heap_.push_back(r.get());
    std::make_heap(heap_.begin(), heap_.end(), [this](const Run* a, const Run* b) { return after(a, b); });
}

const uint8_t* ExternalSorter::next() {
    if (!finished_) finish();
    if (runs_.empty()) {
        if (served_ == held_) return nullptr;
        return buffer_.data() + std::size_t(order_[served_++]) * size_;
    }
    if (heap_.empty()) return nullptr;
    const auto greater = [this](const Run* a, const Run* b) { return after(a, b); };
    std::pop_heap(heap_.begin(), heap_.end(), greater);
    Run* r = heap_.back();
    std::memcpy(current_.data(), r->chunk.data() + r->at * size_, size_);
    ++r->at;
    if (refill(*r)) std::push_heap(heap_.begin(), heap_.end(), greater);
    else heap_.pop_back();
    return current_.data();
}

std::vector<bool> RepeatedKeyOrdinals(ExternalSorter& keys, std::size_t keySize, uint32_t count) {
    std::vector<bool> repeat(count, false);
    std::vector<uint8_t> prev(keySize);
    bool first = true;
    while (const uint8_t* e = keys.next()) {
        if (!first && std::memcmp(prev.data(), e, keySize) == 0) {
            const uint8_t* o = e + keySize;
            repeat[uint32_t(o[0]) | uint32_t(o[1]) << 8 | uint32_t(o[2]) << 16 | uint32_t(o[3]) << 24] = true;
        }
        std::memcpy(prev.data(), e, keySize);
        first = false;
    }
    return repeat;
}

}  // namespace paradox
