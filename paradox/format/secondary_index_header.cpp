// Bounded parser of Paradox data-file headers as used by secondary index files.
#include "paradox/format/secondary_index_header.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"

namespace paradox {
namespace {

constexpr std::size_t kFixedPart = 0x58;
constexpr std::size_t kVersion4Part = 0x78;
constexpr std::uint8_t kFirstVersion4 = 5;
constexpr std::uint8_t kLongNameVersion = 12;

// Little-endian reads that fail with a corrupt-header error past the end.
class HeaderBytes {
public:
    HeaderBytes(const std::vector<std::uint8_t>& b, std::size_t limit) : b_(b), limit_(limit) {}
    std::uint8_t u8(std::size_t off) const {
        need(off, 1);
        return b_[off];
    }
    std::uint16_t u16(std::size_t off) const {
        need(off, 2);
        return std::uint16_t(b_[off] | (b_[off + 1] << 8));
    }
    // NUL-terminated text starting at off; *next receives the offset after the NUL.
    std::string text(std::size_t off, std::size_t* next) const {
        std::size_t end = off;
        while (true) {
            need(end, 1);
            if (b_[end] == 0) break;
            ++end;
        }
        if (next) *next = end + 1;
        return std::string(reinterpret_cast<const char*>(b_.data() + off), end - off);
    }
    void need(std::size_t off, std::size_t n) const {
        if (off > limit_ || n > limit_ - off) throw EngineError(err::kHeaderCorrupt, "header too short");
    }

private:
    const std::vector<std::uint8_t>& b_;
    std::size_t limit_;
};

bool IsPrimaryIndexKind(std::uint8_t fileType) {
    return fileType == 1 || fileType == 4 || fileType == 7;
}

}  // namespace

std::uint16_t IndexFieldWidth(std::uint8_t type, std::uint8_t sizeByte) {
    switch (type) {
    case 0x01: case 0x18: return sizeByte;                         // Alpha, Bytes
    case 0x02: case 0x04: case 0x14: case 0x16: return 4;          // Date, Long, Time, AutoInc
    case 0x03: return 2;                                           // Short
    case 0x05: case 0x06: case 0x15: return 8;                     // Money, Number, Timestamp
    case 0x09: return 1;                                           // Logical
    case 0x0C: case 0x0D: case 0x0E: case 0x0F: case 0x10: return sizeByte;  // blobs
    case 0x17: return 17;                                          // BCD
    default: return 0;
    }
}

IndexFileHeader ParseIndexFileHeader(const std::vector<std::uint8_t>& bytes) {
    HeaderBytes fixed(bytes, bytes.size());
    IndexFileHeader h;
    h.headerSize = fixed.u16(0x02);
    h.fileType = fixed.u8(0x04);
    h.version = fixed.u8(0x39);
    if (h.fileType > 8) throw EngineError(err::kHeaderCorrupt, "unknown file type");
    if (h.headerSize < kFixedPart) throw EngineError(err::kHeaderCorrupt, "header size too small");
    // Everything below is bounded by the header, never by the data that follows it.
    HeaderBytes hb(bytes, std::min<std::size_t>(bytes.size(), h.headerSize));

    std::int16_t numFields = static_cast<std::int16_t>(hb.u16(0x21));
    std::int16_t keyFields = static_cast<std::int16_t>(hb.u16(0x23));
    if (numFields < 1 || numFields > 255) throw EngineError(err::kHeaderCorrupt, "field count");
    if (keyFields < 0 || keyFields > numFields) throw EngineError(err::kHeaderCorrupt, "key count");
    h.keyFields = std::uint16_t(keyFields);
    h.firstIndexField = hb.u8(0x15);
    h.flags = hb.u8(0x55);

    const bool v4 = h.version >= kFirstVersion4 && !IsPrimaryIndexKind(h.fileType);
    std::size_t pos = v4 ? kVersion4Part : kFixedPart;
    h.fields.resize(std::size_t(numFields));
    for (auto& f : h.fields) {
        f.type = hb.u8(pos);
        f.sizeByte = hb.u8(pos + 1);
        pos += 2;
    }
    if (IsPrimaryIndexKind(h.fileType)) return h;  // primary-index style headers carry no names

    pos += 4;                                   // table-name pointer
    pos += 4 * std::size_t(numFields);          // field-name pointers
    pos += h.version >= kLongNameVersion ? 261 : 79;  // table-name area
    for (auto& f : h.fields) f.name = hb.text(pos, &pos);

    if (v4) {
        std::size_t numbersAt = kFixedPart + hb.u16(0x66);
        h.fieldNumbers.resize(std::size_t(numFields));
        for (std::size_t i = 0; i < h.fieldNumbers.size(); ++i) h.fieldNumbers[i] = hb.u16(numbersAt + 2 * i);
        if (std::uint16_t sortAt = hb.u16(0x6E)) h.sortOrderName = hb.text(kFixedPart + sortAt, nullptr);
        if (std::uint16_t nameAt = hb.u16(0x68)) h.indexName = hb.text(kFixedPart + nameAt, nullptr);
    }
    return h;
}

IndexFileHeader ReadIndexFileHeader(const std::string& path) {
    int fd = disk::Open(path, O_RDONLY);
    if (fd < 0) throw EngineError(errno == ENOENT ? err::kFamilyMemberNotFound : err::kFileNoAccess, path);
    // The header size is a 16-bit field, so a header never exceeds 64 KB.
    std::vector<std::uint8_t> bytes(0x10000);
    std::size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    disk::Close(fd);
    bytes.resize(got);
    try {
        return ParseIndexFileHeader(bytes);
    } catch (const EngineError& e) {
        throw EngineError(e.code(), path + ": " + e.detail());
    }
}

}  // namespace paradox
