// Templates: which parameters a new record of an object carries (with their
// defaults, constraints and visibility), how a new object is named, and which
// actions run around the saving of a record.
//
// A template owns its parameter lines and its action lines, each list in
// position order; SerialNum is rewritten from the position whenever the
// template is saved. Identifiers come from the project's general counter and
// are 0 while a template or line is not stored. The action codes are stored
// and keep their numbers.
//
// Templates live in the open project's database: Load, Save and the lines'
// Save and Delete go through the project's TTemplateStore, which a project
// in memory does not have (they raise a system error there).
#pragma once

#include "model/parameter.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

enum TActionType : uint8_t {
  atAddToGroup = 0,
  atMessage = 1,
  atErrorMessage = 2,
  atLaunch = 3,
};

// When an action runs. Stored rows may also hold 3, which names no moment
// but is accepted.
enum TLaunchMoment : uint8_t {
  lmBeforeCreate = 0,
  lmBeforeSave = 1,
  lmAfterSave = 2,
};
inline constexpr int kLastLaunchCode = 3;

enum TApplyTo : uint8_t {
  apObject = 0,
  apState = 1,
};

// "Add to Group", "Message", "Error Message", "Launch"; empty for other codes.
std::string ActionTypeName(int type);
// "Before Create", "Before Save", "After Save"; empty for other codes.
std::string LaunchMomentName(int launch);
// "Object", "State"; empty for other codes.
std::string ApplyToName(int applyTo);

// Raises "Invalid action type", "Invalid launch condition" or "Invalid
// action object" for the first code out of its range.
void CheckActionCodes(int type, int launch, int applyTo);

// One parameter line: a row of VD_Param_Templ.
class TParamTemplate {
public:
  explicit TParamTemplate(std::string_view origin = "TParamTemplate.Create");
  TParamTemplate(const TParamTemplate&) = delete;
  TParamTemplate& operator=(const TParamTemplate&) = delete;

  int32_t Idtor = 0;
  int16_t SerialNum = 0; // position in the template, from 0
  int32_t ParamId = 0;
  int32_t TemplateId = 0;
  bool Optional = false;  // the value may be left undefined
  bool Invisible = false; // hidden in views; copied into the record's pairs
  // Resolved from ParamId when loaded; none once the parameter was deleted.
  // Not owned.
  const TParameter* Parameter = nullptr;
  TValue DefValue;
  TValue Constr; // a condition the value must satisfy

  // Back to a new line: no identifiers, no parameter, empty values.
  void Clear();
  // Writes the row: a new row and identifier when Idtor is 0, else the row
  // with this identifier ("PT idtor doesn't exist:" + id is raised when
  // there is none). ParamId follows Parameter when there is one.
  void Save();
  // Deletes the row with this identifier (the same message when missing).
  void Delete();
};

// One action line: a row of VD_Act_Templ.
class TActionTemplate {
public:
  explicit TActionTemplate(std::string_view origin = "TActionTemplate.Create");
  TActionTemplate(const TActionTemplate&) = delete;
  TActionTemplate& operator=(const TActionTemplate&) = delete;

  int32_t Idtor = 0;
  int16_t SerialNum = 0; // position among the template's actions, from 0
  int32_t TemplateId = 0;
  TValue Condition; // the action applies when it holds
  uint8_t ActionType = atAddToGroup;
  uint8_t Launch = lmAfterSave;
  TValue Argument; // for "Add to Group" a reference to the group
  uint8_t ApplyTo = apObject;

  // Back to a new action (type 0, launch 2, apply to 0, empty values, no
  // identifiers).
  void Clear();
  // Copies condition, argument, type, launch and apply-to; not identifiers.
  void Assign(const TActionTemplate& source);
  // As TParamTemplate::Save, with "AT idtor doesn't exist:".
  void Save();
  void Delete();
};

class TTemplate {
public:
  explicit TTemplate(std::string_view origin = "TTemplate.Create");
  TTemplate(const TTemplate&) = delete;
  TTemplate& operator=(const TTemplate&) = delete;

  int32_t Idtor = 0;
  std::string Name; // stored upper-cased and cut to 32 characters
  TValue Naming;    // evaluated for a new object, gives its name
  // Owned, in position order. Lines taken out with RemoveParamLine or
  // RemoveAction (rather than erased here) have their rows deleted by the
  // next Save.
  std::vector<std::unique_ptr<TParamTemplate>> ParamLines;
  std::vector<std::unique_ptr<TActionTemplate>> Actions;

  // Reads the template named Name with its lines and actions, each list in
  // SerialNum order. Raises "Template doesn't exist. Name: " + Name when
  // there is none, and the code messages of CheckActionCodes for a damaged
  // action; the template is then partly filled and is to be discarded.
  void Load();
  // Writes the template, its lines and its actions as one unit of work, and
  // deletes the rows of lines removed since the last save. New rows get
  // identifiers; every line gets TemplateId and SerialNum from its position.
  // False after a message when refused (a name another template has, a row
  // that has gone, an invalid action code): nothing is written and the
  // identifiers are as before.
  bool Save();

  int ParamLineCount() const { return static_cast<int>(ParamLines.size()); }
  int ActionCount() const { return static_cast<int>(Actions.size()); }
  // Index-checked: "Index out of range:" + index is raised outside the list.
  TParamTemplate& ParamLine(int index) const;
  TActionTemplate& Action(int index) const;
  // Puts line at index (0..count; count appends). A stored line it replaces
  // is removed as by RemoveParamLine.
  void SetParamLine(int index, std::unique_ptr<TParamTemplate> line);
  void SetAction(int index, std::unique_ptr<TActionTemplate> action);
  // Takes the line out of the template and hands it back; its row is deleted
  // by the next Save.
  std::unique_ptr<TParamTemplate> RemoveParamLine(int index);
  std::unique_ptr<TActionTemplate> RemoveAction(int index);
  // The line for the parameter, or -1.
  int FindParamLine(const TParameter& parameter) const;

  // Identifiers of stored lines taken out since the last save; the store
  // deletes their rows and then forgets them.
  const std::vector<int32_t>& RemovedParamLines() const { return removedParamLines_; }
  const std::vector<int32_t>& RemovedActions() const { return removedActions_; }
  void ForgetRemovedLines();

private:
  std::vector<int32_t> removedParamLines_;
  std::vector<int32_t> removedActions_;
};

// Where templates are kept: the storage layer implements it for a project
// backed by files (storage/template_rows.h).
class TTemplateStore {
public:
  virtual ~TTemplateStore() = default;
  virtual void GetTemplate(TTemplate& tmpl) = 0;
  virtual bool PutTemplate(TTemplate& tmpl) = 0;
  virtual void PutParamLine(TParamTemplate& line) = 0;
  virtual void PutActionLine(TActionTemplate& action) = 0;
  virtual void DeleteParamLine(int32_t id) = 0;
  virtual void DeleteActionLine(int32_t id) = 0;
  // Raises "Template doesn't exist. Name: " + name when there is none.
  virtual void DeleteTemplate(std::string_view name) = 0;
  virtual std::vector<std::string> ListTemplates() = 0;
};

// The open project's template store; raises a system error when no project
// with files is open.
TTemplateStore& RequireTemplateStore();

// Removes the template and all its lines, and its name from the open
// project's list.
void DeleteTemplate(std::string_view name);

} // namespace vandro
