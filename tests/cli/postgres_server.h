// A throw-away PostgreSQL server for the export tests: Debian's binaries (postgresql package)
// run on a temporary data directory with only a Unix socket in that directory, as "nobody"
// when the tests run as root (the server refuses root). Stopped and removed with the object.
#pragma once
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_process.h"

namespace cli_test {

class PostgresServer {
  public:
    PostgresServer() {
        namespace fs = std::filesystem;
        std::vector<fs::path> bins;
        if (fs::exists("/usr/lib/postgresql"))
            for (const auto& version : fs::directory_iterator("/usr/lib/postgresql"))
                if (fs::exists(version.path() / "bin/initdb")) bins.push_back(version.path() / "bin");
        if (bins.empty()) {
            reason_ = "PostgreSQL server binaries not installed (Debian package postgresql)";
            return;
        }
        std::sort(bins.begin(), bins.end());
        bin_ = bins.back().string();
        char name[] = "/tmp/vortab-pg-XXXXXX";
        if (!::mkdtemp(name)) {
            reason_ = "no temporary directory";
            return;
        }
        dir_ = name;
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (!nobody || ::chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
                reason_ = "cannot hand the data directory to nobody";
                return;
            }
            asUser_ = {fs::exists("/usr/sbin/runuser") ? "/usr/sbin/runuser" : "/sbin/runuser", "-u", "nobody", "--"};
        }
        const RunResult init = asServerUser({bin_ + "/initdb", "-D", dir_ + "/data", "-A", "trust", "-U", "postgres",
                                             "--no-sync", "-E", "UTF8", "--locale=C"});
        if (init.exitCode != 0) {
            reason_ = "initdb failed: " + init.err;
            return;
        }
        const RunResult start = asServerUser({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-l", dir_ + "/log", "-w", "-t",
                                              "30", "-o", "-k " + dir_ + " -c listen_addresses= -F", "start"});
        if (start.exitCode != 0) {
            reason_ = "the server did not start: " + start.err + Slurp(dir_ + "/log");
            return;
        }
        running_ = true;
    }

    ~PostgresServer() {
        if (running_) asServerUser({bin_ + "/pg_ctl", "-D", dir_ + "/data", "-m", "immediate", "-w", "stop"});
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    bool running() const { return running_; }
    const std::string& reason() const { return reason_; }

    // psql on database (unaligned, tuples only, stops at the first error), with more arguments.
    RunResult psql(const std::string& database, const std::vector<std::string>& args) const {
        std::vector<std::string> all{"-h", dir_, "-U", "postgres", "-d", database,
                                     "-X", "-q", "-A", "-t",       "-v", "ON_ERROR_STOP=1"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(bin_ + "/psql", all);
    }
    RunResult query(const std::string& database, const std::string& sql) const { return psql(database, {"-c", sql}); }

  private:
    RunResult asServerUser(std::vector<std::string> command) const {
        if (asUser_.empty()) return RunProgram(command[0], {command.begin() + 1, command.end()});
        std::vector<std::string> args(asUser_.begin() + 1, asUser_.end());
        args.insert(args.end(), command.begin(), command.end());
        return RunProgram(asUser_[0], args);
    }

    std::string bin_, dir_, reason_;
    std::vector<std::string> asUser_;
    bool running_ = false;
};

}  // namespace cli_test
