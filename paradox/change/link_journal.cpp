// The links journal on disk: ".vortab-links" (the journal, replaced by rename from
// ".vortab-links.tmp") and ".vortab-links.own" (its owner holds an F_OFD_SETLK write lock on it).
#include "paradox/change/link_journal.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "paradox/storage/crc32.h"
#include "paradox/storage/disk.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/fault_injection.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_family.h"
#include "shared/text/whole_file.h"

namespace paradox {
namespace {

constexpr const char* kMagic = "VORTAB-LINKS-JOURNAL 1";
constexpr const char* kTempName = ".vortab-links.tmp";
constexpr std::size_t kMaxJournalBytes = 1 << 22;

// Names may hold any byte but the separators: '%', tab, CR and LF are written as %XX.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

bool Unescaped(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
            return false;
        out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return true;
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = line.find(separator, start);
        parts.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool Number(const std::string& text, unsigned long max, unsigned long& out) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::stoul(text);
    return out <= max;
}

// Field-number arrays of the packed descriptor are copied, never referenced: they are not aligned.
using FieldNumbers = std::array<std::uint16_t, kMaxKeyFields>;

std::string FieldList(const void* packed, std::uint16_t count) {
    FieldNumbers fields{};
    std::memcpy(fields.data(), packed, sizeof fields);
    std::string text;
    for (std::uint16_t i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(fields[i]);
    return text;
}

bool ReadFieldList(const std::string& text, std::uint16_t count, void* packed) {
    const std::vector<std::string> parts = count == 0 ? std::vector<std::string>{} : Split(text, ',');
    if (parts.size() != count || (count == 0 && !text.empty())) return false;
    FieldNumbers fields{};
    for (std::uint16_t i = 0; i < count; ++i) {
        unsigned long n = 0;
        if (!Number(parts[i], 0xFFFF, n)) return false;
        fields[i] = static_cast<std::uint16_t>(n);
    }
    std::memcpy(packed, fields.data(), sizeof fields);
    return true;
}

bool CopyName(const std::string& escaped, char* target, std::size_t size) {
    std::string name;
    if (!Unescaped(escaped, name) || name.size() >= size || name.find('\0') != std::string::npos) return false;
    std::memset(target, 0, size);
    std::memcpy(target, name.data(), name.size());
    return true;
}

// "L <dropped> <number> <name> <kind> <other table> <update> <delete> <count> <fields> <other fields>"
std::string LinkLine(const JournalLink& entry) {
    const RILinkDescriptor& l = entry.link;
    const std::uint16_t fieldCount = l.fieldCount;
    const std::uint16_t count = std::min<std::uint16_t>(fieldCount, kMaxKeyFields);
    const std::string name(l.name, strnlen(l.name, sizeof l.name));
    const std::string other(l.otherTable, strnlen(l.otherTable, sizeof l.otherTable));
    return "L\t" + std::to_string(entry.dropped ? 1 : 0) + "\t" + std::to_string(l.linkNumber) + "\t" +
           Escaped(name) + "\t" + std::to_string(l.kind) + "\t" + Escaped(other) + "\t" +
           std::to_string(l.updateRule) + "\t" + std::to_string(l.deleteRule) + "\t" + std::to_string(count) +
           "\t" + FieldList(l.thisFields, count) + "\t" + FieldList(l.otherFields, count) + "\n";
}

bool ReadLinkLine(const std::vector<std::string>& p, JournalLink& out) {
    if (p.size() != 12 || p[0] != "L" || (p[1] != "0" && p[1] != "1")) return false;
    out = JournalLink{};
    out.dropped = p[1] == "1";
    RILinkDescriptor& l = out.link;
    unsigned long number = 0, kind = 0, update = 0, del = 0, count = 0;
    if (!Number(p[2], 0xFFFF, number) || !Number(p[4], 1, kind) || !Number(p[6], 1, update) ||
        !Number(p[7], 1, del) || !Number(p[8], kMaxKeyFields, count))
        return false;
    l.linkNumber = static_cast<std::uint16_t>(number);
    l.kind = static_cast<std::uint32_t>(kind);
    l.updateRule = static_cast<std::uint32_t>(update);
    l.deleteRule = static_cast<std::uint32_t>(del);
    l.fieldCount = static_cast<std::uint16_t>(count);
    return CopyName(p[3], l.name, sizeof l.name) && CopyName(p[5], l.otherTable, sizeof l.otherTable) &&
           ReadFieldList(p[9], l.fieldCount, l.thisFields) && ReadFieldList(p[10], l.fieldCount, l.otherFields) &&
           p[11].empty();
}

std::string TagText(std::uint32_t tag) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", tag);
    return text;
}

std::string CrcLine(const std::string& body) {
    return "CRC " + TagText(Crc32(body.data(), body.size())) + "\n";
}

std::string PathIn(const std::string& dir, const char* name) { return JoinPath(dir, name); }

// The journal's bytes: false when there is none; empty bytes (damaged) when unreadable or too big.
bool ReadWhole(const std::string& path, std::string& out) {
    vortab::WholeFile journal = vortab::ReadWholeFile(path, kMaxJournalBytes);
    if (journal.error == vortab::FileReadError::CannotOpen) return false;
    out = std::move(journal.bytes);
    return true;
}

bool LockOwnerFile(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// True when fd is the file now at path (not one a concurrent clean-up removed meanwhile).
bool IsFileAt(int fd, const std::string& path) {
    struct stat a {}, b {};
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_ino == b.st_ino && a.st_dev == b.st_dev;
}

// Whether a live process holds the owner lock: a query that takes no lock and writes nothing.
bool OwnerAlive(const std::string& dir) {
    const int fd = disk::Open(PathIn(dir, kLinkJournalOwnerName), O_RDONLY);
    if (fd < 0) return false;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    const bool alive = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    disk::Close(fd);
    return alive;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string EncodeLinkJournal(const LinkJournal& journal) {
    std::string body = std::string(kMagic) + "\nC\t" + Escaped(journal.changedTable) + "\n" +
                       std::to_string(journal.tables.size()) + "\n";
    for (const JournalTable& t : journal.tables) {
        body += "T\t" + Escaped(t.table) + "\t" + TagText(t.tag) + "\t" + std::to_string(t.links.size()) + "\n";
        for (const JournalLink& link : t.links) body += LinkLine(link);
    }
    return body + CrcLine(body);
}

bool DecodeLinkJournal(const std::string& bytes, LinkJournal& out) {
    out = LinkJournal{};
    const std::size_t crcAt = bytes.rfind("CRC ");
    if (crcAt == std::string::npos || bytes.size() != crcAt + 13 || bytes.compare(crcAt, 13, CrcLine(bytes.substr(0, crcAt))) != 0)
        return false;
    std::vector<std::string> lines = Split(bytes.substr(0, crcAt), '\n');
    if (lines.size() < 4 || !lines.back().empty() || lines[0] != kMagic) return false;
    lines.pop_back();
    const std::vector<std::string> changed = Split(lines[1], '\t');
    unsigned long tables = 0;
    if (changed.size() != 2 || changed[0] != "C" || !Unescaped(changed[1], out.changedTable) ||
        !Number(lines[2], 0xFFFF, tables))
        return false;
    std::size_t at = 3;
    for (unsigned long t = 0; t < tables; ++t) {
        if (at >= lines.size()) return false;
        const std::vector<std::string> p = Split(lines[at++], '\t');
        JournalTable table;
        unsigned long links = 0;
        if (p.size() != 4 || p[0] != "T" || !Unescaped(p[1], table.table) || table.table.empty() || p[2].size() != 8 ||
            p[2].find_first_not_of("0123456789abcdef") != std::string::npos || !Number(p[3], 0xFFFF, links))
            return false;
        table.tag = static_cast<std::uint32_t>(std::stoul(p[2], nullptr, 16));
        for (unsigned long l = 0; l < links; ++l) {
            if (at >= lines.size()) return false;
            JournalLink link;
            if (!ReadLinkLine(Split(lines[at++] + "\t", '\t'), link)) return false;
            table.links.push_back(link);
        }
        out.tables.push_back(std::move(table));
    }
    return at == lines.size();
}

bool LinkJournalPresent(const std::string& dir) {
    return Exists(PathIn(dir, kLinkJournalName)) || Exists(PathIn(dir, kLinkJournalOwnerName));
}

LinkJournalState InspectLinkJournal(const std::string& dir) {
    if (!Exists(PathIn(dir, kLinkJournalName))) return LinkJournalState::None;
    if (OwnerAlive(dir)) return LinkJournalState::Live;
    std::string bytes;
    LinkJournal journal;
    if (!ReadWhole(PathIn(dir, kLinkJournalName), bytes)) return LinkJournalState::None;  // just finished
    return DecodeLinkJournal(bytes, journal) ? LinkJournalState::Left : LinkJournalState::Damaged;
}

bool PeekLinkJournal(const std::string& dir, LinkJournal& out) {
    std::string bytes;
    return ReadWhole(PathIn(dir, kLinkJournalName), bytes) && DecodeLinkJournal(bytes, out);
}

std::string LinkJournalWarning(const std::string& dir, LinkJournalState state) {
    const std::string path = PathIn(dir, kLinkJournalName);
    if (state == LinkJournalState::Left)
        return "links of dependent tables are suspended by an interrupted change (" + path +
               "); the next apply restores them";
    if (state == LinkJournalState::Damaged)
        return "the journal of suspended links " + path + " is damaged; links of dependent tables may be missing";
    return {};
}

std::unique_ptr<LinkJournalOwner> LinkJournalOwner::TryAcquire(const std::string& dir) {
    const std::string path = PathIn(dir, kLinkJournalOwnerName);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = disk::Open(path, O_RDWR | O_CREAT);
        if (fd < 0) throw EngineError(errno == EACCES || errno == EROFS ? err::kReadOnlyDir : err::kWriteErr,
                                      path + ": " + std::strerror(errno));
        if (!LockOwnerFile(fd)) {
            disk::Close(fd);
            return nullptr;
        }
        // A previous owner may have removed the file between our open and our lock.
        if (IsFileAt(fd, path)) return std::unique_ptr<LinkJournalOwner>(new LinkJournalOwner(dir, fd));
        disk::Close(fd);
    }
    throw EngineError(err::kDirBusy, dir);
}

LinkJournalOwner::~LinkJournalOwner() {
    if (fd_ >= 0) disk::Close(fd_);
}

bool LinkJournalOwner::read(LinkJournal& out) const {
    std::string bytes;
    const std::string path = PathIn(dir_, kLinkJournalName);
    if (!ReadWhole(path, bytes)) return false;
    if (!DecodeLinkJournal(bytes, out))
        throw EngineError(err::kFileCorrupt, path + ": damaged journal of suspended links (left as it is)");
    return true;
}

void LinkJournalOwner::write(const LinkJournal& journal) {
    const std::string temp = PathIn(dir_, kTempName), path = PathIn(dir_, kLinkJournalName);
    disk::Unlink(temp);  // a torn one of an owner that died
    {
        const std::string bytes = EncodeLinkJournal(journal);
        File file = File::create(temp);
        fault::FaultPoint("links journal: write");
        file.writeAt(0, bytes.data(), bytes.size());
        file.sync();
    }
    fault::FaultPoint("links journal: in place");
    if (disk::Rename(temp, path) != 0)
        throw EngineError(err::kWriteErr, path + ": " + std::strerror(errno));
    SyncDirectoryOf(path);
}

void LinkJournalOwner::remove() {
    // The journal goes first and the owner file last, while the lock is still held: no other
    // process can take the ownership in between and see (or write) a journal that is going. A
    // stop between the two leaves an owner file without a journal, which a replay removes.
    const std::string path = PathIn(dir_, kLinkJournalName);
    disk::Unlink(PathIn(dir_, kTempName));
    if (disk::Unlink(path) != 0 && errno != ENOENT)
        throw EngineError(err::kFileDeleteFail, path + ": " + std::strerror(errno));
    SyncDirectoryOf(path);
    fault::FaultPoint("links journal: remove");
    disk::Unlink(PathIn(dir_, kLinkJournalOwnerName));
    SyncDirectoryOf(path);
}

}  // namespace paradox
