// TProject: the one open project and the in-memory lists the rest of the
// system reads (parameters, categories, units, variables, chart names,
// template names, the object and group indexes), with
// the two identifier counters and the project information of the project
// file.
//
// One project is open at a time and is reached through CurrentProject().
// Opening installs its unit catalogue for the value code and its names for
// display texts. A project made with CreateInMemory has no files behind it:
// the language and its tests run on it without a database. A project opened
// from files has a TProjectStore: every change the lists make (a parameter
// added, a variable saved, a counter moved) reaches the files through it, so
// this layer never needs to know how the files are kept.
#pragma once

#include "model/object_index.h"
#include "model/parameter.h"
#include "values/units.h"
#include "values/value_text.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TProject;
class TRecordStore;
class TTemplateStore;

// Project information kept in the project file; texts are cut to the
// capacities noted when they are stored.
struct TProjectInfo {
  std::string Name;              // 32
  std::string Location;          // 128: the project file path given at creation
  std::string Description;       // 254
  std::string Version;           // 32
  std::string Author;            // 32
  std::string Organization;      // 32
  double StartDate = 0;          // creation time, days since 30.12.1899
  double LastOpened = 0;         // days since 30.12.1899
  double EarliestRecordTime = 0; // earliest RealTime stored, never after StartDate
  std::string Comments;          // 128

  void Fit();
};

inline constexpr size_t kProjectNameCapacity = 32;
inline constexpr size_t kLocationCapacity = 128;
inline constexpr size_t kProjectDescriptionCapacity = 254;
inline constexpr size_t kCommentsCapacity = 128;

// Where the changes of a project backed by files go. The storage layer
// implements it; the functions raise ErrorException (after showing the
// message) when the files refuse a change, and the list is then left as it
// was.
class TProjectStore {
public:
  virtual ~TProjectStore() = default;
  // A counter or the project information changed: rewrite the project file.
  virtual void ProjectFileChanged(const TProject& project) = 0;
  virtual void InsertParameter(const TParameter& parameter) = 0;
  // Raises when no row has the parameter's identifier.
  virtual void UpdateParameter(const TParameter& parameter) = 0;
  virtual void DeleteParameter(int32_t id) = 0;
  // The templates and the index entries behind the project
  // (model/template.h, model/object_index.h).
  virtual TTemplateStore* Templates() { return nullptr; }
  virtual TIndexStore* IndexEntries() { return nullptr; }
  // Stores the variable in the row named storedName (renaming it to the
  // variable's name), or in a new row; false after a message when refused.
  virtual bool SaveVariable(const TVariable& variable, std::string_view storedName) = 0;
  virtual void DeleteVariable(std::string_view name) = 0;
  virtual std::string ObjectName(int32_t id) = 0;
  virtual std::string RecordName(int32_t id) = 0;
  // The data records behind the project (model/record_store.h).
  virtual TRecordStore* Records() { return nullptr; }
};

class TProject : public TValueNames {
public:
  TProject();
  ~TProject() override;
  TProject(const TProject&) = delete;
  TProject& operator=(const TProject&) = delete;

  // A new project's content in memory: the ten system parameters (2..11) and
  // the 121 default units (12..136), counters as after creation.
  static std::unique_ptr<TProject> CreateInMemory();

  // Identifier counters. Objects get multiples of 32; everything else the
  // general counter, which skips them.
  int32_t NewObjectId();
  int32_t NewId();
  int32_t ObjectCounter() const { return objectCounter_; }
  int32_t IdCounter() const { return idCounter_; }
  // Sets both counters without writing the project file (loading, creation).
  void SetCounters(int32_t objectCounter, int32_t idCounter);

  // The files behind the project; nullptr for a project in memory. Not owned.
  TProjectStore* Store() const { return store_; }
  void SetStore(TProjectStore* store) { store_ = store; }

  TProjectInfo& Info() { return info_; }
  const TProjectInfo& Info() const { return info_; }
  // Takes the six fields the user edits (name, version, description, author,
  // organization, comments), cut to their capacities, and writes the file.
  void UpdateInfo(const TProjectInfo& edited);
  // A record dated t was stored: an earlier t becomes the earliest record time.
  void NoteRecordTime(double t);
  // Rewrites the project file (nothing for a project in memory).
  void WriteProjectFile();

  // Parameters, in ascending name order.
  const std::vector<std::unique_ptr<TParameter>>& Parameters() const { return parameters_; }
  // The first parameter whose name or short name equals name, without regard
  // to case.
  TParameter* FindParameter(std::string_view name) const;
  TParameter* ParameterById(int32_t id) const;
  // Gives the parameter a new identifier, stores its row and adds it to the
  // list; returns it. When the store refuses, the identifier stays used and
  // the list is unchanged.
  TParameter& AddParameter(std::unique_ptr<TParameter> parameter);
  // Puts parameters whose rows are stored already into the list, in one
  // sort and one pass over the categories (many at once stay fast); returns
  // them in the order given.
  std::vector<TParameter*> AdoptParameters(std::vector<std::unique_ptr<TParameter>> parameters);
  // Takes the parameters with these identifiers out of the list only: their
  // rows went with a unit of work that was rolled back.
  void ForgetParameters(const std::vector<int32_t>& ids);
  // Rewrites the parameter with edited's identifier from edited (cut to the
  // capacities); raises "Can't find parameter. Idtor = " when there is none.
  // The parameter object stays the same, so pointers to it stay valid.
  void UpdateParameter(const TParameter& edited);
  // Removes the parameter with this identifier, if there is one.
  void DeleteParameter(int32_t id);
  // The list as the parameter table delivers it (loading), put in name order.
  void ReplaceParameters(std::vector<std::unique_ptr<TParameter>> parameters);
  // Distinct categories without regard to case, in order of first appearance.
  const std::vector<std::string>& ParameterCategories() const { return categories_; }

  TUnitCatalogue& Units() { return units_; }

  const std::vector<std::unique_ptr<TVariable>>& Variables() const { return variables_; }
  TVariable* FindVariable(std::string_view name) const;
  // Adds or replaces the variable of that name (kept in upper case), in
  // memory only.
  TVariable& SetVariable(std::string_view name, const TValue& value, std::string comment = {});
  // Stores a copy of variable under its name (upper case, cut to 32): in the
  // row and list entry named storedName when given (a rename), else in the one
  // of its own name or a new one. False after a message when the store refuses.
  bool SaveVariable(const TVariable& variable, std::string_view storedName = {});
  // Removes the variable and its stored row; nothing when there is none.
  void DeleteVariable(std::string_view name);
  // The list as the descriptor table delivers it (loading).
  void ReplaceVariables(std::vector<std::unique_ptr<TVariable>> variables);

  // Names of the project's chart descriptors.
  std::vector<std::string>& ChartNames() { return chartNames_; }
  const std::vector<std::string>& ChartNames() const { return chartNames_; }
  // Names of the charts open in windows, as they were opened; a chart in
  // use is neither opened again nor deleted. Closing the project frees them.
  std::vector<std::string>& ChartsInUse() { return chartsInUse_; }
  const std::vector<std::string>& ChartsInUse() const { return chartsInUse_; }

  // Names of the project's templates, in name order.
  std::vector<std::string>& TemplateNames() { return templateNames_; }
  const std::vector<std::string>& TemplateNames() const { return templateNames_; }

  // The entries of the object index or of the group index, each list sorted
  // by entry name in byte order (model/object_index.h has the operations).
  std::vector<TIndexEntry>& IndexEntries(TIndexKind kind) { return indexEntries_[kind ? 1 : 0]; }
  const std::vector<TIndexEntry>& IndexEntries(TIndexKind kind) const {
    return indexEntries_[kind ? 1 : 0];
  }
  // Puts entry into the list of the kind at its sorted place: before the
  // first entry whose name is greater.
  void InsertIndexEntry(TIndexKind kind, TIndexEntry entry);

  // Empties every list (closing).
  void ClearLists();

  // Names for display texts; a project without a database knows none.
  std::string ObjectName(int32_t id) const override;
  std::string RecordName(int32_t id) const override;

private:
  void RebuildCategories();
  void SortParameters();
  void SortVariables();

  int32_t objectCounter_ = 32;
  int32_t idCounter_ = 1;
  TProjectStore* store_ = nullptr;
  TProjectInfo info_;
  std::vector<std::unique_ptr<TParameter>> parameters_;
  std::vector<std::string> categories_;
  TUnitCatalogue units_;
  std::vector<std::unique_ptr<TVariable>> variables_;
  std::vector<std::string> chartNames_;
  std::vector<std::string> chartsInUse_;
  std::vector<std::string> templateNames_;
  std::vector<TIndexEntry> indexEntries_[2];
};

// The open project, or nullptr.
TProject* CurrentProject();
// Makes project the open one (nullptr closes), installing its units and names.
void SetCurrentProject(TProject* project);

class ScopedProject {
public:
  explicit ScopedProject(TProject& project) : previous_(CurrentProject()) {
    SetCurrentProject(&project);
  }
  ~ScopedProject() { SetCurrentProject(previous_); }
  ScopedProject(const ScopedProject&) = delete;
  ScopedProject& operator=(const ScopedProject&) = delete;

private:
  TProject* previous_;
};

} // namespace vandro
