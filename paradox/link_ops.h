// Referential-integrity links between a dependent table and its master table. Adding a link
// checks the dependent's existing records (those whose link fields name no master record are
// moved to a key-violation table), gives the dependent an index on the link fields when it has
// none, and writes both sides: the dependent's entry and the master's record of its dependent.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/descriptors.h"
#include "paradox/family_swap.h"
#include "paradox/link_descriptor.h"
#include "paradox/schema.h"
#include "paradox/table.h"

namespace paradox {

class TableState;

struct AddLinkResult {
    std::string keyViolTable;  // table holding the records set aside; empty if none
    uint32_t orphans = 0;
};

// Adds `link` to the dependent table: link.otherTable names the master (in dir, or with a
// path), thisFields are the dependent's fields, otherFields the master's key fields.
// 9748 when the master fields do not lead the master's primary key, 9995 when field types
// differ, 9741 when the name is taken, 9750 when a field already links to a master,
// 9986 for invalid field numbers. Passwords in `options` serve both tables.
// Orphans go to table keyViolTable when given (appended to when it exists: it must have the
// dependent's fields), else to a new table under the first free KEYVIOL name.
AddLinkResult AddLink(const std::string& dir, const std::string& dependent, const RILinkDescriptor& link,
                      const OpenOptions& options = {}, const std::string& keyViolTable = "");

// 9729 when a record of `dep` has link fields (link.thisFields, not all blank) naming no record
// of the link's master (found in dep's directory). `dep` may be the state of a staged file.
void CheckNoOrphans(const std::shared_ptr<TableState>& dep, const RILinkDescriptor& link, const OpenOptions& options = {});

// Drops the dependent-side link `name` of table `dependent` and the master's record of it.
// 9986 when the table has no link of that name.
void DropLink(const std::string& dir, const std::string& dependent, const std::string& name,
              const OpenOptions& options = {});
// The same for several links at once, in one step: all are dropped, or none.
void DropLinks(const std::string& dir, const std::string& dependent, const std::vector<std::string>& names,
               const OpenOptions& options = {});

// The checks AddLink makes before it reads a record, for links to be added in order to a table
// whose schema and links are given (those it will have after a restructure): the codes of AddLink.
void CheckLinkRequests(const std::string& dir, const std::string& dependent, const Schema& dependentSchema,
                       std::vector<RILinkDescriptor> dependentLinks, const std::vector<RILinkDescriptor>& adds,
                       const OpenOptions& options = {});

// Stages into swap (opened on the dependent's directory) each master's .VAL without its record
// of the dropped dependent links, and with the dependent's field numbers of the renumbered ones
// (given with their new numbers). Masters are found in the dependent's directory; one that is
// gone or does not record the link is left alone.
void StageMasterSides(FamilySwap& swap, const std::string& depDir, const std::string& depBase,
                      const std::vector<RILinkDescriptor>& dropped, const std::vector<RILinkDescriptor>& renumbered,
                      const OpenOptions& options = {});

// The links of a table as descriptors (dependent side first, then its dependents).
std::vector<RILinkDescriptor> ReadLinks(const std::string& dir, const std::string& table);

}  // namespace paradox
