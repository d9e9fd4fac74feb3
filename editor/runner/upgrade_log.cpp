#include "editor/runner/upgrade_log.h"

#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <charconv>
#include <system_error>

#include "editor/runner/script_lines.h"
#include "shared/text/cp1252.h"
#include "shared/text/whole_file.h"

namespace vortab {
namespace {

// The user's time locale, read from the environment once; the host's global locale stays as
// it is. Falls back to the "C" formats.
locale_t TimeLocale() {
    static const locale_t handle = [] {
        locale_t l = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", nullptr);
        return l ? l : newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "C", nullptr);
    }();
    return handle;
}

std::string FormatTime(std::time_t when) {
    const locale_t locale = TimeLocale();
    std::tm parts{};
    localtime_r(&when, &parts);
    std::string format = "%m/%d/%y %H:%M:%S";
    if (locale) format = std::string(nl_langinfo_l(D_FMT, locale)) + " " + nl_langinfo_l(T_FMT, locale);
    // Logs outlive decades: the year is written with all its digits.
    for (std::size_t at = format.find("%y"); at != std::string::npos; at = format.find("%y", at)) format[at + 1] = 'Y';
    char text[128];
    const std::size_t n = locale ? strftime_l(text, sizeof text, format.c_str(), &parts, locale)
                                 : std::strftime(text, sizeof text, format.c_str(), &parts);
    const std::string shown(text, n);
    const bool utf8 = locale && std::string_view(nl_langinfo_l(CODESET, locale)) == "UTF-8";
    return utf8 ? Utf8ToCp1252(shown) : shown;
}

}  // namespace

std::optional<int> HeaderStep(std::string_view line) {
    if (line.empty() || line.front() != '#') return std::nullopt;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    std::string_view number = line.substr(1, space - 1);
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    int step = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), step);
    if (number.empty() || error != std::errc() || end != number.data() + number.size()) return 0;
    return step;
}

std::string FormatHeader(int step, std::string_view command, std::time_t when) {
    return "#" + std::to_string(step) + " - " + FormatTime(when) + ": " + std::string(command);
}

std::vector<LogEntry> ParseLogEntries(const std::vector<std::string>& logLines) {
    std::vector<LogEntry> entries;
    bool pending = false;
    for (const std::string& line : logLines) {
        const std::optional<int> step = HeaderStep(line);
        // A header right after a header begins the next entry: the first one's run was cut off
        // (a killed run writes no result line), and the step repeated after it must count.
        if (pending && !(step && *step > 0)) {
            entries.back().result = line;
            pending = false;
            continue;
        }
        pending = false;
        if (!step || *step == 0) continue;
        // The command follows the first ": " after the date and time.
        const std::size_t dash = line.find(" - ");
        const std::size_t colon = dash == std::string::npos ? std::string::npos : line.find(": ", dash + 3);
        entries.push_back({*step, colon == std::string::npos ? std::string() : line.substr(colon + 2), std::nullopt});
        pending = true;
    }
    return entries;
}

int AppliedStepOf(const std::vector<std::string>& logLines) {
    int applied = 0;
    for (const LogEntry& entry : ParseLogEntries(logLines))
        if (entry.result && entry.result->rfind("Success", 0) == 0 && entry.step > applied) applied = entry.step;
    return applied;
}

std::vector<std::string> ReadLogLines(const std::string& path) {
    const WholeFile log = ReadWholeFile(path, kNoSizeLimit, FileKinds::StreamsToo);
    if (log.error == FileReadError::CannotOpen && log.errorNumber == ENOENT) return {};
    if (!log.ok()) throw std::system_error(log.errorNumber, std::generic_category(), "cannot read the log " + path);
    return SplitLines(log.bytes);
}

int ReadAppliedStep(const std::string& path) {
    if (path.empty()) return 0;
    return AppliedStepOf(ReadLogLines(path));
}

}  // namespace vortab
