// Link entries of a restructure.
#include "paradox/change/restructure_links.h"

#include <algorithm>

#include "paradox/format/val_file.h"
#include "paradox/storage/engine_error.h"
#include "paradox/table/table_state.h"
#include "shared/text/case_fold.h"

namespace paradox {

LinkChanges SortLinkEntries(const TableState& old, const TableDescriptor& desc) {
    LinkChanges c;
    if (desc.linkCount == 0) return c;
    if (!desc.links) throw EngineError(err::kInvalidParam, "link entries missing");
    const auto val = ReadValFile(old.dir, old.base);
    for (uint16_t i = 0; i < desc.linkCount; ++i) {
        const RILinkDescriptor& l = desc.links[i];
        const OperationCode op = desc.linkOps ? desc.linkOps[i] : CRNOOP;
        if (op == CRNOOP || op == CRCOPY || l.kind == uint32_t(LinkKind::Master)) continue;
        if (op != CRADD && op != CRDROP && op != CRMODIFY) throw EngineError(err::kInvalidRestructOp, "link entry operation");
        if (op == CRDROP || op == CRMODIFY) {
            const std::string name = fixedText(l.name);
            const auto matches = [&](const RILinkDescriptor& x) {
                return x.kind == uint32_t(LinkKind::Dependent) && vortab::SameNameNoCase(fixedText(x.name), name);
            };
            const bool gone = std::any_of(c.drops.begin(), c.drops.end(), matches);
            const RILinkDescriptor* found = nullptr;
            if (val && !gone)
                for (const auto& x : val->links)
                    if (!found && matches(x)) found = &x;
            if (!found) throw EngineError(err::kInvalidParam, "no link named " + name);
            c.drops.push_back(*found);
        }
        if (op == CRADD || op == CRMODIFY) c.adds.push_back(l);
    }
    return c;
}

bool ChangesLinksOnly(const TableDescriptor& desc) {
    return desc.linkCount > 0 && desc.fieldCount == 0 && desc.checkCount == 0 && desc.securityCount == 0 &&
           desc.optionCount == 0;
}

}  // namespace paradox
