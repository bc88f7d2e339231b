#include "exchange/import_objects.h"

#include "exchange/spreadsheet.h"
#include "language/parameter_naming.h"
#include "model/data_record.h"
#include "model/object_index.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/record_rows.h"
#include "values/unknown_unit.h"
#include "values/value_text.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <utility>

namespace vandro {

namespace {

constexpr const char* kObjectNameColumn = "_OBJECT_NAME";
constexpr const char* kRealTimeColumn = "_REAL_TIME";
constexpr size_t kObjectNameCapacity = 32;

struct TColumn {
  std::string Name;
  const TParameter* Parameter = nullptr; // none for _OBJECT_NAME and _REAL_TIME
  // Why no parameter could be made for the column: the naming rule its name
  // breaks. A line with a value there is refused with it.
  std::string Refusal;
};

// A reference to an object the file names before the object's own line: it
// is stored empty and set once the import has made the object. One that no
// line makes stays empty and is reported with its line.
struct TPendingReference {
  int32_t RecordId;
  const TParameter* Parameter;
  std::string Name;
  int64_t Line;
};

std::string LineSkipped(int64_t number, const std::string& reason) {
  return "Line " + std::to_string(number) + " skipped: " + reason;
}

// Control characters other than tab (and those of the separator) do not
// occur in text: such a line is a piece of a binary file.
bool HoldsBinary(std::string_view line, std::string_view separator) {
  return std::any_of(line.begin(), line.end(), [&](char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 0x20 && c != '\t' && separator.find(c) == std::string_view::npos;
  });
}

std::string StoredObjectName(std::string_view name) {
  return UpperCase(name.substr(0, kObjectNameCapacity));
}

int FindColumn(const std::vector<TColumn>& columns, std::string_view name) {
  for (size_t i = 0; i < columns.size(); ++i)
    if (SameText(columns[i].Name, name)) return static_cast<int>(i);
  return -1;
}

// Keeps the text of the messages shown while it is installed instead of
// showing them.
class TKeptMessages final : public TMessageSink {
public:
  void Show(const std::string& text) override { Text += text; }
  void ShowList(const std::vector<std::string>& lines) override {
    for (const auto& line : lines)
      Text += line;
  }
  bool Ask(const std::string&, bool yesDefault) override { return yesDefault; }
  std::string Text;
};

// The parameter of a header column: the project's own, or a new one in
// category "Imported". A name a new parameter may not have (a standard
// function, a reserved word) gives none, and refusal the naming rule's
// message.
const TParameter* ImportedParameter(const std::string& name, std::string& refusal) {
  TProject& project = *CurrentProject();
  const std::string cut = name.substr(0, kNameCapacity);
  if (const TParameter* found = project.FindParameter(name)) return found;
  if (const TParameter* found = project.FindParameter(cut)) return found;
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = cut;
  parameter->ShortName = name.substr(0, kShortNameCapacity);
  parameter->Category = "Imported";
  parameter->Descript = "Automatically generated on import (" + DateTimeToText(Now()) + ")";
  TKeptMessages kept;
  bool named = false;
  {
    ScopedMessageSink quiet(kept);
    named = CheckParameterNaming(*parameter);
  }
  if (!named) {
    refusal = kept.Text;
    return nullptr;
  }
  return &project.AddParameter(std::move(parameter));
}

class TImporter {
public:
  TImporter(const TImportSettings& settings, TProgressScope& progress, TImportResult& result)
      : settings_(settings), separator_(settings.Separator.empty() ? "\t" : settings.Separator),
        progress_(progress), result_(result) {}

  bool ReadHeader(TLineSource& source);
  void ImportLines(TLineSource& source);
  void ResolvePendingReferences();
  void AddToGroup();

private:
  void ImportLine(const TSourceLine& line);
  std::vector<std::unique_ptr<TPVRelation>> Pairs(const std::vector<std::string>& fields);
  void UseObject(const std::string& name, bool& created);
  int32_t Modify(TStateTrack& track, const std::vector<std::string>& fields, double time,
                 std::vector<std::unique_ptr<TDataRecord>>& stored);
  void ModifyLatest(const std::vector<std::string>& fields, double time, const std::string& name,
                    bool created);
  void Refused(const std::string& name, double time, bool created, const TStateTrack* track);
  void Keep(std::vector<std::unique_ptr<TDataRecord>>& stored);

  const TImportSettings& settings_;
  const std::string separator_;
  TProgressScope& progress_;
  TImportResult& result_;
  std::vector<TColumn> columns_;
  int nameColumn_ = -1, timeColumn_ = -1;
  std::optional<TRecordBatch> batch_;
  std::vector<int32_t> created_; // objects made by this import, for the group
  std::vector<TPendingReference> pending_;
  std::vector<TPendingReference> linePending_;
  int64_t currentLine_ = 0;

  // The history of the object of the last line, kept up to date with what
  // the import adds, so that the lines of one object read it once; and a
  // track on its latest state, replayed one record at a time.
  std::string objectName_; // as stored; empty when nothing is kept
  TObjectSet set_;
  TStateTrack track_;
  bool trackReady_ = false;
};

bool TImporter::ReadHeader(TLineSource& source) {
  TSourceLine line;
  bool found = false;
  while (source.Next(line)) {
    if (!line.Problem.empty()) {
      ShowMsg("Line " + std::to_string(line.Number) + ": " + line.Problem);
      return false;
    }
    if (!TrimView(line.Text).empty()) {
      found = true;
      break;
    }
  }
  if (!found) {
    ShowMsg("Empty File");
    return false;
  }
  const std::vector<std::string> names = SplitImportLine(line.Text, separator_);
  if (std::any_of(names.begin(), names.end(), [](const auto& name) { return name.empty(); })) {
    ShowMsg("Empty parameter name encountered");
    return false;
  }
  bool valid = true;
  for (const auto& name : names) {
    if (IsName(name)) continue;
    ShowMsg("Invalid parameter name syntax:" + name + kLineBreak + "Identifier expected.");
    valid = false;
  }
  if (!valid) return false;
  for (const auto& name : names) {
    if (FindColumn(columns_, name) >= 0) {
      ShowMsg("Column " + name + " is named twice in the header");
      return false;
    }
    columns_.push_back({name, nullptr, {}});
  }
  const auto role = [&](const std::string& chosen, const char* systemName, int& column) {
    column = FindColumn(columns_, chosen.empty() ? std::string(systemName) : chosen);
    if (column < 0 && !chosen.empty()) {
      ShowMsg("Column " + chosen + " is not in the header");
      return false;
    }
    return true;
  };
  if (!role(settings_.NameColumn, kObjectNameColumn, nameColumn_) ||
      !role(settings_.TimeColumn, kRealTimeColumn, timeColumn_))
    return false;
  for (auto& column : columns_)
    if (!SameText(column.Name, kObjectNameColumn) && !SameText(column.Name, kRealTimeColumn))
      column.Parameter = ImportedParameter(column.Name, column.Refusal);
  return true;
}

void TImporter::ImportLines(TLineSource& source) {
  batch_.emplace(settings_.RowsPerCommit);
  TSourceLine line;
  int64_t sinceUpdate = 0;
  while (source.Next(line)) {
    try {
      ImportLine(line);
    } catch (const ErrorException&) {
      // Shown already; nothing of the line was written.
      ++result_.SkippedLines;
      objectName_.clear();
    }
    if (++sinceUpdate >= 256) {
      sinceUpdate = 0;
      if (!progress_.Update(source.ShareRead())) {
        result_.Stopped = true;
        ShowMsg("Import stopped after line " + std::to_string(line.Number));
        break;
      }
    }
  }
  batch_->Finish();
  batch_.reset();
}

void TImporter::ImportLine(const TSourceLine& line) {
  const auto skip = [&](const std::string& reason) {
    ShowMsg(LineSkipped(line.Number, reason));
    ++result_.SkippedLines;
  };
  if (!line.Problem.empty()) return skip(line.Problem);
  if (TrimView(line.Text).empty()) return;
  if (HoldsBinary(line.Text, separator_)) return skip("it holds binary data");
  std::vector<std::string> fields = SplitImportLine(line.Text, separator_);
  const size_t width = columns_.size();
  if (fields.size() > width &&
      std::any_of(fields.begin() + static_cast<std::ptrdiff_t>(width), fields.end(),
                  [](const auto& field) { return !field.empty(); }))
    return skip("it has " + std::to_string(fields.size()) + " fields, the header has " +
                std::to_string(width));
  fields.resize(width);
  for (size_t i = 0; i < width; ++i)
    if (!fields[i].empty() && !columns_[i].Refusal.empty()) return skip(columns_[i].Refusal);
  currentLine_ = line.Number;
  // A line with nothing but its object's name and time has no state to
  // give. (Counting its filled fields against the role columns would drop a
  // line with one value and an empty time field as well.)
  bool hasValue = false;
  for (size_t i = 0; i < width && !hasValue; ++i)
    hasValue = !fields[i].empty() && columns_[i].Parameter && static_cast<int>(i) != nameColumn_ &&
               static_cast<int>(i) != timeColumn_;
  if (!hasValue) return;
  const std::string& name = fields[static_cast<size_t>(nameColumn_ >= 0 ? nameColumn_ : 0)];
  if (name.empty()) return skip("it has no object name");
  double time = Now();
  if (timeColumn_ >= 0 && !fields[static_cast<size_t>(timeColumn_)].empty() &&
      !TryTextToDateTime(fields[static_cast<size_t>(timeColumn_)], DateStyle(), time))
    return skip("can't read the time \"" + fields[static_cast<size_t>(timeColumn_)] + "\"");

  for (size_t i = 0; i < width; ++i) {
    const std::string& field = fields[i];
    if (!columns_[i].Parameter || field.empty() || field[0] == '@' || field[0] == '=') continue;
    if (const std::string unit = UnknownUnitOf(field); !unit.empty())
      ShowMsg("Line " + std::to_string(line.Number) + ": " + UnknownUnitMessage(unit));
  }

  bool created = false;
  UseObject(name, created);
  if (created || settings_.Mode == imModifyLatest) return ModifyLatest(fields, time, name, created);
  std::vector<std::unique_ptr<TStateTrack>> tracks;
  set_.StatesAt(time, tracks);
  if (tracks.size() <= 1) return ModifyLatest(fields, time, name, created);
  std::vector<std::unique_ptr<TDataRecord>> stored;
  if (settings_.Mode == imModifyAll) {
    for (const auto& track : tracks)
      if (Modify(*track, fields, time, stored) == 0) Refused(name, time, false, track.get());
  } else {
    TStateTrack branch;
    branch.SetRootPath(set_, time);
    Modify(branch, fields, time, stored);
  }
  trackReady_ = false;
  Keep(stored);
}

void TImporter::UseObject(const std::string& name, bool& created) {
  const std::string stored = StoredObjectName(name);
  if (!objectName_.empty() && stored == objectName_) return;
  objectName_.clear();
  trackReady_ = false;
  set_.Clear();
  int32_t id = APSFindObject(name);
  if (id == 0) {
    id = APSCreateObject(name);
    if (id == 0) RaiseError("Can't create object " + name);
    created = true;
    ++result_.NewObjects;
    if (settings_.GroupId != 0 || !settings_.GroupName.empty()) created_.push_back(id);
    set_.ObjIdtor = id;
    set_.ObjName = stored;
    set_.Link();
  } else if (!set_.Load(id)) {
    RaiseError("Can't load object " + name);
  }
  objectName_ = stored;
}

std::vector<std::unique_ptr<TPVRelation>> TImporter::Pairs(const std::vector<std::string>& fields) {
  std::vector<std::unique_ptr<TPVRelation>> pairs;
  linePending_.clear();
  for (size_t i = 0; i < columns_.size(); ++i) {
    const std::string& field = fields[i];
    if (field.empty() || !columns_[i].Parameter) continue;
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = columns_[i].Parameter;
    pair->Modified = true;
    if (field[0] == '@') {
      const std::string target = field.substr(1);
      if (const int32_t id = APSFindObject(target); id != 0)
        pair->Value.SetText(vkObject, std::to_string(id));
      else if (!target.empty())
        linePending_.push_back({0, pair->Parameter, target, currentLine_});
    } else if (field[0] == '=') {
      pair->Value.SetText(vkCalculated, field.substr(1));
    } else {
      pair->Value.SetPlain(field);
    }
    pairs.push_back(std::move(pair));
  }
  return pairs;
}

int32_t TImporter::Modify(TStateTrack& track, const std::vector<std::string>& fields, double time,
                          std::vector<std::unique_ptr<TDataRecord>>& stored) {
  std::unique_ptr<TDataRecord> record;
  const int32_t id = track.ModifyRecord(Pairs(fields), time, TPlacement::NewVersion, &record);
  if (id == 0) return 0;
  ++result_.ModifiedStates;
  for (auto& reference : linePending_) {
    reference.RecordId = id;
    pending_.push_back(std::move(reference));
  }
  stored.push_back(std::move(record));
  batch_->Stored();
  return id;
}

void TImporter::ModifyLatest(const std::vector<std::string>& fields, double time,
                             const std::string& name, bool created) {
  const TDataRecord* latest = set_.LatestRecordAt(time);
  const TDataRecord* target = latest ? latest : &set_.Root;
  if (!trackReady_ || track_.Last() != target) {
    if (latest)
      track_.SetPath(set_, latest->Idtor, time);
    else
      track_.SetRootPath(set_, time);
    trackReady_ = true;
  }
  std::vector<std::unique_ptr<TDataRecord>> stored;
  if (Modify(track_, fields, time, stored) == 0) return Refused(name, time, created, nullptr);
  TDataRecord& record = *stored.front();
  Keep(stored);
  track_.Advance(record);
}

// The records just written join the kept history.
void TImporter::Keep(std::vector<std::unique_ptr<TDataRecord>>& stored) {
  if (stored.empty()) return;
  for (auto& record : stored)
    set_.AddRecord(std::move(record));
  set_.Link();
}

void TImporter::Refused(const std::string& name, double time, bool created,
                        const TStateTrack* track) {
  ++result_.SkippedLines;
  std::string text =
      "Can't import record." + std::string(kLineBreak) + "Object:" + name + kLineBreak;
  if (created) {
    ShowMsg(text + "Time:" + DateTimeToText(time));
    return;
  }
  text += "Time stamp:" + DateTimeToText(time) + kLineBreak;
  if (track) text += "Record: " + track->Last()->RecName + kLineBreak;
  ShowMsg(text + "Check if the time stamp of the new record is " + kLineBreak +
          "greater than that of existing one. ");
}

void TImporter::ResolvePendingReferences() {
  if (pending_.empty()) return;
  TRecordBatch batch(settings_.RowsPerCommit);
  // A line that modified several states names its missing object once.
  std::set<std::pair<int64_t, const TParameter*>> reported;
  for (const auto& reference : pending_) {
    const int32_t target = APSFindObject(reference.Name);
    if (target == 0) {
      if (reported.emplace(reference.Line, reference.Parameter).second)
        ShowMsg("Line " + std::to_string(reference.Line) + ": no object " + reference.Name +
                "; the value is left empty");
      continue;
    }
    TDataRecord record;
    if (!record.Load(reference.RecordId)) continue;
    for (const auto& pair : record.PVs)
      if (pair->Parameter == reference.Parameter && pair->Value.IsNull())
        pair->Value.SetText(vkObject, std::to_string(target));
    record.Store(nullptr, true);
    batch.Stored();
  }
  batch.Finish();
}

void TImporter::AddToGroup() {
  if (created_.empty()) return;
  const double now = Now();
  int32_t group = settings_.GroupId;
  if (group == 0) {
    std::string name = settings_.GroupName;
    while (APSFindObject(name) != 0) {
      std::string typed = name;
      if (!settings_.InputName ||
          !settings_.InputName("Object " + name + " alredy exists. Input new group name", typed) ||
          TrimView(typed).empty()) {
        ShowMsg("Objects will not be added to any group");
        return;
      }
      name = Trim(typed);
    }
    group = APSCreateObject(name);
    if (group == 0) RaiseError("Can't create object " + name);
    TIndexStore* index =
        CurrentProject()->Store() ? CurrentProject()->Store()->IndexEntries() : nullptr;
    if (!index || (index->IndexNameFree(name) && !index->HasIndexEntry(group)))
      AddEntry(ikGroups, name, "Imported objects (" + DateTimeToText(now) + ")", group);
  }
  TObjectSet set;
  if (!set.Load(group)) RaiseError("Can't load object " + std::to_string(group));
  TStateTrack track;
  const bool chosenState = group == settings_.GroupId && settings_.GroupStateId != 0 &&
                           track.SetPath(set, settings_.GroupStateId, now);
  if (!chosenState && !track.FirstStateTrack(set, now)) track.SetRootPath(set, now);
  std::vector<TValue::Ptr> added;
  for (const int32_t id : created_) {
    TValue::Ptr member = TValue::Create("ImportObjects");
    member->SetText(vkObject, std::to_string(id));
    added.push_back(std::move(member));
  }
  if (track.ModifyGroup(added, {}, now) == 0) ShowMsg("Objects will not be added to any group");
}

} // namespace

std::vector<std::string> SplitImportLine(std::string_view line, std::string_view separator) {
  std::vector<std::string> fields;
  if (separator.empty()) separator = "\t";
  size_t start = 0;
  for (;;) {
    const size_t at = line.find(separator, start);
    if (at == std::string_view::npos) {
      if (start < line.size() || fields.empty()) fields.emplace_back(TrimView(line.substr(start)));
      break;
    }
    fields.emplace_back(TrimView(line.substr(start, at - start)));
    start = at + separator.size();
  }
  return fields;
}

bool ImportObjects(TLineSource& source, const TImportSettings& settings, TProgress* progress,
                   TImportResult& result) {
  result = TImportResult();
  if (!CurrentProject()) RaiseSystemError("No project is open");
  TProgressScope scope(progress, "Import progress");
  TImporter importer(settings, scope, result);
  if (!importer.ReadHeader(source)) return false;
  importer.ImportLines(source);
  importer.ResolvePendingReferences();
  importer.AddToGroup();
  if (result.ModifiedStates == 0) {
    ShowMsg("Nothing was imported");
    return false;
  }
  result.Summary = std::to_string(result.NewObjects) + " new objects. " +
                   std::to_string(result.ModifiedStates) + " states were successfully modified";
  return true;
}

bool ImportObjectsFromFile(const std::string& path, const TImportSettings& settings,
                           TProgress* progress, TImportResult& result) {
  if (IsSpreadsheetPath(path)) {
    std::vector<std::string> lines;
    if (!ReadSpreadsheet(path, lines)) return false;
    TUtf8Lines source(std::move(lines));
    TImportSettings tabbed = settings;
    tabbed.Separator = "\t";
    return ImportObjects(source, tabbed, progress, result);
  }
  TTextFileLines source;
  if (!source.Open(path)) return false;
  return ImportObjects(source, settings, progress, result);
}

} // namespace vandro
