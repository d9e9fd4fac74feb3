// Probes for other programs working in a directory: the original engine keeps its control
// files (PDOXUSRS.LCK, PARADOX.LCK, PDOXUSRS.NET) open and locked while it uses a directory.
// Their formats are not public, so we never write them; we only look whether another process
// holds a lock on them, without taking one (an OFD lock query).
// Layout on disk: doc/locking.md.
#pragma once
#include <string>
#include <vector>

namespace paradox {

// True when some other open file description holds a lock on any byte of the file at path.
// A file that cannot be opened for the probe counts as held (we cannot prove otherwise).
bool IsFileLockedByOther(const std::string& path);

// The engine control files present in dir (names as spelled on disk).
std::vector<std::string> EngineControlFiles(const std::string& dir);

// Fails with 10243 (table is busy) when a control file in dir is held by another process.
void CheckNoForeignEngine(const std::string& dir);

}  // namespace paradox
