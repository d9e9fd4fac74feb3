// Locating a table's files in a directory without regard to case, and the family of files
// that belong to it (.DB, .PX, .MB, .VAL, .Xnn/.Ynn, .XGn/.YGn, .TV, .FAM).
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace paradox {

struct TableLocation {
    std::string dir;   // directory, without trailing '/' (the root keeps its "/")
    std::string base;  // table name without extension, as given
};

// Splits a table name that may carry a directory ('/' or '\') and a ".DB" extension.
// A relative directory part is taken relative to `dir`. 10039 for an empty or invalid name.
TableLocation LocateTable(const std::string& dir, const std::string& name);

// Path of the file `base.ext` in dir, matched case-insensitively; nullopt when absent.
std::optional<std::string> FindTableFile(const std::string& dir, const std::string& base, const std::string& ext);

// The name a new member with extension ext of table base gets: the base as its .DB spells it on
// disk, else in UTF-8 (DiskNameFor).
std::string NewMemberName(const std::string& dir, const std::string& base, const std::string& ext);

// Every file of the family of `base` in dir (full paths).
std::vector<std::string> FamilyFiles(const std::string& dir, const std::string& base);

// Whether an extension (without dot) names a member of a table family.
bool IsFamilyExtension(const std::string& ext);

std::string JoinPath(const std::string& dir, const std::string& file);
// The directory part of a path ("." for a bare file name).
std::string DirectoryPart(const std::string& path);

}  // namespace paradox
