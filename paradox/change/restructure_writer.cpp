// SequentialBlockWriter: blocks are laid out in chain order, so block n links to n-1 and n+1
// and the last block's next link is patched to 0 when the chain ends.
#include "paradox/change/restructure_writer.h"

#include <cstring>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {
constexpr uint32_t kBatchBlocks = 64;
// Bytes written between two writeback hints: the final fsync of a large table then finds most
// of it on disk already.
constexpr uint64_t kWritebackBytes = 8u << 20;
}

SequentialBlockWriter::SequentialBlockWriter(File& out, uint32_t headerSize, uint32_t blockSize, uint16_t recordSize,
                                             uint32_t perBlock, uint32_t checksum)
    : out_(out), headerSize_(headerSize), blockSize_(blockSize), perBlock_(perBlock), checksum_(checksum),
      recordSize_(recordSize) {
    if (perBlock_ == 0 || recordSize_ == 0 || 6 + uint64_t(perBlock_) * recordSize_ > blockSize_)
        throw EngineError(err::kRecTooBig, "record does not fit a block");
    batch_.reserve(size_t(kBatchBlocks) * blockSize_);
}

void SequentialBlockWriter::add(const uint8_t* record) {
    if (inBlock_ == 0) {
        if (blocks_ >= 0xFFFF) throw EngineError(err::kTableFull, out_.path());
        const std::size_t at = batch_.size();
        batch_.resize(at + blockSize_, 0);
        const uint32_t n = blocks_ + 1;
        PutLE16(&batch_[at], static_cast<uint16_t>(n + 1));  // next; the last one is patched in finish()
        PutLE16(&batch_[at + 2], static_cast<uint16_t>(n - 1));
    }
    uint8_t* block = &batch_[batch_.size() - blockSize_];
    std::memcpy(block + 6 + size_t(inBlock_) * recordSize_, record, recordSize_);
    ++inBlock_;
    ++records_;
    PutLE16(block + 4, static_cast<uint16_t>((inBlock_ - 1) * recordSize_));
    if (inBlock_ == perBlock_) closeBlock();
}

void SequentialBlockWriter::closeBlock() {
    ++blocks_;
    inBlock_ = 0;
    if (batch_.size() >= size_t(kBatchBlocks) * blockSize_) flushBatch();
}

void SequentialBlockWriter::flushBatch() {
    if (batch_.empty()) return;
    const uint32_t count = static_cast<uint32_t>(batch_.size() / blockSize_);
    if (checksum_)
        for (uint32_t i = 0; i < count; ++i)
            EncryptDataBlock(&batch_[size_t(i) * blockSize_], blockSize_, checksum_, batchFirst_ + i);
    const uint64_t end = headerSize_ + uint64_t(batchFirst_ - 1) * blockSize_ + batch_.size();
    out_.writeAt(end - batch_.size(), batch_.data(), batch_.size());
    batchFirst_ += count;
    batch_.clear();
    if (end - writebackFrom_ >= kWritebackBytes) {
        out_.startWriteback(writebackFrom_, end - writebackFrom_);
        writebackFrom_ = end;
    }
}

ChainCounts SequentialBlockWriter::finish() {
    if (inBlock_ > 0) {
        ++blocks_;
        inBlock_ = 0;
    }
    ChainCounts c;
    c.numRecords = static_cast<uint32_t>(records_);
    c.usedBlocks = c.fileBlocks = static_cast<uint16_t>(blocks_);
    c.firstBlock = blocks_ ? 1 : 0;
    c.lastBlock = static_cast<uint16_t>(blocks_);
    if (blocks_ == 0) return c;
    // The last block ends the chain.
    if (!batch_.empty()) {
        PutLE16(&batch_[batch_.size() - blockSize_], 0);
        flushBatch();
    } else {
        std::vector<uint8_t> last(blockSize_);
        const uint64_t off = headerSize_ + uint64_t(blocks_ - 1) * blockSize_;
        if (!out_.readAt(off, last.data(), blockSize_)) throw EngineError(err::kReadErr, out_.path());
        if (checksum_) DecryptDataBlock(last.data(), blockSize_, checksum_, blocks_);
        PutLE16(last.data(), 0);
        if (checksum_) EncryptDataBlock(last.data(), blockSize_, checksum_, blocks_);
        out_.writeAt(off, last.data(), blockSize_);
    }
    return c;
}

}  // namespace paradox
