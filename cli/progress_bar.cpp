#include "cli/progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "cli/terminal.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {
namespace {

constexpr int kBarWidth = 20;

void WriteStderr(const std::string& text) {
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
}

// The first `columns` characters of a UTF-8 text.
std::string FitColumns(const std::string& text, int columns) {
    std::size_t i = 0;
    for (int shown = 0; i < text.size() && shown < columns; ++shown) NextCodePoint(text, i);
    return text.substr(0, i);
}

}  // namespace

ProgressBar::ProgressBar() : start_(std::chrono::steady_clock::now()), ticker_([this] { tick(); }) {}

ProgressBar::~ProgressBar() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    ticker_.join();
    clear();
}

void ProgressBar::show(int step, int total, double fraction, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    step_ = step;
    total_ = total;
    fraction_ = fraction;
    text_ = text;
    visible_ = true;
    draw();
}

void ProgressBar::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (visible_) WriteStderr("\r\x1b[K");
    visible_ = false;
}

void ProgressBar::draw() {
    const long seconds = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_).count());
    const int filled = std::clamp(static_cast<int>(fraction_ * kBarWidth), 0, kBarWidth);
    char head[96];
    std::snprintf(head, sizeof head, "[%s%s] step %d of %d  %ld:%02ld  ", std::string(filled, '#').c_str(),
                  std::string(kBarWidth - filled, '-').c_str(), step_, total_, seconds / 60, seconds % 60);
    const int room = TerminalColumns() - 1 - static_cast<int>(std::string(head).size());
    WriteStderr("\r\x1b[K" + std::string(head) + (room > 0 ? FitColumns(text_, room) : ""));
}

void ProgressBar::tick() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, std::chrono::seconds(1));
        if (visible_ && !stopping_) draw();
    }
}

}  // namespace vortab::cli
