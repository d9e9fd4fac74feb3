// DriverKind and DefaultExtension: driver names mapped by exact, case-sensitive comparison.
#pragma once
#include <string>
#include <string_view>

namespace vortab {

enum class DriverKind : int { Paradox = 1, Dbase = 2, Ascii = 3 };

inline DriverKind DriverKindOf(std::string_view driver) {
    if (driver == "ASCIIDRV") return DriverKind::Ascii;
    if (driver == "DBASE") return DriverKind::Dbase;
    return DriverKind::Paradox;
}

inline std::string DefaultExtension(std::string_view driver, bool withDot) {
    const char* ext = driver == "ASCIIDRV" ? "TXT" : driver == "DBASE" ? "DBF" : "DB";
    return withDot ? std::string(".") + ext : std::string(ext);
}

}  // namespace vortab
