// Layout of "<table>.VTS" (little-endian):
//   0  6  magic "VTSEC\x1A"      6  u8 version (1)       7  u8 flags (bit 0 strict integrity)
//   8  u16 entry count          10  u16 zero            12  u32 zero
//   16 per entry 8 bytes: u32 checksum of the auxiliary password, u32 master checksum XOR the
//      checksum of (password + "\x01"); then zeros up to a multiple of 256
//   then per entry 1280 bytes: the SecurityDescriptor, zero-padded, enciphered like .MB bytes
//      under the master key.
// Nothing in it is trusted: counts are bounded by the file size, passwords must be terminated.
#include "paradox/session/aux_password.h"

#include <cstring>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_family.h"

namespace paradox {

namespace {

constexpr char kMagic[6] = {'V', 'T', 'S', 'E', 'C', 0x1A};
constexpr std::size_t kHead = 16, kPrefix = 8, kBody = 1280;
constexpr std::size_t kMaxEntries = 255;

std::size_t PrefixArea(std::size_t n) { return (kHead + kPrefix * n + 255) / 256 * 256; }

uint32_t WrapKey(const std::string& password) { return PasswordChecksum(password + '\x01'); }

std::optional<std::vector<uint8_t>> ReadStoreBytes(const std::string& dir, const std::string& base) {
    auto path = FindTableFile(dir, base, kAuxPasswordExtension);
    if (!path) return std::nullopt;
    File f = File::openRead(*path);
    const uint64_t size = f.size();
    if (size > PrefixArea(kMaxEntries) + kMaxEntries * kBody) throw EngineError(err::kFileCorrupt, *path + ": too large");
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    if (!f.readAt(0, bytes.data(), bytes.size())) throw EngineError(err::kFileCorrupt, *path);
    return bytes;
}

uint16_t CheckedCount(const std::vector<uint8_t>& b) {
    if (b.size() < kHead || std::memcmp(b.data(), kMagic, sizeof kMagic) != 0 || b[6] != 1)
        throw EngineError(err::kFileCorrupt, "auxiliary password file header");
    const uint16_t n = GetLE16(b.data() + 8);
    if (n > kMaxEntries || b.size() != PrefixArea(n) + n * kBody)
        throw EngineError(err::kFileCorrupt, "auxiliary password file size");
    return n;
}

}  // namespace

std::vector<uint8_t> EncodeAuxStore(const AuxStore& store, uint32_t masterChecksum) {
    const std::size_t n = store.entries.size();
    if (n > kMaxEntries) throw EngineError(err::kInvalidParam, "too many auxiliary passwords");
    std::vector<uint8_t> b(PrefixArea(n) + n * kBody, 0);
    std::memcpy(b.data(), kMagic, sizeof kMagic);
    b[6] = 1;
    b[7] = store.strictIntegrity ? 1 : 0;
    PutLE16(b.data() + 8, static_cast<uint16_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        SecurityDescriptor d = store.entries[i];
        d.entryNumber = static_cast<uint16_t>(i + 1);
        const std::string pw(d.password, strnlen(d.password, sizeof d.password));
        PutLE32(b.data() + kHead + kPrefix * i, PasswordChecksum(pw));
        PutLE32(b.data() + kHead + kPrefix * i + 4, masterChecksum ^ WrapKey(pw));
        uint8_t* body = b.data() + PrefixArea(n) + kBody * i;
        std::memcpy(body, &d, sizeof d);
        if (masterChecksum) EncryptBlobBytes(body, kBody, masterChecksum);
    }
    return b;
}

AuxStore DecodeAuxStore(const std::vector<uint8_t>& b, uint32_t masterChecksum) {
    const uint16_t n = CheckedCount(b);
    AuxStore s;
    s.strictIntegrity = (b[7] & 1) != 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<uint8_t> body(b.begin() + static_cast<std::ptrdiff_t>(PrefixArea(n) + kBody * i),
                                  b.begin() + static_cast<std::ptrdiff_t>(PrefixArea(n) + kBody * (i + 1)));
        if (masterChecksum) DecryptBlobBytes(body.data(), kBody, masterChecksum);
        SecurityDescriptor d;
        std::memcpy(&d, body.data(), sizeof d);
        if (strnlen(d.password, sizeof d.password) == sizeof d.password)
            throw EngineError(err::kFileCorrupt, "auxiliary password entry (wrong master password?)");
        d.entryNumber = static_cast<uint16_t>(i + 1);
        s.entries.push_back(d);
    }
    return s;
}

AuxStore ReadAuxStore(const std::string& dir, const std::string& base, uint32_t masterChecksum) {
    auto b = ReadStoreBytes(dir, base);
    if (!b) return {};
    return DecodeAuxStore(*b, masterChecksum);
}

std::optional<AuxGrant> CheckAuxPassword(const std::string& dir, const std::string& base, const std::string& password) {
    if (password.empty()) return std::nullopt;
    auto b = ReadStoreBytes(dir, base);
    if (!b) return std::nullopt;
    const uint16_t n = CheckedCount(*b);
    const uint32_t sum = PasswordChecksum(password);
    for (std::size_t i = 0; i < n; ++i) {
        if (GetLE32(b->data() + kHead + kPrefix * i) != sum) continue;
        const uint32_t master = GetLE32(b->data() + kHead + kPrefix * i + 4) ^ WrapKey(password);
        const AuxStore store = DecodeAuxStore(*b, master);
        const SecurityDescriptor& d = store.entries[i];
        if (std::string(d.password, strnlen(d.password, sizeof d.password)) != password) continue;
        AuxGrant g;
        g.masterChecksum = master;
        g.tableRights = d.tableRights;
        g.familyRights = d.familyRights;
        g.fieldRights.assign(d.fieldRights, d.fieldRights + kMaxFieldRights);
        return g;
    }
    return std::nullopt;
}

uint16_t AuxPasswordCount(const std::string& dir, const std::string& base) {
    auto b = ReadStoreBytes(dir, base);
    return b ? CheckedCount(*b) : 0;
}

bool StoredStrictIntegrity(const std::string& dir, const std::string& base) {
    auto b = ReadStoreBytes(dir, base);
    if (!b) return false;
    CheckedCount(*b);
    return ((*b)[7] & 1) != 0;
}

}  // namespace paradox
