// TProject: the one open project and the in-memory lists the rest of the
// system reads (parameters, categories, units, variables), with the two
// identifier counters.
//
// One project is open at a time and is reached through CurrentProject().
// Opening installs its unit catalogue for the value code and its names for
// display texts. A project made with CreateInMemory has no files behind it:
// the language and its tests run on it without a database.
#pragma once

#include "model/parameter.h"
#include "values/units.h"
#include "values/value_text.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

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
  void SetCounters(int32_t objectCounter, int32_t idCounter);

  // Parameters, in ascending name order.
  const std::vector<std::unique_ptr<TParameter>>& Parameters() const { return parameters_; }
  // The first parameter whose name or short name equals name, without regard
  // to case.
  TParameter* FindParameter(std::string_view name) const;
  TParameter* ParameterById(int32_t id) const;
  // Gives the parameter a new identifier and adds it to the list; returns it.
  TParameter& AddParameter(std::unique_ptr<TParameter> parameter);
  // Distinct categories without regard to case, in order of first appearance.
  const std::vector<std::string>& ParameterCategories() const { return categories_; }

  TUnitCatalogue& Units() { return units_; }

  const std::vector<std::unique_ptr<TVariable>>& Variables() const { return variables_; }
  TVariable* FindVariable(std::string_view name) const;
  // Adds or replaces the variable of that name (kept in upper case).
  TVariable& SetVariable(std::string_view name, const TValue& value, std::string comment = {});

  // Names for display texts; a project without a database knows none.
  std::string ObjectName(int32_t id) const override;
  std::string RecordName(int32_t id) const override;

private:
  void RebuildCategories();

  int32_t objectCounter_ = 32;
  int32_t idCounter_ = 1;
  std::vector<std::unique_ptr<TParameter>> parameters_;
  std::vector<std::string> categories_;
  TUnitCatalogue units_;
  std::vector<std::unique_ptr<TVariable>> variables_;
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
