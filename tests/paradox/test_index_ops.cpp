// Secondary index files built by the engine compared with the ones Paradox wrote for the same
// records (structure, key order, B-tree entries), and adding and deleting indexes on copies.
#include <gtest/gtest.h>

#include <algorithm>

#include "index_test_support.h"
#include "paradox/engine_error.h"
#include "paradox/index_maintenance.h"
#include "paradox/secondary_index.h"
#include "paradox/secondary_index_header.h"
#include "paradox/table.h"

using namespace paradox;
using namespace paradox_test;

namespace {

struct RebuildCase {
    const char* sub;
    const char* stem;
    const char* xFile;
    const char* yFile;
    bool compareRecords;  // false where Paradox's own index is stale (non-maintained)
};

class RebuildMatchesParadox : public ::testing::TestWithParam<RebuildCase> {};

TEST_P(RebuildMatchesParadox, SameStructureAndKeyOrder) {
    REQUIRE_FIXTURES();
    const RebuildCase& c = GetParam();
    ScratchDir dir;
    CopyFamily(c.sub, c.stem, dir.path());
    const auto xBefore = ReadBytes(dir.path() / c.xFile);
    const auto yBefore = ReadBytes(dir.path() / c.yFile);
    const auto descBefore = ReadIndexDescriptors(dir.str(), c.stem);

    RebuildSecondaryIndexes(dir.str(), c.stem);

    const auto xAfter = ReadBytes(dir.path() / c.xFile);
    const auto yAfter = ReadBytes(dir.path() / c.yFile);
    const IndexFileHeader a = ParseIndexFileHeader(std::vector<uint8_t>(xBefore.begin(), xBefore.end()));
    const IndexFileHeader b = ParseIndexFileHeader(std::vector<uint8_t>(xAfter.begin(), xAfter.end()));
    EXPECT_EQ(a.fileType, b.fileType);
    EXPECT_EQ(a.version, b.version);
    EXPECT_EQ(a.keyFields, b.keyFields);
    EXPECT_EQ(a.firstIndexField, b.firstIndexField);
    EXPECT_EQ(a.flags, b.flags);
    ASSERT_EQ(a.fields.size(), b.fields.size());
    for (std::size_t i = 0; i < a.fields.size(); ++i) {
        EXPECT_EQ(a.fields[i].type, b.fields[i].type) << i;
        EXPECT_EQ(a.fields[i].sizeByte, b.fields[i].sizeByte) << i;
        EXPECT_EQ(a.fields[i].name, b.fields[i].name) << i;
    }
    EXPECT_EQ(a.fieldNumbers, b.fieldNumbers);
    EXPECT_EQ(a.sortOrderName, b.sortOrderName);
    EXPECT_EQ(a.indexName, b.indexName);
    EXPECT_EQ(Le16(xBefore, 0), Le16(xAfter, 0));  // record size
    EXPECT_EQ(Le16(xBefore, 0x64), Le16(xAfter, 0x64));  // next field ID
    EXPECT_EQ(yBefore[4], yAfter[4]);
    EXPECT_EQ(Le16(yBefore, 0), Le16(yAfter, 0));
    EXPECT_EQ(Le16(yBefore, 0x21), Le16(yAfter, 0x21));
    EXPECT_EQ(xAfter[0x2D], yAfter[0x2C]);  // the B-tree is in step with its data file
    if (c.compareRecords) {
        EXPECT_EQ(ChainRecords(xBefore), ChainRecords(xAfter));
        EXPECT_EQ(ChainRecords(yBefore), ChainRecords(yAfter));
    }

    // The engine reads the rebuilt index exactly as before.
    const auto descAfter = ReadIndexDescriptors(dir.str(), c.stem);
    ASSERT_EQ(descBefore.size(), descAfter.size());
    for (std::size_t i = 0; i < descBefore.size(); ++i)
        EXPECT_EQ(0, std::memcmp(&descBefore[i], &descAfter[i], sizeof(IndexDescriptor))) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RebuildMatchesParadox,
    ::testing::Values(RebuildCase{"paradoxdriver/joins", "C", "C.X02", "C.Y02", true},
                      RebuildCase{"paradoxdriver/joins", "C", "C.X03", "C.Y03", true},
                      RebuildCase{"paradoxdriver/db", "CUSTOMER", "CUSTOMER.X06", "CUSTOMER.Y06", true},
                      RebuildCase{"paradoxdriver/db", "AREACODES", "AREACODES.XG0", "AREACODES.YG0", true},
                      RebuildCase{"paradoxdriver/joins", "fk4", "fk4.XG0", "fk4.YG0", true},
                      RebuildCase{"paradoxdriver/joins", "fk1", "fk1.x02", "fk1.y02", true},
                      RebuildCase{"paradoxdriver/joins", "multiple", "multiple.X04", "multiple.Y04", true},
                      RebuildCase{"paradoxdriver/joins", "case", "case.x01", "case.y01", false},
                      RebuildCase{"paradoxdriver/joins", "indexed", "indexed.xg0", "indexed.yg0", false}),
    [](const auto& info) {
        std::string n = std::string(info.param.stem) + "_" + info.param.xFile;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

}  // namespace
