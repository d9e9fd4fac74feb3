#include "editor/help/descriptions.h"

#include <sstream>

namespace vortab::help {
namespace {

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> SplitArguments(const std::string& list) {
    std::vector<std::string> names;
    std::string item;
    std::istringstream in(list);
    while (std::getline(in, item, ','))
        if (!Trimmed(item).empty()) names.push_back(Trimmed(item));
    return names;
}

// "NAME (a, b)" or "NAME": the name ends at the first blank, the arguments are in brackets.
void ParseHeading(const std::string& heading, std::string& name, Description& entry) {
    const auto blank = heading.find(' ');
    name = heading.substr(0, blank);
    const std::string rest = blank == std::string::npos ? std::string() : Trimmed(heading.substr(blank));
    if (rest.empty()) return;
    if (rest.front() != '(' || rest.back() != ')') throw DescriptionError("arguments in brackets expected: " + heading);
    entry.argumentNames = SplitArguments(rest.substr(1, rest.size() - 2));
}

}  // namespace

const Description* Descriptions::find(const std::string& group, const std::string& name) const {
    const auto g = groups.find(group);
    if (g == groups.end()) return nullptr;
    const auto e = g->second.entries.find(name);
    return e == g->second.entries.end() ? nullptr : &e->second;
}

Descriptions ParseDescriptions(const std::string& text) {
    Descriptions result;
    GroupText* group = nullptr;
    std::vector<std::string>* lines = nullptr;
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string line = Trimmed(raw);
        const auto fail = [&](const std::string& why) {
            throw DescriptionError("line " + std::to_string(number) + ": " + why);
        };
        if (line.starts_with('#')) continue;
        if (line.starts_with('[')) {
            if (!line.ends_with(']')) fail("group heading without ]");
            const std::string name = line.substr(1, line.size() - 2);
            if (!result.groups.contains(name)) result.order.push_back(name);
            group = &result.groups[name];
            lines = &group->intro;
        } else if (line.starts_with("= ")) {
            if (!group) fail("entry outside a group");
            std::string name;
            Description entry;
            ParseHeading(Trimmed(line.substr(2)), name, entry);
            if (group->entries.contains(name)) fail("second entry for " + name);
            lines = &(group->entries[name] = std::move(entry)).lines;
        } else if (lines) {
            lines->push_back(line);
        } else if (!line.empty()) {
            fail("text before the first group");
        }
    }
    return result;
}

}  // namespace vortab::help
