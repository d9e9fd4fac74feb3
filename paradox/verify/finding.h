// What the table checker reports: one finding per fault, naming the table, the file, the engine
// code (the original engine's where one exists), the block or record it concerns and a plain text.
// Errors are damage; warnings are states the original engine tolerates; notices say what the
// checker could not do (no lock, no password) and change nothing in the verdict.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace paradox::verify {

enum class Severity { Error, Warning, Notice };

struct Finding {
    std::string table;     // table name without extension, as on disk
    std::string file;      // file name the finding is about ("ORDERS.PX")
    int code = 0;          // engine error code, 0 when none fits
    int64_t block = -1;    // 1-based block (or .MB offset for blobs), -1 when none
    int64_t record = -1;   // 1-based record number in chain order, -1 when none
    std::string text;
    Severity severity = Severity::Error;
};

// Collects the findings of one table; each checker adds to it.
class FindingSink {
public:
    FindingSink(std::string table, std::vector<Finding>& out) : table_(std::move(table)), out_(out) {}
    void add(Severity s, const std::string& file, int code, const std::string& text, int64_t block = -1,
             int64_t record = -1) {
        out_.push_back(Finding{table_, file, code, block, record, text, s});
    }
    void error(const std::string& file, int code, const std::string& text, int64_t block = -1, int64_t record = -1) {
        add(Severity::Error, file, code, text, block, record);
    }
    void warning(const std::string& file, int code, const std::string& text, int64_t block = -1, int64_t record = -1) {
        add(Severity::Warning, file, code, text, block, record);
    }
    void notice(const std::string& file, int code, const std::string& text) { add(Severity::Notice, file, code, text); }
    const std::string& table() const { return table_; }
    // Errors added so far (of this table and any before it in the same list).
    bool anyError() const;

private:
    std::string table_;
    std::vector<Finding>& out_;
};

inline bool FindingSink::anyError() const {
    for (const Finding& f : out_)
        if (f.table == table_ && f.severity == Severity::Error) return true;
    return false;
}

}  // namespace paradox::verify
