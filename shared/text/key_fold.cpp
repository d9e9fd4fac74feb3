// Windows-1252 tables fold their keys as names are folded. Tables of every other page keep the
// fold the engine has always written their indexes with: the Windows-1252 letters save ž
// (0x9E), whose byte is another character in those pages (× in 850, Ş in 857, Ю in 866).
#include "shared/text/key_fold.h"

#include "shared/text/case_fold.h"

namespace vortab {
namespace {

constexpr ByteFold kOtherPagesKeyFold = [] {
    ByteFold t = kUpper1252;
    t[0x9E] = 0x9E;
    return t;
}();

}  // namespace

const ByteFold& AlphaKeyFold(std::uint16_t codePage) { return codePage == 1252 ? kUpper1252 : kOtherPagesKeyFold; }

}  // namespace vortab
