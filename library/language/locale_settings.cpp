// Reads the user's locale once through newlocale()/nl_langinfo_l() without touching the host's
// global locale, and turns what it says into the language's Windows-1252 settings.
#include "library/language/locale_settings.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cctype>
#include <cwchar>

#include "shared/text/cp1252.h"

namespace vortab {

namespace {

// The environment's locale. When the environment names a locale that is not installed, each
// category that can be had is taken from it and the rest stay "C".
locale_t EnvironmentLocale() {
    if (locale_t all = newlocale(LC_ALL_MASK, "", nullptr)) return all;
    locale_t base = newlocale(LC_ALL_MASK, "C", nullptr);
    if (!base) return nullptr;
    for (int mask : {LC_CTYPE_MASK, LC_NUMERIC_MASK, LC_TIME_MASK, LC_COLLATE_MASK,
                     LC_MONETARY_MASK, LC_MESSAGES_MASK}) {
        if (locale_t merged = newlocale(mask, "", base)) base = merged;
    }
    return base;
}

std::string NormalizedCodeset(const std::string& codeset) {
    std::string out;
    for (char c : codeset)
        if (c != '-' && c != '_') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string ViaIconv(const std::string& text, const std::string& codeset) {
    iconv_t cd = iconv_open("UTF-8", codeset.c_str());
    std::string replaced;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char c : text) replaced += static_cast<unsigned char>(c) < 0x80 ? c : '?';
        return replaced;
    }
    std::string in = text;
    std::string out(text.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG || outLeft == 0) break;
        // Skip one byte the codeset cannot read.
        ++inPtr;
        --inLeft;
        *outPtr++ = '?';
        --outLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return Utf8ToCp1252(out);
}

std::string Langinfo(nl_item item, locale_t handle, const std::string& codeset) {
    const char* text = nl_langinfo_l(item, handle);
    return LocaleTextTo1252(text ? text : "", codeset);
}

// The date format with %D, %F and %x spelled out and the year widened to four digits.
std::string ResolvedDateFormat(const std::string& format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        char c = format[++i];
        std::string modifier;
        if ((c == 'E' || c == 'O') && i + 1 < format.size()) {
            modifier = c;
            c = format[++i];
        }
        switch (c) {
            case 'D': case 'x': out += "%m/%d/%Y"; break;
            case 'F': out += "%Y-%m-%d"; break;
            case 'y': out += "%" + modifier + "Y"; break;
            default: out += "%" + modifier + c; break;
        }
    }
    return out;
}

std::string SeparatorOf(const std::string& format) {
    // The first run of literal characters after the first conversion.
    std::size_t i = format.find('%');
    if (i == std::string::npos || i + 2 > format.size()) return "/";
    i += (format[i + 1] == 'E' || format[i + 1] == 'O') ? 3 : 2;
    std::string sep;
    while (i < format.size() && format[i] != '%') sep += format[i++];
    while (!sep.empty() && sep.back() == ' ') sep.pop_back();
    return sep.empty() ? "/" : sep;
}

}  // namespace

std::string LocaleTextTo1252(const std::string& text, const std::string& codeset) {
    const std::string cs = NormalizedCodeset(codeset);
    if (cs == "UTF8") return Utf8ToCp1252(text);
    if (cs == "CP1252" || cs == "WINDOWS1252") return text;
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return text;
    if (cs == "ISO88591" || cs == "LATIN1") {
        std::string out = text;
        for (char& c : out)
            if (static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) < 0xA0) c = '?';
        return out;
    }
    return ViaIconv(text, codeset);
}

DateOrder DateOrderFromFormat(const std::string& format) {
    const std::string resolved = ResolvedDateFormat(format);
    int day = -1, month = -1, year = -1, position = 0;
    for (std::size_t i = 0; i + 1 < resolved.size(); ++i) {
        if (resolved[i] != '%') continue;
        char c = resolved[++i];
        if ((c == 'E' || c == 'O') && i + 1 < resolved.size()) c = resolved[++i];
        if ((c == 'd' || c == 'e') && day < 0) day = position++;
        if ((c == 'm' || c == 'b' || c == 'B' || c == 'h') && month < 0) month = position++;
        if ((c == 'y' || c == 'Y' || c == 'C' || c == 'G') && year < 0) year = position++;
    }
    if (day < 0 || month < 0 || year < 0) return DateOrder::MDY;
    if (year < month && year < day) return DateOrder::YMD;
    if (day < month) return DateOrder::DMY;
    return DateOrder::MDY;
}

LocaleSettings SettingsFromLocale(locale_t handle) {
    LocaleSettings s;
    if (!handle) return s;
    s.handle = handle;
    const char* codeset = nl_langinfo_l(CODESET, handle);
    s.codeset = codeset && *codeset ? codeset : "ANSI_X3.4-1968";

    const char* dFmt = nl_langinfo_l(D_FMT, handle);
    if (dFmt && *dFmt) {
        s.dateFormat = ResolvedDateFormat(dFmt);
        s.dateOrder = DateOrderFromFormat(dFmt);
        s.dateSeparator = LocaleTextTo1252(SeparatorOf(s.dateFormat), s.codeset);
    }
    const char* tFmt = nl_langinfo_l(T_FMT, handle);
    if (tFmt && *tFmt) s.timeFormat = tFmt;

    s.decimalSeparator = Langinfo(RADIXCHAR, handle, s.codeset);
    if (s.decimalSeparator.empty()) s.decimalSeparator = ".";
    s.thousandsSeparator = Langinfo(THOUSEP, handle, s.codeset);

    static constexpr nl_item kMonths[12] = {MON_1, MON_2, MON_3, MON_4, MON_5, MON_6,
                                            MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    static constexpr nl_item kDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    for (int m = 0; m < 12; ++m) s.monthNames[m] = Langinfo(kMonths[m], handle, s.codeset);
    for (int d = 0; d < 7; ++d) s.dayNames[d] = Langinfo(kDays[d], handle, s.codeset);
    return s;
}

const LocaleSettings& Locale() {
    static const LocaleSettings settings = SettingsFromLocale(EnvironmentLocale());
    return settings;
}

locale_t PosixLocale() {
    static const locale_t handle = newlocale(LC_ALL_MASK, "C", nullptr);
    return handle;
}

locale_t HandleOrC(const LocaleSettings& settings) {
    return settings.handle ? settings.handle : PosixLocale();
}

DateOrder CurrentDateOrder() {
    if (const char* pinned = std::getenv("VORTAB_DATE_ORDER")) {
        std::string order;
        for (const char* p = pinned; *p; ++p)
            order += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
        if (order == "DMY") return DateOrder::DMY;
        if (order == "MDY") return DateOrder::MDY;
        if (order == "YMD") return DateOrder::YMD;
    }
    return Locale().dateOrder;
}

int CollateCompare(const std::string& a, const std::string& b) {
    const std::wstring wa = WideFrom1252(a);
    const std::wstring wb = WideFrom1252(b);
    int r = wcscoll_l(wa.c_str(), wb.c_str(), HandleOrC(Locale()));
    // Texts the collation ranks alike (or that differ only after an embedded zero byte) are
    // ordered by their bytes, so that only identical texts compare equal.
    if (r == 0) r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace vortab
