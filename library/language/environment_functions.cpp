#include "library/language/environment_functions.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>

#include "library/commands/database_context.h"
#include "library/engine/engine.h"
#include "library/language/errors.h"
#include "library/language/integer_conversion.h"
#include "library/language/registry_files.h"

namespace vortab {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string WinePrefix() {
    const std::string prefix = Environment("WINEPREFIX");
    if (!prefix.empty()) return prefix;
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.wine";
}

// A variable's directory, else the Wine prefix's, else the fallback.
std::string SystemDirectory(const char* variable, const char* wineDirectory, const char* fallback) {
    const std::string set = Environment(variable);
    if (!set.empty()) return set;
    const std::string prefix = WinePrefix();
    if (!prefix.empty() && IsDirectory(prefix + wineDirectory)) return prefix + wineDirectory;
    return fallback;
}

// A file name cut to its directory: the root keeps its "/".
std::string DirectoryOfFile(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return {};
    if (slash == 0 || file[slash - 1] == '/') return file.substr(0, slash + 1);
    return file.substr(0, slash);
}

std::string ExecutableDirectory() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) throw EExecution("the program's file name cannot be obtained");
    return DirectoryOfFile(std::string(buffer, static_cast<std::size_t>(n)));
}

std::string LibraryDirectory() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DirectoryHandler), &info) == 0 || !info.dli_fname)
        throw EExecution("the library's file name cannot be obtained");
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::weakly_canonical(info.dli_fname, ec);
    if (ec) throw EExecution("the library's file name cannot be obtained");
    return DirectoryOfFile(full.string());
}

std::string NamedDirectory(const std::string& name, const Value* args) {
    if (name == "DIR_EXE") return ExecutableDirectory();
    if (name == "DIR_DLL") return LibraryDirectory();
    if (name == "DIR_TMP") {
        const std::string tmp = Environment("TMPDIR");
        return tmp.empty() ? "/tmp" : tmp;
    }
    if (name == "DIR_SYS") return SystemDirectory("VORTAB_SYSDIR", "/drive_c/windows/system32", "/usr/lib");
    if (name == "DIR_WIN") return SystemDirectory("VORTAB_WINDIR", "/drive_c/windows", "/etc");
    if (name == "DIR_CURRDB") return ThreadDatabaseContext().directory;
    return ResolveDatabaseDirectory(args[1].toText());  // DIR_DB
}

std::optional<std::string> ProfileText(const Value* args) {
    const std::string file = args[0].toText();
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    return engine::IniFile::Load(file).value(args[1].toText(), args[2].toText()).value_or("");
}

// The registry root value as its hive's name; empty for a root that has no export files.
std::string HiveName(const Value& root) {
    const auto handle = static_cast<std::uint32_t>(RoundToInt32(root.toNumber()));
    switch (handle) {
    case 0x80000000u: return "HKEY_CLASSES_ROOT";
    case 0x80000001u: return "HKEY_CURRENT_USER";
    case 0x80000002u: return "HKEY_LOCAL_MACHINE";
    case 0x80000003u: return "HKEY_USERS";
    case 0x80000005u: return "HKEY_CURRENT_CONFIG";
    default: return {};
    }
}

// "/" written as "\", one trailing separator and the leading ones dropped.
std::string RegistryKeyPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    if (!path.empty() && path.back() == '\\') path.pop_back();
    const std::size_t start = path.find_first_not_of('\\');
    return start == std::string::npos ? std::string() : path.substr(start);
}

bool IsString(const RegistryValue& v) {
    return v.kind == RegistryKind::String || v.kind == RegistryKind::ExpandString;
}

}  // namespace

std::string DirectoryText(std::string directory, bool withSeparator) {
    if (directory.empty()) return directory;
    if (withSeparator) {
        if (directory.back() != '/') directory += '/';
    } else if (directory.size() > 1 && directory.back() == '/' &&
               directory[directory.size() - 2] != '/') {
        directory.pop_back();
    }
    return directory;
}

std::int32_t ProfileInteger(const std::string& text) {
    std::string digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        base = 16;
    } else if (!digits.empty() && digits[0] == '$') {
        digits = digits.substr(1);
        base = 16;
    }
    if (digits.empty()) return 0;
    bool negative = false;
    std::size_t i = 0;
    if (base == 10 && (digits[0] == '-' || digits[0] == '+')) negative = digits[i++] == '-';
    if (i == digits.size()) return 0;
    std::uint64_t n = 0;
    for (; i < digits.size(); ++i) {
        const char c = digits[i];
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d < 0) return 0;
        n = n * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (n > 0xFFFFFFFFull) return 0;
    }
    // Hexadecimal fills all 32 bits; decimal must fit a signed 32-bit integer.
    if (base == 16) return static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
    const std::int64_t value = negative ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(value);
}

void DirectoryHandler(const IdentifierEntry& entry, TExpression&, int, Value& result, Value* args) {
    result = Value::Text(DirectoryText(NamedDirectory(entry.name, args), args[0].toBoolean()));
}

void IniHandler(const IdentifierEntry& entry, TExpression&, int, Value& result, Value* args) {
    const std::string name = entry.name;
    const std::string text = ProfileText(args).value_or("");
    if (name == "INI_STR") result = Value::Text(text);
    else if (name == "INI_NUM") result = Value::Number(ProfileInteger(text));
    else result = Value::Boolean(ProfileInteger(text) != 0);
}

void RegistryHandler(const IdentifierEntry& entry, TExpression&, int, Value& result, Value* args) {
    const std::string name = entry.name;
    const std::string hive = HiveName(args[0]);
    std::optional<RegistryValue> value;
    if (!hive.empty()) value = LookUpRegistry(hive, RegistryKeyPath(args[1].toText()), args[2].toText());
    if (name == "REG_NUM") {
        double number = 0;
        if (value && value->kind == RegistryKind::Binary && value->bytes.size() == sizeof number)
            std::memcpy(&number, value->bytes.data(), sizeof number);
        result = Value::Number(number);
        return;
    }
    if (value && !IsString(*value)) throw EExecution("registry value is not a string");
    const std::string text = value ? value->text : std::string();
    if (name == "REG_STR") result = Value::Text(text);
    else result = Value::Boolean(ProfileInteger(text) != 0);
}

}  // namespace vortab
