// A fresh directory per test, a scripted message sink, a fixed clock, and
// helpers that create, open and reopen a project in the directory. The
// directory and whatever project is open go away with the test.
#pragma once

#include "model/project.h"
#include "shell/clock.h"
#include "storage/project_lifecycle.h"
#include "support/cp.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vandro::testing {

class StorageTest : public ::testing::Test {
protected:
  StorageTest() {
    std::string pattern = ::testing::TempDir() + "vandro-storage-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    previousClock = SetClock(&clock);
  }

  ~StorageTest() override {
    CloseProject();
    SetClock(previousClock);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  std::string Path(const std::string& relative) const { return dir + "/" + relative; }
  std::string ProjectFile() const { return Path("Test.vdp"); }
  std::string DatabaseFile() const { return Path("Test.vdb"); }

  // Creates the project "Test" in the directory (no base) and opens it.
  TProject& CreateAndOpen() {
    EXPECT_TRUE(APSCreateProject(ProjectFile(), "", NewProjectInfo("Test")));
    EXPECT_TRUE(OpenProject(ProjectFile()));
    EXPECT_NE(nullptr, CurrentProject());
    return *CurrentProject();
  }

  TProject& Reopen() {
    CloseProject();
    EXPECT_TRUE(OpenProject(ProjectFile()));
    EXPECT_NE(nullptr, CurrentProject());
    return *CurrentProject();
  }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  ScriptedSink sink;
  TFixedClock clock{40000.25}; // 6 July 2009, 06:00
  std::string dir;

private:
  const TClock* previousClock = nullptr;
};

} // namespace vandro::testing
