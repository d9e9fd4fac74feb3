// Every engine operation that changes files, recorded once and then checked in every disk
// state a power cut could leave behind it (crash_states.h, state_checker.h): the tables open,
// and they are the old ones or the new ones, whole.
#include <gtest/gtest.h>

#include "operations.h"

namespace {

using power_cut::Operations;

class PowerCut : public testing::TestWithParam<std::size_t> {};

TEST_P(PowerCut, EveryStateOpensOldOrNew) { power_cut::CheckPowerCuts(Operations()[GetParam()]); }

INSTANTIATE_TEST_SUITE_P(Operations, PowerCut, testing::Range<std::size_t>(0, Operations().size()),
                         [](const testing::TestParamInfo<std::size_t>& i) { return power_cut::TestName(Operations()[i.param].name); });

}  // namespace
