#include "storage/unit_rows.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class StorageUnits : public testing::StorageTest {
protected:
  StorageUnits() { CreateAndOpen(); }
};

TEST_F(StorageUnits, RowsThatAreMissingMeanABrokenProject) {
  TUnit ghost;
  ghost.id = 999;
  EXPECT_THROW(APSUpdateUnit(ghost), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nCan't find Unit. Idtor = 999", sink.Last());
  EXPECT_THROW(APSDeleteUnit(ghost), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nCan't find Unit. Idtor = 999", sink.Last());
}

} // namespace
} // namespace vandro
