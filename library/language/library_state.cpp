#include "library/language/library_state.h"

namespace vortab {

const LibraryState& Library() {
    static const LibraryState state = [] {
        const IdentifierChain& chain = LanguageChain();
        LibraryState s{chain, {}};
        s.info.version = kLibraryInterfaceVersion;
        s.info.chain = chain.head();
        return s;
    }();
    return state;
}

namespace {
// Builds the chain and the information block as soon as the library is loaded.
[[maybe_unused]] const LibraryState& loadedState = Library();
}  // namespace

}  // namespace vortab
