// What the vandro-cli tests share: running the program in-process, and a
// fresh directory with a settings folder of its own and a clock that stands
// still, optionally with the project "Plant" in it. A project is closed
// between commands, as it is between runs of the program.
#pragma once

#include "cli.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "storage/project_lifecycle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vandro::cli::testing {

struct Outcome {
  int status;
  std::string out, err;
};

// input is what the terminal answers to questions.
inline Outcome RunVandro(const std::vector<std::string>& args, const std::string& input = {}) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = RunCli(args, {in, out, err, false});
  return {status, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
protected:
  explicit CliTest(double now) : clock(now) {
    std::string pattern = ::testing::TempDir() + "vandro-cli-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    if (const char* saved = std::getenv("VANDRO_CONFIG_DIR")) savedConfig_ = saved;
    setenv("VANDRO_CONFIG_DIR", (dir + "/config").c_str(), 1);
    previousClock_ = SetClock(&clock);
  }

  ~CliTest() override {
    CloseProject();
    SetClock(previousClock_);
    SetDateStyle(TDateStyle::European);
    if (savedConfig_.empty())
      unsetenv("VANDRO_CONFIG_DIR");
    else
      setenv("VANDRO_CONFIG_DIR", savedConfig_.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  Outcome Run(const std::vector<std::string>& args) { return RunVandro(args); }

  // Runs a command that must succeed; its output.
  std::string Ok(const std::vector<std::string>& args) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(kExitOk, outcome.status) << args[0] << ": " << outcome.err;
    return outcome.out;
  }

  TFixedClock clock;
  std::string dir;

private:
  std::string savedConfig_;
  const TClock* previousClock_ = nullptr;
};

// The project "Plant" made in the directory, at 9 August 2010, 12:00.
class PlantTest : public CliTest {
protected:
  PlantTest() : CliTest(40400.5), project(dir + "/Plant.vdp") {
    EXPECT_TRUE(APSCreateProject(project, "", NewProjectInfo("Plant")));
  }

  std::string project;
};

} // namespace vandro::cli::testing
