// The rules of the record dialog ("New Object", "New State", "Edit Record",
// and each of them started from a template), without its widgets.
//
// The editor owns what the dialog builds: the new record (one pair per grid
// row, the last row always a blank pair for a new parameter), the given
// track and a working copy of it cut at the new record's real time, the
// template and the group list. The window draws Rows() and forwards what the
// user does; every refusal and question goes through the message sink here.
//
// Nothing reaches storage before the record is stored, apart from the
// in-memory reservation of an automatic object name. The record that is
// stored is a copy: when storing fails the dialog keeps every pair as typed.
#pragma once

#include "editing/template_editor.h"
#include "language/executor.h"
#include "model/data_record.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "model/template.h"
#include "storage/objects.h"
#include "storage/record_writer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// What the record editor asks of the window it serves.
class TRecordEditorHost {
public:
  virtual ~TRecordEditorHost() = default;
  // The parameter editor on a new parameter; true when it was accepted. A
  // parameter the project then refuses comes back with what was typed.
  virtual bool EditNewParameter(TParameter& parameter) = 0;
  // A parameter was added to the project: every record dialog refills its
  // list of parameters.
  virtual void ParameterAdded() = 0;
  // "Launch": target, an http, https or mailto address or the full path of
  // a document the user agreed to open (editing/launch_guard.h), is opened
  // with the desktop's default application; failures are ignored.
  virtual void Launch(const std::string& target) = 0;
};

enum class TRecordMode { NewObject, NewState, EditRecord };

// Grid columns as the window numbers them: 0 is the narrow first column.
enum TRecordColumn : int { rcParameter = 1, rcValue = 2, rcPrevious = 3 };

struct TRecordRow {
  bool HasParameter = false;
  std::string Parameter;
  std::string Value; // a calculated value shows its result
  TValueKind ValueKind = vkPlain;
  std::string Previous; // the previous state's value, when the column shows
  TValueKind PreviousKind = vkPlain;
  bool Modified = false;
  bool Invisible = false;
  bool Formula = false; // the "?" button shows
  std::string Hint;     // the hint over the value cell
};

// One item of the group list on the "Advanced" page.
struct TGroupItem {
  std::string Text;
  bool Checked = false;                   // the action applies to the state, not the object
  TActionTemplate* Action = nullptr;      // the template's, or owned below
  std::unique_ptr<TActionTemplate> Owned; // added in the dialog
};

inline constexpr const char* kNoObjectForRecord = "Object was not selected";
inline constexpr const char* kAutomaticNameBase = "Object_";
// An edited record's new real time must stay between its neighbours' (the
// record and group dialogs say so as the time field is left).
inline constexpr const char* kBelowPrevious =
    "The new real time value is lower than that of the previous\r\nobservation. Change the time.";
inline constexpr const char* kAboveNext = "The new real time value is greater than the time "
                                          "\r\nof the next observation. Change the time.";

// Where a new state at time goes in a record or group dialog. working is
// the chosen state's track cut at time; pathSuccessor the record of the
// chosen path it goes before (back-dating along the path), if any. A state
// dated before a record that follows the chosen one asks whether it goes
// between them ("Insert") or starts a branch ("New branch"). successor is
// set to the record it goes before; false when the user cancels.
bool ChooseSuccessor(const TStateTrack& working, TDataRecord* pathSuccessor, double time,
                     TDataRecord*& successor);

class TRecordEditor {
public:
  explicit TRecordEditor(TRecordEditorHost& host);
  ~TRecordEditor();
  TRecordEditor(const TRecordEditor&) = delete;
  TRecordEditor& operator=(const TRecordEditor&) = delete;

  // Inputs set before Start. The track ends at the chosen state, its state
  // constructed; the set is an object chosen without a state. Either keeps
  // its history alive while the editor lives.
  void SetTemplateName(std::string_view name) { templateName_ = name; }
  void SetTrack(std::unique_ptr<TStateTrack> track);
  void SetObjectSet(std::shared_ptr<TObjectSet> set);
  void SetAlwaysShowHidden(bool on) { alwaysShowHidden_ = on; }

  // Builds the new record for the mode and fills everything the window
  // shows. False after "Object was not selected" (the window closes).
  // Errors of the storage or the template raise; the window closes then.
  bool Start(bool newObject, bool edit);

  TRecordMode Mode() const;
  bool NewObject() const { return newObject_; }
  bool Editing() const { return edit_; }
  std::string ModeCaption() const;
  // Mode caption + ": " + the object name ("New Object" while it is empty).
  std::string Caption() const;
  std::string TemplateCaption() const; // the template's name or "Generic"
  bool HasTemplate() const { return template_ != nullptr; }
  int32_t ObjectId() const { return record_ ? record_->ObjIdtor : 0; }
  int StateNumber() const { return stateNumber_; }
  bool HasPrevious() const { return hasPrevious_; }
  TDataRecord& Record() { return *record_; }
  TDataRecord* PreviousState() const { return previousState_; }

  // "Object Name:" (editable only for a new object). Setting it also sets
  // the record name and the index entry's name and comment.
  const std::string& ObjectName() const { return objectName_; }
  void SetObjectName(std::string_view name);
  const std::string& RecordName() const { return record_->RecName; }
  void SetRecordName(std::string_view name);
  double SysTime() const { return record_->SysTime; }

  // The pickers: SetRealTime as they change, LeaveRealTime as one is left
  // (new state: the record moves in the history; edit: the bounds are
  // checked and a refused time is taken back). RealTime is what to show.
  double RealTime() const { return realTime_; }
  void SetRealTime(double time) { realTime_ = time; }
  void LeaveRealTime();

  bool TerminateVisible() const { return terminateVisible_; }
  bool IndexBoxVisible() const { return newObject_; }
  bool IndexChecked = false;
  std::string IndexName;
  std::string IndexComment;

  // The grid.
  std::vector<std::string> Columns() const;
  bool ShowsPrevious() const { return !edit_ && !newObject_ && hasPrevious_; }
  bool ShowHidden() const { return showHidden_; }
  void SetShowHidden(bool on);
  void RefreshGrid();
  const std::vector<TRecordRow>& Rows() const { return rows_; }
  int EditRow() const { return editRow_; }
  int EditColumn() const { return editColumn_; }
  bool EditInProgress() const { return editing_; }
  // Selecting a cell: commits the pending edit and begins one on the cell.
  // False when the selection is refused (the edit could not be left, an
  // empty parameter name, the "Previous Value" column, which copies the
  // previous value instead); the window then shows the grid again.
  bool SelectCell(int row, int column);
  // The cell's text as the user types it.
  void SetEditText(std::string_view text) { editText_ = text; }
  const std::string& EditText() const { return editText_; }
  // Escape: the text the cell had when the edit began.
  void RestoreEditText() { editText_ = startText_; }
  // Whether the cell being edited is typed into (a parameter name, a plain
  // value); other kinds change only through the value constructor.
  bool InPlaceEditing() const;
  // Commits the edit in progress. False when it must not be left; rowDeleted
  // tells whether its row went away.
  bool CommitCellEdit(bool* rowDeleted = nullptr);
  // The relation of the edited row, or nullptr.
  TPVRelation* CurrentRelation() const;
  // The value constructor's OK on the current relation: a state reference
  // is refused; the value is taken and marked modified when its text
  // changed.
  bool AcceptValue(const TValue& value);
  // "Previous Value" and the parameter picker.
  std::vector<std::string> ParameterList() const { return parameterList_; }
  // Asks to create a parameter when the project has none of its own, then
  // lists the names of those outside "System", sorted.
  void FillParamList();
  // The parameter picker: the name goes into the current row and is
  // committed at once.
  bool PickParameter(std::string_view name);

  // The pop-up menu.
  bool CanHide() const;
  bool CanUnhide() const;
  void HideParameter();
  void UnhideParameter();
  // Drags a row within the visible rows; false when it is not allowed.
  bool MoveRow(int from, int to);

  // The template's actions for a launch moment; false when an "Error
  // Message" fired.
  bool ExeAction(int moment);
  // True when the record was stored, or when the dialog is to close without
  // storing (Closing() tells which).
  // withExtras: the index entry and the groups of the "Advanced" page are
  // stored with it (OK does; the "Save and Create" buttons do not).
  bool StoreRecord(bool withExtras = false);
  // The buttons. Each returns true when the dialog is to close.
  bool Ok();
  // These keep the dialog open and restart it; false when nothing was stored.
  bool SaveAndCreateIterative();
  bool SaveAndCreateNewVersion();
  bool TerminateState();
  // The dialog is to close without storing ("You didn't input any
  // information" answered No).
  bool ClosingWithoutStore() const { return closeWithoutStore_; }
  // The identifier of the record stored last; 0 before.
  int32_t StoredRecord() const { return storedRecord_; }

  // The group list.
  const std::vector<TGroupItem>& Groups() const { return groups_; }
  // "Add Group" with the chosen reference; false (nothing added) for an
  // empty reference or one already listed.
  bool AddGroup(const TValue& reference);
  void RemoveGroup(int index);
  void ClearGroups();
  void SetGroupChecked(int index, bool checked);
  TActionTemplate& GroupAction(int index) const;

  // "Save as Template": the pending edit is committed, then the template
  // editor opens on a new template with one line per parameter row (its
  // value as default, its visibility kept) and a copy of every group-list
  // action; nullptr when the edit cannot be left.
  std::unique_ptr<TTemplateEditor> TemplateFromRecord();
  // The template stored under name (the one "Save as Template" made)
  // becomes the dialog's: the rows are rebuilt from its lines, the group
  // list from its "Add to Group" actions, its naming rule gives the object
  // name and the record takes its identifier as Type. A later restart
  // ("Save and Create ...") starts from it too. Raises as TTemplate::Load,
  // with the dialog's rows as they were.
  void AdoptTemplate(std::string_view name);

  // The formula text "?" shows, and the hint of a value cell.
  std::string FormulaText() const;

  // Releases the reserved automatic name (closing; also at destruction).
  void Close();

private:
  void ResetRecord();
  void PlaceInTrack(double time);
  void Unlink();
  void LoadTemplate();
  void ApplyNaming();
  void ListGroupActions(bool withNullArgument);
  void AppendBlankRow();
  TValue::Ptr Evaluate(const TValue& value, TDataRecord* base, TDataRecord* current,
                       TExecutor::TNameChain* chain);
  std::string EvaluatedText(const TPVRelation& relation);
  bool ConstraintAsks(const TPVRelation& relation, bool valueFirst);
  bool ObjectStep();
  TStoredDraft StoreCopy(bool terminator, bool withExtras);
  void ReloadGiven(int32_t recordId);
  TParamTemplate* TemplateLine(const TParameter& parameter) const;
  const TValue* PreviousValue(const TParameter& parameter) const;
  std::string BuildHint(const TPVRelation& relation) const;
  TParameter* CreateParameter(std::string_view name);
  TParameter* AddEditedParameter(TParameter& proposal);

  TRecordEditorHost& host_;
  std::string templateName_;
  std::unique_ptr<TStateTrack> given_;
  std::shared_ptr<TObjectSet> set_;
  bool alwaysShowHidden_ = false;

  std::unique_ptr<TDataRecord> record_;
  TStateTrack working_;
  TDataRecord* previousState_ = nullptr;
  TDataRecord* predecessor_ = nullptr; // the record the new one follows
  TDataRecord* successor_ = nullptr;   // the record it goes before (back-dating)
  TDataRecord* placeBefore_ = nullptr; // where it goes, once the user chose
  bool hasPrevious_ = false;
  std::unique_ptr<TTemplate> template_;
  TExecutor executor_;
  double realTime_ = 0;
  int stateNumber_ = 1;
  bool newObject_ = false;
  bool edit_ = false;
  bool started_ = false;
  std::string objectName_;
  TReservedObjectName reservedName_;
  bool hasLowerBound_ = false, hasUpperBound_ = false;
  double lowerBound_ = 0, upperBound_ = 0;
  double editedTime_ = 0;
  bool terminateVisible_ = false;
  bool showHidden_ = false;
  int editRow_ = 0;
  int editColumn_ = rcParameter;
  bool editing_ = false;
  bool editBeganOnBlank_ = false;
  std::string startText_;
  std::string editText_;
  std::vector<TRecordRow> rows_;
  std::vector<TPVRelation*> dragged_; // the rows' order once one was dragged
  std::vector<std::string> parameterList_;
  std::vector<TGroupItem> groups_;
  bool closeWithoutStore_ = false;
  int32_t storedRecord_ = 0;
};

} // namespace vandro
