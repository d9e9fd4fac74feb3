// Opening a table (find, header check, password) and reading its properties and descriptors.
#include "paradox/table/table.h"

#include <algorithm>
#include <cstring>

#include "paradox/format/byte_order.h"
#include "paradox/format/crypto.h"
#include "paradox/format/field_mapping.h"
#include "paradox/format/language_driver.h"
#include "paradox/session/aux_password.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/table_family.h"
#include "paradox/storage/table_list.h"
#include "paradox/table/table_state.h"

namespace paradox {

uint32_t TableState::blocksInFile() const {
    const uint64_t bs = header.blockSize();
    if (fileSize <= header.headerSize) return 0;
    return static_cast<uint32_t>((fileSize - header.headerSize + bs - 1) / bs);
}

const BlobReader& TableState::blobs() const {
    std::lock_guard<std::mutex> lock(blobMutex_);
    if (!blobReader_) {
        auto path = FindTableFile(dir, base, "MB");
        if (!path) throw EngineError(err::kBlobFileMissing, JoinPath(dir, base + ".MB"));
        blobReader_ = std::make_unique<BlobReader>(File::openRead(*path), checksum);
    }
    return *blobReader_;
}

Value TableState::blobValue(const Field& f, const uint8_t* record) const {
    const BlobRef ref = DecodeBlobRef(f, record);
    if (ref.length == 0) return Value::null();
    std::string stored;
    if (ref.ref == 0) {
        if (ref.length > f.leader()) throw EngineError(err::kFileCorrupt, dbPath + ": blob pointer missing");
        stored.assign(reinterpret_cast<const char*>(record + f.offset), ref.length);
    } else {
        stored = blobs().read(ref);
    }
    stored = StripBlobPrefix(f.type, std::move(stored));
    if (f.type == PxType::Memo || f.type == PxType::FmtMemo) return Value::text(stored);
    return Value::bytes(stored);
}

uint32_t ReadDataBlock(const File& f, const DbHeader& h, uint64_t fileSize, uint32_t checksum, uint32_t number,
                       uint8_t* buf) {
    const uint32_t bs = h.blockSize();
    const uint64_t off = uint64_t(h.headerSize) + uint64_t(number - 1) * bs;
    if (number == 0 || off + 6 > fileSize) throw EngineError(err::kFileCorrupt, f.path() + ": block outside the file");
    const uint32_t present = static_cast<uint32_t>(std::min<uint64_t>(bs, fileSize - off));
    if (!f.readAt(off, buf, present)) throw EngineError(err::kFileCorrupt, f.path() + ": block truncated");
    if (present < bs) std::memset(buf + present, 0, bs - present);
    if (checksum) DecryptDataBlock(buf, bs, checksum, number);
    return present;
}

BlockWindow::BlockWindow(const File& f, const DbHeader& h, uint64_t fileSize, uint32_t checksum, std::size_t bytes)
    : file_(f), header_(h), fileSize_(fileSize), checksum_(checksum),
      window_(std::max<std::size_t>(1, bytes / h.blockSize()) * h.blockSize()) {}

const uint8_t* BlockWindow::block(uint32_t number) {
    const uint32_t bs = header_.blockSize();
    if (first_ != 0 && number >= first_ && number < first_ + count_) return window_.data() + std::size_t(number - first_) * bs;
    const uint64_t off = uint64_t(header_.headerSize) + uint64_t(number - 1) * bs;
    if (number == 0 || off + 6 > fileSize_) throw EngineError(err::kFileCorrupt, file_.path() + ": block outside the file");
    // A whole window when the walk goes on from the last window (or starts), one block after a
    // jump: a chain that jumps about costs no more than reading block by block.
    const bool onward = first_ == 0 || number == first_ + count_;
    const uint64_t inFile = (fileSize_ - off + bs - 1) / bs;  // blocks from `number` to the end
    const uint32_t count = onward ? static_cast<uint32_t>(std::min<uint64_t>(window_.size() / bs, inFile)) : 1;
    const uint64_t present = std::min<uint64_t>(uint64_t(count) * bs, fileSize_ - off);
    first_ = count_ = 0;
    if (!file_.readAt(off, window_.data(), present)) throw EngineError(err::kFileCorrupt, file_.path() + ": block truncated");
    std::memset(window_.data() + present, 0, std::size_t(count) * bs - present);
    if (checksum_)
        for (uint32_t i = 0; i < count; ++i) DecryptDataBlock(window_.data() + std::size_t(i) * bs, bs, checksum_, number + i);
    first_ = number;
    count_ = count;
    return window_.data();
}

uint32_t RecordsInBlock(const DbHeader& h, const uint8_t* block, const std::string& path) {
    const int32_t add = GetLE16s(block + 4);
    if (add == -int32_t(h.recordSize)) return 0;
    if (add < 0 || add % h.recordSize != 0) throw EngineError(err::kFileCorrupt, path + ": invalid block record count");
    const uint32_t n = uint32_t(add) / h.recordSize + 1;
    if (n > h.recordsPerBlock()) throw EngineError(err::kFileCorrupt, path + ": too many records in a block");
    return n;
}

namespace {

// True when password is the table's master password, or an auxiliary password of it (the table
// then opens with that password's rights).
bool Unlocks(TableState& s, const std::string& password, bool auxiliary) {
    if (!auxiliary) {
        if (PasswordChecksum(password) != s.header.checksum) return false;
        s.checksum = s.header.checksum;
        return true;
    }
    const std::optional<AuxGrant> grant = CheckAuxPassword(s.dir, s.base, password);
    if (!grant || grant->masterChecksum != s.header.checksum) return false;
    s.checksum = grant->masterChecksum;
    s.tableRights = grant->tableRights;
    s.fieldRights = grant->fieldRights;
    s.openedWithAuxPassword = true;
    return true;
}

// The given passwords (a master password before any auxiliary one), then each answer of the
// callback, master or auxiliary alike; 10498 when none opens the table.
void UnlockTable(TableState& s, const OpenOptions& options) {
    if (s.header.checksum == 0) return;
    for (const bool auxiliary : {false, true})
        for (const auto& p : options.passwords)
            if (Unlocks(s, p, auxiliary)) return;
    if (options.askPassword) {
        while (auto p = options.askPassword(s.base))
            if (Unlocks(s, *p, false) || Unlocks(s, *p, true)) return;
    }
    throw EngineError(err::kNotSufficientTableRights,
                      s.dbPath.substr(s.dbPath.find_last_of('/') + 1) + ": protected, and no password given opens it");
}

TableProperties MakeProperties(const TableState& s) {
    const DbHeader& h = s.header;
    TableProperties p;
    p.name = NameFromDisk(s.base) + s.dbPath.substr(s.dbPath.find_last_of('.'));  // the table's name, not its spelling
    p.fieldCount = static_cast<uint16_t>(h.schema.fields.size());
    p.keyFields = h.schema.keyFields;
    p.indexCount = h.schema.keyFields > 0 ? 1 : 0;
    p.recordCount = h.numRecords;
    p.recordSize = h.recordSize;
    p.recordBufferSize = h.recordSize;
    p.level = static_cast<uint16_t>(LevelOfVersion(h.version));
    p.fileVersion = h.version;
    p.blockSizeKb = h.blockSizeCode;
    p.codePage = h.codePage;
    p.sortOrder = h.sortOrder;
    if (!h.sortOrderName.empty()) p.languageDriver = h.sortOrderName;
    else if (auto d = IdentifyLanguageDriver(h.sortOrder, h.codePage, {})) p.languageDriver = d->name;
    p.strictIntegrity = (h.flags & 0x02) != 0;
    p.isProtected = h.checksum != 0;
    p.auxPasswords = h.auxPasswords;
    p.restructureVersion = h.changeCount2;
    p.autoIncValue = h.schema.autoIncField() >= 0 ? h.autoInc : 0;
    p.usedBlocks = h.usedBlocks;
    p.fileBlocks = h.fileBlocks;
    p.writeProtected = h.writeProtected != 0;
    return p;
}
}  // namespace

std::shared_ptr<TableState> OpenTableState(const std::string& dir, const std::string& name, const OpenOptions& options) {
    const TableLocation loc = LocateTable(dir, name);
    // Finish or undo a replacement a crash interrupted. A rename's step is kept under the old
    // name and a link change's under the dependent, so the rest of the directory is looked at
    // too; damage there is not this table's failure.
    RecoverFamily(loc.dir, loc.base);
    RecoverDirectoryQuietly(loc.dir);
    auto path = FindTableFile(loc.dir, loc.base, "DB");
    if (!path) throw EngineError(err::kNoSuchTable, JoinPath(loc.dir, loc.base + ".DB"));
    auto s = std::make_shared<TableState>();
    s->dir = loc.dir;
    s->dbPath = *path;
    const std::string file = path->substr(path->find_last_of('/') + 1);
    s->base = file.substr(0, file.find_last_of('.'));
    s->db = File::openRead(*path);
    s->fileSize = s->db.size();
    s->header = ReadDbHeader(s->db, false);
    UnlockTable(*s, options);
    s->props = MakeProperties(*s);
    try {
        if (s->props.auxPasswords == 0) s->props.auxPasswords = AuxPasswordCount(loc.dir, s->base);
        s->props.strictIntegrity = s->props.strictIntegrity || StoredStrictIntegrity(loc.dir, s->base);
    } catch (const EngineError&) {
        // A damaged password store does not keep the master password out; it fails when used.
    }
    return s;
}

Table Table::open(const std::string& dir, const std::string& name, const OpenOptions& options) {
    return Table(OpenTableState(dir, name, options));
}

const TableProperties& Table::properties() const { return state_->props; }
const Schema& Table::schema() const { return state_->header.schema; }
std::string Table::path() const { return state_->dbPath; }

std::vector<FieldDescriptor> Table::fieldDescriptors() const {
    const auto& fields = state_->header.schema.fields;
    std::vector<FieldDescriptor> out(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) DescribeField(fields[i], static_cast<int>(i + 1), out[i]);
    // Opened with an auxiliary password: 1 read-only, 2 no access (field rights 1 and 0).
    for (std::size_t i = 0; i < fields.size() && i < state_->fieldRights.size(); ++i)
        out[i].rights = state_->fieldRights[i] == 0 ? 2 : state_->fieldRights[i] == 1 ? 1 : 0;
    return out;
}

RecordReader Table::records() const { return RecordReader(state_); }

std::vector<std::vector<Value>> Table::readAll() const {
    std::vector<std::vector<Value>> out;
    RecordReader r = records();
    while (r.next()) out.push_back(r.values());
    return out;
}

}  // namespace paradox
