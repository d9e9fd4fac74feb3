#include <cerrno>
#include <stdexcept>

#include "cli/cli_command.h"
#include "shared/text/whole_file.h"

namespace vortab::cli {

std::string ReadFileBytes(const std::string& path) {
    WholeFile file = ReadWholeFile(path, kNoSizeLimit, FileKinds::StreamsToo);
    if (file.error == FileReadError::NotAFile && file.errorNumber == EISDIR)
        throw std::runtime_error(path + " is a directory, not a file");
    if (!file.ok()) throw std::runtime_error("cannot read " + path);
    return std::move(file.bytes);
}

bool TakeOption(Arguments& args, const std::string& name, std::string& value) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name && i + 1 < args.size()) {
            value = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            return true;
        }
        if (args[i].rfind(name + "=", 0) == 0) {
            value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool TakeFlag(Arguments& args, const std::string& name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

}  // namespace vortab::cli
