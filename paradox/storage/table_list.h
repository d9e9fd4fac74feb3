// Finding table files in a directory without regard to case: listing tables by pattern (a table
// name or "*." plus an extension, '*' and '?' as wildcards), finding one file, and listing the
// members of a table's family. Names are returned as spelled on disk, with their extension.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace paradox {

// Wildcard match ('*' any run, '?' one character), without regard to case.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The file-name part of a path written with '/' or '\' separators (and a drive colon).
std::string FileNamePart(std::string_view path);
// The file-name part without its extension (the text after the last dot).
std::string TableBaseName(std::string_view path);

// Regular files of dir whose names match pattern, sorted case-insensitively. A pattern without
// a dot gets ".DB". The engine's own control files (PDOXUSRS.*, PARADOX.*, our lock marker) are
// never listed. A missing or unreadable directory fails with 9219.
std::vector<std::string> ListTables(const std::string& dir, std::string_view pattern);

// The file of dir whose name equals fileName without regard to case (exact spelling wins).
std::optional<std::string> FindFileNoCase(const std::string& dir, std::string_view fileName);

// True for the extensions of a table's family: DB PX MB VAL TV FAM Xnn Ynn XGn YGn.
bool IsFamilyFileExtension(std::string_view ext);

// Names of the existing family files of table base in dir (any case), sorted.
std::vector<std::string> FamilyFileNames(const std::string& dir, std::string_view base);

// dir joined with a file name ('/' added when needed; an empty dir means the current one).
std::string PathInDir(const std::string& dir, std::string_view name);

}  // namespace paradox
