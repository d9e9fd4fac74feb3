// Tables, their records and their structure through the face.
#include "paradox/api/table.h"

#include <filesystem>

#include "paradox/api/engine_call_internal.h"
#include "paradox/api/interface_records.h"
#include "paradox/api/table_internal.h"
#include "paradox/table/table_writer.h"

namespace paradox::api {

Table::Impl::Impl(paradox::Table opened)
    : table(std::move(opened)),
      properties(detail::PropertiesOf(table.properties())),
      fields(detail::FieldsOf(table)),
      directory(std::filesystem::path(table.path()).parent_path().string()) {}

Table::Table(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
Table::~Table() = default;
Table::Table(const Table&) = default;
Table& Table::operator=(const Table&) = default;
Table::Table(Table&&) noexcept = default;
Table& Table::operator=(Table&&) noexcept = default;

Table Table::Open(const std::string& dir, const std::string& name, const OpenOptions& options) {
    return detail::Call(
        [&] { return Table(std::make_shared<Impl>(paradox::Table::open(dir, name, detail::EngineOptions(options)))); });
}

const TableProperties& Table::properties() const { return impl_->properties; }
const std::vector<Field>& Table::fields() const { return impl_->fields; }
std::string Table::path() const { return impl_->table.path(); }
std::string Table::directory() const { return impl_->directory; }

const paradox::TableCompanions& Table::Impl::companions() {
    if (!companions_) companions_ = paradox::ReadTableCompanions(directory, properties.name, table.schema());
    return *companions_;
}

std::vector<Index> Table::indexes() const {
    return detail::Call([&] {
        std::vector<Index> indexes;
        for (const paradox::IndexDescriptor& d : impl_->companions().indexes) indexes.push_back(records::IndexOf(d));
        return indexes;
    });
}

std::optional<ValidityFile> Table::validity() const {
    return detail::Call([&]() -> std::optional<ValidityFile> {
        const std::optional<paradox::ValContents>& val = impl_->companions().val;
        if (!val) return std::nullopt;
        ValidityFile file;
        for (const paradox::ValidityCheckDescriptor& c : val->checks) file.checks.push_back(records::CheckOf(c));
        for (const paradox::RILinkDescriptor& l : val->links) file.links.push_back(records::LinkOf(l));
        file.stale = val->stale;
        return file;
    });
}

std::vector<std::string> Table::warnings() const {
    return detail::Call([&] { return impl_->companions().warnings; });
}

struct PARADOX_HIDDEN RecordReader::Impl {
    paradox::RecordReader reader;
    // Per field, what a view of a BCD text or a blob looks at until the cursor moves.
    std::vector<std::string> held;
    std::vector<paradox::ValueView> engineViews;  // reused by views()
};

RecordReader::RecordReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RecordReader::~RecordReader() = default;
RecordReader::RecordReader(RecordReader&&) noexcept = default;
RecordReader& RecordReader::operator=(RecordReader&&) noexcept = default;

RecordReader Table::records() const {
    return detail::Call([&] {
        return RecordReader(std::make_unique<RecordReader::Impl>(
            RecordReader::Impl{impl_->table.records(), std::vector<std::string>(impl_->fields.size()), {}}));
    });
}

bool RecordReader::next() {
    return detail::Call([&] { return impl_->reader.next(); });
}

Value RecordReader::value(int field) const {
    return detail::Call([&] { return detail::ValueOf(impl_->reader.record().value(field)); });
}

ValueView RecordReader::view(int field) const {
    return detail::Call([&] {
        std::vector<std::string>& held = impl_->held;
        std::string outside;  // a field index outside the record fails before it is used
        const auto i = static_cast<std::size_t>(field);
        return detail::ViewOf(impl_->reader.record().view(field, i < held.size() ? held[i] : outside));
    });
}

void RecordReader::views(const std::vector<int>& fields, std::vector<ValueView>& out) const {
    detail::Call([&] {
        impl_->reader.record().views(fields, impl_->engineViews, impl_->held);
        out.resize(fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i) out[i] = detail::ViewOf(impl_->engineViews[i]);
    });
}

std::vector<Value> RecordReader::values() const {
    return detail::Call([&] {
        std::vector<Value> values;
        for (const paradox::Value& v : impl_->reader.values()) values.push_back(detail::ValueOf(v));
        return values;
    });
}

struct PARADOX_HIDDEN RecordWriter::Impl {
    paradox::TableWriter writer;
};

RecordWriter::RecordWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RecordWriter::~RecordWriter() = default;
RecordWriter::RecordWriter(RecordWriter&&) noexcept = default;
RecordWriter& RecordWriter::operator=(RecordWriter&&) noexcept = default;

RecordWriter RecordWriter::Open(const std::string& dir, const std::string& name, const OpenOptions& options) {
    return detail::Call([&] {
        return RecordWriter(
            std::make_unique<Impl>(Impl{paradox::TableWriter::open(dir, name, detail::EngineOptions(options))}));
    });
}

void RecordWriter::insert(const std::vector<Value>& record) {
    std::vector<paradox::Value> values;
    values.reserve(record.size());
    for (const Value& v : record) values.push_back(detail::EngineValue(v));
    detail::Call([&] { impl_->writer.insert(values); });
}

void RecordWriter::commit() {
    detail::Call([&] { impl_->writer.commit(); });
}

std::uint32_t PasswordChecksum(std::string_view password) { return paradox::PasswordChecksum(password); }

}  // namespace paradox::api
