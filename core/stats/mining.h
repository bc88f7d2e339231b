// The data mining tools without their window: the objects to analyse, the
// analysed parameters with their weights, domains and calculated ones, and
// the numeric table built from the objects' states that cluster analysis
// and linear regression take.
//
//   TDataAnalysis analysis;
//   analysis.SetObjects(source);           // an array of objects or a group
//   analysis.AddParameter("Weight");
//   analysis.AddCalculated("BMI", formula);
//   analysis.BuildDomains();               // warnings, questions
//   analysis.RunCluster(cdEuclidean, merges);
//
// The values of every object and parameter are read once, when the domains
// are built, and kept until the objects or the parameters change: the table
// then agrees with the domains the user has seen and edited.
#pragma once

#include "stats/cluster.h"
#include "stats/cluster_tree.h"
#include "stats/domain.h"
#include "stats/regression.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TDataRecord;
class TProgress;

// The long steps of the analysis report through an optional progress: the
// query of "Define Array" (language/query.h), the objects loaded and the
// values read for the domains. A stop asked for there ends the step after
// its message below, with the analysis as it was before the step.
inline constexpr const char* kLoadObjectsProgress = "Loading objects";
inline constexpr const char* kLoadObjectsCancelled = "Loading of the objects was cancelled";
inline constexpr const char* kReadValuesProgress = "Reading values";
inline constexpr const char* kReadValuesCancelled = "Reading of the values was cancelled";

// One analysed parameter.
class TAParam {
public:
  bool Calculated = false;
  std::string Name;       // a project parameter's, or the calculated parameter's own
  TValue::Ptr Formula;    // calculated parameters: the expression
  long double Weight = 1; // for distances; finite and not negative
  TDomain Domain;
};

// The value of a source that is a query or a formula ("Define Array"):
// a query is run, a formula evaluated without records, and any other value
// copied. False, after the query's or the formula's message, when it fails
// (or after kQueryCancelled when its progress was asked to stop).
bool EvaluateSource(const TValue& source, TValue& result, TProgress* progress = nullptr);

class TDataAnalysis {
public:
  // Step of the weight arrows.
  static constexpr long double kWeightStep = 0.1L;

  TDataAnalysis() = default;
  TDataAnalysis(const TDataAnalysis&) = delete;
  TDataAnalysis& operator=(const TDataAnalysis&) = delete;

  // "Define Array": an array of object (or state) references, or a formula
  // or query yielding one; a formula that yields one object reference is
  // taken as "Select Group". False, with the objects unchanged, after
  // "Source should be an array or formula", "A series should be a group or
  // an array of objects" or "The number of objects in array should be at
  // least 2".
  bool SetObjects(const TValue& source, TProgress* progress = nullptr);
  // "Select Group": the group's current content. False, with the objects
  // unchanged, after "The series should be a group of objects" or "The
  // number of objects in group should be at least 2".
  bool SelectGroup(const TValue& group, TProgress* progress = nullptr);

  int ObjectCount() const { return static_cast<int>(objects_.size()); }
  // name + " [" + id + "]" per object, in table row order.
  std::vector<std::string> ObjectNames() const;
  const std::vector<TClusterObject>& Objects() const { return objectList_; }

  // "-->": a parameter of the open project. False after "Parameter " + name +
  // " doesn't exist" or "Parameter" + name + " already exists".
  bool AddParameter(std::string_view name);
  // "Add Calculated": name must be an identifier ("Parameter name should be
  // an identifier.") not in the list yet; the formula's syntax is checked.
  bool AddCalculated(std::string_view name, const TValue& formula);
  // "Change": the formula of the calculated parameter at index.
  bool ChangeFormula(int index, const TValue& formula);
  // "<--" and "X".
  void RemoveParameter(int index);
  void ClearParameters();

  int ParamCount() const { return static_cast<int>(params_.size()); }
  TAParam& Param(int index) { return *params_[static_cast<size_t>(index)]; }
  const TAParam& Param(int index) const { return *params_[static_cast<size_t>(index)]; }
  // The index of the parameter called name (without regard to case), or -1.
  int FindParam(std::string_view name) const;

  // "Weight of Selected Parameter:": a finite number of 0 or more, else
  // "Invalid real number:" + text.
  bool SetWeightText(int index, std::string_view text);
  // The arrows: kWeightStep up or down, never below 0.
  void StepWeight(int index, int direction);

  // Reads every object's value of every parameter (calculated ones with the
  // executor on the object's current state) and builds each domain: numbers
  // of compatible units, or dates, make a numeric domain; anything else an
  // ordered one, with a warning. A domain of one value (or none) asks
  // whether to delete the parameter from the list. False when a calculated
  // parameter fails for an object (after its message), and when the values
  // are not all read (kReadValuesCancelled): the domains then stay as they
  // were.
  bool BuildDomains(TProgress* progress = nullptr);
  bool DomainsCurrent() const { return domainsCurrent_; }

  // The numeric table: a row per object, column 0 the row index and column
  // c + 1 parameter c, missing values replaced by the domain's choice.
  // Builds the domains first when they are not current. False after the
  // reasons and "Can't retrieve data".
  bool BuildTable(TDataTable& table, TProgress* progress = nullptr);

  // "Cluster Analysis": needs a parameter ("Select parameters to
  // analyse!"); the merge table of the objects. Stopped by the progress,
  // false with the table empty.
  bool RunCluster(TClusterDistance distance, TMergeTable& merges, TProgress* progress = nullptr);
  // The checks of "Linear Regression" in order: "Too little parameters to
  // analize", "Too short data series", "Select dependent parameter" (for
  // dependent -1) and "Linear regression can't deal with an unordered
  // values." + line break + "Parameter:" + name.
  bool CheckRegression(int dependent) const;
  // Checks, builds the table and opens the regression of the dependent
  // parameter on all the others.
  bool OpenRegression(int dependent, TLinearRegression& regression, TProgress* progress = nullptr);

private:
  struct TAnalysedObject {
    TValue::Ptr reference; // keeps the object's history and its current state
    TDataRecord* state = nullptr;
    TClusterObject object;
  };

  bool TakeObjects(const TValue& array, bool group, TProgress* progress);
  bool CheckName(std::string_view name) const;
  void Changed() { domainsCurrent_ = false; }
  // The object's value of param, a formula evaluated on its state; nullptr
  // when it has none. A formula that fails is shown and sets failed.
  TValue::Ptr ReadValue(const TAParam& param, const TAnalysedObject& object, bool& failed);
  // The domain of param over values (nullptr for a missing one); returns
  // the warning for a domain that had to become ordered, or "".
  std::string BuildDomain(TAParam& param, const std::vector<TValue::Ptr>& values);

  std::vector<TAnalysedObject> objects_;
  std::vector<TClusterObject> objectList_;
  std::vector<std::unique_ptr<TAParam>> params_;
  // values_[c][row]: the value read for parameter c, nullptr for none.
  std::vector<std::vector<TValue::Ptr>> values_;
  bool domainsCurrent_ = false;
};

} // namespace vandro
