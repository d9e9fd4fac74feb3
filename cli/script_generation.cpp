// Library, passwords, progress and output of the script generating commands.
#include "cli/script_generation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/run_options.h"
#include "cli/table_access.h"
#include "cli/terminal_prompt.h"
#include "editor/runner/status_messages.h"
#include "paradox/api/engine_error.h"
#include "paradox/api/session.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {

namespace {

// A one-line bar on stderr, redrawn at each whole percent.
class TerminalProgress : public dbinfo::Progress {
public:
    void StartProgress(const std::string& caption, int total) override {
        caption_ = caption;
        total_ = total > 0 ? total : 1;
        done_ = 0;
        shown_ = -1;
        Draw();
    }
    void StepProgress() override {
        ++done_;
        Draw();
    }
    void EndProgress() override { std::fprintf(stderr, "\r\033[K"); }

private:
    void Draw() {
        const int percent = done_ * 100 / total_;
        if (percent == shown_) return;
        shown_ = percent;
        const int filled = percent * 30 / 100;
        std::fprintf(stderr, "\r%s [%s%s] %3d%%", caption_.c_str(), std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(30 - filled), '.').c_str(), percent);
    }
    std::string caption_;
    int total_ = 1, done_ = 0, shown_ = -1;
};

// Writes the file under a temporary name beside it and renames it into place, so that a full
// disk or a kill never leaves a script cut short where the previous one stood.
bool WriteInPlace(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

// A symbolic link is followed: the file it names is the one replaced.
std::string LinkTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;  // a dangling link is replaced by the file
    std::string target = real;
    std::free(real);
    return target;
}

bool ReplaceFileContents(const std::string& given, const std::string& text) {
    const std::string path = LinkTarget(given);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    // A device or pipe (-o /dev/stdout) is written as it is.
    if (exists && !S_ISREG(existing.st_mode)) return WriteInPlace(path, text);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    // A writable file in a directory that is not: written in place, as there is no other way.
    if (fd < 0) return exists && (errno == EACCES || errno == EROFS || errno == EPERM) && WriteInPlace(path, text);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const mode_t mode = exists ? existing.st_mode & 07777 : 0666 & ~mask;
    const bool ok = done == text.size() && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int saved = errno;
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        const int failure = ok ? errno : saved;
        ::unlink(temp.c_str());
        errno = failure;
        return false;
    }
    return true;
}

}  // namespace

void TakeGenerationOptions(Arguments& args, GenerationSetup& setup) {
    setup.libraryDir = TakeLibraryDirectory(args);
    TakeOption(args, "-o", setup.outputFile);
    for (const std::string& password : TakePasswords(args)) paradox::api::Session::Default().addPassword(password);
    // On a terminal, a protected table none of them opens asks for its password.
    // The question takes the progress bar's line; the bar is drawn again at its next step.
    if (PasswordPrompt ask = TerminalPasswordPrompt([] { std::fputs("\r\033[K", stderr); })) {
        paradox::api::Session::Default().setPasswordEvent([ask](const std::string& table) {
            const std::optional<std::string> password = ask(table);
            if (!password) return paradox::api::PasswordReply::Abort;
            paradox::api::Session::Default().addPassword(*password);
            return paradox::api::PasswordReply::Retry;
        });
    }
    if (isatty(STDERR_FILENO))
        setup.progress = std::make_unique<TerminalProgress>();
    else
        setup.progress = std::make_unique<dbinfo::NoProgress>();
}

int BindForGeneration(const std::string& command, GenerationSetup& setup) {
    try {
        setup.info = setup.binding.OpenLibraryInfo(setup.libraryDir);
    } catch (const std::exception& e) {
        std::cerr << "vortab " << command << ": " << e.what() << "\n";
        return exit_code::kLibraryUnusable;
    }
    return 0;
}

int WriteScript(const std::string& command, const dbinfo::ScriptLines& lines, const std::string& outputFile) {
    const std::string text = dbinfo::JoinScriptLines(lines);
    if (outputFile.empty()) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    if (ReplaceFileContents(outputFile, text)) return 0;
    std::cerr << "vortab " << command << ": cannot write " << outputFile << ": " << std::strerror(errno) << "\n";
    return 1;
}

std::string TableNameArgument(const std::string& utf8) { return Utf8ToCp1252(utf8); }

bool ReportUnreadTables(const std::string& command, const dbinfo::tdatabase_Structure& model) {
    for (const dbinfo::UnreadTable& u : model.unread)
        std::cerr << "vortab " << command << ": " << NameToUtf8(model.databaseName) << ": " << NameToUtf8(u.fileName) << ": "
                  << u.code << " " << NameToUtf8(u.message) << "\n";
    return !model.unread.empty();
}

int RunGeneration(const std::string& command, const std::function<int()>& body) {
    try {
        return body();
    } catch (const paradox::api::EngineError& e) {
        return ReportEngineError(command, e);
    } catch (const dbinfo::SilentAbort&) {
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "vortab " << command << ": " << NameToUtf8(e.what()) << "\n";
        return 1;
    }
}

}  // namespace vortab::cli
