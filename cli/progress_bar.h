// A one-line progress display on stderr for a terminal: a bar, "step n of m", the elapsed time
// and the current line, redrawn every second while a step runs so that a long restructure
// still shows time passing. Lines printed through it appear above the bar.
#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace vortab::cli {

class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Shows that step `step` of `total` is running, `fraction` of the run done; `text` is UTF-8.
    void show(int step, int total, double fraction, const std::string& text);
    // Removes the bar (until the next show).
    void clear();

private:
    void draw();  // with mutex_ held
    void tick();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::chrono::steady_clock::time_point start_;
    int step_ = 0, total_ = 0;
    double fraction_ = 0;
    std::string text_;
    bool visible_ = false, stopping_ = false;
    std::thread ticker_;
};

}  // namespace vortab::cli
