// .VAL layout: a 0x35-byte header, validity-check entries, an optional referential-integrity
// section (dependent entries, then an optional master block) and a footer with the field list.
#include "paradox/format/val_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "paradox/format/secondary_index_header.h"
#include "paradox/format/val_value.h"
#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/table_list.h"
#include "shared/text/whole_file.h"

namespace paradox {
namespace {

constexpr std::size_t kChecksStart = 0x35;
constexpr std::size_t kCheckFixedSize = 28;
constexpr std::size_t kLookupSize = 80;         // 26-byte table name + 54 bytes not understood
constexpr std::size_t kLookupNameSize = 26;
constexpr std::size_t kDependentEntrySize = 0x1E0;
constexpr std::size_t kMasterEntrySize = 0x12A;
constexpr std::size_t kMaxValSize = 16u << 20;  // far beyond any real .VAL; refuse larger

// Bounds-checked little-endian reads over the whole file; every failure names the file.
class ValBytes {
public:
    ValBytes(const std::vector<std::uint8_t>& b, const std::string& file) : b_(b), file_(file) {}
    std::size_t size() const { return b_.size(); }
    [[noreturn]] void corrupt(const std::string& what) const {
        throw EngineError(err::kValFileCorrupt, file_ + ": " + what);
    }
    void need(std::size_t off, std::size_t n, const char* what) const {
        if (off > b_.size() || n > b_.size() - off) corrupt(what);
    }
    std::uint8_t u8(std::size_t off) const {
        need(off, 1, "truncated");
        return b_[off];
    }
    std::uint16_t u16(std::size_t off) const {
        need(off, 2, "truncated");
        return std::uint16_t(b_[off] | (b_[off + 1] << 8));
    }
    std::uint32_t u32(std::size_t off) const {
        need(off, 4, "truncated");
        return std::uint32_t(b_[off]) | (std::uint32_t(b_[off + 1]) << 8) | (std::uint32_t(b_[off + 2]) << 16) |
               (std::uint32_t(b_[off + 3]) << 24);
    }
    // Text in a fixed area of width bytes, up to its first NUL.
    std::string fixed(std::size_t off, std::size_t width) const {
        need(off, width, "truncated text");
        std::size_t n = 0;
        while (n < width && b_[off + n] != 0) ++n;
        return std::string(reinterpret_cast<const char*>(b_.data() + off), n);
    }
    // NUL-terminated text; *next receives the offset after the NUL.
    std::string text(std::size_t off, std::size_t* next) const {
        std::size_t end = off;
        while (true) {
            need(end, 1, "unterminated text");
            if (b_[end] == 0) break;
            ++end;
        }
        *next = end + 1;
        return std::string(reinterpret_cast<const char*>(b_.data() + off), end - off);
    }
    const std::uint8_t* at(std::size_t off) const { return b_.data() + off; }

private:
    const std::vector<std::uint8_t>& b_;
    const std::string& file_;
};

// The footer's word at +4 counts the path area and the names; the names must end exactly there,
// which also tells a path area of another size from the one this version has.
void ParseFooter(const ValBytes& v, std::size_t off, ValContents& out) {
    const std::uint16_t n = v.u16(off);
    if (n < 1 || n > 255) v.corrupt("field count");
    out.keyFields = v.u16(off + 2);
    if (out.keyFields > n) v.corrupt("key count");
    const std::size_t rest = v.u16(off + 4);
    std::size_t pos = off + 6;
    out.fields.resize(n);
    for (auto& f : out.fields) { f.id = v.u16(pos); pos += 2; }
    for (auto& f : out.fields) { f.type = v.u8(pos); f.sizeByte = v.u8(pos + 1); pos += 2; }
    const std::size_t restStart = pos;
    pos += ValFooterPathSize(out.version);
    for (auto& f : out.fields) f.name = v.text(pos, &pos);
    if (pos - restStart != rest) v.corrupt("footer names do not end where its length says");
}

// One validity-check entry at off; returns the offset after it.
std::size_t ParseCheck(const ValBytes& v, std::size_t off, const ValContents& out, ValidityCheckDescriptor& d) {
    v.need(off, kCheckFixedSize, "check entry");
    const std::uint8_t fieldIndex = v.u8(off);
    const std::uint8_t pictureLength = v.u8(off + 1);
    const std::uint8_t required = v.u8(off + 2);
    const std::uint8_t lookupFlags = v.u8(off + 3);
    const bool hasLookup = v.u32(off + 4) != 0;
    const bool hasPicture = v.u32(off + 24) != 0;
    if (fieldIndex >= out.fields.size()) v.corrupt("check on a field the table lacks");
    const ValField& f = out.fields[fieldIndex];
    const std::size_t width = IndexFieldWidth(f.type, f.sizeByte);
    if (width == 0) v.corrupt("check on a field of unknown type");

    d = ValidityCheckDescriptor{};
    d.fieldNumber = std::uint16_t(fieldIndex + 1);
    d.required = required ? 1 : 0;
    std::size_t pos = off + kCheckFixedSize;
    if (hasLookup) {
        v.need(pos, kLookupSize, "lookup");
        copyFixedText(d.lookupTable, v.fixed(pos, kLookupNameSize));
        d.lookupKind = std::uint32_t(LookupKind::Private) + (lookupFlags & 0x01 ? 1 : 0) + (lookupFlags & 0x02 ? 2 : 0);
        pos += kLookupSize;
    }
    // Decodes one present value into its buffer and answers the kind to store.
    auto value = [&](bool present, std::uint8_t* buffer) -> std::uint16_t {
        if (!present) return std::uint16_t(CheckValueKind::None);
        v.need(pos, width, "check value");
        DecodeCheckValue(f.type, f.sizeByte, v.at(pos), width, buffer, kCheckValueSize);
        pos += width;
        return std::uint16_t(CheckValueKind::Value);
    };
    // Our writer marks "today" and "now" with the words 2 and 3 (Paradox stores memory
    // addresses there, never such small numbers) over a blank value.
    auto kind = [&](std::uint32_t word, std::uint8_t* buffer) -> std::uint16_t {
        const std::uint16_t k = value(word != 0, buffer);
        if (word == 2 || word == 3) {
            std::fill(buffer, buffer + kCheckValueSize, std::uint8_t(0));
            return std::uint16_t(word == 2 ? CheckValueKind::Today : CheckValueKind::Now);
        }
        return k;
    };
    d.minimumKind = kind(v.u32(off + 12), d.minimum);
    d.maximumKind = kind(v.u32(off + 16), d.maximum);
    d.defaultKind = kind(v.u32(off + 20), d.defaultValue);
    if (hasPicture) {
        if (pictureLength == 0) v.corrupt("picture length");
        copyFixedText(d.picture, v.fixed(pos, pictureLength));  // cut to 175 characters
        pos += pictureLength;
    }
    return pos;
}

// count field numbers at off, each within 1..fieldLimit. (Returned by value: the descriptor's
// arrays are packed members and must not be bound to references.)
std::array<std::uint16_t, kMaxKeyFields> ReadFieldNumbers(const ValBytes& v, std::size_t off, std::uint16_t count,
                                                          std::size_t fieldLimit) {
    std::array<std::uint16_t, kMaxKeyFields> out{};
    for (std::uint16_t i = 0; i < count; ++i) {
        out[i] = v.u16(off + 2u * i);
        if (out[i] < 1 || out[i] > fieldLimit) v.corrupt("link field number");
    }
    return out;
}

// The dependent-side entry: this table refers to a master.
RILinkDescriptor ParseDependentLink(const ValBytes& v, std::size_t off, const ValContents& out) {
    v.need(off, kDependentEntrySize, "link entry");
    RILinkDescriptor d{};
    copyFixedText(d.name, v.fixed(off, 64));
    d.kind = std::uint32_t(LinkKind::Dependent);
    copyFixedText(d.otherTable, v.fixed(off + 0xD4, 114));
    const std::uint32_t rule = v.u32(off + 0x19A);
    if (rule > 1) v.corrupt("update rule");
    d.updateRule = rule;
    d.deleteRule = std::uint32_t(LinkRule::Restrict);
    d.fieldCount = v.u16(off + 0x19E);
    if (d.fieldCount < 1 || d.fieldCount > kMaxKeyFields) v.corrupt("link field count");
    const auto mine = ReadFieldNumbers(v, off + 0x1A0, d.fieldCount, out.fields.size());
    const auto theirs = ReadFieldNumbers(v, off + 0x1C0, d.fieldCount, 255);
    for (int i = 0; i < kMaxKeyFields; ++i) {
        d.thisFields[i] = mine[std::size_t(i)];
        d.otherFields[i] = theirs[std::size_t(i)];
    }
    return d;
}

// One entry of the master block: a table that refers to this one.
RILinkDescriptor ParseMasterLink(const ValBytes& v, std::size_t off, const std::vector<std::uint16_t>& keys) {
    v.need(off, kMasterEntrySize, "dependent entry");
    RILinkDescriptor d{};
    copyFixedText(d.name, v.fixed(off, 64));
    d.kind = std::uint32_t(LinkKind::Master);
    copyFixedText(d.otherTable, v.fixed(off + 0x40, 82));
    // The dependent's own .VAL holds the authoritative rule; this copy is 1 for cascading
    // single-field links and was seen 0 on a cascading composite link.
    d.updateRule = v.u16(off + 0x106) == 1 ? std::uint32_t(LinkRule::Cascade) : std::uint32_t(LinkRule::Restrict);
    d.deleteRule = std::uint32_t(LinkRule::Restrict);
    std::uint16_t count = 0;
    while (count < kMaxKeyFields && v.u16(off + 0x10A + 2u * count) != 0) ++count;
    if (count < 1 || count > keys.size()) v.corrupt("dependent field count");
    d.fieldCount = count;
    for (std::uint16_t i = 0; i < count; ++i) {
        d.thisFields[i] = keys[i];
        d.otherFields[i] = v.u16(off + 0x10A + 2u * i);
    }
    return d;
}

// The section must fill the space up to the footer exactly (as in every file Paradox wrote): a
// file whose entries have another size is refused rather than read at the wrong offsets.
void ParseLinks(const ValBytes& v, std::size_t off, std::size_t end, ValContents& out) {
    const std::uint16_t dependents = v.u16(off);
    std::size_t pos = off + 2;
    if (dependents > (end - pos) / kDependentEntrySize) v.corrupt("link count");
    for (std::uint16_t i = 0; i < dependents; ++i, pos += kDependentEntrySize)
        out.links.push_back(ParseDependentLink(v, pos, out));
    if (pos + 2 > end) v.corrupt("link section ends without its master-block word");
    if (v.u16(pos) == 0) {  // no master block
        if (pos + 2 != end) v.corrupt("link entries do not fill the link section");
        return;
    }
    if (v.u16(pos) != 1) v.corrupt("master block marker");
    const std::size_t block = pos;
    const std::uint16_t keyCount = v.u16(block + 0x96);
    if (keyCount < 1 || keyCount > kMaxKeyFields) v.corrupt("master key count");
    for (std::uint16_t i = 0; i < keyCount; ++i) {
        std::uint16_t k = v.u16(block + 0x98 + 2u * i);
        if (k < 1 || k > out.fields.size()) v.corrupt("master key field");
        out.masterKeyFields.push_back(k);
    }
    const std::uint16_t count = v.u16(block + 0xB8);
    pos = block + 0xBA;
    if (pos > end || count > (end - pos) / kMasterEntrySize) v.corrupt("dependent count");
    for (std::uint16_t i = 0; i < count; ++i, pos += kMasterEntrySize)
        out.links.push_back(ParseMasterLink(v, pos, out.masterKeyFields));
    if (pos != end) v.corrupt("link entries do not fill the link section");
}

}  // namespace

std::uint8_t ValVersionForTable(std::uint8_t dbVersion) {
    if (dbVersion >= 12) return kValVersionLevel7;
    return dbVersion >= 10 ? kValVersionLevel5 : kValVersionLevel4;
}

std::size_t ValFooterPathSize(std::uint8_t valVersion) { return valVersion >= kValVersionLevel7 ? 261 : 79; }

ValContents ParseValFile(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
    ValBytes v(bytes, fileName);
    v.need(0, kChecksStart, "header");
    ValContents out;
    out.changeStamp = v.u8(0);
    out.version = v.u8(1);
    if (out.version != kValVersionLevel4 && out.version != kValVersionLevel5 && out.version != kValVersionLevel7)
        v.corrupt("unsupported .VAL version " + std::to_string(out.version));
    const std::uint8_t checkCount = v.u8(2);
    const std::uint32_t footer = v.u32(0x09);
    const std::uint32_t links = v.u32(0x0D);
    if (footer < kChecksStart || footer >= bytes.size()) v.corrupt("footer offset");
    if (links != 0 && (links < kChecksStart || links >= footer)) v.corrupt("link section offset");
    ParseFooter(v, footer, out);

    const std::size_t checksEnd = links ? links : footer;
    std::size_t pos = kChecksStart;
    out.checks.resize(checkCount);
    for (auto& d : out.checks) {
        pos = ParseCheck(v, pos, out, d);
        if (pos > checksEnd) v.corrupt("checks overrun the next section");
    }
    if (pos != checksEnd) v.corrupt("checks do not fill their section");
    if (links) ParseLinks(v, links, footer, out);
    for (std::size_t i = 0; i < out.links.size(); ++i) out.links[i].linkNumber = std::uint16_t(i + 1);
    return out;
}

std::optional<ValContents> ReadValFile(const std::string& dir, const std::string& tableName) {
    const std::string base = TableBaseName(tableName);
    auto valName = FindFileNoCase(dir, base + ".VAL");
    if (!valName) return std::nullopt;
    const std::string path = PathInDir(dir, *valName);
    const vortab::WholeFile file = vortab::ReadWholeFile(path, kMaxValSize);
    if (file.error == vortab::FileReadError::TooLarge) throw EngineError(err::kValFileCorrupt, path + ": unreasonable size");
    if (!file.ok()) throw EngineError(err::kValFileCorrupt, path + ": " + std::strerror(file.errorNumber));
    ValContents out = ParseValFile(std::vector<std::uint8_t>(file.bytes.begin(), file.bytes.end()), path);

    if (auto db = FindFileNoCase(dir, base + ".DB")) {
        std::vector<std::uint8_t> head(0x2F, 0);
        int dfd = disk::Open(PathInDir(dir, *db), O_RDONLY);
        if (dfd >= 0) {
            ssize_t n = ::pread(dfd, head.data(), head.size(), 0);
            disk::Close(dfd);
            if (n == ssize_t(head.size())) out.stale = head[0x2E] != out.changeStamp;
        }
    }
    return out;
}

}  // namespace paradox
