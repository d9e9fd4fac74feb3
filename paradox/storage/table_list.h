// Finding table files in a directory without regard to case: listing tables by pattern (a table
// name or "*." plus an extension, '*' and '?' as wildcards), finding one file, and listing the
// members of a table's family. A table name is Windows-1252 text; on disk its files carry it in
// UTF-8 (as Samba, archives and git keep it) or as the 8-bit bytes themselves, and both are found,
// the UTF-8 spelling first. Files are returned as spelled on disk, with their extension; the table
// listing returns table names.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace paradox {

// The table name a file name on disk stands for: well-formed UTF-8 that Windows-1252 can hold,
// decoded; any other name as its bytes stand.
std::string NameFromDisk(std::string_view diskName);
// The name a new file gets on disk: the Windows-1252 name in UTF-8. A name that is UTF-8 already
// and that the page cannot hold (as listed from disk) stays as it is.
std::string DiskNameFor(std::string_view name);

// How a name on disk spells a name, without regard to case.
enum class DiskSpelling { None, Utf8, EightBit };
DiskSpelling SpellingOf(std::string_view diskName, std::string_view name);

// Every entry name of dir ("." and ".." left out); 9219 when the directory cannot be read.
std::vector<std::string> DirectoryEntries(const std::string& dir);
// Of entries, the one spelling fileName: UTF-8 spellings before 8-bit ones, then the exact bytes,
// then the first in byte order.
std::optional<std::string> PickFile(std::vector<std::string> entries, std::string_view fileName);
// Of entries, the family files of table base (by extension), all of one spelling, so that a table
// never takes in the files of its twin: the spelling of its .DB (UTF-8 first), else of any member.
std::vector<std::string> PickFamily(const std::vector<std::string>& entries, std::string_view base);

// Wildcard match ('*' any run, '?' one character), without regard to case.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The file-name part of a path written with '/' or '\' separators (and a drive colon).
std::string FileNamePart(std::string_view path);
// The file-name part without its extension (the text after the last dot).
std::string TableBaseName(std::string_view path);

// Table names (Windows-1252, with their extension) of the regular files of dir whose names match
// pattern, sorted case-insensitively. A pattern without a dot gets ".DB". The engine's own control files (PDOXUSRS.*, PARADOX.*, our lock marker) are
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
