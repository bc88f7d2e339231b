#include "exchange/import_dialog.h"

#include "exchange/spreadsheet.h"
#include "exchange/text_lines.h"
#include "language/parameter_naming.h"
#include "model/project.h"
#include "shell/delimited_text.h"
#include "shell/kept_messages.h"
#include "shell/messages.h"
#include "shell/text.h"

#include <algorithm>

namespace vandro {

namespace {

// Code page 1251 for the import; text that has no such form is handed on
// as it stands and the import reports it.
std::string ForImport(const std::string& utf8) {
  std::string out;
  return Utf8ToCp1251(utf8, out) ? out : utf8;
}

// The preview states its own problem; the readers' messages are dropped.
class TQuietSink final : public TMessageSink {
public:
  void Show(const std::string&) override {}
  void ShowList(const std::vector<std::string>&) override {}
  bool Ask(const std::string&, bool yesDefault) override { return yesDefault; }
};

bool IsBlank(std::string_view line) {
  return TrimView(line).empty();
}

} // namespace

const std::vector<std::string>& SeparatorCaptions() {
  static const std::vector<std::string> captions = {"Tabulation", "Comma", "Semicolon", "Other :"};
  return captions;
}

std::string SeparatorText(const TSeparatorChoice& choice) {
  switch (choice.Kind) {
  case skComma:
    return ",";
  case skSemicolon:
    return ";";
  case skOther:
    return choice.Other.empty() ? "\t" : choice.Other;
  case skTab:
    break;
  }
  return "\t";
}

std::string GuessSeparator(const std::vector<std::string>& lines) {
  std::vector<std::string> fields;
  // First a separator that leaves no quote at a field's end (a quoted field
  // cut in two by the wrong one does), then any.
  for (const bool strict : {true, false})
    for (const char* separator : {"\t", ",", ";", "|", ":", " "}) {
      bool stray = false;
      const auto count = [&](const std::string& line) {
        SplitFields(line, separator, fields);
        for (const auto& field : fields)
          stray = stray || (!field.empty() && (field.front() == '"' || field.back() == '"'));
        return fields.size();
      };
      if (lines.empty()) break;
      const size_t header = count(lines.front());
      if (header >= 2 &&
          std::all_of(lines.begin() + 1, lines.end(),
                      [&](const std::string& line) { return count(line) <= header; }) &&
          !(strict && stray))
        return separator;
    }
  return "\t";
}

std::string GuessFileSeparator(const std::string& path) {
  constexpr int kLinesLooked = 20;
  if (IsSpreadsheetPath(path)) return "\t";
  std::vector<std::string> lines;
  {
    TQuietSink quiet;
    ScopedMessageSink scope(quiet);
    TTextFileLines source;
    if (!source.Open(path)) return "\t";
    TSourceLine line;
    while (static_cast<int>(lines.size()) < kLinesLooked && source.Next(line))
      if (line.Problem.empty() && !IsBlank(line.Text)) lines.push_back(line.Text);
  }
  return GuessSeparator(lines);
}

bool TImportDialog::Open(const std::string& path, int maxLines) {
  path_ = path;
  maxLines_ = std::max(maxLines, 1);
  spreadsheet_ = IsSpreadsheetPath(path);
  lines_.clear();
  problem_.clear();
  if (spreadsheet_) {
    std::vector<std::string> rows;
    TQuietSink quiet;
    ScopedMessageSink scope(quiet);
    if (!ReadSpreadsheet(path, rows)) {
      problem_ = "Can't read Excel document: " + path;
    } else {
      int kept = 0;
      for (auto& row : rows) {
        if (kept > maxLines_) break;
        if (IsBlank(row)) continue;
        lines_.push_back({std::move(row), ""});
        ++kept;
      }
    }
  } else if ((problem_ = TextFileProblem(path)).empty()) {
    TTextFileLines source;
    if (source.Open(path)) {
      // Blank lines are kept: a quoted field may hold them.
      TSourceLine line;
      int kept = 0;
      while (kept <= maxLines_ && source.Next(line)) {
        if (!line.Problem.empty()) continue;
        if (!IsBlank(line.Text)) ++kept;
        lines_.push_back({Cp1251ToUtf8(line.Text), line.Ending});
      }
    }
  }
  // The separator the file's first lines suggest (a spreadsheet's cells are
  // joined by tab anyway).
  if (!spreadsheet_) {
    std::vector<std::string> sample;
    for (const auto& line : lines_)
      if (!IsBlank(line.Text) && sample.size() < 20) sample.push_back(line.Text);
    const std::string guessed = GuessSeparator(sample);
    separator_ = guessed == "\t"  ? TSeparatorChoice{skTab, separator_.Other}
                 : guessed == "," ? TSeparatorChoice{skComma, separator_.Other}
                 : guessed == ";" ? TSeparatorChoice{skSemicolon, separator_.Other}
                                  : TSeparatorChoice{skOther, guessed};
  }
  Read();
  return problem_.empty() || problem_ == kEmptyFile || problem_ == kEmptyParameterName;
}

void TImportDialog::SetSeparator(const TSeparatorChoice& choice) {
  separator_ = choice;
  Read();
}

void TImportDialog::Read() {
  header_.clear();
  rows_.clear();
  if (!problem_.empty() && problem_ != kEmptyFile && problem_ != kEmptyParameterName) return;
  problem_.clear();
  // A spreadsheet's cells are always joined by tab.
  const std::string separator = spreadsheet_ ? "\t" : SeparatorText(separator_);
  // The records, as the import joins them: a quoted field may span lines.
  std::vector<std::string> records;
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string record = lines_[i].Text;
    bool open = record.find('"') != std::string::npos && EndsInsideQuotes(record, separator, false);
    for (; open && i + 1 < lines_.size(); ++i) {
      record += lines_[i].Ending;
      record += lines_[i + 1].Text;
      open = EndsInsideQuotes(lines_[i + 1].Text, separator, true);
    }
    if (!IsBlank(record)) records.push_back(std::move(record));
  }
  if (records.empty()) {
    problem_ = kEmptyFile;
  } else {
    header_ = SplitImportLine(records.front(), separator);
    for (size_t i = 1; i < records.size(); ++i)
      rows_.push_back(SplitImportLine(records[i], separator));
    if (std::any_of(header_.begin(), header_.end(), [](const auto& f) { return f.empty(); }))
      problem_ = kEmptyParameterName;
  }
  auto inHeader = [this](const std::string& name) {
    return std::find(header_.begin(), header_.end(), name) != header_.end();
  };
  if (!inHeader(nameColumn_)) nameColumn_.clear();
  if (!inHeader(timeColumn_)) timeColumn_.clear();
  std::erase_if(roles_, [&](const auto& role) { return !inHeader(role.first); });
  Flag();
}

// A flagged column stops the import before it starts: its lines would be
// refused one and all.
void TImportDialog::Flag() {
  flagged_.clear();
  for (const auto& column : header_)
    if (const std::string flag = HeaderFlag(column); !flag.empty()) {
      flagged_ =
          "Column " + column + " can't name a parameter (" + flag + "): rename it or skip it";
      return;
    }
}

TImportDialog::TColumnRole* TImportDialog::Role(const std::string& column) {
  if (std::find(header_.begin(), header_.end(), column) == header_.end()) return nullptr;
  for (auto& [name, role] : roles_)
    if (name == column) return &role;
  return &roles_.emplace_back(column, TColumnRole{}).second;
}

const TImportDialog::TColumnRole* TImportDialog::Role(const std::string& column) const {
  for (const auto& [name, role] : roles_)
    if (name == column) return &role;
  return nullptr;
}

void TImportDialog::SetSkipped(const std::string& column, bool skipped) {
  if (TColumnRole* role = Role(column)) role->Skipped = skipped;
  Flag();
}

void TImportDialog::SetRenamed(const std::string& column, const std::string& name) {
  if (TColumnRole* role = Role(column)) role->Renamed = Trim(name);
  Flag();
}

void TImportDialog::SetUnit(const std::string& column, const std::string& unit) {
  if (TColumnRole* role = Role(column)) role->Unit = Trim(unit);
}

bool TImportDialog::Skipped(const std::string& column) const {
  const TColumnRole* role = Role(column);
  return role && role->Skipped;
}

std::string TImportDialog::RenamedTo(const std::string& column) const {
  const TColumnRole* role = Role(column);
  return role ? role->Renamed : std::string();
}

std::string TImportDialog::Unit(const std::string& column) const {
  const TColumnRole* role = Role(column);
  return role ? role->Unit : std::string();
}

std::string TImportDialog::HeaderFlag(const std::string& column) const {
  if (Skipped(column) || column.empty()) return {};
  // The columns that name the objects and date the states do their work
  // whatever their names; a name no parameter may have only keeps them from
  // being kept as values too.
  if (column == nameColumn_ || column == timeColumn_) return {};
  const std::string renamed = RenamedTo(column);
  const std::string name = ForImport(renamed.empty() ? column : renamed);
  if (SameText(name, "_OBJECT_NAME") || SameText(name, "_REAL_TIME")) return {};
  if (CurrentProject() && CurrentProject()->FindParameter(name)) return {};
  TParameter parameter;
  parameter.ParamName = name;
  parameter.ShortName = name.substr(0, kShortNameCapacity);
  TKeptMessages kept;
  {
    ScopedMessageSink scope(kept);
    if (CheckParameterNaming(parameter)) return {};
  }
  std::string flag = Cp1251ToUtf8(kept.Text);
  for (size_t at = 0; (at = flag.find(kLineBreak, at)) != std::string::npos;)
    flag.replace(at, 2, " ");
  return flag;
}

std::vector<std::string> TImportDialog::ColumnChoices() const {
  std::vector<std::string> choices{""};
  choices.insert(choices.end(), header_.begin(), header_.end());
  return choices;
}

bool TImportDialog::SetNameColumn(const std::string& name) {
  if (!name.empty() && std::find(header_.begin(), header_.end(), name) == header_.end())
    return false;
  nameColumn_ = name;
  Flag();
  return true;
}

bool TImportDialog::SetTimeColumn(const std::string& name) {
  if (!name.empty() && std::find(header_.begin(), header_.end(), name) == header_.end())
    return false;
  timeColumn_ = name;
  Flag();
  return true;
}

TImportSettings TImportDialog::Settings() const {
  TImportSettings settings;
  settings.Separator = ForImport(SeparatorText(separator_));
  settings.NameColumn = ForImport(nameColumn_);
  settings.TimeColumn = ForImport(timeColumn_);
  settings.Mode = Mode;
  for (const auto& [column, role] : roles_) {
    if (role.Skipped) settings.Skipped.push_back(ForImport(column));
    if (!role.Renamed.empty())
      settings.Renamed.emplace_back(ForImport(column), ForImport(role.Renamed));
    if (!role.Unit.empty()) settings.Units.emplace_back(ForImport(column), ForImport(role.Unit));
  }
  if (AddToGroup) {
    settings.GroupId = GroupId;
    settings.GroupStateId = GroupId ? GroupStateId : 0;
    settings.GroupName = ForImport(GroupName);
  }
  return settings;
}

} // namespace vandro
