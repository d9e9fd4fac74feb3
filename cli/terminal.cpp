#include "cli/terminal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace vortab::cli {
namespace {

std::atomic<bool> stopRequested{false};

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The first stop signal of any kind asks for a stop; the next one ends the process as usual.
void OnStopSignal(int) {
    stopRequested = true;
    static const char note[] = "\nvortab: stopping after the current step (Ctrl-C again to kill)\n";
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, note, sizeof note - 1);
    for (const int sig : kStopSignals) ::signal(sig, SIG_DFL);
}

// Reads one line from fd (without its line end); nullopt at end of input before any byte.
std::optional<std::string> ReadLine(int fd) {
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR && !stopRequested) continue;
        if (n < 0 && errno == EINTR) return std::nullopt;  // Ctrl-C gives up the question
        if (n <= 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n') return line;
        if (c != '\r') line += c;
    }
}

class Tty {
public:
    Tty() : fd_(::open("/dev/tty", O_RDWR | O_CLOEXEC)) {}
    ~Tty() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void write(const std::string& text) const {
        [[maybe_unused]] const ssize_t n = ::write(fd_, text.data(), text.size());
    }

private:
    int fd_;
};

}  // namespace

bool IsInteractive() {
    if (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)) return false;
    return Tty().ok();
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO); }

int TerminalColumns() {
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

bool AskYesNo(const std::string& question) {
    Tty tty;
    if (!tty.ok()) return false;
    tty.write(question + " [y/N] ");
    const std::optional<std::string> answer = ReadLine(tty.fd());
    return answer && !answer->empty() && (answer->front() == 'y' || answer->front() == 'Y');
}

std::optional<std::string> ReadSecret(const std::string& prompt) {
    Tty tty;
    if (!tty.ok()) return std::nullopt;
    tty.write(prompt);
    struct termios saved {};
    const bool canHide = ::tcgetattr(tty.fd(), &saved) == 0;
    if (canHide) {
        struct termios hidden = saved;
        hidden.c_lflag &= static_cast<tcflag_t>(~ECHO);
        hidden.c_lflag |= ECHONL;
        ::tcsetattr(tty.fd(), TCSAFLUSH, &hidden);
    }
    std::optional<std::string> line = ReadLine(tty.fd());
    if (canHide) ::tcsetattr(tty.fd(), TCSAFLUSH, &saved);
    else tty.write("\n");
    return line;
}

void StopOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int sig : kStopSignals) ::sigaction(sig, &action, nullptr);
}

bool StopRequested() { return stopRequested; }

}  // namespace vortab::cli
