// Records what one operation does to the files of one directory, through the engine's disk door:
// the directory's files before, then every create, write, truncate, sync, rename, link, unlink
// and directory sync in order. Files are tracked as inodes, so that a write through a descriptor
// follows its file across renames and links. Directories made inside it are recorded too (their
// files named "SUB/FILE"); files outside it are not.
#pragma once
#include <fcntl.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "paradox/storage/disk.h"
#include "test_support.h"

namespace power_cut {

struct DiskEvent {
    enum Kind { Create, Write, Truncate, SyncFile, Rename, Link, Unlink, MakeDirectory, SyncDirectory } kind;
    int inode = -1;
    std::string name, to;  // names relative to the directory (to: of a rename or link; "": the directory itself)
    uint64_t offset = 0;   // of a write; the new size of a truncate
    std::string data;      // of a write
    bool isSync() const { return kind == SyncFile || kind == SyncDirectory; }
    static DiskEvent Of(Kind k, int inode = -1, std::string name = {}, std::string to = {}, uint64_t offset = 0,
                        std::string data = {}) {
        return DiskEvent{k, inode, std::move(name), std::move(to), offset, std::move(data)};
    }
};

struct Recording {
    std::map<std::string, int> initialNames;  // name -> inode, the files before
    std::vector<std::string> initialBytes;    // by inode (later inodes start empty)
    std::vector<DiskEvent> events;
    int inodeCount = 0;
};

class DiskRecorder : public paradox::disk::Observer {
public:
    explicit DiskRecorder(const std::string& dir) : dir_(Normal(dir)) {
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            if (!e.is_regular_file()) continue;
            const auto bytes = paradox_test::ReadBytes(e.path());
            names_[e.path().filename().string()] = rec_.inodeCount++;
            rec_.initialBytes.emplace_back(bytes.begin(), bytes.end());
        }
        rec_.initialNames = names_;
        paradox::disk::Observe(this);
    }
    ~DiskRecorder() override { paradox::disk::Observe(nullptr); }

    // The recording so far; stops recording.
    Recording take() {
        paradox::disk::Observe(nullptr);
        return rec_;
    }

    void opened(int fd, const std::string& path, int flags) override {
        std::lock_guard<std::mutex> hold(mutex_);
        fds_.erase(fd);
        std::string name;
        if ((flags & O_TMPFILE) == O_TMPFILE || !InDir(path, name)) return;
        auto at = names_.find(name);
        if (at == names_.end()) {
            if (!(flags & O_CREAT)) return;  // made behind the door: not followed
            at = names_.emplace(name, rec_.inodeCount++).first;
            rec_.initialBytes.emplace_back();
            add(DiskEvent::Of(DiskEvent::Create, at->second, name));
        } else if (flags & O_TRUNC) {
            add(DiskEvent::Of(DiskEvent::Truncate, at->second, name, {}, 0));
        }
        fds_[fd] = at->second;
    }
    void wrote(int fd, uint64_t offset, const void* data, std::size_t n) override {
        std::lock_guard<std::mutex> hold(mutex_);
        if (auto at = fds_.find(fd); at != fds_.end())
            add(DiskEvent::Of(DiskEvent::Write, at->second, {}, {}, offset, std::string(static_cast<const char*>(data), n)));
    }
    void truncated(int fd, uint64_t size) override {
        std::lock_guard<std::mutex> hold(mutex_);
        if (auto at = fds_.find(fd); at != fds_.end()) add(DiskEvent::Of(DiskEvent::Truncate, at->second, {}, {}, size));
    }
    void synced(int fd) override {
        std::lock_guard<std::mutex> hold(mutex_);
        if (auto at = fds_.find(fd); at != fds_.end()) add(DiskEvent::Of(DiskEvent::SyncFile, at->second));
    }
    void closed(int fd) override {
        std::lock_guard<std::mutex> hold(mutex_);
        fds_.erase(fd);
    }
    void renamed(const std::string& from, const std::string& to) override { move(DiskEvent::Rename, from, to); }
    void linked(const std::string& from, const std::string& to) override { move(DiskEvent::Link, from, to); }
    void unlinked(const std::string& path) override {
        std::lock_guard<std::mutex> hold(mutex_);
        std::string name;
        if (!InDir(path, name) || !names_.count(name)) return;
        add(DiskEvent::Of(DiskEvent::Unlink, names_[name], name));
        names_.erase(name);
    }
    void syncedDirectory(const std::string& dir) override {
        std::lock_guard<std::mutex> hold(mutex_);
        std::string name;
        if (Normal(dir) == dir_) add(DiskEvent::Of(DiskEvent::SyncDirectory));
        else if (InDir(dir, name)) add(DiskEvent::Of(DiskEvent::SyncDirectory, -1, name));
    }
    void madeDirectory(const std::string& path) override {
        std::lock_guard<std::mutex> hold(mutex_);
        std::string name;
        if (InDir(path, name)) add(DiskEvent::Of(DiskEvent::MakeDirectory, -1, name));
    }

private:
    static std::string Normal(const std::string& path) {
        std::string p = std::filesystem::absolute(path).lexically_normal().string();
        while (p.size() > 1 && p.back() == '/') p.pop_back();
        return p;
    }
    // Whether path lies inside the directory (at any depth); name: its path relative to it.
    bool InDir(const std::string& path, std::string& name) const {
        const std::string p = Normal(path);
        if (p.size() <= dir_.size() + 1 || p.compare(0, dir_.size(), dir_) != 0 || p[dir_.size()] != '/') return false;
        name = p.substr(dir_.size() + 1);
        return true;
    }
    void move(DiskEvent::Kind kind, const std::string& from, const std::string& to) {
        std::lock_guard<std::mutex> hold(mutex_);
        std::string a, b;
        if (!InDir(from, a) || !InDir(to, b) || !names_.count(a)) return;
        const int inode = names_[a];
        add(DiskEvent::Of(kind, inode, a, b));
        if (kind == DiskEvent::Rename) names_.erase(a);
        names_[b] = inode;
    }
    void add(DiskEvent e) { rec_.events.push_back(std::move(e)); }

    std::string dir_;
    std::mutex mutex_;
    Recording rec_;
    std::map<std::string, int> names_;
    std::map<int, int> fds_;
};

}  // namespace power_cut
