#include "storage/project_files.h"

#include "storage/storage_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace vandro {
namespace {

class ProjectFiles : public testing::StorageTest {};

TEST_F(ProjectFiles, OnlyExistingFilesOfTheOpenProjectAreItsOwn) {
  EXPECT_FALSE(IsOpenProjectFile(DatabaseFile())); // no project is open yet
  CreateAndOpen();
  WriteBytes(Path("other.txt"), "x");
  WriteBytes(DatabaseFile() + "-journal", "");
  const struct {
    std::string path;
    bool own;
  } cases[] = {
      {ProjectFile(), true},
      {DatabaseFile(), true},
      {DatabaseFile() + "-journal", true},
      {Path("./Test.vdb"), true},
      {Path("other.txt"), false},
      {Path("Test.vdb-wal"), false}, // not there: nothing to lose
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.own, IsOpenProjectFile(c.path)) << c.path;
  std::filesystem::remove(DatabaseFile() + "-journal");

  EXPECT_TRUE(MayWriteOver(Path("other.txt")));
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_FALSE(MayWriteOver(Path("./Test.vdp")));
  EXPECT_EQ("The file is part of the open project: " + Path("./Test.vdp"), sink.Last());

  // A copy is another file; the project closed, nothing is its own.
  std::filesystem::copy_file(DatabaseFile(), Path("copy.vdb"));
  EXPECT_FALSE(IsOpenProjectFile(Path("copy.vdb")));
  CloseProject();
  EXPECT_FALSE(IsOpenProjectFile(DatabaseFile()));
}

} // namespace
} // namespace vandro
