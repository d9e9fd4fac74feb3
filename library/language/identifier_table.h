// The identifier chain: every operator, function and command of the language, linked head
// first in the reverse of registration order, found by name (through a byte-sum hash) or by
// syntactic class. Built once when the library is loaded and read-only afterwards; the editor
// walks the same chain through the library information block.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "library/language/handler.h"
#include "shared/identifier_entry.h"

namespace vortab {

inline constexpr const char* kHelpFile = "VORTAB.HLP";

namespace group {
inline constexpr const char* kCommands = "VORTAB Commands";
inline constexpr const char* kMiscellaneous = "Miscellaneous functions";
inline constexpr const char* kArithmetic = "Arithmetic functions";
inline constexpr const char* kComparison = "Comparison operators";
inline constexpr const char* kBoolean = "Boolean operators";
inline constexpr const char* kText = "Text functions";
inline constexpr const char* kDate = "Date functions";
inline constexpr const char* kIf = "IF function";
inline constexpr const char* kDirectories = "Directory specifiers";
inline constexpr const char* kIniFiles = "INI files access";
inline constexpr const char* kRegistry = "Registry access";
}  // namespace group

// Kind byte: low nibble the syntactic class, high nibble the short-circuit form.
enum : std::uint8_t { kShortCircuitOr = 1, kShortCircuitAnd = 2, kShortCircuitIf = 3 };
inline int SyntacticClass(const IdentifierEntry& e) { return e.kind & 0x0F; }
inline int ShortCircuitForm(const IdentifierEntry& e) { return e.kind >> 4; }

// An unlinked entry (next, count and hash zero).
IdentifierEntry MakeEntry(const char* name, std::uint8_t kind, Handler handler, const char* group,
                          std::int32_t helpContext, std::uint8_t resultType,
                          std::initializer_list<std::uint8_t> argTypes);

std::uint32_t NameHash(std::string_view name);

// Number of argument types before the first 0 (at most 10).
int Arity(const IdentifierEntry& entry);

class IdentifierChain {
public:
    // Links the entry at the head unless already linked; counts every registration.
    void Register(IdentifierEntry& entry);
    void RegisterAll(std::span<IdentifierEntry> entries);

    IdentifierEntry* head() const { return head_; }
    // First entry after `after` (or from the head) with that name, compared byte for byte.
    IdentifierEntry* FindByName(std::string_view name, const IdentifierEntry* after = nullptr) const;
    // First entry after `after` (or from the head) whose syntactic class is `cls`.
    IdentifierEntry* FindByClass(int cls, const IdentifierEntry* after = nullptr) const;
    int size() const;

private:
    IdentifierEntry* head_ = nullptr;
};

// The library's chain, built on first use (at library load) in registration order.
const IdentifierChain& LanguageChain();

// The groups of entries in registration order; each lives in static storage.
std::span<IdentifierEntry> EnvironmentEntries();
std::span<IdentifierEntry> CommandEntries();
std::span<IdentifierEntry> OperatorAndFunctionEntries();
std::span<IdentifierEntry> IfEntries();
std::span<IdentifierEntry> LateDateEntries();

// Entries only the Paradox driver offers; a line that uses one under another driver is refused.
bool IsParadoxOnly(const IdentifierEntry& entry);

}  // namespace vortab
