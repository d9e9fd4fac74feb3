// Referential-integrity links between a dependent table and its master table. Adding a link
// checks the dependent's existing records (those whose link fields name no master record are
// moved to a key-violation table), gives the dependent an index on the link fields when it has
// none, and writes both sides: the dependent's entry and the master's record of its dependent.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "paradox/format/descriptors.h"
#include "paradox/format/link_descriptor.h"
#include "paradox/format/schema.h"
#include "paradox/format/val_file.h"
#include "paradox/storage/family_swap.h"
#include "paradox/table/index_maintenance.h"
#include "paradox/table/table.h"

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
AddLinkResult AddLink(const std::string& dir, const std::string& dependent, const RILinkDescriptor& link,
                      const OpenOptions& options = {});

// Per dependent record, in the order `probes` yields them: whether its link value names no
// record of master `mas`. probes(emit) calls emit(value, blank) once per record, value being
// the canonical bytes (CopyCanonicalField) of the link's fieldCount fields; blank values never
// orphan. secret: the values come from a protected table.
using LinkProbeSink = std::function<void(const uint8_t* value, bool blank)>;
using LinkProbes = std::function<void(const LinkProbeSink&)>;
std::vector<bool> FindOrphanRecords(const std::shared_ptr<TableState>& mas, uint16_t fieldCount, bool secret,
                                    const LinkProbes& probes);

// The pieces of a new link: the dependent's .VAL entry for it (master's file name, restrict on
// delete) and its place among the entries; the master's record of it; the index Paradox gives
// the dependent's link fields when neither the primary key nor an index in `existing` is led
// by them.
RILinkDescriptor DependentLinkEntry(const RILinkDescriptor& link, const TableState& master);
void InsertDependentLink(ValContents& v, const RILinkDescriptor& entry);
void AddMasterRecord(ValContents& masterVal, const RILinkDescriptor& entry, const std::string& dependentFile,
                     uint16_t masterKeyFields);
std::optional<SecondaryIndexDef> LinkIndexFor(const RILinkDescriptor& entry, const Schema& dependentSchema,
                                              const std::vector<SecondaryIndexDef>& existing);

// Drops the dependent-side link `name` of table `dependent` and the master's record of it.
// 9986 when the table has no link of that name.
void DropLink(const std::string& dir, const std::string& dependent, const std::string& name,
              const OpenOptions& options = {});
// The same for several links at once, in one step: all are dropped, or none.
void DropLinks(const std::string& dir, const std::string& dependent, const std::vector<std::string>& names,
               const OpenOptions& options = {});

// The checks AddLink makes before it reads a record, for links to be added in order to a table
// whose schema and links are given (those it will have after a restructure): the codes of AddLink,
// and the masters' rights. Returns the masters, opened, in the order of `adds`.
std::vector<std::shared_ptr<TableState>> CheckLinkRequests(const std::string& dir, const std::string& dependent,
                                                           const Schema& dependentSchema,
                                                           std::vector<RILinkDescriptor> dependentLinks,
                                                           const std::vector<RILinkDescriptor>& adds,
                                                           const OpenOptions& options = {});

// Stages into swap (opened on the dependent's directory) each master's .VAL without its record
// of the dropped dependent links, with the dependent's field numbers of the renumbered ones
// (given with their new numbers), and with a record of each added one (given as
// DependentLinkEntry made them). Masters are found in the dependent's directory; one that is
// gone or does not record a dropped or renumbered link is left alone.
void StageMasterSides(FamilySwap& swap, const std::string& depDir, const std::string& depBase,
                      const std::vector<RILinkDescriptor>& dropped, const std::vector<RILinkDescriptor>& renumbered,
                      const std::vector<RILinkDescriptor>& added, const OpenOptions& options = {});

// The links of a table as descriptors (dependent side first, then its dependents).
std::vector<RILinkDescriptor> ReadLinks(const std::string& dir, const std::string& table);

}  // namespace paradox
