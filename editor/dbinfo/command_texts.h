// The command texts and step descriptions both generators write for one table's parts: a
// field's FLD_ADD, an index's IX_ADD, a check's VCHK_ADD, a link's RI_ADD. With byNumber the
// fields are named by their numbers (for comparisons that follow fields, not their names).
#pragma once
#include <string>

#include "editor/dbinfo/structure_model.h"

namespace vortab::dbinfo {

// The table as commands after the creating one name it: upper case, quoted.
std::string TableArgument(const tTbl_Structure& t);

std::string FldAddText(const tTbl_Structure& t, const FieldDescriptor& field);

// "Primary index" or index "NAME"; and the step description of adding the index.
std::string IndexLabel(const IndexDescriptor& index);
std::string IndexAddDescription(const tTbl_Structure& t, const IndexDescriptor& index);
unsigned IndexOptions(const IndexDescriptor& index);
std::string IndexName(const tTbl_Structure& t, const IndexDescriptor& index);
std::string IxAddText(const tTbl_Structure& t, const IndexDescriptor& index, bool byNumber = false);
// What makes two indexes equal: options, key fields and descending fields.
std::string IndexDefinition(const tTbl_Structure& t, const IndexDescriptor& index, bool byNumber);
// Empty when the index can be written as IX_ADD, else why not.
std::string IndexNotExpressible(const tTbl_Structure& t, const IndexDescriptor& index);

std::string VchkAddDescription(const tTbl_Structure& t, const ValidityCheckDescriptor& check);
// tableArgument: the first argument in place of t's own (comparisons across tables of two names).
std::string VchkAddText(const tTbl_Structure& t, const ValidityCheckDescriptor& check, bool byNumber = false,
                        const std::string& tableArgument = {});
// The remark for what VCHK_ADD cannot carry (a table lookup); empty when nothing is lost.
std::string VchkLostParts(const tTbl_Structure& t, const ValidityCheckDescriptor& check);

// The master's file name without extension, as the link names it.
std::string LinkMasterName(const RILinkDescriptor& link);
std::string RiDescription(const tTbl_Structure& t, const RILinkDescriptor& link);
// A master missing from the model has its fields written by number (such a link is only ever
// shown, never written as a step: see LinkNotExpressible).
std::string RiAddText(const tTbl_Structure& t, const RILinkDescriptor& link, bool byNumber = false,
                      const std::string& tableArgument = {});
// Empty when the link can be written as RI_ADD, else why not.
std::string LinkNotExpressible(const tTbl_Structure& t, const RILinkDescriptor& link);

}  // namespace vortab::dbinfo
