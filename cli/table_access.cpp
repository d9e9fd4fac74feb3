// Password options, engine error reports and name clean-up for the table commands.
#include "cli/table_access.h"

#include <iostream>
#include <string>

#include "cli/terminal_prompt.h"
#include "editor/dbinfo/structure_model.h"
#include "editor/runner/database_directory.h"
#include "editor/runner/script_lines.h"
#include "paradox/api/database.h"
#include "shared/text/code_pages.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {
namespace {

std::uint16_t chosenCodePage = 0;  // 0: each table's own

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

}  // namespace

paradox::api::OpenOptions TakeOpenOptions(Arguments& args) {
    paradox::api::OpenOptions options;
    std::string password;
    while (TakeOption(args, "--password", password)) options.passwords.push_back(PasswordTo1252(password));
    std::string file;
    while (TakeOption(args, "--password-file", file)) {
        for (std::string& line : SplitLines(ReadFileBytes(file)))
            if (!line.empty()) options.passwords.push_back(PasswordTo1252(line));
    }
    options.askPassword = TerminalPasswordPrompt();
    return options;
}

// A password that is not UTF-8 was typed in a Windows-1252 terminal: its bytes are kept.
std::string PasswordTo1252(const std::string& text) { return IsValidUtf8(text) ? Utf8ToCp1252(text) : text; }

int ReportEngineError(const std::string& command, const paradox::api::EngineError& error, const std::string& subject) {
    std::cerr << "vortab " << command << ": " << (subject.empty() ? "" : NameToUtf8(subject) + ": ") << error.code() << " " << NameToUtf8(error.what()) << "\n";
    return 1;
}

std::string NameToUtf8(const std::string& name) { return IsValidUtf8(name) ? name : Cp1252ToUtf8(name); }

std::string TableNameIn(const std::string& dir, const std::string& argument) {
    const std::string name = IsValidUtf8(argument) ? Utf8ToCp1252(argument) : argument;
    if (name == argument) return name;
    try {
        if (paradox::api::ListTables(dir, name).empty() && !paradox::api::ListTables(dir, argument).empty()) return argument;
    } catch (const paradox::api::EngineError&) {
        // An unreadable directory is reported when the table is opened.
    }
    return name;
}

std::uint16_t TextCodePage(const paradox::api::TableProperties& properties) {
    if (chosenCodePage != 0) return chosenCodePage;
    if (properties.codePage != 0) return properties.codePage;
    return paradox::api::LanguageDriverCodePage(properties.languageDriver);
}

std::string TableTextToUtf8(const std::string& text) {
    return IsValidUtf8(text) ? text : TextDecoder(TextCodePage({})).toUtf8(text);
}

bool TakeTextCodePage(Arguments& args, const std::string& command) {
    std::string given;
    if (!TakeOption(args, "--code-page", given)) return true;
    std::size_t used = 0;
    unsigned long page = 0;
    try {
        page = std::stoul(given, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == given.size() && page <= 0xFFFF && IsKnownCodePage(static_cast<std::uint16_t>(page))) {
        chosenCodePage = static_cast<std::uint16_t>(page);
        return true;
    }
    std::cerr << "vortab " << command << ": unknown code page '" << given << "'; known pages:";
    for (const std::uint16_t known : KnownCodePages()) std::cerr << " " << known;
    std::cerr << "\n";
    return false;
}

std::string TableTitle(const std::string& fileName) { return paradox::api::TableBaseName(paradox::api::FileNamePart(fileName)); }

bool WarnOfSuspendedLinks(const std::string& command, const std::string& database) {
    // Resolved here: the engine session that knows the aliases is not started by every command.
    const std::string warning = dbinfo::SuspendedLinksWarning(vortab::DatabaseDirectory(database));
    if (!warning.empty()) std::cerr << "vortab " << command << ": " << NameToUtf8(warning) << "\n";
    return !warning.empty();
}

}  // namespace vortab::cli
