#include "library/language/identifier_table.h"

#include <algorithm>
#include <cstring>

namespace vortab {

IdentifierEntry MakeEntry(const char* name, std::uint8_t kind, Handler handler, const char* group,
                          std::int32_t helpContext, std::uint8_t resultType,
                          std::initializer_list<std::uint8_t> argTypes) {
    IdentifierEntry e{};
    e.name = name;
    e.kind = kind;
    e.handler = ToOpaque(handler);
    e.group = group;
    e.helpFile = kHelpFile;
    e.helpContext = helpContext;
    e.resultType = resultType;
    std::copy_n(argTypes.begin(), std::min<std::size_t>(argTypes.size(), 10), e.argTypes);
    return e;
}

std::uint32_t NameHash(std::string_view name) {
    std::uint32_t sum = 0;
    for (unsigned char c : name) sum += c;
    return sum;
}

int Arity(const IdentifierEntry& entry) {
    int n = 0;
    while (n < 10 && entry.argTypes[n] != 0) ++n;
    return n;
}

void IdentifierChain::Register(IdentifierEntry& entry) {
    if (entry.registrationCount == 0) {
        entry.hash = NameHash(entry.name);
        entry.next = head_;
        head_ = &entry;
    }
    entry.registrationCount = entry.registrationCount + 1;
}

void IdentifierChain::RegisterAll(std::span<IdentifierEntry> entries) {
    for (IdentifierEntry& e : entries) Register(e);
}

IdentifierEntry* IdentifierChain::FindByName(std::string_view name,
                                             const IdentifierEntry* after) const {
    const std::uint32_t hash = NameHash(name);
    for (IdentifierEntry* e = after ? after->next : head_; e; e = e->next) {
        if (e->hash == hash && name == e->name) return e;
    }
    return nullptr;
}

IdentifierEntry* IdentifierChain::FindByClass(int cls, const IdentifierEntry* after) const {
    for (IdentifierEntry* e = after ? after->next : head_; e; e = e->next) {
        if (SyntacticClass(*e) == cls) return e;
    }
    return nullptr;
}

int IdentifierChain::size() const {
    int n = 0;
    for (const IdentifierEntry* e = head_; e; e = e->next) ++n;
    return n;
}

const IdentifierChain& LanguageChain() {
    static const IdentifierChain chain = [] {
        IdentifierChain c;
        c.RegisterAll(EnvironmentEntries());
        c.RegisterAll(CommandEntries());
        c.RegisterAll(OperatorAndFunctionEntries());
        c.RegisterAll(IfEntries());
        c.RegisterAll(LateDateEntries());
        return c;
    }();
    return chain;
}

}  // namespace vortab
