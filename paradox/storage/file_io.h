// Plain POSIX file access for the engine: positioned reads and writes that fail with an
// EngineError, and AtomicFile, which writes under a temporary name in the target's
// directory and only replaces the target on commit (flush, fsync, rename).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace paradox {

inline constexpr char kScratchPrefix[] = ".vortab-scratch-";

class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& o) noexcept;
    File& operator=(File&& o) noexcept;

    static File openRead(const std::string& path);       // 10024-style errors are the caller's
    static File openReadWrite(const std::string& path);
    static File create(const std::string& path);         // new file, fails if it exists
    // A scratch file in dir that has no name (gone when closed, also after a crash). Where the
    // file system has no unnamed files, a kScratchPrefix name exists for an instant.
    static File createAnonymous(const std::string& dir);

    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const;
    // Reads exactly n bytes at off; returns false when the file ends first.
    bool readAt(uint64_t off, void* buf, std::size_t n) const;
    void writeAt(uint64_t off, const void* buf, std::size_t n);
    void sync();
    // Asks the kernel to start writing [off, off + n) to disk now, without waiting, so that a
    // later sync() has less left to do (n 0: to the end of the file). A hint only: durability
    // still comes from sync().
    void startWriteback(uint64_t off, uint64_t n);
    void close();
    const std::string& path() const { return path_; }

private:
    friend class AtomicFile;
    File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    static File openWith(const std::string& path, int flags, int fallbackCode);

    int fd_ = -1;
    std::string path_;
};

// A replacement for `target` built under a temporary name; the target changes only on commit().
class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();  // removes the temporary file when not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    File& file() { return file_; }
    const std::string& tempPath() const { return temp_; }
    const std::string& target() const { return target_; }
    void flush();   // fsync of the temporary file
    void commit();  // flush and rename over the target

private:
    std::string target_;
    std::string temp_;
    File file_;
    bool done_ = false;
};

// Copies src to dst (a fresh File), streaming in large chunks.
void CopyFileContents(const File& src, File& dst);

// fsync of the directory holding path, so that renames survive a crash; its failure is the
// engine's error (9218, 9475 for a full disk).
void SyncDirectoryOf(const std::string& path);

}  // namespace paradox
