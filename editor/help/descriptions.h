// The reference's own texts of the identifiers, read from the descriptions file: for each group
// of the identifier table an introduction, and for each name of the group its argument names and
// what it does. The format is described at the head of descriptions.txt.
#pragma once
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vortab::help {

struct Description {
    std::vector<std::string> argumentNames;
    std::vector<std::string> lines;  // text lines; an empty line ends a paragraph
};

struct GroupText {
    std::vector<std::string> intro;
    std::map<std::string, Description> entries;  // by name
};

struct Descriptions {
    std::map<std::string, GroupText> groups;  // by group name
    std::vector<std::string> order;          // group names as the file gives them
    const Description* find(const std::string& group, const std::string& name) const;
};

struct DescriptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws DescriptionError naming the line that breaks the format.
Descriptions ParseDescriptions(const std::string& text);

}  // namespace vortab::help
