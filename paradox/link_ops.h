// Referential-integrity links between a dependent table and its master table. Adding a link
// checks the dependent's existing records (those whose link fields name no master record are
// moved to a key-violation table), gives the dependent an index on the link fields when it has
// none, and writes both sides: the dependent's entry and the master's record of its dependent.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/descriptors.h"
#include "paradox/family_swap.h"
#include "paradox/link_descriptor.h"
#include "paradox/schema.h"
#include "paradox/table.h"

namespace paradox {

struct AddLinkResult {
    std::string keyViolTable;  // table holding the records set aside; empty if none
    uint32_t orphans = 0;
};

// Adds `link` to the dependent table: link.otherTable names the master (in dir, or with a
// path), thisFields are the dependent's fields, otherFields the master's key fields.
// 9748 when the master fields do not lead the master's primary key, 9995 when field types
// differ, 9741 when the name is taken, 9750 when a field already links to a master,
// 9986 for invalid field numbers. Passwords in `options` serve both tables.
AddLinkResult AddLink(const std::string& dir, const std::string& dependent, const RILinkDescriptor& link,
                      const OpenOptions& options = {});

// Drops the dependent-side link `name` of table `dependent` and the master's record of it.
// 9986 when the table has no link of that name.
void DropLink(const std::string& dir, const std::string& dependent, const std::string& name,
              const OpenOptions& options = {});

// The checks AddLink makes before it reads a record, for links to be added in order to a table
// whose schema and links are given (those it will have after a restructure): the codes of AddLink.
void CheckLinkRequests(const std::string& dir, const std::string& dependent, const Schema& dependentSchema,
                       std::vector<RILinkDescriptor> dependentLinks, const std::vector<RILinkDescriptor>& adds,
                       const OpenOptions& options = {});

// Stages into swap (opened on the dependent's directory) each master's .VAL without its record
// of the dropped dependent links. Masters are found in the dependent's directory; one that is
// gone or does not record the link is left alone.
void StageMasterSidesWithout(FamilySwap& swap, const std::string& depDir, const std::string& depBase,
                             const std::vector<RILinkDescriptor>& dropped, const OpenOptions& options = {});

// The link entries of a restructure's TableDescriptor applied in order: CRADD adds a dependent
// link, CRDROP drops the link of that name, CRMODIFY replaces it (drop, then add), CRNOOP and
// CRCOPY keep it. Master-side entries (kind Master) are kept as they are: they change with their
// dependent. Returns the key-violation table of the last add that set records aside (or empty).
std::string ApplyLinkEntries(const std::string& dir, const std::string& table, const RILinkDescriptor* links,
                             const OperationCode* ops, uint16_t count, const OpenOptions& options = {});

// The links of a table as descriptors (dependent side first, then its dependents).
std::vector<RILinkDescriptor> ReadLinks(const std::string& dir, const std::string& table);

}  // namespace paradox
