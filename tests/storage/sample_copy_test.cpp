#include "storage/sample_copy.h"

#include "storage/objects.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vandro {
namespace {

namespace fs = std::filesystem;
using testing::Cp;

// A shipped sample in "program/sample", installed read-only, and the user's
// data directory "user/sample" that does not exist yet.
class SampleCopy : public testing::StorageTest {
protected:
  SampleCopy() {
    fs::create_directories(Path("program/sample"));
    EXPECT_TRUE(APSCreateProject(Shipped(), "", NewProjectInfo("healthmonitor")));
    EXPECT_TRUE(OpenProject(Shipped()));
    EXPECT_NE(0, APSCreateObject("PATIENT"));
    CloseProject();
    for (const auto& file : {Shipped(), ShippedDatabase()})
      fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    shippedBytes = ReadBytes(Shipped()) + ReadBytes(ShippedDatabase());
    sink.Reset();
  }

  std::string Shipped() const { return Path("program/sample/healthmonitor.vdp"); }
  std::string ShippedDatabase() const { return Path("program/sample/healthmonitor.vdb"); }
  std::string UserDirectory() const { return Path("user/sample"); }
  std::string Copy() const { return Path("user/sample/healthmonitor.vdp"); }
  std::string CopyDatabase() const { return Path("user/sample/healthmonitor.vdb"); }

  std::string shippedBytes;
};

TEST_F(SampleCopy, FirstUseCopiesBothFilesAndTheCopyOpensForChanges) {
  ASSERT_EQ(Copy(), UserSampleProject(Shipped(), UserDirectory()));
  for (const auto& file : {Copy(), CopyDatabase()})
    EXPECT_NE(fs::perms::none, fs::status(file).permissions() & fs::perms::owner_write) << file;
  ASSERT_TRUE(OpenProject(Copy()));
  EXPECT_NE(0, APSFindObject("PATIENT"));
  EXPECT_NE(0, APSCreateObject("VISITOR"));
  CloseProject();
  EXPECT_EQ(shippedBytes, ReadBytes(Shipped()) + ReadBytes(ShippedDatabase()));
  EXPECT_TRUE(sink.Messages().empty());

  // Later uses open the same copy, with what the user did to it.
  ASSERT_EQ(Copy(), UserSampleProject(Shipped(), UserDirectory()));
  ASSERT_TRUE(OpenProject(Copy()));
  EXPECT_NE(0, APSFindObject("VISITOR"));
  EXPECT_EQ(2u, std::distance(fs::directory_iterator(UserDirectory()), fs::directory_iterator()));
}

TEST_F(SampleCopy, TheDataFolderMayHaveACyrillicName) {
  const std::string directory = Cp(Path("user/Образцы"));
  ASSERT_EQ(directory + "/healthmonitor.vdp", UserSampleProject(Shipped(), directory));
  EXPECT_TRUE(fs::is_regular_file(Path("user/Образцы/healthmonitor.vdb")));
  ASSERT_TRUE(OpenProject(directory + "/healthmonitor.vdp"));
  EXPECT_NE(0, APSFindObject("PATIENT"));
}

TEST_F(SampleCopy, AnIncompleteCopyIsMadeAgain) {
  for (const auto& [kept, lost] : {std::pair{Copy(), CopyDatabase()}, {CopyDatabase(), Copy()}}) {
    ASSERT_EQ(Copy(), UserSampleProject(Shipped(), UserDirectory()));
    fs::remove(lost);
    ASSERT_EQ(Copy(), UserSampleProject(Shipped(), UserDirectory()));
    ASSERT_TRUE(OpenProject(Copy())) << "lost " << lost;
    EXPECT_NE(0, APSFindObject("PATIENT"));
    CloseProject();
  }
}

TEST_F(SampleCopy, RefusalsLeaveNothingBehind) {
  // No shipped database: the sample is not installed.
  fs::rename(ShippedDatabase(), Path("elsewhere.vdb"));
  EXPECT_EQ("", UserSampleProject(Shipped(), UserDirectory()));
  EXPECT_EQ("The sample project is not installed: " + Shipped(), sink.Last());
  EXPECT_FALSE(fs::exists(Path("user")));
  fs::rename(Path("elsewhere.vdb"), ShippedDatabase());

  // A file where the data directory should be.
  WriteBytes(Path("user"), "not a directory");
  EXPECT_EQ("", UserSampleProject(Shipped(), UserDirectory()));
  EXPECT_EQ(0u,
            sink.Last().rfind("Can't copy the sample project to " + UserDirectory() + ":\r\n", 0))
      << sink.Last();
  EXPECT_EQ("not a directory", ReadBytes(Path("user")));
}

} // namespace
} // namespace vandro
