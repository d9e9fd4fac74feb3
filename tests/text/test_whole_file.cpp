// Whole-file reads: what comes back for a file within and over its limit, a missing path, a
// directory, and a device that only stream reads accept.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "shared/text/whole_file.h"

namespace vortab {
namespace {

namespace fs = std::filesystem;

TEST(WholeFile, ReadsWithinTheLimitAndSaysWhyOtherwise) {
    const fs::path dir = fs::temp_directory_path() / ("vortab-whole-file-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string content(10000, 'x');
    content[9999] = '\n';
    std::ofstream(dir / "data.txt", std::ios::binary) << content;
    const std::string file = (dir / "data.txt").string();

    const struct {
        const char* what;
        std::string path;
        std::size_t limit;
        FileKinds kinds;
        FileReadError error;
        int errorNumber;
    } cases[] = {
        {"whole file", file, kNoSizeLimit, FileKinds::RegularOnly, FileReadError::None, 0},
        {"exactly the limit", file, content.size(), FileKinds::RegularOnly, FileReadError::None, 0},
        {"one byte over", file, content.size() - 1, FileKinds::RegularOnly, FileReadError::TooLarge, EFBIG},
        {"missing", (dir / "none.txt").string(), kNoSizeLimit, FileKinds::RegularOnly, FileReadError::CannotOpen, ENOENT},
        {"directory", dir.string(), kNoSizeLimit, FileKinds::StreamsToo, FileReadError::NotAFile, EISDIR},
        {"device, files only", "/dev/null", kNoSizeLimit, FileKinds::RegularOnly, FileReadError::NotAFile, EINVAL},
        {"device as a stream", "/dev/null", kNoSizeLimit, FileKinds::StreamsToo, FileReadError::None, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const WholeFile read = ReadWholeFile(c.path, c.limit, c.kinds);
        EXPECT_EQ(read.error, c.error);
        EXPECT_EQ(read.errorNumber, c.errorNumber);
        const bool wholeContent = c.error == FileReadError::None && c.path == file;
        EXPECT_EQ(read.bytes, wholeContent ? content : std::string());
    }
    EXPECT_TRUE(ReadWholeFile((dir / "none.txt").string()).missing());
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vortab
