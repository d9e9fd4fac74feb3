// Table: an open Paradox table (.DB with its .PX and .MB) for reading: properties, field
// descriptors and a forward record cursor that streams one data block at a time.
// Opening checks the header thoroughly; every failure is an EngineError with the engine code.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/schema.h"
#include "paradox/format/value.h"

namespace paradox {

// Asked for a password when none of the candidates opens a protected table. Receives the table
// name; returns a password to try, or nullopt to give up (the open then fails with 10498).
using PasswordCallback = std::function<std::optional<std::string>(const std::string& table)>;

struct OpenOptions {
    std::vector<std::string> passwords;  // candidates, tried in order
    PasswordCallback askPassword;        // optional; asked after the candidates failed
};

struct TableProperties {
    std::string name;               // file name as found on disk, without directory
    std::string driverType = "PARADOX";
    uint16_t fieldCount = 0;
    uint16_t keyFields = 0;
    uint16_t indexCount = 0;        // 1 when keyed (the primary index); secondary ones not counted
    uint32_t recordCount = 0;
    uint16_t recordSize = 0;        // bytes per record on disk
    uint16_t recordBufferSize = 0;  // same as recordSize for Paradox tables
    uint16_t level = 0;             // 3, 4, 5 or 7
    uint8_t fileVersion = 0;        // header byte 0x39 (3..12)
    uint16_t blockSizeKb = 0;       // data block size in KB
    uint16_t codePage = 0;          // 0 when the header has none (level 3)
    uint8_t sortOrder = 0;          // header byte 0x29
    std::string languageDriver;     // short driver name ("ascii", "ANSIINTL", ...)
    bool strictIntegrity = false;   // header byte 0x55 bit 0x02: a candidate, report only
    bool isProtected = false;       // has a master password
    uint16_t auxPasswords = 0;
    uint16_t restructureVersion = 0;  // header change counter (byte 0x2E)
    uint32_t autoIncValue = 0;      // highest value given to the '+' field
    uint16_t usedBlocks = 0;
    uint16_t fileBlocks = 0;
    bool writeProtected = false;
};

class TableState;

// One record of the cursor, valid until the cursor moves. Accessors take the field index.
class RecordView {
public:
    bool isNull(int field) const;
    Value value(int field) const;  // blobs are read from the .MB here (8714 if it is missing)
    // The value without copying it: texts and bytes are views of the record; a BCD text or a
    // blob is decoded into `held` and viewed there.
    ValueView view(int field, std::string& held) const;
    // view() of each field named in `fields`, in that order, into out (resized to fit); held
    // has a slot per field of the table.
    void views(const std::vector<int>& fields, std::vector<ValueView>& out, std::vector<std::string>& held) const;
    int64_t getInt(int field) const;          // Short, Long, AutoInc, Date, Time (0 when null)
    double getDouble(int field) const;        // Number, Money, Timestamp (0 when null)
    std::string_view getText(int field) const;  // Alpha/Bytes bytes in the record, NULs trimmed
    const uint8_t* raw() const { return data_; }  // record bytes, decrypted

private:
    friend class RecordReader;
    void viewInto(int field, std::string& held, ValueView& into) const;
    const TableState* table_ = nullptr;
    const uint8_t* data_ = nullptr;
};

// Forward cursor over the records in chain order (key order for keyed tables).
class RecordReader {
public:
    explicit RecordReader(std::shared_ptr<const TableState> table);
    ~RecordReader();
    RecordReader(RecordReader&&) noexcept;
    RecordReader& operator=(RecordReader&&) noexcept;

    bool next();  // moves to the next record; false at the end
    const RecordView& record() const { return view_; }
    std::vector<Value> values() const;  // all fields of the current record

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    RecordView view_;
};

class Table {
public:
    // Opens dir/name (".DB" added when missing, name matched case-insensitively).
    // 10024 when missing, 8961/8962 when corrupt, 10498 when no password fits; each text
    // names the .DB file. Index files and the .VAL are not read (table_companions.h).
    static Table open(const std::string& dir, const std::string& name, const OpenOptions& options = {});
    // The table of a state the engine has already opened (so that every read sees one open).
    static Table over(std::shared_ptr<TableState> state) { return Table(std::move(state)); }

    const TableProperties& properties() const;
    const Schema& schema() const;
    std::vector<FieldDescriptor> fieldDescriptors() const;
    RecordReader records() const;
    std::string path() const;  // full path of the .DB

    // All records at once; for small tables and tests.
    std::vector<std::vector<Value>> readAll() const;

private:
    explicit Table(std::shared_ptr<TableState> s) : state_(std::move(s)) {}
    std::shared_ptr<TableState> state_;
};

// The 32-bit checksum Paradox stores for a master password (0 for the empty password).
uint32_t PasswordChecksum(std::string_view password);

}  // namespace paradox
