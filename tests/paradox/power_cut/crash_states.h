// The disk states a power cut could leave behind a recording: at every sync point and at
// sampled points between, every write since its file's last sync is dropped, kept, or torn at a
// 512-byte boundary, and the renames, links and unlinks since the last sync of the directory
// are undone (all, none, or the later ones: a journaled directory keeps them in order). A
// directory made in it is a name like a file's ("SUB/" in a state); its files go when it does.
// Per point: all dropped, all kept, each single write dropped or torn, and a seeded sample.
// VORTAB_POWERCUT_SAMPLES (default 3) sets both the sampled points between syncs and the sampled
// states per point; a larger value is the longer run. States are handed out once each.
#pragma once
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "disk_recorder.h"

namespace power_cut {

using DiskState = std::map<std::string, std::string>;  // file name -> bytes

struct StateCounts {
    unsigned points = 0, built = 0, distinct = 0;
};

inline unsigned SamplesPerPoint() {
    const char* v = std::getenv("VORTAB_POWERCUT_SAMPLES");
    return v && *v ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : 3u;
}

class CrashStates {
public:
    explicit CrashStates(const Recording& r) : rec_(r) {}

    // Calls visit once for every distinct state; returns what was built.
    StateCounts forEach(const std::function<void(const DiskState&, const std::string& where)>& visit) {
        std::mt19937 random(20261208u);
        std::set<std::size_t> points;
        std::vector<std::size_t> between;
        for (std::size_t i = 0; i < rec_.events.size(); ++i) {
            if (rec_.events[i].isSync()) points.insert(i);  // just before the sync
            else between.push_back(i);
        }
        points.insert(rec_.events.size());  // the end of the operation
        for (unsigned k = 0; k < SamplesPerPoint() && !between.empty(); ++k)
            points.insert(between[random() % between.size()]);
        StateCounts counts;
        std::set<std::size_t> seen;
        for (std::size_t point : points) {
            ++counts.points;
            replay(point);
            const std::string where = "after " + std::to_string(point) + " of " + std::to_string(rec_.events.size()) + " disk events";
            const auto emit = [&](const std::vector<Fate>& fates, std::size_t keptDirOps) {
                ++counts.built;
                const DiskState s = materialize(fates, keptDirOps);
                if (!seen.insert(Hash(s)).second) return;
                ++counts.distinct;
                visit(s, where);
            };
            const std::size_t w = pendingWrites_.size(), d = pendingDirOps_.size();
            emit(std::vector<Fate>(w, Fate::Drop), 0);
            emit(std::vector<Fate>(w, Fate::Keep), d);
            emit(std::vector<Fate>(w, Fate::Keep), 0);
            emit(std::vector<Fate>(w, Fate::Drop), d);
            for (std::size_t k = 0; k < w; ++k) {
                std::vector<Fate> fates(w, Fate::Keep);
                fates[k] = Fate::Drop;
                emit(fates, d);
                fates[k] = Fate::Torn;
                emit(fates, d);
            }
            for (unsigned k = 0; k < SamplesPerPoint(); ++k) {
                std::vector<Fate> fates(w);
                for (auto& f : fates) f = static_cast<Fate>(random() % 3);
                emit(fates, random() % (d + 1));
            }
        }
        return counts;
    }

    // What the disk holds for certain once the operation returned: what it synced, no more.
    DiskState durableAtEnd() {
        replay(rec_.events.size());
        return materialize(std::vector<Fate>(pendingWrites_.size(), Fate::Drop), 0);
    }

private:
    enum class Fate { Drop, Keep, Torn };

    // The durable picture after events [0, end): durable names and contents, and what is pending.
    void replay(std::size_t end) {
        durableNames_ = rec_.initialNames;
        durable_ = rec_.initialBytes;
        durable_.resize(static_cast<std::size_t>(rec_.inodeCount));
        pendingWrites_.clear();
        pendingDirOps_.clear();
        for (std::size_t i = 0; i < end; ++i) {
            const DiskEvent& e = rec_.events[i];
            switch (e.kind) {
                case DiskEvent::Write:
                case DiskEvent::Truncate: pendingWrites_.push_back(&e); break;
                case DiskEvent::SyncFile: {
                    std::vector<const DiskEvent*> rest;
                    for (const DiskEvent* p : pendingWrites_) {
                        if (p->inode == e.inode) Apply(durable_[static_cast<std::size_t>(p->inode)], *p, p->data.size());
                        else rest.push_back(p);
                    }
                    pendingWrites_ = rest;
                    break;
                }
                case DiskEvent::SyncDirectory: {
                    std::vector<const DiskEvent*> rest;
                    for (const DiskEvent* p : pendingDirOps_) {
                        if (Parent(p->to.empty() ? p->name : p->to) == e.name) ApplyName(durableNames_, *p);
                        else rest.push_back(p);
                    }
                    pendingDirOps_ = rest;
                    break;
                }
                default: pendingDirOps_.push_back(&e); break;
            }
        }
    }

    DiskState materialize(const std::vector<Fate>& fates, std::size_t keptDirOps) const {
        std::vector<std::string> bytes = durable_;
        for (std::size_t k = 0; k < pendingWrites_.size(); ++k) {
            const DiskEvent& e = *pendingWrites_[k];
            std::string& b = bytes[static_cast<std::size_t>(e.inode)];
            if (fates[k] == Fate::Keep) Apply(b, e, e.data.size());
            else if (fates[k] == Fate::Torn && e.kind == DiskEvent::Write) Apply(b, e, TornLength(e));
        }
        std::map<std::string, int> names = durableNames_;
        for (std::size_t k = 0; k < keptDirOps; ++k) ApplyName(names, *pendingDirOps_[k]);
        DiskState s;
        for (const auto& [name, inode] : names) {
            const std::string parent = Parent(name);
            if (!parent.empty() && !names.count(parent)) continue;  // its directory is gone
            if (inode < 0) s[name + "/"];
            else s[name] = bytes[static_cast<std::size_t>(inode)];
        }
        return s;
    }

    // A write torn at the 512-byte boundary nearest its middle: the sectors before it reached
    // the disk, the rest did not (0 when the write lies within one sector).
    static std::size_t TornLength(const DiskEvent& e) {
        const uint64_t middle = e.offset + e.data.size() / 2;
        const uint64_t cut = middle / 512 * 512;
        return cut > e.offset ? static_cast<std::size_t>(cut - e.offset) : 0;
    }
    static void Apply(std::string& b, const DiskEvent& e, std::size_t n) {
        if (e.kind == DiskEvent::Truncate) {
            b.resize(static_cast<std::size_t>(e.offset));
            return;
        }
        if (n == 0) return;
        const std::size_t end = static_cast<std::size_t>(e.offset) + n;
        if (b.size() < end) b.resize(end);
        b.replace(static_cast<std::size_t>(e.offset), n, e.data, 0, n);
    }
    static std::string Parent(const std::string& name) {
        const auto slash = name.rfind('/');
        return slash == std::string::npos ? std::string() : name.substr(0, slash);
    }
    static void ApplyName(std::map<std::string, int>& names, const DiskEvent& e) {
        switch (e.kind) {
            case DiskEvent::Create:
            case DiskEvent::MakeDirectory: names[e.name] = e.inode; break;
            case DiskEvent::Rename: names.erase(e.name); names[e.to] = e.inode; break;
            case DiskEvent::Link: names[e.to] = e.inode; break;
            case DiskEvent::Unlink: names.erase(e.name); break;
            default: break;
        }
    }
    static std::size_t Hash(const DiskState& s) {
        std::size_t h = 0;
        for (const auto& [name, bytes] : s) h = h * 1000003u ^ std::hash<std::string>()(name) ^ (std::hash<std::string>()(bytes) << 1);
        return h;
    }

    const Recording& rec_;
    std::map<std::string, int> durableNames_;
    std::vector<std::string> durable_;
    std::vector<const DiskEvent*> pendingWrites_, pendingDirOps_;
};

}  // namespace power_cut
