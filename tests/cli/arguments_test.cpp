// The argument reader of vandro-cli: a table of command lines against two
// small declarations, then every command's --help and wrong usage as the
// program prints them.
#include "arguments.h"
#include "cli_fixture.h"
#include "commands.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace vandro::cli {
namespace {

using testing::Outcome;
using testing::RunVandro;

// An action among choices, a project, an optional name; a flag, a valued
// option, a repeatable one and one of choices.
const TSyntax kEdit{
    "edit",
    {{"ACTION", TArity::One, {"add", "delete"}}, {"PROJECT"}, {"NAME", TArity::Optional}},
    {{.name = "--new"},
     {.name = "--at", .value = "TIME"},
     {.name = "--set", .value = "NAME=VALUE", .repeatable = true},
     {.name = "--style", .choices = {"european", "us"}}}};

// Words without limit after two, and an option that must be given.
const TSyntax kStore{"store",
                     {{"PROJECT"}, {"OBJECT"}, {"NAME=VALUE", TArity::OneOrMore}},
                     {{.name = "--output", .value = "FILE", .required = true}}};

using TOutcome = TReading::TOutcome;

TEST(ArgumentReader, ReadsOrRefusesCommandLines) {
  struct Case {
    const char* what;
    const TSyntax& syntax;
    std::vector<std::string> words;
    TOutcome outcome;
    std::string problem = {};                                                  // for WrongUsage
    std::vector<std::string> positional = {};                                  // for Run
    std::vector<std::pair<std::string, std::vector<std::string>>> values = {}; // for Run
  };
  const Case cases[] = {
      {"all given",
       kEdit,
       {"add", "P", "N", "--new", "--at", "01.02.2010", "--set", "A=1", "--style", "us"},
       TOutcome::Run,
       "",
       {"add", "P", "N"},
       {{"--new", {}}, {"--at", {"01.02.2010"}}, {"--set", {"A=1"}}, {"--style", {"us"}}}},
      {"options before and between positional words",
       kEdit,
       {"--at", "t", "delete", "--new", "P"},
       TOutcome::Run,
       "",
       {"delete", "P"},
       {{"--at", {"t"}}, {"--new", {}}}},
      {"a repeatable option keeps its values in order",
       kEdit,
       {"add", "P", "--set", "B=2", "--set", "A=-1", "--set", "B=3"},
       TOutcome::Run,
       "",
       {"add", "P"},
       {{"--set", {"B=2", "A=-1", "B=3"}}}},
      {"words starting with one dash are positional",
       kStore,
       {"P", "-3 + 2", "T=-1", "-", "--output", "-o"},
       TOutcome::Run,
       "",
       {"P", "-3 + 2", "T=-1", "-"},
       {{"--output", {"-o"}}}},
      {"a value may start with two dashes",
       kEdit,
       {"add", "P", "--at", "--new", "--set", "--"},
       TOutcome::Run,
       "",
       {"add", "P"},
       {{"--at", {"--new"}}, {"--set", {"--"}}}},
      {"a lone -- ends the options",
       kEdit,
       {"add", "--", "--new", "--help"},
       TOutcome::Run,
       "",
       {"add", "--new", "--help"},
       {}},
      {"choices without regard to case, read as declared",
       kEdit,
       {"ADD", "P", "--style", "US"},
       TOutcome::Run,
       "",
       {"add", "P"},
       {{"--style", {"us"}}}},
      {"a variadic argument takes many words",
       kStore,
       {"P", "O", "A=1", "B=", "C==A", "--output", "f"},
       TOutcome::Run,
       "",
       {"P", "O", "A=1", "B=", "C==A"},
       {{"--output", {"f"}}}},

      {"unknown option",
       kEdit,
       {"add", "P", "--bogus"},
       TOutcome::WrongUsage,
       "unknown option --bogus"},
      {"an option of another command",
       kEdit,
       {"add", "P", "--output", "f"},
       TOutcome::WrongUsage,
       "unknown option --output"},
      {"missing value", kEdit, {"add", "P", "--at"}, TOutcome::WrongUsage, "--at needs a value"},
      {"a value given twice",
       kEdit,
       {"add", "P", "--at", "1", "--at", "2"},
       TOutcome::WrongUsage,
       "--at is given twice"},
      {"a flag given twice",
       kEdit,
       {"add", "P", "--new", "--new"},
       TOutcome::WrongUsage,
       "--new is given twice"},
      {"a value that is no choice",
       kEdit,
       {"add", "P", "--style", "martian"},
       TOutcome::WrongUsage,
       "--style is european or us, not martian"},
      {"a positional word that is no choice",
       kEdit,
       {"rename", "P"},
       TOutcome::WrongUsage,
       "ACTION is add or delete, not rename"},
      {"one positional argument missing",
       kEdit,
       {"add"},
       TOutcome::WrongUsage,
       "PROJECT is missing"},
      {"two missing", kEdit, {}, TOutcome::WrongUsage, "ACTION and PROJECT are missing"},
      {"three missing, a variadic one among them",
       kStore,
       {"--output", "f"},
       TOutcome::WrongUsage,
       "PROJECT, OBJECT and NAME=VALUE are missing"},
      {"a variadic argument needs one word",
       kStore,
       {"P", "O", "--output", "f"},
       TOutcome::WrongUsage,
       "NAME=VALUE is missing"},
      {"surplus",
       kEdit,
       {"add", "P", "N", "extra", "more"},
       TOutcome::WrongUsage,
       "unexpected argument extra"},
      {"a required option missing",
       kStore,
       {"P", "O", "A=1"},
       TOutcome::WrongUsage,
       "--output is missing"},
      {"the first problem is reported",
       kEdit,
       {"--bogus", "--at"},
       TOutcome::WrongUsage,
       "unknown option --bogus"},

      {"--help alone", kStore, {"--help"}, TOutcome::Help},
      {"--help after wrong usage",
       kEdit,
       {"rename", "--bogus", "--at", "1", "--at", "2", "--help"},
       TOutcome::Help},
      {"--help as a value is a value",
       kEdit,
       {"add", "P", "--at", "--help"},
       TOutcome::Run,
       "",
       {"add", "P"},
       {{"--at", {"--help"}}}},
  };
  for (const Case& c : cases) {
    const TReading reading = ReadArguments(c.syntax, c.words);
    EXPECT_EQ(c.outcome, reading.outcome) << c.what << ": " << reading.problem;
    EXPECT_EQ(c.problem, reading.problem) << c.what;
    if (c.outcome != TOutcome::Run) continue;
    const TArguments& args = reading.arguments;
    EXPECT_EQ(c.positional, args.Positional()) << c.what;
    std::set<std::string> given;
    for (const auto& [option, values] : c.values) {
      given.insert(option);
      EXPECT_TRUE(args.Has(option)) << c.what << ": " << option;
      EXPECT_EQ(values, args.Values(option)) << c.what << ": " << option;
      EXPECT_EQ(values.empty() ? "unset" : values.back(), args.Value(option, "unset"))
          << c.what << ": " << option;
    }
    for (const TOptionSyntax& option : c.syntax.options) {
      if (given.count(std::string(option.name))) continue;
      EXPECT_FALSE(args.Has(option.name)) << c.what << ": " << option.name;
      EXPECT_EQ("unset", args.Value(option.name, "unset")) << c.what << ": " << option.name;
      EXPECT_TRUE(args.Values(option.name).empty()) << c.what << ": " << option.name;
    }
  }
}

TEST(ArgumentReader, UsageShowsTheDeclarationInLinesOfEightyCharacters) {
  EXPECT_EQ("edit add|delete PROJECT [NAME] [--new] [--at TIME] [--set NAME=VALUE]...\n"
            "      [--style european|us]",
            UsageText(kEdit, 2));
  EXPECT_EQ("store PROJECT OBJECT NAME=VALUE... --output FILE", UsageText(kStore, 18));
}

// Every command answers --help, and reports wrong usage in one form.
TEST(ArgumentReader, EveryCommandHasHelpAndOneFormOfWrongUsage) {
  std::set<std::string> names;
  for (const TCommand& command : Commands()) {
    const std::string name(command.syntax.name);
    EXPECT_TRUE(names.insert(name).second) << name << " is declared twice";
    const std::string usage = "Usage: vandro-cli " + UsageText(command.syntax, 18) + "\n";

    const Outcome help = RunVandro({name, "--help"});
    EXPECT_EQ(kExitOk, help.status) << name;
    EXPECT_EQ("", help.err) << name;
    EXPECT_EQ(0u, help.out.find(usage + "\n")) << name << "\n" << help.out;
    EXPECT_NE(std::string::npos, help.out.find(std::string(command.summary).substr(0, 20)))
        << name << "\n"
        << help.out;
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);)
      EXPECT_LE(line.size(), 80u) << name << ": " << line;
    // Options may stand anywhere: --help after other words is help all the same.
    EXPECT_EQ(help.out, RunVandro({name, "x", "--help", "y"}).out) << name;

    const Outcome wrong = RunVandro({name, "--no-such-option"});
    EXPECT_EQ(kExitUsage, wrong.status) << name;
    EXPECT_EQ("", wrong.out) << name;
    EXPECT_EQ("vandro-cli " + name + ": unknown option --no-such-option\n" + usage, wrong.err);

    // A declaration the reader can follow: variadic and optional words last,
    // each option once.
    const auto& positional = command.syntax.positional;
    for (size_t i = 0; i + 1 < positional.size(); ++i)
      EXPECT_EQ(TArity::One, positional[i].arity) << name << " " << positional[i].name;
    std::set<std::string_view> options;
    for (const TOptionSyntax& option : command.syntax.options)
      EXPECT_TRUE(options.insert(option.name).second) << name << " " << option.name;
  }
  // The overall help lists every command with its usage.
  const Outcome help = RunVandro({"--help"});
  for (const TCommand& command : Commands())
    EXPECT_NE(std::string::npos, help.out.find("\n  " + UsageText(command.syntax, 2) + "\n"))
        << command.syntax.name;
}

} // namespace
} // namespace vandro::cli
