#include "arguments.h"

#include "shell/text.h"

#include <algorithm>

namespace vandro::cli {

namespace {

bool IsOption(const std::string& word) {
  return word.size() > 2 && word.rfind("--", 0) == 0;
}

// "a", "a and b", "a, b and c" (or "or").
template <typename TItems> std::string Listed(const TItems& items, std::string_view conjunction) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " " + std::string(conjunction) + " " : ", ";
    text += items[i];
  }
  return text;
}

// Replaces word by the declared spelling of the choice it names; false when
// it names none.
bool ReadChoice(const std::vector<std::string_view>& choices, std::string& word) {
  for (const std::string_view choice : choices)
    if (SameText(choice, word)) {
      word = choice;
      return true;
    }
  return false;
}

std::string ChoiceProblem(std::string_view name, const std::vector<std::string_view>& choices,
                          const std::string& word) {
  return std::string(name) + " is " + Listed(choices, "or") + ", not " + word;
}

std::string ValueText(const TOptionSyntax& option) {
  if (option.choices.empty()) return std::string(option.value);
  std::string text;
  for (const std::string_view choice : option.choices)
    text += (text.empty() ? "" : "|") + std::string(choice);
  return text;
}

std::string UsageWord(const TPositionalSyntax& positional) {
  std::string text;
  for (const std::string_view choice : positional.choices)
    text += (text.empty() ? "" : "|") + std::string(choice);
  if (text.empty()) text = positional.name;
  switch (positional.arity) {
  case TArity::One:
    return text;
  case TArity::Optional:
    return "[" + text + "]";
  case TArity::OneOrMore:
    return text + "...";
  }
  return text;
}

std::string UsageWord(const TOptionSyntax& option) {
  std::string text(option.name);
  if (option.TakesValue()) text += " " + ValueText(option);
  if (!option.required) text = "[" + text + "]";
  if (option.repeatable) text += "...";
  return text;
}

} // namespace

std::string TArguments::Value(std::string_view option, const std::string& fallback) const {
  const auto found = options_.find(option);
  return found == options_.end() || found->second.empty() ? fallback : found->second.back();
}

const std::vector<std::string>& TArguments::Values(std::string_view option) const {
  static const std::vector<std::string> none;
  const auto found = options_.find(option);
  return found == options_.end() ? none : found->second;
}

std::vector<size_t> TArguments::PositionsOf(std::string_view option) const {
  const auto found = positions_.find(option);
  return found == positions_.end() ? std::vector<size_t>() : found->second;
}

TReading ReadArguments(const TSyntax& syntax, const std::vector<std::string>& words) {
  TReading reading;
  TArguments& arguments = reading.arguments;
  bool help = false;
  // The first problem is reported; reading goes on, for a --help further on.
  std::string problem;
  const auto fail = [&](const std::string& text) {
    if (problem.empty()) problem = text;
  };

  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
      continue;
    }
    if (optionsEnded || !IsOption(word)) {
      arguments.positional_.push_back(word);
      continue;
    }
    if (word == "--help") {
      help = true;
      continue;
    }
    const auto option =
        std::find_if(syntax.options.begin(), syntax.options.end(),
                     [&](const TOptionSyntax& declared) { return declared.name == word; });
    if (option == syntax.options.end()) {
      fail("unknown option " + word);
      continue;
    }
    const auto [entry, first] = arguments.options_.try_emplace(word);
    if (!first && !option->repeatable) fail(word + " is given twice");
    if (!option->TakesValue()) continue;
    if (i + 1 == words.size()) {
      fail(word + " needs a value");
      break;
    }
    std::string value = words[++i];
    if (!option->choices.empty() && !ReadChoice(option->choices, value))
      fail(ChoiceProblem(word, option->choices, value));
    entry->second.push_back(std::move(value));
    arguments.positions_[word].push_back(arguments.positional_.size());
  }

  if (help) {
    reading.outcome = TReading::TOutcome::Help;
    return reading;
  }
  for (const TOptionSyntax& option : syntax.options)
    if (option.required && !arguments.Has(option.name))
      fail(std::string(option.name) + " is missing");

  const std::vector<TPositionalSyntax>& declared = syntax.positional;
  std::vector<std::string>& given = arguments.positional_;
  for (size_t i = 0; i < given.size() && !declared.empty(); ++i) {
    const TPositionalSyntax& positional = declared[std::min(i, declared.size() - 1)];
    if (i >= declared.size() && positional.arity != TArity::OneOrMore) break;
    if (!positional.choices.empty() && !ReadChoice(positional.choices, given[i]))
      fail(ChoiceProblem(positional.name, positional.choices, given[i]));
  }
  std::vector<std::string_view> missing;
  for (size_t i = given.size(); i < declared.size(); ++i)
    if (declared[i].arity != TArity::Optional) missing.push_back(declared[i].name);
  if (!missing.empty())
    fail(Listed(missing, "and") + (missing.size() == 1 ? " is missing" : " are missing"));
  const bool variadic = !declared.empty() && declared.back().arity == TArity::OneOrMore;
  if (!variadic && given.size() > declared.size())
    fail("unexpected argument " + given[declared.size()]);

  if (!problem.empty()) {
    reading.outcome = TReading::TOutcome::WrongUsage;
    reading.problem = problem;
  }
  return reading;
}

std::string UsageText(const TSyntax& syntax, size_t indent) {
  constexpr size_t kWidth = 80;
  constexpr std::string_view kContinuation = "\n      ";
  std::vector<std::string> words{std::string(syntax.name)};
  for (const TPositionalSyntax& positional : syntax.positional)
    words.push_back(UsageWord(positional));
  for (const TOptionSyntax& option : syntax.options)
    words.push_back(UsageWord(option));
  std::string text = words.front();
  size_t column = indent + text.size();
  for (size_t i = 1; i < words.size(); ++i) {
    if (column + 1 + words[i].size() > kWidth) {
      text += kContinuation;
      column = kContinuation.size() - 1;
    } else {
      text += ' ';
      ++column;
    }
    text += words[i];
    column += words[i].size();
  }
  return text;
}

} // namespace vandro::cli
