// .MB reading and appending. Blocks are multiples of 4 KB: type 0 header, type 2 one value,
// type 3 up to 64 small values in 16-byte chunks (slot table at 12, data from 0x150), type 4 free.
#include "paradox/format/blob_file.h"

#include <algorithm>
#include <cstring>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/storage/engine_error.h"

namespace paradox {

namespace {
constexpr uint32_t kSlotTable = 12;
constexpr uint32_t kSmallData = 0x150;

[[noreturn]] void MemoCorrupt(const std::string& path, const std::string& what) {
    throw EngineError(err::kMemoCorrupt, path + ": " + what);
}
}  // namespace

std::vector<uint8_t> NewBlobFileHeader() {
    std::vector<uint8_t> h(kMbBlock, 0);
    PutLE16(&h[1], 1);  // one 4 KB unit
    PutLE16(&h[3], 1);  // modification counter
    const uint8_t constant[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
    std::memcpy(&h[5], constant, sizeof constant);
    PutLE16(&h[0x0B], 0x1000);
    PutLE16(&h[0x0D], 0x1000);
    h[0x10] = 0x10;
    PutLE16(&h[0x11], 0x0040);
    PutLE16(&h[0x13], 0x0800);
    PutLE16(&h[0x29], 0x02A1);
    const uint8_t tail[] = {0x02, 0x10, 0x00, 0x00, 0x21, 0x00};
    std::memcpy(&h[0x38], tail, sizeof tail);
    return h;
}

std::string AddBlobPrefix(PxType t, const std::string& value) {
    if (t != PxType::Graphic && t != PxType::Ole) return value;
    std::string out(8, '\0');
    out[0] = 1;
    out[3] = t == PxType::Graphic ? 1 : 2;
    PutLE32(reinterpret_cast<uint8_t*>(&out[4]), static_cast<uint32_t>(value.size()));
    return out + value;
}

std::string StripBlobPrefix(PxType t, std::string stored) {
    if ((t != PxType::Graphic && t != PxType::Ole) || stored.size() < 8) return stored;
    const auto* p = reinterpret_cast<const uint8_t*>(stored.data());
    const uint8_t tag = t == PxType::Graphic ? 1 : 2;
    if (p[0] == 1 && p[1] == 0 && p[2] == 0 && p[3] == tag && GetLE32(p + 4) == stored.size() - 8)
        stored.erase(0, 8);
    return stored;
}

BlobReader::BlobReader(File file, uint32_t checksum)
    : file_(std::move(file)), checksum_(checksum), size_(file_.size()) {}

void BlobReader::readBytes(uint64_t off, uint8_t* buf, std::size_t n) const {
    if (checksum_ == 0) {
        if (off + n > size_ || !file_.readAt(off, buf, n)) MemoCorrupt(file_.path(), "blob outside the file");
        return;
    }
    // The cipher works on 256-byte chunks at 256-aligned file offsets.
    const uint64_t start = off & ~uint64_t(255);
    const uint64_t end = (off + n + 255) & ~uint64_t(255);
    if (end > size_) MemoCorrupt(file_.path(), "blob outside the file");
    std::vector<uint8_t> tmp(end - start);
    if (!file_.readAt(start, tmp.data(), tmp.size())) MemoCorrupt(file_.path(), "blob outside the file");
    DecryptBlobBytes(tmp.data(), tmp.size(), checksum_);
    std::memcpy(buf, tmp.data() + (off - start), n);
}

std::string BlobReader::read(const BlobRef& ref) const {
    const uint64_t off = ref.offset();
    if (off == 0 || off % kMbBlock != 0 || off + 12 > size_) MemoCorrupt(file_.path(), "invalid blob pointer");
    uint8_t head[12];
    readBytes(off, head, sizeof head);
    std::string out;
    if (ref.slot() == 0xFF) {
        if (head[0] != 2) MemoCorrupt(file_.path(), "blob pointer does not lead to a blob block");
        const uint32_t len = GetLE32(head + 3);
        const uint64_t units = GetLE16(head + 1);
        if (len != ref.length || 9 + uint64_t(len) > units * kMbBlock || off + 9 + len > size_)
            MemoCorrupt(file_.path(), "blob length mismatch");
        out.resize(len);
        readBytes(off + 9, reinterpret_cast<uint8_t*>(out.data()), len);
        return out;
    }
    if (ref.slot() >= 64 || head[0] != 3) MemoCorrupt(file_.path(), "invalid blob slot");
    uint8_t entry[5];
    readBytes(off + kSlotTable + 5u * ref.slot(), entry, sizeof entry);
    const uint32_t dataOff = entry[0] * 16u, chunks = entry[1], last = entry[4];
    if (chunks == 0 || last == 0 || last > 16) MemoCorrupt(file_.path(), "free blob slot referenced");
    const uint32_t len = (chunks - 1) * 16 + last;
    if (len != ref.length || dataOff < kSmallData || dataOff + len > kMbBlock)
        MemoCorrupt(file_.path(), "blob slot length mismatch");
    out.resize(len);
    readBytes(off + dataOff, reinterpret_cast<uint8_t*>(out.data()), len);
    return out;
}

BlobWriter::BlobWriter(File& file, uint32_t checksum) : file_(file), checksum_(checksum), end_(file.size()) {
    if (end_ < kMbBlock || end_ % kMbBlock != 0) throw EngineError(err::kMemoCorrupt, file.path() + ": invalid blob file size");
    uint8_t head[256];
    if (!file_.readAt(0, head, sizeof head)) throw EngineError(err::kMemoCorrupt, file.path() + ": header unreadable");
    if (checksum_) DecryptBlobBytes(head, sizeof head, checksum_);
    if (head[0] != 0) throw EngineError(err::kMemoCorrupt, file.path() + ": not a blob file");
    modCounter_ = GetLE16(head + 3);
}

void BlobWriter::writeBlock(uint64_t off, std::vector<uint8_t>& data) {
    if (checksum_) EncryptBlobBytes(data.data(), data.size(), checksum_);
    file_.writeAt(off, data.data(), data.size());
}

BlobRef BlobWriter::write(const std::string& stored) {
    const uint32_t len = static_cast<uint32_t>(stored.size());
    ++modCounter_;
    if (modCounter_ == 0) modCounter_ = 1;
    BlobRef ref;
    ref.length = len;
    ref.modNr = modCounter_;
    if (len <= kMbSmallLimit) {
        const uint32_t chunks = (len + 15) / 16;
        if (nextSlot_ < 0 || nextData_ + chunks * 16 > kMbBlock) {
            flushSmall();
            small_.assign(kMbBlock, 0);
            small_[0] = 3;
            PutLE16(&small_[1], 1);
            smallOffset_ = end_;
            end_ += kMbBlock;
            nextSlot_ = 63;
            nextData_ = kSmallData;
        }
        uint8_t* e = &small_[kSlotTable + 5 * nextSlot_];
        e[0] = static_cast<uint8_t>(nextData_ / 16);
        e[1] = static_cast<uint8_t>(chunks);
        PutLE16(e + 2, modCounter_);
        e[4] = static_cast<uint8_t>(len - (chunks - 1) * 16);
        std::memcpy(&small_[nextData_], stored.data(), len);
        ref.ref = static_cast<uint32_t>(smallOffset_) | static_cast<uint32_t>(nextSlot_);
        nextData_ += chunks * 16;
        --nextSlot_;
        return ref;
    }
    const uint64_t units = (9 + uint64_t(len) + kMbBlock - 1) / kMbBlock;
    if (units > 0xFFFF || end_ + units * kMbBlock > 0xFFFFF000ull)
        throw EngineError(err::kTableFull, file_.path() + ": blob file is full");
    std::vector<uint8_t> block(units * kMbBlock, 0);
    block[0] = 2;
    PutLE16(&block[1], static_cast<uint16_t>(units));
    PutLE32(&block[3], len);
    PutLE16(&block[7], modCounter_);
    std::memcpy(&block[9], stored.data(), len);
    ref.ref = static_cast<uint32_t>(end_) | 0xFF;
    writeBlock(end_, block);
    end_ += units * kMbBlock;
    return ref;
}

void BlobWriter::flushSmall() {
    if (nextSlot_ >= 0 || !small_.empty()) {
        if (!small_.empty()) writeBlock(smallOffset_, small_);
        small_.clear();
        nextSlot_ = -1;
    }
}

void BlobWriter::finish() {
    flushSmall();
    if (end_ > 0xFFFFF000ull) throw EngineError(err::kTableFull, file_.path() + ": blob file is full");
    uint8_t head[256];
    if (!file_.readAt(0, head, sizeof head)) throw EngineError(err::kMemoCorrupt, file_.path() + ": header unreadable");
    if (checksum_) DecryptBlobBytes(head, sizeof head, checksum_);
    PutLE16(head + 3, modCounter_);
    if (checksum_) EncryptBlobBytes(head, sizeof head, checksum_);
    file_.writeAt(0, head, sizeof head);
}

}  // namespace paradox
