#include "library/commands/table_commands.h"

#include <filesystem>

#include "library/commands/change_locks.h"
#include "library/commands/command_support.h"
#include "library/commands/command_table.h"
#include "library/commands/database_context.h"
#include "library/commands/field_commands.h"
#include "library/commands/password_commands.h"
#include "library/commands/passwords.h"
#include "library/commands/restructure_sequence.h"
#include "library/commands/table_rename.h"
#include "library/engine/engine.h"
#include "library/engine/table_engine.h"
#include "library/language/errors.h"
#include "library/language/integer_conversion.h"
#include "shared/text/case_fold.h"

namespace vortab {
namespace {

// What TBL_CREATE's option values may take, terminating zeros included.
constexpr std::size_t kCreateOptionArea = 30;

[[noreturn]] void InvalidParameter(const std::string& what) {
    throw engine::EngineError(engine::err::kInvalidParam, what);
}

bool HasHighBytes(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 128) return true;
    return false;
}

bool TableOpens(const std::string& table) {
    try {
        CommandTable opened(table, false);
        return true;
    } catch (const engine::EngineError& e) {
        if (e.code() != engine::err::kNoSuchTable) throw;
        return false;
    }
}

void CreateTable(const std::string& table, const std::string& languageDriver, int level,
                 const std::string& fieldName, const FieldSpec& spec) {
    if (level < 1) InvalidParameter("level");
    const std::string creationName = HasHighBytes(fieldName) ? "A" : fieldName;
    if (TableOpens(table)) throw EAlreadyUpdated();
    const std::string levelText = std::to_string(level);
    if (languageDriver.size() + 1 + levelText.size() + 1 > kCreateOptionArea)
        InvalidParameter("language driver name too long");

    TableRestructure create(table, ThreadDatabaseContext().driver);
    create.fields.push_back(NewFieldDescriptor(creationName, spec));
    create.options = {{"LANGDRIVER", languageDriver}, {"LEVEL", levelText}};
    WithTableLocked(table, [&] {
        EngineCreateTable(ContextDatabase().directory(), create.descriptor());
    });
    if (creationName != fieldName) ChangeField(table, creationName, fieldName, spec);
}

void DropTable(const std::string& table) {
    try {
        CommandTable opened(table, true);
        opened.Close();
        EngineDeleteTable(ContextDatabase().directory(),
                          WithDefaultExtension(table, ThreadDatabaseContext().driver));
    } catch (const engine::EngineError& e) {
        if (e.code() == engine::err::kNoSuchTable) throw EAlreadyUpdated();
        throw;
    }
}

// A number argument as its whole-number digits, a boolean as TRUE or FALSE.
std::string AttributeValueText(const Value& v) {
    if (v.kind() == ValueKind::Boolean) return v.rawBoolean() ? "TRUE" : "FALSE";
    if (v.kind() == ValueKind::Number) return std::to_string(RoundToInt32(v.rawNumber()));
    return v.toText();
}

// The value as a whole number, when it reads as one.
std::optional<long> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return std::nullopt;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return std::nullopt;
    return std::stol(text);
}

bool AttributeInForce(const engine::TableProperties& p, const std::string& attribute,
                      const std::string& value) {
    if (attribute == "STRICTINTEGRTY") return (value == "TRUE") == p.strictIntegrity;
    if (attribute == "LANGDRIVER") return SameNameNoCase(value, p.languageDriver);
    const std::optional<long> number = WholeNumber(value);
    if (!number) return false;
    if (attribute == "LEVEL") return *number == p.level;
    if (attribute == "BLOCK SIZE") return *number == long{p.blockSizeKb} * 1024;
    return false;  // FILL FACTOR is applied every time
}

void SetAttribute(const std::string& table, const std::string& attributeText,
                  const std::string& value) {
    const std::string attribute = UpperCase1252(attributeText);
    if (attribute == "PASSWORD") {
        PasswordRequest request;
        request.table = table;
        request.password = value;
        request.mode = PasswordMode::Master;
        ChangeTablePasswords(request);
        return;
    }
    if (attribute == "NAME") {
        RenameTable(table, value);
        return;
    }
    const ChangeLocks locks(table);
    std::uint32_t tag = 0;
    engine::TableProperties properties;
    {
        CommandTable opened(table, false);
        tag = opened.tag();
        properties = opened.table().properties();
    }
    if (AttributeInForce(properties, attribute, value)) throw EAlreadyUpdated();
    TableRestructure restructure(table, ThreadDatabaseContext().driver);
    restructure.options = {{attributeText, value}};
    MasterPasswordFor(tag, restructure.descriptor());
    RunRestructureSequence(restructure);
}

void BatchMove(const std::string& destination, const std::string& sourceDatabase,
               const std::string& sourceTable, const std::string& mappingFile, std::uint8_t mode) {
    const std::string& driver = ThreadDatabaseContext().driver;
    BatchMoveSpec spec;
    spec.sourceDir = ResolveDatabaseDirectory(sourceDatabase);
    spec.sourceTable = WithDefaultExtension(sourceTable, driver);
    spec.destDir = ContextDatabase().directory();
    spec.destTable = WithDefaultExtension(destination, driver);
    spec.mode = mode;
    // The destination's password and driver are checked as for every command; a copy may
    // create the destination.
    std::error_code ec;
    if (mode != static_cast<std::uint8_t>(engine::BatchMode::Copy) ||
        std::filesystem::exists(ContextDatabase().tablePath(spec.destTable), ec))
        CommandTable(destination, false).Close();
    if (!mappingFile.empty()) {
        if (!std::filesystem::is_regular_file(mappingFile, ec)) InvalidParameter("mapping file");
        spec.mappings = engine::ReadMappingFile(mappingFile);
    }
    EngineBatchMove(spec);
}

}  // namespace

void CreateTableHandler(const IdentifierEntry&, TExpression&, int, Value& result, Value* args) {
    RunCommand(result, [&] {
        const FieldSpec spec{Int16Argument(args[4]), Int16Argument(args[5]),
                             Int16Argument(args[6]), Int16Argument(args[7])};
        CreateTable(TextArgument(args[0]), TextArgument(args[1]), RoundToInt32(args[2].toNumber()),
                    TextArgument(args[3]), spec);
    });
}

void DropTableHandler(const IdentifierEntry&, TExpression&, int, Value& result, Value* args) {
    RunCommand(result, [&] { DropTable(TextArgument(args[0])); });
}

void SetAttributeHandler(const IdentifierEntry&, TExpression&, int, Value& result, Value* args) {
    RunCommand(result, [&] {
        SetAttribute(TextArgument(args[0]), TextArgument(args[1]), AttributeValueText(args[2]));
    });
}

void BatchMoveHandler(const IdentifierEntry&, TExpression&, int, Value& result, Value* args) {
    RunCommand(result, [&] {
        const auto mode = static_cast<std::uint8_t>(RoundToInt32(args[5].toNumber()) & 0xFF);
        BatchMove(TextArgument(args[0]), TextArgument(args[1]), TextArgument(args[2]),
                  TextArgument(args[3]), mode);
    });
}

void ExistsTableHandler(const IdentifierEntry&, TExpression&, int, Value& result, Value* args) {
    const std::string name =
        WithDefaultExtension(TextArgument(args[0]), ThreadDatabaseContext().driver);
    result = Value::Boolean(!ContextDatabase().listTables(name).empty());
}

}  // namespace vortab
