// Checks every disk state a power cut could leave behind one recorded operation: in each, every
// table opens (recovery included) with its companions agreeing; the tables are byte for byte the
// old ones or the new ones; or, for an operation of several steps, a second run of it completes
// and ends at the new structure and records. Prints its counts.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "crash_states.h"
#include "paradox/format/db_header.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/storage/family_swap.h"
#include "paradox/storage/file_io.h"
#include "paradox/storage/table_family.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/primary_index.h"
#include "paradox/table/table.h"

namespace power_cut {

namespace fs = std::filesystem;

struct Operation {
    using Step = std::function<void(const std::string&)>;
    Operation(std::string n, Step s, Step r, std::vector<std::string> pw = {})
        : name(std::move(n)), setup(std::move(s)), run(std::move(r)), passwords(std::move(pw)) {}

    Operation completedByNextRun() && {
        nextRunCompletes = true;
        return std::move(*this);
    }

    std::string name;
    std::function<void(const std::string&)> setup;  // the tables before
    std::function<void(const std::string&)> run;    // the operation
    std::vector<std::string> passwords;             // known while checking (old and new ones)
    // For an operation of several steps: a state between old and new is sound when the next
    // run of the operation completes and ends at the new tables.
    bool nextRunCompletes = false;
    // A directory inside the tables' one where the operation backs the old tables up first: in
    // every state holding the new tables, it holds the old ones, byte for byte.
    std::string backupDir;
    // More to check in each state, after the tables opened (e.g. a journal's promise).
    std::function<void(const std::string&, const std::string& where)> alsoCheck;
};

struct CutCounts : StateCounts {
    unsigned old = 0, whole = 0, completed = 0, failures = 0;
};

// The table files (not the engine's dot files), with their bytes.
inline DiskState TableBytes(const std::string& dir) {
    DiskState out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name[0] == '.' || !e.is_regular_file()) continue;
        const auto b = paradox_test::ReadBytes(e.path());
        out[name].assign(b.begin(), b.end());
    }
    return out;
}

inline std::vector<std::string> TablesIn(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        const auto dot = name.rfind('.');
        std::string ext = dot == std::string::npos ? "" : name.substr(dot);
        for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name[0] != '.' && ext == ".DB")
            out.push_back(name.substr(0, dot));
    }
    std::sort(out.begin(), out.end());
    return out;
}

inline paradox::OpenOptions Known(const std::vector<std::string>& passwords) {
    paradox::OpenOptions o;
    o.passwords = passwords;
    return o;
}

// Two .PX files alike but for the table name their header keeps (a renamed or copied table's
// index names the table it was built for): the fixed header and every index block.
inline bool SameIndexEntries(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    constexpr std::size_t kFixed = 0x58;
    if (a.size() != b.size() || a.size() < kFixed) return false;
    const std::size_t header = a[2] | (a[3] << 8);
    return std::equal(a.begin(), a.begin() + kFixed, b.begin()) && header <= a.size() &&
           std::equal(a.begin() + static_cast<std::ptrdiff_t>(header), a.end(), b.begin() + static_cast<std::ptrdiff_t>(header));
}

// Opens every table (recovering the directory first) and checks its companions; the failure, or "".
inline std::string OpenEveryTable(const std::string& dir, const std::vector<std::string>& passwords) {
    using namespace paradox;
    try {
        RecoverDirectory(dir);
        for (const auto& table : TablesIn(dir)) {
            const Table t = Table::open(dir, table, Known(passwords));
            if (t.readAll().size() != t.properties().recordCount) return table + ": record count differs from the chain";
            if (auto val = ReadValFile(dir, table); val && val->stale) return table + ": .VAL of another version";
            for (const auto& def : ReadSecondaryIndexDefs(dir, table))
                for (int k = 0; k < def.desc.keyFieldCount; ++k)
                    if (def.desc.keyFields[k] > t.schema().fields.size()) return table + "." + def.extension + ": names a missing field";
            if (t.properties().keyFields == 0 || t.properties().isProtected) continue;
            const auto px = FindTableFile(dir, table, "PX");
            if (!px) return table + ": keyed, no .PX";
            const File db = File::openRead(t.path());
            const DbHeader h = ReadDbHeader(db, false);
            const std::string rebuilt = dir + "/.rebuilt-px";
            {
                File out = File::create(rebuilt);
                WritePrimaryIndex({&db, &h, db.size(), 0, fs::path(*px).filename().string()}, out);
            }
            const bool same = SameIndexEntries(paradox_test::ReadBytes(rebuilt), paradox_test::ReadBytes(*px));
            fs::remove(rebuilt);
            if (!same) return table + ": .PX does not index the .DB";
        }
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// Structure and records of every table, as text.
inline std::string Fingerprint(const std::string& dir, const std::vector<std::string>& passwords) {
    using namespace paradox;
    std::string out;
    for (const auto& table : TablesIn(dir)) {
        out += "[" + table + "]\n";
        try {
            const Table t = Table::open(dir, table, Known(passwords));
            for (const auto& f : t.schema().fields) out += f.name + ":" + std::to_string(int(f.type)) + " ";
            out += "keys " + std::to_string(t.properties().keyFields) + " aux " + std::to_string(t.properties().auxPasswords) +
                   (t.properties().isProtected ? " protected\n" : "\n");
            for (const auto& def : ReadSecondaryIndexDefs(dir, table)) out += "index " + std::string(def.desc.name) + "\n";
            if (auto val = ReadValFile(dir, table)) {
                out += "checks " + std::to_string(val->checks.size()) + "\n";
                for (const auto& l : val->links) out += "link " + std::string(l.name) + " " + fixedText(l.otherTable) + "\n";
            }
            for (const auto& row : t.readAll()) {
                for (const auto& v : row) out += ToDisplayString(v) + "|";
                out += "\n";
            }
        } catch (const std::exception& e) {
            out += std::string("error ") + e.what() + "\n";
        }
    }
    return out;
}

inline void WriteState(const std::string& dir, const DiskState& s) {
    for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
    for (const auto& [name, bytes] : s) {
        if (name.back() == '/') fs::create_directories(fs::path(dir) / name);
        else paradox_test::WriteBytes(fs::path(dir) / name, {bytes.begin(), bytes.end()});
    }
}

// Records op once and checks every state; returns the counts (also printed).
inline CutCounts CheckPowerCuts(const Operation& op) {
    paradox_test::ScratchDir recorded, state;
    op.setup(recorded.str());
    const DiskState oldBytes = TableBytes(recorded.str());
    Recording recording;
    {
        DiskRecorder recorder(recorded.str());
        op.run(recorded.str());
        recording = recorder.take();
    }
    const DiskState newBytes = TableBytes(recorded.str());
    const std::string newPrint = Fingerprint(recorded.str(), op.passwords);
    EXPECT_NE(oldBytes, newBytes) << op.name << ": the operation changed nothing";

    CutCounts counts;
    const auto fail = [&](const std::string& where, const std::string& what) {
        if (++counts.failures <= 5) ADD_FAILURE() << op.name << ", " << where << ": " << what;
    };
    const auto backupWhole = [&](const std::string& where) {
        const fs::path backup = fs::path(state.str()) / op.backupDir;
        if (!op.backupDir.empty() && (!fs::is_directory(backup) || TableBytes(backup.string()) != oldBytes))
            fail(where, "the new tables, and the backup of the old ones is not whole");
    };
    CrashStates states(recording);
    static_cast<StateCounts&>(counts) = states.forEach([&](const DiskState& s, const std::string& where) {
        WriteState(state.str(), s);
        if (const std::string err = OpenEveryTable(state.str(), op.passwords); !err.empty()) return fail(where, "does not open: " + err);
        if (op.alsoCheck) op.alsoCheck(state.str(), where);
        const DiskState now = TableBytes(state.str());
        if (now == oldBytes) return void(++counts.old);
        if (now == newBytes) {
            backupWhole(where);
            return void(++counts.whole);
        }
        if (!op.nextRunCompletes) return fail(where, "neither the old tables nor the new ones");
        try {
            op.run(state.str());
        } catch (const std::exception& e) {
            return fail(where, std::string("the next run fails: ") + e.what());
        }
        if (Fingerprint(state.str(), op.passwords) != newPrint) return fail(where, "the next run does not end at the new tables");
        ++counts.completed;
    });
    // A caller may report the step done (the upgrade log does) as soon as the operation returns.
    WriteState(state.str(), states.durableAtEnd());
    if (const std::string err = OpenEveryTable(state.str(), op.passwords); !err.empty()) fail("at return", "does not open: " + err);
    else if (TableBytes(state.str()) != newBytes) fail("at return", "the change is not durable yet when the operation returns");
    else backupWhole("at return");
    std::printf("[power cut] %s: %u disk events, %u points, %u states built, %u distinct: %u old, %u new, %u completed by the next run\n",
                op.name.c_str(), unsigned(recording.events.size()), counts.points, counts.built, counts.distinct, counts.old,
                counts.whole, counts.completed);
    EXPECT_GT(counts.old, 0u) << op.name;
    EXPECT_GT(counts.whole, 0u) << op.name;
    return counts;
}

}  // namespace power_cut
