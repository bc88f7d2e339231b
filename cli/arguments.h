// The one argument reader of vandro-cli. Each command declares its
// positional arguments and its options once (TSyntax); the reader checks a
// command line against the declaration, and the declaration also writes the
// command's usage line, so that every command answers --help and reports
// wrong usage in the same words.
//
// Words: a word of more than two characters starting with "--" is an option;
// every other word is a positional argument, "-5" and "-3 + 2" included. A
// lone "--" ends the options: the words after it are all positional. An
// option's value is the word after it, whatever it is ("--set X=-5",
// "--name --"). "--help" where an option may stand asks for the command's
// help, whatever else the line holds.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vandro::cli {

struct TOptionSyntax {
  std::string_view name;       // "--at"
  std::string_view value = {}; // the placeholder of its value ("TIME"); empty for a flag
  bool repeatable = false;
  bool required = false;
  // When not empty, the value is one of these, without regard to case; it is
  // read as written here, and the usage shows them instead of value.
  std::vector<std::string_view> choices = {};

  bool TakesValue() const { return !value.empty() || !choices.empty(); }
};

enum class TArity {
  One,
  Optional,  // at the end only
  OneOrMore, // at the end only
};

struct TPositionalSyntax {
  std::string_view name; // "PROJECT"
  TArity arity = TArity::One;
  std::vector<std::string_view> choices = {}; // as for an option
};

struct TSyntax {
  std::string_view name;
  std::vector<TPositionalSyntax> positional;
  std::vector<TOptionSyntax> options;
};

struct TReading;

// A command line that fits its syntax. Values are the words as given (in
// the code page of the words read), or the declared spelling of a choice.
class TArguments {
public:
  const std::vector<std::string>& Positional() const { return positional_; }
  const std::string& operator[](size_t i) const { return positional_.at(i); }

  bool Has(std::string_view option) const { return options_.find(option) != options_.end(); }
  // The value of the option, or fallback when it was not given (or is a flag).
  std::string Value(std::string_view option, const std::string& fallback = {}) const;
  // Every value of a repeatable option, in the order given.
  const std::vector<std::string>& Values(std::string_view option) const;
  // For each value of Values(option), how many positional arguments stood
  // before it: "A --at T B" ties T to A, "A B --at T" to B.
  std::vector<size_t> PositionsOf(std::string_view option) const;

private:
  friend TReading ReadArguments(const TSyntax& syntax, const std::vector<std::string>& words);
  std::vector<std::string> positional_;
  std::map<std::string, std::vector<std::string>, std::less<>> options_; // flags: no values
  std::map<std::string, std::vector<size_t>, std::less<>> positions_;    // beside options_
};

struct TReading {
  enum class TOutcome { Run, Help, WrongUsage };
  TOutcome outcome = TOutcome::Run;
  std::string problem; // for WrongUsage: "unknown option --x", "PROJECT is missing"
  TArguments arguments;
};

TReading ReadArguments(const TSyntax& syntax, const std::vector<std::string>& words);

// "record PROJECT OBJECT NAME=VALUE... [--new] [--at TIME]", broken into
// lines of at most 80 characters when it is printed after indent others;
// later lines are indented by six blanks.
std::string UsageText(const TSyntax& syntax, size_t indent);

} // namespace vandro::cli
