#include "stats/mining.h"

#include "language/executor.h"
#include "language/query.h"
#include "model/data_record.h"
#include "model/object_reference.h"
#include "model/object_set.h"
#include "model/parameter.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/progress.h"
#include "shell/text.h"
#include "stats/stats_common.h"
#include "values/value_text.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace vandro {

namespace {

constexpr const char* kNotObjects = "A series should be a group or an array of objects";

long double Median(std::vector<long double> numbers) {
  std::sort(numbers.begin(), numbers.end());
  const size_t n = numbers.size();
  return n % 2 ? numbers[n / 2] : (numbers[n / 2 - 1] + numbers[n / 2]) / 2;
}

} // namespace

bool EvaluateSource(const TValue& source, TValue& result, TProgress* progress) {
  if (source.IsQuery()) {
    std::string message;
    TValue::Ptr found = ExecuteQuery(source, nullptr, nullptr, &message, progress);
    if (!found) {
      ShowMsg(message);
      return false;
    }
    result.Assign(*found);
    return true;
  }
  if (!source.IsCalculated()) {
    result.Assign(source);
    return true;
  }
  TExecutor executor;
  const TValue& value = executor.Run(nullptr, nullptr, source.Text());
  if (executor.Failed() || value.IsError()) {
    ShowMsg(value.Text());
    return false;
  }
  result.Assign(value);
  return true;
}

bool TDataAnalysis::SetObjects(const TValue& source, TProgress* progress) {
  if (!source.IsArray() && !source.IsCalculated()) {
    ShowMsg("Source should be an array or formula");
    return false;
  }
  TValue series;
  if (!EvaluateSource(source, series, progress)) return false;
  if (series.IsObject()) return SelectGroup(series, progress);
  if (!series.IsArray()) {
    ShowMsg(kNotObjects);
    return false;
  }
  return TakeObjects(series, false, progress);
}

bool TDataAnalysis::SelectGroup(const TValue& group, TProgress* progress) {
  if (!group.IsObject()) {
    ShowMsg("The series should be a group of objects");
    return false;
  }
  TValue::Ptr reference = group.Clone("TDataAnalysis.SelectGroup");
  std::string message;
  TStateTrack* track = FindStateTrack(*reference, message);
  if (!track) {
    ShowMsg(message);
    return false;
  }
  if (!track->State || !track->State->Content) {
    ShowMsg("The series should be a group of objects");
    return false;
  }
  TValue members;
  members.SetArray();
  for (const TValue::Ptr& member : *track->State->Content)
    members.AddItem(member->Clone("TDataAnalysis.SelectGroup"));
  return TakeObjects(members, true, progress);
}

bool TDataAnalysis::TakeObjects(const TValue& array, bool group, TProgress* progress) {
  for (int i = 0; i < array.ItemCount(); ++i)
    if (!array.GetItem(i).IsObject()) {
      ShowMsg(kNotObjects);
      return false;
    }
  if (array.ItemCount() < 2) {
    ShowMsg(group ? "The number of objects in group should be at least 2"
                  : "The number of objects in array should be at least 2");
    return false;
  }
  // Each object's history is read here: the long part of a large array.
  TProgressScope scope(progress, kLoadObjectsProgress);
  std::vector<TAnalysedObject> objects;
  for (int i = 0; i < array.ItemCount(); ++i) {
    if (!scope.Update(i, array.ItemCount())) {
      ShowMsg(kLoadObjectsCancelled);
      return false;
    }
    TAnalysedObject object;
    object.reference = array.GetItem(i).Clone("TDataAnalysis.SetObjects");
    std::string message;
    TStateTrack* track = FindStateTrack(*object.reference, message);
    if (!track) {
      ShowMsg(message);
      return false;
    }
    if (!track->Set || track->Set->ObjIdtor == 0) {
      ShowMsg(kNotObjects);
      return false;
    }
    track->ConstructState();
    object.state = track->State.get();
    object.object = {track->Set->ObjName, track->Set->ObjIdtor};
    objects.push_back(std::move(object));
  }
  objects_ = std::move(objects);
  objectList_.clear();
  for (const TAnalysedObject& object : objects_)
    objectList_.push_back(object.object);
  Changed();
  return true;
}

std::vector<std::string> TDataAnalysis::ObjectNames() const {
  std::vector<std::string> names;
  for (const TClusterObject& object : objectList_)
    names.push_back(ClusterLeafText(object));
  return names;
}

int TDataAnalysis::FindParam(std::string_view name) const {
  for (size_t i = 0; i < params_.size(); ++i)
    if (SameText(params_[i]->Name, name)) return static_cast<int>(i);
  return -1;
}

bool TDataAnalysis::CheckName(std::string_view name) const {
  if (FindParam(name) < 0) return true;
  ShowMsg("Parameter" + std::string(name) + " already exists");
  return false;
}

bool TDataAnalysis::AddParameter(std::string_view name) {
  const TProject* project = CurrentProject();
  const TParameter* parameter = project ? project->FindParameter(name) : nullptr;
  if (!parameter && !IsSystemName(name)) {
    ShowMsg("Parameter " + std::string(name) + " doesn't exist");
    return false;
  }
  const std::string own = parameter ? parameter->ParamName : std::string(name);
  if (!CheckName(own)) return false;
  auto param = std::make_unique<TAParam>();
  param->Name = own;
  params_.push_back(std::move(param));
  Changed();
  return true;
}

bool TDataAnalysis::AddCalculated(std::string_view name, const TValue& formula) {
  if (!IsName(name)) {
    ShowMsg("Parameter name should be an identifier.");
    return false;
  }
  if (!CheckName(name)) return false;
  auto param = std::make_unique<TAParam>();
  param->Calculated = true;
  param->Name = std::string(name);
  params_.push_back(std::move(param));
  if (!ChangeFormula(ParamCount() - 1, formula)) {
    params_.pop_back();
    return false;
  }
  return true;
}

bool TDataAnalysis::ChangeFormula(int index, const TValue& formula) {
  if (index < 0 || index >= ParamCount() || !Param(index).Calculated) return false;
  TExecutor executor;
  if (!executor.Check(formula.Text())) {
    ShowMsg(executor.Result().Text());
    return false;
  }
  TValue::Ptr copy = formula.Clone("TAParam.Formula");
  if (!copy->IsCalculated()) copy->SetText(vkCalculated, formula.Text());
  Param(index).Formula = std::move(copy);
  Changed();
  return true;
}

void TDataAnalysis::RemoveParameter(int index) {
  if (index < 0 || index >= ParamCount()) return;
  params_.erase(params_.begin() + index);
  Changed();
}

void TDataAnalysis::ClearParameters() {
  params_.clear();
  Changed();
}

bool TDataAnalysis::SetWeightText(int index, std::string_view text) {
  double weight = 0;
  if (index < 0 || index >= ParamCount() || !TextToFloat(Trim(text), weight) ||
      !std::isfinite(weight) || weight < 0) {
    ShowMsg("Invalid real number:" + std::string(text));
    return false;
  }
  Param(index).Weight = weight;
  return true;
}

void TDataAnalysis::StepWeight(int index, int direction) {
  if (index < 0 || index >= ParamCount()) return;
  long double& weight = Param(index).Weight;
  weight = std::max(0.0L, RoundTo(weight + direction * kWeightStep, 6));
}

TValue::Ptr TDataAnalysis::ReadValue(const TAParam& param, const TAnalysedObject& object,
                                     bool& failed) {
  TValue::Ptr value = TValue::Create("TDataAnalysis.ReadValue");
  if (param.Calculated) {
    value->Assign(*param.Formula);
  } else if (!object.state || !object.state->GetSystemValue(param.Name, *value)) {
    return nullptr;
  }
  // A formula is what it yields for this object's state.
  if (value->IsFormula() || value->IsAutoFormula()) {
    TExecutor executor;
    const TValue& result = executor.Run(nullptr, object.state, value->Text());
    if (executor.Failed() || result.IsError()) {
      ShowMsg(result.Text() + kLineBreak + "Parameter:" + param.Name +
              "; Object:" + ClusterLeafText(object.object));
      failed = true;
      return nullptr;
    }
    value->Assign(result);
  }
  if (value->IsNull()) return nullptr;
  return value;
}

std::string TDataAnalysis::BuildDomain(TAParam& param, const std::vector<TValue::Ptr>& values) {
  TDomain& domain = param.Domain;
  domain.Clear();
  int numbers = 0, dates = 0, others = 0;
  bool incompatible = false;
  std::string unit;
  for (const TValue::Ptr& value : values) {
    if (!value) {
      domain.HasNulls = true;
      continue;
    }
    if (domain.Find(*value) < 0) domain.Add(*value);
    long double number = 0;
    std::string valueUnit;
    TUnitConversion conversion;
    if (value->IsDateTime())
      ++dates;
    else if (!NumberAndUnit(*value, number, valueUnit))
      ++others;
    else if (numbers++ == 0)
      unit = valueUnit;
    else if (!UnitConversion(valueUnit, unit, conversion))
      incompatible = true;
  }
  // Dates mixed with numbers are not numbers of one unit either.
  domain.NonNumeric = others > 0 || (dates > 0 && numbers > 0);
  if (!domain.NonNumeric && !incompatible) {
    domain.UnitText = dates > 0 ? "day" : unit;
    return {};
  }
  domain.Type = dtOrdered;
  // One warning names the first reason: dates mixed with anything else,
  // values that are not numbers, then units that do not convert.
  const std::string start = "Warning! Domain of parameter " + param.Name;
  if (dates > 0)
    return start + " shold contain" + kLineBreak +
           "date and time values. Domain type is changed to Ordered Set.";
  if (others > 0)
    return start + " contains" + kLineBreak +
           "non-numeric values. Domain type is changed to Ordered Set.";
  return start + " contains" + kLineBreak +
         "incompatible units. Domain type is changed to Ordered Set.";
}

bool TDataAnalysis::BuildDomains(TProgress* progress) {
  // Every value is read before any domain changes, so that a failure or a
  // stop leaves the domains as they were; the questions come after the
  // progress has closed.
  std::vector<std::vector<TValue::Ptr>> read(params_.size());
  {
    TProgressScope scope(progress, kReadValuesProgress);
    const auto total = static_cast<int64_t>(params_.size() * objects_.size());
    int64_t done = 0;
    for (size_t c = 0; c < params_.size(); ++c)
      for (const TAnalysedObject& object : objects_) {
        if (!scope.Update(done++, total)) {
          ShowMsg(kReadValuesCancelled);
          return false;
        }
        bool failed = false;
        read[c].push_back(ReadValue(*params_[c], object, failed));
        if (failed) return false;
      }
  }
  values_.clear();
  domainsCurrent_ = false;
  size_t next = 0; // into read, which keeps the rows of dropped parameters
  for (int c = 0; c < ParamCount(); ++next) {
    TAParam& param = Param(c);
    std::vector<TValue::Ptr>& values = read[next];
    const std::string warning = BuildDomain(param, values);
    if (!warning.empty()) ShowMsg(warning);
    if (param.Domain.Count() <= 1 &&
        Ask("Domain of parameter" + param.Name +
                (param.Domain.Count() == 1 ? " contains only one value" : " contains no values") +
                kLineBreak + "Do you want to delete the parameter from list?",
            true)) {
      params_.erase(params_.begin() + c);
      continue;
    }
    values_.push_back(std::move(values));
    ++c;
  }
  domainsCurrent_ = true;
  return true;
}

bool TDataAnalysis::BuildTable(TDataTable& table, TProgress* progress) {
  if (!domainsCurrent_ && !BuildDomains(progress)) return false;
  const size_t rows = objects_.size();
  table.assign(rows, std::vector<long double>(params_.size() + 1, 0));
  std::vector<std::string> errors;
  for (size_t row = 0; row < rows; ++row)
    table[row][0] = static_cast<long double>(row);
  for (size_t c = 0; c < params_.size(); ++c) {
    const TDomain& domain = params_[c]->Domain;
    const std::string column = ", column #" + std::to_string(c + 1);
    std::vector<long double> present;
    std::vector<size_t> missing;
    for (size_t row = 0; row < rows; ++row) {
      const TValue::Ptr& value = values_[c][row];
      if (!value) {
        missing.push_back(row);
        continue;
      }
      std::string error;
      if (!domain.NumberOf(*value, table[row][c + 1], error))
        errors.push_back(error + ". Object:" + ClusterLeafText(objects_[row].object) + column);
      else
        present.push_back(table[row][c + 1]);
    }
    if (missing.empty()) continue;
    long double replacement = 0;
    if (domain.NullMode == nmValue) {
      std::string unit, error;
      const bool found =
          domain.NullValue &&
          (domain.Type == dtNumeric ? domain.NumberOf(*domain.NullValue, replacement, error)
                                    : NumberAndUnit(*domain.NullValue, replacement, unit));
      if (!found) {
        errors.push_back("No value replaces the nulls of parameter " + params_[c]->Name);
        continue;
      }
    } else if (present.empty()) {
      errors.push_back("Parameter " + params_[c]->Name + " has no values");
      continue;
    } else {
      replacement = domain.NullMode == nmMedian ? Median(present) : Mean(present);
    }
    for (const size_t row : missing)
      table[row][c + 1] = replacement;
  }
  if (errors.empty()) return true;
  errors.push_back("Can't retrieve data");
  ShowMsgList(errors);
  return false;
}

bool TDataAnalysis::RunCluster(TClusterDistance distance, TMergeTable& merges,
                               TProgress* progress) {
  if (params_.empty()) {
    ShowMsg("Select parameters to analyse!");
    return false;
  }
  TDataTable data;
  if (!BuildTable(data, progress)) return false;
  if (params_.empty()) {
    ShowMsg("Select parameters to analyse!");
    return false;
  }
  TClusterTable table;
  table.Resize(ObjectCount(), ParamCount());
  for (int c = 0; c < ParamCount(); ++c) {
    table.weights[static_cast<size_t>(c)] = Param(c).Weight;
    table.nominal[static_cast<size_t>(c)] = Param(c).Domain.Type == dtUnordered;
    for (int r = 0; r < ObjectCount(); ++r)
      table.At(r, c) = data[static_cast<size_t>(r)][static_cast<size_t>(c) + 1];
  }
  try {
    merges = Cluster(table, distance, progress);
  } catch (const std::invalid_argument& error) {
    ShowMsg(error.what());
    return false;
  }
  return !merges.empty() || ObjectCount() < 2;
}

bool TDataAnalysis::CheckRegression(int dependent) const {
  if (ParamCount() < 2) {
    ShowMsg("Too little parameters to analize");
    return false;
  }
  if (ObjectCount() < 3) {
    ShowMsg("Too short data series");
    return false;
  }
  if (dependent < 0 || dependent >= ParamCount()) {
    ShowMsg("Select dependent parameter");
    return false;
  }
  for (const auto& param : params_)
    if (param->Domain.Type == dtUnordered) {
      ShowMsg(std::string("Linear regression can't deal with an unordered values.") + kLineBreak +
              "Parameter:" + param->Name);
      return false;
    }
  return true;
}

bool TDataAnalysis::OpenRegression(int dependent, TLinearRegression& regression,
                                   TProgress* progress) {
  if (!CheckRegression(dependent)) return false;
  const std::string dependentName = Param(dependent).Name;
  TDataTable table;
  if (!BuildTable(table, progress)) return false;
  // Building the domains may have dropped parameters at the user's word.
  dependent = FindParam(dependentName);
  if (!CheckRegression(dependent)) return false;
  std::vector<TRegressionVariable> variables;
  TIntList predictors;
  for (int c = 0; c < ParamCount(); ++c) {
    const TDomain& domain = Param(c).Domain;
    TRegressionVariable variable{Param(c).Name, domain.UnitText, domain.Type != dtNumeric, {}};
    if (variable.discrete)
      for (int i = 0; i < domain.Count(); ++i)
        variable.domain.push_back(
            {domain.Values[static_cast<size_t>(i)]->Text(), domain.Number(i)});
    variables.push_back(std::move(variable));
    if (c != dependent) predictors.Add(c);
  }
  return regression.Open(std::move(table), std::move(variables), dependent, predictors);
}

} // namespace vandro
