// The companion files of a restructured table: the secondary indexes that survive the new
// field list (renumbered, rebuilt from the new data) and the .VAL with its field numbers, checks
// and links carried over plus the descriptor's check entries. Both are staged into the same
// FamilySwap as the new .DB, so they change together with it.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "paradox/change/restructure_plan.h"
#include "paradox/format/descriptors.h"
#include "paradox/format/val_file.h"
#include "paradox/format/val_writer.h"
#include "paradox/storage/family_swap.h"
#include "paradox/table/index_maintenance.h"

namespace paradox {

class TableState;

struct CompanionPlan {
    std::vector<SecondaryIndexDef> indexes;   // new definitions
    std::vector<std::string> oldIndexFiles;   // file names (no dir) of the old X/Y files
    std::optional<ValContents> val;           // new .VAL contents; nullopt = no .VAL
    bool hadVal = false;
    std::vector<RILinkDescriptor> renumberedLinks;  // kept dependent links whose fields moved (new numbers)
};

// Reads the old companions and works out the new ones, without the dependent links named in
// droppedLinks; refuses (10012) a change that would break a kept referential-integrity link (a
// link field dropped, or a master's key field moved), 9986 for a check entry on a field the new
// table lacks. A dependent link whose fields move is kept with their new numbers.
CompanionPlan PlanCompanions(const TableState& old, const RestructurePlan& plan, const TableDescriptor& desc,
                             const std::vector<RILinkDescriptor>& droppedLinks = {});

// Adds new dependent links (as DependentLinkEntry made them, on the new field numbers) to the
// planned .VAL, with the index Paradox gives a link's fields when none is led by them.
void AddLinksToPlan(CompanionPlan& c, const RestructurePlan& p, const std::vector<RILinkDescriptor>& entries);

// Stages the companions into swap. stagedDb is the new .DB (complete, header final).
void StageCompanions(FamilySwap& swap, const TableState& old, const CompanionPlan& c, const std::string& stagedDb,
                     uint32_t checksum, const ValStamps& stamps);

}  // namespace paradox
