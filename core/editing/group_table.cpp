#include "editing/group_table.h"

#include "model/project.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/delimited_text.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/data_units.h"
#include "values/units.h"
#include "values/value_text.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace vandro {

// A cell of a parameter or calculated column: either the state's own value
// (the state outlives the cell: both go when the row is rebuilt) or the
// result of evaluating a formula, kept so that nothing evaluates it again.
struct TGroupTable::TCell {
  const TValue* Value = nullptr;
  TValue::Ptr Cached;
  const TValue* Get() const { return Cached ? Cached.get() : Value; }
};

// A sort key's value, prepared once per sort: a number is decoded here
// rather than in every comparison, which is where TValue::Compare spends its
// time. Two numbers in the same known unit compare as plain numbers, exactly
// as Compare does; every other pair goes to Compare itself.
struct TSortValue {
  const TValue* Value = &TValue::Null();
  bool Number = false; // Amount and Unit hold the decoded number
  double Amount = 0;
  std::string Unit;
};

struct TGroupTable::TRow {
  int32_t ObjectId = 0;
  // The object's name; for a member that cannot be shown, why not.
  std::string Name;
  std::shared_ptr<TObjectSet> Set;
  std::vector<std::unique_ptr<TStateTrack>> Tracks; // one per live branch
  size_t Shown = 0;
  std::vector<TCell> Cells;           // one per column after the fixed ones
  std::vector<TSortValue> SortValues; // one per sort key while sorting

  TDataRecord* State() const { return Tracks.empty() ? nullptr : Tracks[Shown]->State.get(); }
};

namespace {

std::string ShownText(const TValue& value) {
  return value.IsPlain() ? value.Text() : ToDisplayText(&value);
}

bool ReadIdentifier(const std::string& text, int32_t& id) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, id);
  return error == std::errc() && at == end && id > 0;
}

bool IsEvaluated(const TValue& value) {
  return value.IsFormula() || value.IsAutoFormula();
}

void Prepare(TSortValue& key, const TValue* value) {
  key.Value = value ? value : &TValue::Null();
  key.Number = false;
  if (!key.Value->IsNumeric()) return;
  double plus = 0, minus = 0;
  try {
    DecodeNumber(key.Value->Text(), key.Amount, plus, minus, key.Unit);
  } catch (const EConvertError&) {
    return;
  }
  key.Number = ActiveUnits().NormalFormOf(key.Unit) != nullptr;
}

int Relation(const TSortValue& a, const TSortValue& b, TRelation relation) {
  if (!a.Number || !b.Number || a.Unit != b.Unit) return a.Value->Compare(*b.Value, relation);
  switch (relation) {
  case relEqual:
    return a.Amount == b.Amount;
  case relLess:
    return a.Amount < b.Amount;
  default:
    return a.Amount > b.Amount;
  }
}

} // namespace

TGroupTable::TGroupTable(TGroupTableHost& host) : host_(host) {}

TGroupTable::~TGroupTable() {
  // Rows and group states point into the sets they keep; let them go first.
  rows_.clear();
  groupStates_.clear();
}

bool TGroupTable::Start(int32_t id, bool alwaysShowHidden) {
  if (id == 0) {
    ShowMsg(kNullReference);
    return false;
  }
  moment_ = Now();
  showHidden_ = alwaysShowHidden;
  recordId_ = 0;
  rows_.clear();
  groupStates_.clear();
  parameters_.clear();
  available_.clear();
  sortKeys_.clear();
  calcColumns_.clear();
  selection_.clear();
  listed_.clear();
  set_ = std::make_shared<TObjectSet>();
  try {
    if (id % 32 != 0 || !set_->Load(id)) {
      TDataRecord record;
      if (!record.Load(id) || !set_->Load(record.ObjIdtor)) {
        ShowMsg("Object doesn't exist. Id=" + std::to_string(id));
        set_.reset();
        return false;
      }
      recordId_ = id;
    }
  } catch (const ErrorException&) {
    // A damaged history has been reported as it was found.
    set_.reset();
    return false;
  }
  recordIndex_ = std::max(0, RecordCount() - 1);
  for (int i = RecordCount() - 1; i >= 0; --i)
    if (set_->Records[static_cast<size_t>(i)]->RealTime <= moment_) {
      recordIndex_ = i;
      break;
    }
  BuildGroupStates();
  if (groupStates_.empty()) return false;
  Refill();
  return true;
}

bool TGroupTable::Reload(double moment) {
  if (!set_) return false;
  auto fresh = std::make_shared<TObjectSet>();
  try {
    if (!fresh->Load(set_->ObjIdtor)) return false;
  } catch (const ErrorException&) {
    return false; // reported where the damage was found
  }
  set_ = std::move(fresh);
  const int chosen = current_;
  PlaceAt(moment);
  BuildGroupStates();
  if (chosen >= 0 && chosen < static_cast<int>(groupStates_.size())) current_ = chosen;
  Refill();
  return true;
}

std::string TGroupTable::Caption() const {
  const std::string name = set_ ? set_->ObjName : std::string();
  return "Group Table View: " + name.substr(0, kCaptionNameCapacity);
}

bool TGroupTable::UsesObject(int32_t objectId) const {
  if (objectId == 0) return false;
  if (GroupId() == objectId) return true;
  return std::any_of(rows_.begin(), rows_.end(), [&](const auto& row) {
    return row->ObjectId == objectId || (row->Set && row->Set->ObjIdtor == objectId);
  });
}

int TGroupTable::RecordCount() const {
  return set_ ? static_cast<int>(set_->Records.size()) : 0;
}

void TGroupTable::SetRecordIndex(int index) {
  if (index < 0 || index >= RecordCount()) return;
  recordIndex_ = index;
  moment_ = set_->Records[static_cast<size_t>(index)]->RealTime;
  BuildGroupStates();
  Refill();
}

// The moment and the last of the group's records at or before it.
void TGroupTable::PlaceAt(double moment) {
  moment_ = moment;
  recordIndex_ = 0;
  for (int i = RecordCount() - 1; i >= 0; --i)
    if (set_->Records[static_cast<size_t>(i)]->RealTime <= moment_) {
      recordIndex_ = i;
      break;
    }
}

void TGroupTable::SetMoment(double moment) {
  PlaceAt(moment);
  BuildGroupStates();
  Refill();
}

std::vector<std::string> TGroupTable::GroupStates() const {
  std::vector<std::string> names;
  for (const auto& track : groupStates_)
    names.push_back(track->State->RecName);
  return names;
}

std::string TGroupTable::CurrentStateName() const {
  if (current_ < 0 || current_ >= static_cast<int>(groupStates_.size())) return {};
  return groupStates_[static_cast<size_t>(current_)]->State->RecName;
}

void TGroupTable::SelectGroupState(int index) {
  if (index < 0 || index >= static_cast<int>(groupStates_.size())) return;
  current_ = index;
  Refill();
}

void TGroupTable::BuildGroupStates() {
  rows_.clear();
  groupStates_.clear();
  current_ = -1;
  if (!set_) return;
  try {
    if (recordId_ != 0) {
      TStateTrack from;
      if (from.SetPath(*set_, recordId_, moment_)) from.DescendantStatesAt(moment_, groupStates_);
    } else {
      set_->StatesAt(moment_, groupStates_);
    }
    for (const auto& track : groupStates_)
      track->ConstructState();
  } catch (const ErrorException&) {
    groupStates_.clear();
    return;
  }
  if (groupStates_.empty()) {
    ShowMsg(kNoGroupState);
    return;
  }
  current_ = 0;
}

void TGroupTable::Refill() {
  rows_.clear();
  selection_.clear();
  if (current_ >= 0) {
    const TDataRecord& group = *groupStates_[static_cast<size_t>(current_)]->State;
    if (!group.Content || group.Content->empty()) {
      ShowMsg(kEmptyContent);
    } else {
      std::vector<std::string> problems;
      for (const auto& member : *group.Content)
        if (member->IsObject()) AddMember(*member, problems);
      if (problems.size() == 1)
        ShowMsg(problems.front());
      else if (!problems.empty())
        ShowMsgList(problems);
    }
  }
  RefreshAvailable();
  Rebuild();
  sortNeeded_ = !sortKeys_.empty();
}

// A member that cannot be shown still gets a row, without a state, so that
// the table says which member it was; the message says why.
void TGroupTable::AddMember(const TValue& member, std::vector<std::string>& problems) {
  auto row = std::make_unique<TRow>();
  int32_t id = 0;
  if (!ReadIdentifier(member.Text(), id)) {
    row->Name = "Invalid object reference: " + member.Text();
    problems.push_back(row->Name);
    rows_.push_back(std::move(row));
    return;
  }
  row->Set = std::make_shared<TObjectSet>();
  try {
    if (id % 32 == 0) {
      row->ObjectId = id;
      if (!row->Set->Load(id)) {
        row->Name = "Object doesn't exist. Id=" + std::to_string(id);
        problems.push_back(row->Name);
        rows_.push_back(std::move(row));
        return;
      }
      row->Set->StatesAt(moment_, row->Tracks);
    } else {
      TDataRecord record;
      if (!record.Load(id) || !row->Set->Load(record.ObjIdtor)) {
        row->Name = "Can't find an DataRecord with id = " + std::to_string(id);
        problems.push_back(row->Name);
        rows_.push_back(std::move(row));
        return;
      }
      row->ObjectId = record.ObjIdtor;
      auto track = std::make_unique<TStateTrack>();
      if (track->SetPath(*row->Set, id, record.RealTime)) row->Tracks.push_back(std::move(track));
    }
    if (row->Tracks.empty()) return; // no live state at the moment
    row->Name = row->Set->ObjName;
    row->Tracks.front()->ConstructState();
  } catch (const ErrorException& e) {
    // Already shown: a damaged history reports itself where it is found.
    row->Tracks.clear();
    row->Name = e.Message();
  }
  if (TDataRecord* state = row->State()) NoteNames(*state);
  rows_.push_back(std::move(row));
}

void TGroupTable::NoteNames(const TDataRecord& state) {
  for (const auto& pair : state.PVs) {
    if (!pair->Parameter) continue;
    if (!listed_.insert(pair->Parameter).second) continue;
    const std::string& name = pair->Parameter->ParamName;
    if (ParameterIndex(name) < 0) parameters_.push_back({name, true});
  }
}

void TGroupTable::RefreshAvailable() {
  available_.clear();
  for (const TListedName& entry : parameters_) {
    if (!entry.Checked) continue;
    const bool key = std::any_of(sortKeys_.begin(), sortKeys_.end(), [&](const TListedName& k) {
      return SameText(k.Name, entry.Name);
    });
    if (!key) available_.push_back(entry.Name);
  }
}

void TGroupTable::SetShowHidden(bool on) {
  if (showHidden_ == on) return;
  showHidden_ = on;
  Rebuild();
}

void TGroupTable::SetParameterChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(parameters_.size())) return;
  TListedName& entry = parameters_[static_cast<size_t>(index)];
  if (entry.Checked == checked) return;
  entry.Checked = checked;
  const bool key = std::any_of(sortKeys_.begin(), sortKeys_.end(),
                               [&](const TListedName& k) { return SameText(k.Name, entry.Name); });
  if (!key) {
    const auto at = std::find(available_.begin(), available_.end(), entry.Name);
    if (checked && at == available_.end()) available_.push_back(entry.Name);
    if (!checked && at != available_.end()) available_.erase(at);
  }
  Rebuild();
}

bool TGroupTable::MoveParameter(int index, int by) {
  const int to = index + by;
  const int count = static_cast<int>(parameters_.size());
  if (index < 0 || index >= count || to < 0 || to >= count || by == 0) return false;
  std::swap(parameters_[static_cast<size_t>(index)], parameters_[static_cast<size_t>(to)]);
  Rebuild();
  return true;
}

void TGroupTable::AddSortKey(int availableIndex, int before) {
  if (availableIndex < 0 || availableIndex >= static_cast<int>(available_.size())) return;
  const std::string name = available_[static_cast<size_t>(availableIndex)];
  available_.erase(available_.begin() + availableIndex);
  const int at = before < 0 || before > static_cast<int>(sortKeys_.size())
                     ? static_cast<int>(sortKeys_.size())
                     : before;
  sortKeys_.insert(sortKeys_.begin() + at, TListedName{name, true});
  sortNeeded_ = true;
}

void TGroupTable::RemoveSortKey(int index) {
  if (index < 0 || index >= static_cast<int>(sortKeys_.size())) return;
  const std::string name = sortKeys_[static_cast<size_t>(index)].Name;
  sortKeys_.erase(sortKeys_.begin() + index);
  const int listed = ParameterIndex(name);
  if (listed >= 0 && parameters_[static_cast<size_t>(listed)].Checked) available_.push_back(name);
  sortNeeded_ = true;
}

void TGroupTable::ClearSortKeys() {
  sortKeys_.clear();
  RefreshAvailable();
  sortNeeded_ = true;
}

void TGroupTable::SetSortAscending(int index, bool ascending) {
  if (index < 0 || index >= static_cast<int>(sortKeys_.size())) return;
  sortKeys_[static_cast<size_t>(index)].Checked = ascending;
  sortNeeded_ = true;
}

void TGroupTable::ShowContent() {
  if (rebuildNeeded_) Rebuild();
  if (sortNeeded_) Sort();
}

bool TGroupTable::AddCalculated(std::string_view name, const TValue& formula) {
  if (!IsEvaluated(formula)) {
    ShowMsg("Formula expected");
    return false;
  }
  const std::string cut(name.substr(0, kCalcNameCapacity));
  if (Trim(cut).empty()) {
    ShowMsg("Empty column name.");
    return false;
  }
  if (ParameterIndex(cut) >= 0) {
    ShowMsg("Column already exists: " + cut);
    return false;
  }
  calcColumns_.push_back({cut, formula.Clone("TCalcColumn.Create")});
  parameters_.push_back({cut, true});
  available_.push_back(cut);
  Rebuild();
  return true;
}

bool TGroupTable::ChangeCalculated(std::string_view name, const TValue& formula) {
  if (!formula.IsFormula()) {
    ShowMsg("Formula expected");
    return false;
  }
  const std::string text(name);
  if (Trim(text).empty()) {
    ShowMsg("Empty column name.");
    return false;
  }
  if (ParameterIndex(text) < 0) {
    ShowMsg("Can't modify column. Column doesn't exist: " + text);
    return false;
  }
  TCalcColumn* column = FindCalc(text);
  if (!column) {
    ShowMsg(text + ". This column is not calculated");
    return false;
  }
  column->Formula = formula.Clone("TCalcColumn.Change");
  const auto key = std::find_if(sortKeys_.begin(), sortKeys_.end(),
                                [&](const TListedName& k) { return SameText(k.Name, text); });
  if (key != sortKeys_.end()) {
    sortKeys_.erase(key);
    if (parameters_[static_cast<size_t>(ParameterIndex(text))].Checked)
      available_.push_back(column->Name);
  }
  Rebuild();
  return true;
}

void TGroupTable::Rebuild() {
  rebuildNeeded_ = false;
  dataUnits_.clear(); // the catalogue may have changed since
  columns_.clear();
  parameterColumns_.clear();
  calcColumnsShown_.clear();
  const TProject* project = CurrentProject();
  for (const TListedName& entry : parameters_) {
    if (!entry.Checked) continue;
    const int column = static_cast<int>(columns_.size());
    columns_.push_back(entry.Name);
    if (const TCalcColumn* calc = FindCalc(entry.Name))
      calcColumnsShown_.emplace_back(column, calc);
    else if (const TParameter* parameter = project ? project->FindParameter(entry.Name) : nullptr)
      parameterColumns_.emplace(parameter, column);
  }
  for (auto& row : rows_)
    RefreshRow(*row);
}

void TGroupTable::RefreshRow(TRow& row) {
  row.Cells.clear();
  row.Cells.resize(columns_.size());
  TDataRecord* state = row.State();
  if (!state) return;
  for (const auto& pair : state->PVs) {
    if (!pair->Parameter || (pair->Invisible && !showHidden_)) continue;
    const auto column = parameterColumns_.find(pair->Parameter);
    if (column == parameterColumns_.end()) continue;
    TCell& cell = row.Cells[static_cast<size_t>(column->second)];
    if (IsEvaluated(pair->Value))
      cell.Cached = Evaluate(pair->Value, *state, pair->Parameter->ParamName);
    else
      cell.Value = &pair->Value;
  }
  for (const auto& [column, calc] : calcColumnsShown_) {
    TCell& cell = row.Cells[static_cast<size_t>(column)];
    if (IsEvaluated(*calc->Formula)) {
      cell.Cached = Evaluate(*calc->Formula, *state, {});
      InDataUnits(*cell.Cached, *state);
    } else {
      cell.Cached = TValue::Create("TCalcColumn.Empty");
    }
  }
}

// The language writes products and quotients in basic units; a gain of grams
// over days reads as g/d, in the units of the values the formula has just
// read in this row (so a row in kilograms shows kg/d). Parameters whose value
// is itself a formula lend no unit: theirs came out of the language too.
void TGroupTable::InDataUnits(TValue& result, const TDataRecord& state) {
  if (!result.IsNumeric()) return;
  const std::string unit = WrittenUnit(result.Text());
  if (unit.empty() || !IsNormalFormUnit(unit)) return;
  std::vector<std::string> read;
  std::string key = unit;
  for (const std::string& name : executor_.ReferencedNames()) {
    const TPVRelation* pair = state.FindPV(name);
    if (!pair || !pair->Value.IsNumeric()) continue;
    read.push_back(WrittenUnit(pair->Value.Text()));
    key += '\n' + read.back();
  }
  auto known = dataUnits_.find(key);
  if (known == dataUnits_.end()) known = dataUnits_.emplace(key, ExpressibleIn(unit, read)).first;
  if (!known->second.empty()) result.ConvertToUnit(known->second);
}

TValue::Ptr TGroupTable::Evaluate(const TValue& formula, TDataRecord& state,
                                  std::string_view parameter) {
  TExecutor::TNameChain chain;
  if (!parameter.empty()) chain.push_back(UpperCase(parameter));
  TValue::Ptr result = TValue::Create("TViewGroupDlg.Evaluate");
  result->Assign(executor_.Run(&chain, &state, formula.Text()));
  return result;
}

std::string TGroupTable::Header(int column) const {
  switch (column) {
  case 0:
    return "#";
  case 1:
    return "Object Name";
  case 2:
    return "State Time";
  default:
    break;
  }
  const int index = column - kFixedColumns;
  if (index < 0 || index >= static_cast<int>(columns_.size())) return {};
  return columns_[static_cast<size_t>(index)];
}

TDataRecord* TGroupTable::State(int row) const {
  if (row < 0 || row >= RowCount()) return nullptr;
  return rows_[static_cast<size_t>(row)]->State();
}

bool TGroupTable::HasState(int row) const {
  return State(row) != nullptr;
}

int TGroupTable::BranchCount(int row) const {
  if (row < 0 || row >= RowCount()) return 0;
  return static_cast<int>(rows_[static_cast<size_t>(row)]->Tracks.size());
}

int TGroupTable::ShownBranch(int row) const {
  if (row < 0 || row >= RowCount()) return 0;
  return static_cast<int>(rows_[static_cast<size_t>(row)]->Shown);
}

const TValue* TGroupTable::CellValue(int row, int column) const {
  const int index = column - kFixedColumns;
  if (row < 0 || row >= RowCount() || index < 0 || index >= static_cast<int>(columns_.size()))
    return nullptr;
  const TRow& r = *rows_[static_cast<size_t>(row)];
  if (const TValue* value = r.Cells[static_cast<size_t>(index)].Get()) return value;
  const TDataRecord* state = r.State();
  if (!state) return nullptr;
  const TPVRelation* pair = state->FindPV(columns_[static_cast<size_t>(index)]);
  return pair ? &pair->Value : nullptr;
}

const TValue* TGroupTable::ShownValue(int row, int column) const {
  const int index = column - kFixedColumns;
  if (row < 0 || row >= RowCount() || index < 0 || index >= static_cast<int>(columns_.size()))
    return nullptr;
  return rows_[static_cast<size_t>(row)]->Cells[static_cast<size_t>(index)].Get();
}

std::string TGroupTable::CellText(int row, int column) const {
  if (row < 0 || row >= RowCount()) return {};
  const TRow& r = *rows_[static_cast<size_t>(row)];
  switch (column) {
  case 0:
    return std::to_string(row);
  case 1:
    if (r.Tracks.size() > 1) return r.Name + "(" + std::to_string(r.Shown) + ")";
    return r.Name;
  case 2:
    return r.State() ? DateTimeToText(r.State()->RealTime) : std::string();
  default:
    break;
  }
  const int index = column - kFixedColumns;
  if (index < 0 || index >= static_cast<int>(columns_.size())) return {};
  const TValue* value = r.Cells[static_cast<size_t>(index)].Get();
  return value ? ShownText(*value) : std::string();
}

std::optional<TValueKind> TGroupTable::CellKind(int row, int column) const {
  const int index = column - kFixedColumns;
  if (row < 0 || row >= RowCount() || index < 0 || index >= static_cast<int>(columns_.size()))
    return std::nullopt;
  const TValue* value = rows_[static_cast<size_t>(row)]->Cells[static_cast<size_t>(index)].Get();
  return value ? value->Kind() : vkPlain;
}

void TGroupTable::AddSelection(TCellRect rect) {
  if (rect.Left > rect.Right) std::swap(rect.Left, rect.Right);
  if (rect.Top > rect.Bottom) std::swap(rect.Top, rect.Bottom);
  rect.Left = std::max(rect.Left, 0);
  rect.Top = std::max(rect.Top, 0);
  rect.Right = std::min(rect.Right, ColumnCount() - 1);
  rect.Bottom = std::min(rect.Bottom, RowCount() - 1);
  if (rect.Left > rect.Right || rect.Top > rect.Bottom) return;
  selection_.push_back(rect);
}

bool TGroupTable::IsSelected(int row, int column) const {
  return std::any_of(selection_.begin(), selection_.end(),
                     [&](const TCellRect& rect) { return rect.Contains(row, column); });
}

TCellRect TGroupTable::ColumnRect(int column) const {
  return {column, 0, column, RowCount() - 1};
}

TCellRect TGroupTable::RowRect(int row) const {
  return {1, row, ColumnCount() - 1, row};
}

std::string TGroupTable::CopyText() const {
  if (!CanCopy()) return {};
  const TCellRect& rect = selection_.front();
  std::string text;
  for (int row = rect.Top; row <= rect.Bottom; ++row) {
    for (int column = rect.Left; column <= rect.Right; ++column)
      AppendField(text, CellText(row, column), "\t", column == rect.Left);
    text += kLineBreak;
  }
  return text;
}

bool TGroupTable::CanHandOn() const {
  for (const TCellRect& rect : selection_)
    for (int column = std::max(rect.Left, kFixedColumns); column <= rect.Right; ++column)
      for (int row = std::max(rect.Top, 0); row <= std::min(rect.Bottom, RowCount() - 1); ++row)
        if (const TValue* value = ShownValue(row, column); value && value->IsNumeric()) return true;
  return false;
}

std::vector<TGroupSeries> TGroupTable::SelectedSeries() const {
  std::set<int> columns;
  for (const TCellRect& rect : selection_)
    for (int column = std::max(rect.Left, kFixedColumns); column <= rect.Right; ++column)
      columns.insert(column);
  std::vector<TGroupSeries> series;
  for (const int column : columns) {
    TGroupSeries one;
    one.Name = Header(column);
    one.Items = TValue::Create("TViewGroupDlg.Series");
    one.Items->SetArray();
    for (int row = 0; row < RowCount(); ++row) {
      if (!IsSelected(row, column)) continue;
      const TValue* value = ShownValue(row, column);
      if (!value || !value->IsNumeric()) continue;
      one.Items->AddItem(value->Clone("TViewGroupDlg.Series"));
      one.Labels.push_back(CellText(row, 1) + " " + CellText(row, 2));
    }
    if (one.Items->ItemCount() > 0) series.push_back(std::move(one));
  }
  return series;
}

std::string TGroupTable::CopyNumericText() const {
  std::set<int> columns;
  for (const TCellRect& rect : selection_)
    for (int column = std::max(rect.Left, kFixedColumns); column <= rect.Right; ++column)
      columns.insert(column);
  std::string text = "Object Name\tState Time";
  for (const int column : columns)
    AppendField(text, Header(column), "\t");
  text += kLineBreak;
  for (int row = 0; row < RowCount(); ++row) {
    std::string line;
    bool any = false;
    for (const int column : columns) {
      const TValue* value = IsSelected(row, column) ? ShownValue(row, column) : nullptr;
      const bool numeric = value && value->IsNumeric();
      AppendField(line, numeric ? value->Text() : std::string(), "\t");
      any = any || numeric;
    }
    if (!any) continue;
    AppendField(text, CellText(row, 1), "\t", true);
    AppendField(text, CellText(row, 2), "\t");
    text += line + kLineBreak;
  }
  return text;
}

bool TGroupTable::NextVersion() {
  if (selection_.empty()) return false;
  return NextVersion(selection_.front().Top);
}

bool TGroupTable::NextVersion(int row) {
  if (row < 0 || row >= RowCount()) return false;
  TRow& r = *rows_[static_cast<size_t>(row)];
  if (r.Tracks.size() < 2) return false;
  r.Shown = (r.Shown + 1) % r.Tracks.size();
  const size_t listed = parameters_.size();
  try {
    r.Tracks[r.Shown]->ConstructState();
  } catch (const ErrorException&) {
    return false;
  }
  NoteNames(*r.State());
  if (parameters_.size() != listed) {
    RefreshAvailable();
    Rebuild();
  } else {
    RefreshRow(r);
  }
  return true;
}

TCellOpen TGroupTable::OpenCell(int row, int column, TValue& value) const {
  value.Clear();
  const TDataRecord* state = State(row);
  const int index = column - kFixedColumns;
  if (!state || index < 0 || index >= static_cast<int>(columns_.size())) return TCellOpen::Nothing;
  const TCell& cell = rows_[static_cast<size_t>(row)]->Cells[static_cast<size_t>(index)];
  if (cell.Cached)
    value.Assign(*cell.Cached);
  else
    state->GetSystemValue(columns_[static_cast<size_t>(index)], value);
  int32_t id = 0;
  if (value.IsObject() && ReadIdentifier(value.Text(), id)) return TCellOpen::ObjectView;
  return TCellOpen::ValueViewer;
}

std::string TGroupTable::WidthText(int pixels, double pixelsPerInch) {
  const double centimetres =
      pixelsPerInch > 0 ? pixels / pixelsPerInch * kWidthCentimetresPerInch : 0;
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, centimetres, std::chars_format::fixed, 2);
  return error == std::errc() ? std::string(buffer, end) : std::string("0.00");
}

std::optional<int> TGroupTable::AskColumnWidth(int pixels, double pixelsPerInch) {
  std::string text = WidthText(pixels, pixelsPerInch);
  for (;;) {
    if (!host_.InputText(kWidthPrompt, text)) return std::nullopt;
    double centimetres = 0;
    if (TextToFloat(text, centimetres) && centimetres >= 0 && centimetres <= kMaxWidthCentimetres)
      return static_cast<int>(pixelsPerInch * (centimetres / kWidthCentimetresPerInch));
    ShowMsg(kInvalidWidth);
  }
}

int TGroupTable::ParameterIndex(std::string_view name) const {
  for (size_t i = 0; i < parameters_.size(); ++i)
    if (SameText(parameters_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

int TGroupTable::ColumnOf(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (SameText(columns_[i], name)) return kFixedColumns + static_cast<int>(i);
  return -1;
}

TCalcColumn* TGroupTable::FindCalc(std::string_view name) {
  for (TCalcColumn& column : calcColumns_)
    if (SameText(column.Name, name)) return &column;
  return nullptr;
}

// The comparison of two rows by the keys in order: a row without a state
// goes after (ascending) or before (descending) the rows with one; values
// that are equal leave it to the next key.
bool TGroupTable::Before(const TRow& a, const TRow& b,
                         const std::vector<std::pair<int, bool>>& keys) const {
  const bool stateA = a.State() != nullptr, stateB = b.State() != nullptr;
  for (size_t k = 0; k < keys.size(); ++k) {
    const bool ascending = keys[k].second;
    if (stateA != stateB) return stateA == ascending;
    if (!stateA) continue;
    const TSortValue& va = a.SortValues[k];
    const TSortValue& vb = b.SortValues[k];
    if (Relation(va, vb, relEqual) == 1) continue;
    return Relation(va, vb, ascending ? relLess : relGreater) == 1;
  }
  return false;
}

// Hoare's partition around the middle row. The relations need not order the
// values consistently (values of different kinds do not compare), so each
// scan is also bounded by the range: every pass still shrinks both parts.
// The smaller part recurses, the larger loops, so the depth stays
// logarithmic.
void TGroupTable::QuickSort(int left, int right, const std::vector<std::pair<int, bool>>& keys) {
  while (left < right) {
    int i = left, j = right;
    const TRow* pivot = rows_[static_cast<size_t>((left + right) / 2)].get();
    do {
      while (i < right && Before(*rows_[static_cast<size_t>(i)], *pivot, keys))
        ++i;
      while (j > left && Before(*pivot, *rows_[static_cast<size_t>(j)], keys))
        --j;
      if (i <= j) {
        std::swap(rows_[static_cast<size_t>(i)], rows_[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - left < right - i) {
      QuickSort(left, j, keys);
      left = i;
    } else {
      QuickSort(i, right, keys);
      right = j;
    }
  }
}

void TGroupTable::Sort() {
  sortNeeded_ = false;
  std::vector<std::pair<int, bool>> keys;
  for (const TListedName& key : sortKeys_) {
    const int column = ColumnOf(key.Name);
    if (column < 0) {
      ShowMsg("Can't find parameter '" + key.Name + "'");
      return;
    }
    keys.emplace_back(column, key.Checked);
  }
  selection_.clear();
  if (keys.empty() || rows_.size() < 2) return;
  for (int row = 0; row < RowCount(); ++row) {
    TRow& r = *rows_[static_cast<size_t>(row)];
    r.SortValues.resize(keys.size());
    for (size_t k = 0; k < keys.size(); ++k)
      Prepare(r.SortValues[k], CellValue(row, keys[k].first));
  }
  try {
    QuickSort(0, RowCount() - 1, keys);
  } catch (const ErrorException&) {
    // Reported where it arose; the rows keep the order reached.
  }
  for (auto& row : rows_)
    row->SortValues.clear();
}

} // namespace vandro
