// What the benchmarks that time a change of a big table share: the keyed ten-field table of N
// records they change, a step run in a child process of its own (so that the peak resident
// memory belongs to that step alone), and cp of the same files as the baseline.
#pragma once
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "paradox/format/descriptor_builder.h"
#include "paradox/table/table_writer.h"

namespace bench {

struct ChildRun {
    double seconds = 0;
    long peakKb = 0;
    bool ok = false;
};

// Runs fn in a child process; its wall time and peak resident memory.
inline ChildRun InChild(const std::function<int()>& fn) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(fn());
    int status = 0;
    rusage usage{};
    ChildRun r;
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
        r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        r.peakKb = usage.ru_maxrss;
        r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return r;
}

// BENCH: Id (key), Name, City, Amount, Qty, Price, Day, Flag, Code, Note.
inline void BuildTable(const std::string& dir, std::uint32_t records) {
    paradox::DescriptorBuilder b("BENCH");
    b.field("Id", paradox::FLDINT32)
        .field("Name", paradox::FLDZSTRING, 0, 20)
        .field("City", paradox::FLDZSTRING, 0, 15)
        .field("Amount", paradox::FLDFLOAT, paradox::FLDSTMONEY)
        .field("Qty", paradox::FLDINT16)
        .field("Price", paradox::FLDFLOAT)
        .field("Day", paradox::FLDDATE)
        .field("Flag", paradox::FLDBOOL)
        .field("Code", paradox::FLDZSTRING, 0, 8)
        .field("Note", paradox::FLDZSTRING, 0, 30)
        .option("LEVEL", "7")
        .option("BLOCK SIZE", "4096");
    paradox::createTable(dir, b.descriptor(), {1, false});
    paradox::TableWriter w = paradox::TableWriter::open(dir, "BENCH");
    for (std::uint32_t i = 1; i <= records; ++i)
        w.insert({paradox::Value::integer(i), paradox::Value::text("name " + std::to_string(i)),
                  paradox::Value::text("city " + std::to_string(i % 997)), paradox::Value::number(i * 0.25),
                  paradox::Value::integer(i % 30000), paradox::Value::number(i / 7.0),
                  paradox::Value::date(730000 + static_cast<int32_t>(i % 20000)), paradox::Value::boolean(i % 2),
                  paradox::Value::text("C" + std::to_string(i % 100000)), paradox::Value::text("note for record " + std::to_string(i))});
    w.commit();
}

inline std::uint64_t FamilyBytes(const std::string& dir) {
    std::uint64_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) n += e.file_size();
    return n;
}

// cp of every file of src into copy, in a child process.
inline ChildRun CopyWithCp(const std::filesystem::path& src, const std::filesystem::path& copy) {
    return InChild([&] {
        std::vector<std::string> args = {"cp"};
        for (const auto& e : std::filesystem::directory_iterator(src)) args.push_back(e.path().string());
        args.push_back(copy.string());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp("cp", argv.data());
        return 127;
    });
}

}  // namespace bench
