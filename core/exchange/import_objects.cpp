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
#include "shell/delimited_text.h"
#include "shell/kept_messages.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/parameter_rows.h"
#include "storage/record_rows.h"
#include "storage/record_writer.h"
#include "values/unknown_unit.h"
#include "values/value_text.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace vandro {

namespace {

constexpr const char* kObjectNameColumn = "_OBJECT_NAME";
constexpr const char* kRealTimeColumn = "_REAL_TIME";

struct TColumn {
  std::string Name;                      // as the header has it
  std::string ParameterName;             // the name it is renamed to, or Name
  const TParameter* Parameter = nullptr; // none for _OBJECT_NAME, _REAL_TIME and skipped ones
  bool Skipped = false;
  std::string Unit; // given to its bare numbers
  // Why no parameter could be made for the column: the naming rule its name
  // breaks. A line with a value there is refused, and counted.
  std::string Refusal;
  int64_t Refused = 0;
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
// occur in text: such a line is a piece of a binary file. Line ends come
// from a quoted field that spans lines.
bool HoldsBinary(std::string_view line, std::string_view separator) {
  return std::any_of(line.begin(), line.end(), [&](char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 0x20 && c != '\t' && c != '\r' && c != '\n' &&
           separator.find(c) == std::string_view::npos;
  });
}

std::string StoredObjectName(std::string_view name) {
  return UpperCase(name);
}

int FindColumn(const std::vector<TColumn>& columns, std::string_view name) {
  for (size_t i = 0; i < columns.size(); ++i)
    if (SameText(columns[i].Name, name)) return static_cast<int>(i);
  return -1;
}

// A whole message on one line, for the summary.
std::string OneLine(const std::string& text) {
  std::string line;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find(kLineBreak, at);
    line += (line.empty() ? "" : " ") + text.substr(at, end - at);
    if (end == std::string::npos) break;
    at = end + 2;
  }
  return line;
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
  void ReportRefusedColumns();
  void Warn(int64_t line, const std::string& column, const std::string& text);

private:
  bool MakeParameters(int64_t headerLine);
  bool ImportLine(const TSourceLine& line);
  void LineStored(int64_t number);
  void Kept();
  void EndBatch(int64_t lastLine);
  void Stop(int64_t line, const std::string& reason);
  void ForgetNewParameters();
  std::vector<std::unique_ptr<TPVRelation>> Pairs(const std::vector<std::string>& fields);
  bool FindObject(const std::string& name);
  void CreateObject(const std::string& name);
  int32_t Modify(TStateTrack& track, const std::vector<std::string>& fields, double time,
                 std::vector<std::unique_ptr<TDataRecord>>& stored);
  bool ModifyLatest(const std::vector<std::string>& fields, double time, const std::string& name,
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

  // The parameters the header made. They are written with the first lines
  // and kept only with them: an import that stores no line leaves none.
  std::vector<int32_t> newParameters_;
  bool parametersKept_ = false;
  // The lines whose states the batch holds uncommitted, and the first one.
  int64_t openLines_ = 0, openFrom_ = 0;
  // What the last commit made lasting: all a failure leaves.
  struct TKept {
    int64_t lines = 0, newObjects = 0, states = 0;
    size_t created = 0, pending = 0;
  } kept_;

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
  std::unordered_set<std::string> named;
  for (const auto& name : names) {
    if (!named.insert(UpperCase(name)).second) {
      ShowMsg("Column " + name + " is named twice in the header");
      return false;
    }
    TColumn column;
    column.Name = column.ParameterName = name;
    columns_.push_back(std::move(column));
  }
  const auto column = [&](const std::string& name) -> TColumn* {
    const int at = FindColumn(columns_, name);
    if (at >= 0) return &columns_[static_cast<size_t>(at)];
    ShowMsg("Column " + name + " is not in the header");
    return nullptr;
  };
  for (const auto& name : settings_.Skipped) {
    TColumn* skipped = column(name);
    if (!skipped) return false;
    skipped->Skipped = true;
  }
  for (const auto& [name, parameter] : settings_.Renamed) {
    TColumn* renamed = column(name);
    if (!renamed) return false;
    if (!IsName(parameter)) {
      ShowMsg("Invalid parameter name syntax:" + parameter + kLineBreak + "Identifier expected.");
      return false;
    }
    renamed->ParameterName = parameter;
  }
  for (const auto& [name, unit] : settings_.Units) {
    TColumn* withUnit = column(name);
    if (!withUnit) return false;
    if (const std::string unknown = UnknownUnitOf("1 [" + unit + "]"); !unknown.empty()) {
      ShowMsg("Column " + name + ": unknown unit " + unknown);
      return false;
    }
    withUnit->Unit = unit;
  }
  for (const auto& renamed : columns_) {
    if (renamed.Skipped || renamed.ParameterName == renamed.Name) continue;
    for (const auto& other : columns_)
      if (&other != &renamed && !other.Skipped &&
          SameText(other.ParameterName, renamed.ParameterName)) {
        ShowMsg("Column " + renamed.Name + " is renamed to " + renamed.ParameterName +
                ", which another column has");
        return false;
      }
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
  for (const int at : {nameColumn_, timeColumn_})
    if (at >= 0 && columns_[static_cast<size_t>(at)].Skipped) {
      ShowMsg("Column " + columns_[static_cast<size_t>(at)].Name +
              (at == nameColumn_ ? " names the objects" : " dates the states") +
              "; it can't be skipped");
      return false;
    }
  return MakeParameters(line.Number);
}

// The parameter of each header column: the project's own (by its name, or
// the name cut to the capacity), or a new one in category "Imported". A name
// a new parameter may not have (a standard function, a reserved word) gives
// none, and the column's refusal the naming rule's message. The new ones are
// written together, in the batch that takes the first lines.
bool TImporter::MakeParameters(int64_t headerLine) {
  // Looked up by name: thousands of columns against thousands of parameters
  // would otherwise cost their product. The first parameter in the list
  // whose name or short name matches answers, as FindParameter does.
  std::unordered_map<std::string, const TParameter*> known;
  const auto know = [&](const TParameter& parameter) {
    known.emplace(UpperCase(parameter.ParamName), &parameter);
    if (!parameter.ShortName.empty()) known.emplace(UpperCase(parameter.ShortName), &parameter);
  };
  for (const auto& parameter : CurrentProject()->Parameters())
    know(*parameter);
  const std::string description =
      "Automatically generated on import (" + DateTimeToText(Now()) + ")";
  std::vector<std::unique_ptr<TParameter>> fresh;
  for (size_t i = 0; i < columns_.size(); ++i) {
    auto& column = columns_[i];
    if (column.Skipped || SameText(column.Name, kObjectNameColumn) ||
        SameText(column.Name, kRealTimeColumn))
      continue;
    // The columns chosen to name the objects and date the states are kept
    // as values too, when their names can name a parameter ("Time" cannot).
    const bool naming = static_cast<int>(i) == nameColumn_ || static_cast<int>(i) == timeColumn_;
    const auto found = known.find(UpperCase(column.ParameterName));
    if (found != known.end()) {
      column.Parameter = found->second;
      continue;
    }
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = column.ParameterName;
    parameter->ShortName = column.ParameterName.substr(0, kShortNameCapacity);
    parameter->Category = "Imported";
    parameter->Descript = description;
    TKeptMessages kept;
    bool allowed = false;
    {
      ScopedMessageSink quiet(kept);
      allowed = CheckParameterNaming(*parameter);
    }
    if (!allowed) {
      if (!naming) column.Refusal = kept.Text;
      continue;
    }
    // The object stays where it is when the project takes it over.
    column.Parameter = parameter.get();
    know(*parameter);
    fresh.push_back(std::move(parameter));
  }
  batch_.emplace(settings_.RowsPerCommit);
  try {
    for (const TParameter* parameter : APSAddParameters(std::move(fresh)))
      newParameters_.push_back(parameter->Idtor);
  } catch (const TStorageFailure& failure) {
    Stop(headerLine, failure.Message());
    return false;
  } catch (const ErrorException&) {
    // Shown already; no parameter was made.
    batch_->Abandon();
    batch_.reset();
    return false;
  }
  return true;
}

void TImporter::ImportLines(TLineSource& source) {
  TSourceLine line;
  int64_t sinceUpdate = 0, lastLine = 0;
  while (source.Next(line)) {
    lastLine = line.Number;
    try {
      if (ImportLine(line)) LineStored(line.Number);
    } catch (const TStorageFailure& failure) {
      // The project's files refuse to take more (a full disk): going on
      // would report lines as imported that are not.
      return Stop(line.Number, failure.Message());
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
  EndBatch(lastLine + 1);
}

void TImporter::LineStored(int64_t number) {
  if (openLines_++ == 0) openFrom_ = number;
  if (batch_->Stored()) Kept();
}

void TImporter::Kept() {
  kept_ = {kept_.lines + openLines_, result_.NewObjects, result_.ModifiedStates, created_.size(),
           pending_.size()};
  result_.StoredLines = kept_.lines;
  openLines_ = 0;
  parametersKept_ = true;
}

void TImporter::EndBatch(int64_t lastLine) {
  if (openLines_ == 0 && !parametersKept_) {
    batch_->Abandon();
    ForgetNewParameters();
  }
  try {
    batch_->Finish();
  } catch (const TStorageFailure& failure) {
    return Stop(lastLine, failure.Message());
  } catch (const ErrorException&) {
    // The project file could not be written after the commit: the lines
    // are in, and its counters are raised again when the project opens.
  }
  Kept();
  batch_.reset();
}

// Keeps what was committed and nothing of the rest.
void TImporter::Stop(int64_t line, const std::string& reason) {
  result_.StoppedAtLine = openLines_ > 0 ? openFrom_ : line;
  result_.Failure = OneLine(reason);
  batch_->Abandon();
  batch_.reset();
  openLines_ = 0;
  result_.StoredLines = kept_.lines;
  result_.NewObjects = kept_.newObjects;
  result_.ModifiedStates = kept_.states;
  created_.resize(kept_.created);
  pending_.resize(kept_.pending);
  if (!parametersKept_) ForgetNewParameters();
  objectName_.clear();
  trackReady_ = false;
}

void TImporter::ForgetNewParameters() {
  CurrentProject()->ForgetParameters(newParameters_);
  newParameters_.clear();
  for (auto& column : columns_)
    column.Parameter = nullptr;
}

// True when the line gave a state.
bool TImporter::ImportLine(const TSourceLine& line) {
  const auto skip = [&](const std::string& reason, const std::string& column = {}) {
    Warn(line.Number, column, LineSkipped(line.Number, reason));
    ++result_.SkippedLines;
    return false;
  };
  if (!line.Problem.empty()) return skip(line.Problem);
  if (TrimView(line.Text).empty()) return false;
  if (HoldsBinary(line.Text, separator_)) return skip("it holds binary data");
  std::vector<std::string> fields = SplitImportLine(line.Text, separator_);
  const size_t width = columns_.size();
  if (fields.size() > width &&
      std::any_of(fields.begin() + static_cast<std::ptrdiff_t>(width), fields.end(),
                  [](const auto& field) { return !field.empty(); }))
    return skip("it has " + std::to_string(fields.size()) + " fields, the header has " +
                std::to_string(width));
  fields.resize(width);
  for (size_t i = 0; i < width; ++i) {
    if (columns_[i].Skipped) fields[i].clear();
    if (!fields[i].empty() && !columns_[i].Refusal.empty()) {
      // Told once for the column, after the import.
      ++columns_[i].Refused;
      ++result_.SkippedLines;
      return false;
    }
  }
  currentLine_ = line.Number;
  // A line with nothing but its object's name and time has no state to
  // give. (Counting its filled fields against the role columns would drop a
  // line with one value and an empty time field as well.)
  bool hasValue = false;
  for (size_t i = 0; i < width && !hasValue; ++i)
    hasValue = !fields[i].empty() && columns_[i].Parameter && static_cast<int>(i) != nameColumn_ &&
               static_cast<int>(i) != timeColumn_;
  if (!hasValue) return false;
  const std::string& name = fields[static_cast<size_t>(nameColumn_ >= 0 ? nameColumn_ : 0)];
  const std::string& nameTitle =
      columns_[static_cast<size_t>(nameColumn_ >= 0 ? nameColumn_ : 0)].Name;
  if (name.empty()) return skip("it has no object name", nameTitle);
  // A name cut to fit was another object's: its lines went to that object.
  if (const std::string fault = NameFault(name); !fault.empty()) return skip(fault, nameTitle);
  double time = Now();
  if (timeColumn_ >= 0 && !fields[static_cast<size_t>(timeColumn_)].empty() &&
      !TryIsoDateTime(fields[static_cast<size_t>(timeColumn_)], time) &&
      !TryTextToDateTime(fields[static_cast<size_t>(timeColumn_)], DateStyle(), time))
    return skip("can't read the time \"" + fields[static_cast<size_t>(timeColumn_)] + "\"",
                columns_[static_cast<size_t>(timeColumn_)].Name);

  for (size_t i = 0; i < width; ++i) {
    std::string& field = fields[i];
    if (!columns_[i].Parameter || field.empty() || field[0] == '@' || field[0] == '=') continue;
    if (double number = 0; !columns_[i].Unit.empty() && TextToFloat(field, number))
      field += " [" + columns_[i].Unit + "]";
    if (const std::string unit = UnknownUnitOf(field); !unit.empty())
      Warn(line.Number, columns_[i].Name,
           "Line " + std::to_string(line.Number) + ": " + UnknownUnitMessage(unit));
  }

  if (!FindObject(name)) {
    // The object and its first record are written as one: a line refused
    // or failing leaves no object without a record.
    TProjectWork work;
    CreateObject(name);
    if (!ModifyLatest(fields, time, name, true)) {
      objectName_.clear();
      return false;
    }
    work.Commit();
    ++result_.NewObjects;
    if (settings_.GroupId != 0 || !settings_.GroupName.empty()) created_.push_back(set_.ObjIdtor);
    return true;
  }
  if (settings_.Mode == imModifyLatest) return ModifyLatest(fields, time, name, false);
  std::vector<std::unique_ptr<TStateTrack>> tracks;
  set_.StatesAt(time, tracks);
  if (tracks.size() <= 1) return ModifyLatest(fields, time, name, false);
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
  const bool any = !stored.empty();
  Keep(stored);
  return any;
}

// Makes the line's object the one kept, its history loaded; false when no
// object has the name yet.
bool TImporter::FindObject(const std::string& name) {
  const std::string stored = StoredObjectName(name);
  if (!objectName_.empty() && stored == objectName_) return true;
  objectName_.clear();
  trackReady_ = false;
  set_.Clear();
  const int32_t id = APSFindObject(name);
  if (id == 0) return false;
  if (!set_.Load(id)) RaiseError("Can't load object " + name);
  objectName_ = stored;
  return true;
}

void TImporter::CreateObject(const std::string& name) {
  const int32_t id = APSCreateObject(name);
  if (id == 0) RaiseError("Can't create object " + name);
  set_.ObjIdtor = id;
  set_.ObjName = StoredObjectName(name);
  set_.Link();
  objectName_ = set_.ObjName;
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
  TRecordDraft draft;
  draft.ObjectId = track.Set->ObjIdtor;
  draft.Track = &track;
  draft.Record = track.NewRecord(Pairs(fields), time);
  draft.Quiet = true; // the import's caller tells the windows once it ends
  if (!draft.Record) return 0;
  // Each state of the line gets a record of its own number: the ones stored
  // before it join the set only when the line is done.
  draft.Record->RecName = NumberedName(*track.Set, stored.size());
  TStoredDraft written = StoreDraft(draft);
  if (!written.Stored) return 0;
  const int32_t id = written.RecordId;
  std::unique_ptr<TDataRecord> record = std::move(written.Record);
  ++result_.ModifiedStates;
  for (auto& reference : linePending_) {
    reference.RecordId = id;
    pending_.push_back(reference);
  }
  stored.push_back(std::move(record));
  return id;
}

bool TImporter::ModifyLatest(const std::vector<std::string>& fields, double time,
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
  if (Modify(track_, fields, time, stored) == 0) {
    Refused(name, time, created, nullptr);
    return false;
  }
  TDataRecord& record = *stored.front();
  Keep(stored);
  track_.Advance(record);
  return true;
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
    Warn(currentLine_, {}, text + "Time:" + DateTimeToText(time));
    return;
  }
  text += "Time stamp:" + DateTimeToText(time) + kLineBreak;
  if (track) text += "Record: " + track->Last()->RecName + kLineBreak;
  Warn(currentLine_, {},
       text + "Check if the time stamp of the new record is " + kLineBreak +
           "greater than that of existing one. ");
}

void TImporter::Warn(int64_t line, const std::string& column, const std::string& text) {
  if (settings_.Warn)
    settings_.Warn({line, column, text});
  else
    ShowMsg(text);
}

// One message for each column whose values could not be taken, however
// many lines had one, with the way out.
void TImporter::ReportRefusedColumns() {
  for (const TColumn& column : columns_) {
    if (column.Refused == 0) continue;
    const std::string lines = column.Refused == 1 ? "1 line with a value in it was skipped"
                                                  : std::to_string(column.Refused) +
                                                        " lines with a value in it were skipped";
    Warn(0, column.Name,
         "Column " + column.Name + " can't name a parameter (" + OneLine(column.Refusal) +
             "): " + lines + "; " +
             (settings_.RenameAdvice ? settings_.RenameAdvice(column.Name)
                                     : std::string("rename the column")));
  }
}

void TImporter::ResolvePendingReferences() {
  if (pending_.empty()) return;
  // Setting a reference the line could not set yet is part of importing
  // the record, not a correction of it.
  const TCompletingRecords completing;
  TRecordBatch batch(settings_.RowsPerCommit);
  // A line that modified several states names its missing object once.
  std::set<std::pair<int64_t, const TParameter*>> reported;
  for (const auto& reference : pending_) {
    const int32_t target = APSFindObject(reference.Name);
    if (target == 0) {
      if (reported.emplace(reference.Line, reference.Parameter).second)
        Warn(reference.Line, reference.Parameter->ParamName,
             "Line " + std::to_string(reference.Line) + ": no object " + reference.Name +
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
    for (;;) {
      const std::string fault = NameFault(name);
      if (fault.empty() && APSFindObject(name) == 0) break;
      const std::string problem = fault.empty() ? "Object " + name + " alredy exists" : fault;
      std::string typed = name;
      if (!settings_.InputName || !settings_.InputName(problem + ". Input new group name", typed) ||
          TrimView(typed).empty()) {
        if (!fault.empty()) ShowMsg(fault);
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
  TRecordDraft draft;
  draft.ObjectId = group;
  draft.Track = &track;
  draft.Record = track.NewGroupRecord(added, {}, now);
  draft.Quiet = true;
  if (!draft.Record || !StoreDraft(draft).Stored) ShowMsg("Objects will not be added to any group");
}

} // namespace

bool TryIsoDateTime(std::string_view text, double& moment) {
  size_t at = 0;
  const auto number = [&](size_t digits, int& value) {
    if (at + digits > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < digits; ++i, ++at) {
      if (text[at] < '0' || text[at] > '9') return false;
      value = value * 10 + (text[at] - '0');
    }
    return true;
  };
  const auto sign = [&](char c) { return at < text.size() && text[at++] == c; };
  text = TrimView(text);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  double date = 0, time = 0;
  if (!number(4, year) || !sign('-') || !number(2, month) || !sign('-') || !number(2, day) ||
      !TryEncodeDate(year, month, day, date))
    return false;
  if (at < text.size()) {
    if (text[at] != 'T' && text[at] != ' ') return false;
    ++at;
    if (!number(2, hour) || !sign(':') || !number(2, minute)) return false;
    if (at < text.size()) {
      if (!sign(':') || !number(2, second)) return false;
      if (at < text.size()) {
        if (text[at] != '.' && text[at] != ',') return false;
        ++at;
        // Milliseconds from the first three digits of the fraction.
        int scale = 100;
        if (at == text.size()) return false;
        for (; at < text.size(); ++at, scale /= 10) {
          if (text[at] < '0' || text[at] > '9') return false;
          millisecond += (text[at] - '0') * scale;
        }
      }
    }
    if (!TryEncodeTime(hour, minute, second, millisecond, time)) return false;
  }
  moment = ComposeDateTime(date, time);
  return true;
}

std::vector<std::string> SplitImportLine(std::string_view line, std::string_view separator) {
  std::vector<std::string> fields;
  SplitFields(line, separator, fields);
  return fields;
}

bool ImportObjects(TLineSource& source, const TImportSettings& settings, TProgress* progress,
                   TImportResult& result) {
  result = TImportResult();
  if (!CurrentProject()) RaiseSystemError("No project is open");
  TProgressScope scope(progress, "Import progress");
  TImporter importer(settings, scope, result);
  TDelimitedRecords records(source, settings.Separator.empty() ? "\t" : settings.Separator);
  const auto stopped = [&] {
    if (result.Failure.empty()) return false;
    result.Summary = "Stopped at line " + std::to_string(result.StoppedAtLine) + ": " +
                     result.Failure + ". " + std::to_string(result.StoredLines) +
                     " lines were imported";
    return true;
  };
  if (!importer.ReadHeader(records)) {
    stopped();
    return false;
  }
  importer.ImportLines(records);
  importer.ReportRefusedColumns();
  try {
    importer.ResolvePendingReferences();
    importer.AddToGroup();
  } catch (const TStorageFailure&) {
    // After a stop the files are likely to refuse this as well; the stop
    // is what the summary tells.
    if (result.Failure.empty()) throw;
  }
  if (stopped()) return false;
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
