// The rules of the group table view: a group's members at one of its states
// as a table, without widgets.
//
// The table owns the group's history, one state track per live branch end
// of the group at the view moment (the group states), and one row per
// member: the member's own history, one track per live branch (or the one
// track of a referenced state) and which of them is shown. Columns are "#",
// "Object Name", "State Time", then one per checked name of the parameter
// list, where parameters and calculated columns stand side by side.
//
// Cost: refilling (a new moment or group state) loads every member's
// history; rebuilding (columns shown or hidden, a calculated column added,
// another branch shown) evaluates every formula cell once and keeps the
// result in the cell. Sorting and everything the window draws read those
// cells and never evaluate. Rows are numbered from 0 here; the window's
// header row is not counted.
#pragma once

#include "language/executor.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace vandro {

// What the table asks of the window it serves.
class TGroupTableHost {
public:
  virtual ~TGroupTableHost() = default;
  // A line of text from the user (the width in centimetres); false when the
  // user cancels. text holds the proposal and receives the entry.
  virtual bool InputText(const std::string& prompt, std::string& text) = 0;
};

inline constexpr const char* kEmptyContent = "The content is empty";
inline constexpr const char* kNoGroupState = "Object has not any actual state";
inline constexpr const char* kNullReference = "Reference to Null Object";
inline constexpr const char* kWidthPrompt = "Input column width (cm):";
inline constexpr const char* kInvalidWidth = "Invalid width";
inline constexpr const char* kNothingNumeric = "The selected cells hold no numeric values";
inline constexpr int kFixedColumns = 3; // "#", "Object Name", "State Time"
inline constexpr size_t kCalcNameCapacity = 32;
inline constexpr int kCaptionNameCapacity = 50;
// The centimetre of the width dialog, which is not quite the metric one.
inline constexpr double kWidthCentimetresPerInch = 2.51;
inline constexpr double kMaxWidthCentimetres = 25;

// A calculated column: a name and a formula evaluated against each row. A
// product or quotient comes out in the units of the values the formula read
// in that row ("g/d", "mm^2") where its dimension is a product of them to
// the powers -1, 0 or 1; otherwise in the basic units the language gives.
struct TCalcColumn {
  std::string Name;
  TValue::Ptr Formula; // a formula or an auto formula
};

// One entry of the parameter list or of "Sort By".
struct TListedName {
  std::string Name;
  bool Checked = false; // shown as a column; for a sort key: ascending
};

// A rectangle of cells, inclusive, in table rows and columns.
struct TCellRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(int row, int column) const {
    return row >= Top && row <= Bottom && column >= Left && column <= Right;
  }
};

// One selected column handed to statistics: its numeric values in row
// order, each labelled with its row's object name and state time.
struct TGroupSeries {
  std::string Name;
  TValue::Ptr Items; // an array value
  std::vector<std::string> Labels;
};

// What double clicking a cell asks the window to open.
enum class TCellOpen { Nothing, ObjectView, ValueViewer };

class TGroupTable {
public:
  explicit TGroupTable(TGroupTableHost& host);
  ~TGroupTable();
  TGroupTable(const TGroupTable&) = delete;
  TGroupTable& operator=(const TGroupTable&) = delete;

  // A group's object identifier, or the record identifier of one of its
  // states (the view then keeps to the branches that descend from it).
  // False, after a message, when there is nothing to show: the identifier is
  // 0, names neither an object nor a record, or the group has no state now.
  bool Start(int32_t id, bool alwaysShowHidden = false);
  // Reads the group's and the members' histories again, after records were
  // stored, at moment (the bar on the last record not after it): the group
  // state chosen, the columns, calculated columns and sort keys stay. False
  // when the group can no longer be read.
  bool Reload(double moment);
  // "Group Table View:" and the group's name.
  std::string Caption() const;
  int32_t GroupId() const { return set_ ? set_->ObjIdtor : 0; }
  // The group itself or the object of any row.
  bool UsesObject(int32_t objectId) const;

  // The view moment and the track bar over the group's records.
  double Moment() const { return moment_; }
  int RecordCount() const;
  int RecordIndex() const { return recordIndex_; }
  // Moves the bar: the moment becomes that record's real time; the group
  // states and the table follow.
  void SetRecordIndex(int index);
  // The pickers: a moment typed in; the bar goes to the last record not
  // after it.
  void SetMoment(double moment);

  // "Available Group States:" and "Current State:".
  std::vector<std::string> GroupStates() const;
  int CurrentGroupState() const { return current_; }
  std::string CurrentStateName() const;
  void SelectGroupState(int index);

  // The "Advanced" page's lists.
  const std::vector<TListedName>& Parameters() const { return parameters_; }
  const std::vector<std::string>& Available() const { return available_; }
  const std::vector<TListedName>& SortKeys() const { return sortKeys_; }
  bool ShowHidden() const { return showHidden_; }
  void SetShowHidden(bool on);
  // Shows or hides the name's column at once.
  void SetParameterChecked(int index, bool checked);
  // The move buttons; false when the entry is already at that end.
  bool MoveParameter(int index, int by);
  // "<--": the available name goes into "Sort By" (ascending) before the
  // sort key at `before`, or at the end when before is -1 or past it.
  void AddSortKey(int availableIndex, int before);
  // "-->": the key goes back to "Available Parameters" when it is a shown
  // column; otherwise it just leaves "Sort By".
  void RemoveSortKey(int index);
  // "X".
  void ClearSortKeys();
  void SetSortAscending(int index, bool ascending);
  bool SortNeeded() const { return sortNeeded_; }
  // The "Content" page is shown again: rebuilds and sorts as needed. A sort
  // key without a column is reported and leaves the order as it was.
  void ShowContent();

  // The calculated-column panel. Each shows its refusal and returns false,
  // or changes the table and returns true.
  bool AddCalculated(std::string_view name, const TValue& formula);
  bool ChangeCalculated(std::string_view name, const TValue& formula);
  const std::vector<TCalcColumn>& CalcColumns() const { return calcColumns_; }

  // The table.
  int ColumnCount() const { return kFixedColumns + static_cast<int>(columns_.size()); }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  std::string Header(int column) const;
  std::string CellText(int row, int column) const;
  // The kind whose icon opens a parameter cell; nullopt for the fixed
  // columns.
  std::optional<TValueKind> CellKind(int row, int column) const;
  bool HasState(int row) const;
  // How many live branches the row's member has, and which is shown.
  int BranchCount(int row) const;
  int ShownBranch(int row) const;
  // What a cell holds for sorting and statistics: the cached cell, else the
  // state's value of the column's parameter, else nullptr.
  const TValue* CellValue(int row, int column) const;

  // The selection: rectangles collected as the mouse is released.
  const std::vector<TCellRect>& Selection() const { return selection_; }
  void ClearSelection() { selection_.clear(); }
  void AddSelection(TCellRect rect);
  bool IsSelected(int row, int column) const;
  // A whole column (every row) or a whole row (every column but "#").
  TCellRect ColumnRect(int column) const;
  TCellRect RowRect(int row) const;

  // The pop-up menu.
  bool CanCopy() const { return selection_.size() == 1; }
  // "Copy Numeric" and the two statistics commands: a selected cell of a
  // parameter column holds a number (what SelectedSeries hands on).
  bool CanHandOn() const;
  bool CanShowNextVersion() const { return selection_.size() == 1; }
  // "Copy": the single rectangle's texts, tab between cells (a cell holding
  // a tab, a quote or a line break quoted, as spreadsheets paste it), CR LF
  // after each row. Empty when there is not exactly one rectangle.
  std::string CopyText() const;
  // The numeric values of the selected parameter columns, one series per
  // column in column order.
  std::vector<TGroupSeries> SelectedSeries() const;
  // "Copy Numeric": the same series as text, a row per table row that has a
  // numeric selected cell: object name, state time, then a cell per series.
  // Both take the values the cells show: a hidden pair is not handed on.
  std::string CopyNumericText() const;
  // "Next Version" on the top row of the selection; false when that row's
  // member has one branch only or nothing is selected.
  bool NextVersion();
  bool NextVersion(int row);

  // Double click on a cell: a reference to an object opens the object view,
  // any other value the value viewer; value receives it.
  TCellOpen OpenCell(int row, int column, TValue& value) const;

  // "Set Column Width": asks for the width in centimetres until it is a
  // number from 0 to 25; the new width in pixels, or nullopt when the user
  // cancels.
  std::optional<int> AskColumnWidth(int pixels, double pixelsPerInch);
  static std::string WidthText(int pixels, double pixelsPerInch);

private:
  struct TRow;
  struct TCell;

  void PlaceAt(double moment);
  void BuildGroupStates();
  void Refill();
  void AddMember(const TValue& member, std::vector<std::string>& problems);
  void NoteNames(const TDataRecord& state);
  void RefreshAvailable();
  void Rebuild();
  void RefreshRow(TRow& row);
  TValue::Ptr Evaluate(const TValue& formula, TDataRecord& state, std::string_view parameter);
  // Rewrites a calculated result just evaluated against the state.
  void InDataUnits(TValue& result, const TDataRecord& state);
  void Sort();
  int ParameterIndex(std::string_view name) const;
  int ColumnOf(std::string_view name) const;
  TCalcColumn* FindCalc(std::string_view name);
  TDataRecord* State(int row) const;
  // What the cell shows: unlike CellValue, nothing for a hidden pair.
  const TValue* ShownValue(int row, int column) const;
  bool Before(const TRow& a, const TRow& b, const std::vector<std::pair<int, bool>>& keys) const;
  void QuickSort(int left, int right, const std::vector<std::pair<int, bool>>& keys);

  TGroupTableHost& host_;
  std::shared_ptr<TObjectSet> set_;
  int32_t recordId_ = 0; // the group state the view was opened on, if any
  double moment_ = 0;
  int recordIndex_ = 0;
  std::vector<std::unique_ptr<TStateTrack>> groupStates_;
  int current_ = -1;

  std::vector<std::unique_ptr<TRow>> rows_;
  std::vector<std::string> columns_; // the checked names in list order
  // Where each state's pairs and each calculated column go, for the
  // current columns.
  std::unordered_map<const TParameter*, int> parameterColumns_;
  std::vector<std::pair<int, const TCalcColumn*>> calcColumnsShown_;
  std::vector<TListedName> parameters_;
  std::unordered_set<const TParameter*> listed_; // parameters met in any state
  std::vector<std::string> available_;
  std::vector<TListedName> sortKeys_;
  std::vector<TCalcColumn> calcColumns_;
  std::vector<TCellRect> selection_;
  bool showHidden_ = false;
  bool sortNeeded_ = false;
  bool rebuildNeeded_ = false;
  TExecutor executor_;
  // The unit a result's unit is shown in, by that unit and the data units
  // read; empty for none. Found once per combination and rebuild.
  std::unordered_map<std::string, std::string> dataUnits_;
};

} // namespace vandro
