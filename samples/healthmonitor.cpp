#include "healthmonitor.h"

#include "charts/chart_text.h"
#include "editing/parameter_list.h"
#include "editing/unit_editor.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_index.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "model/template.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/descriptors.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/project_paths.h"
#include "storage/template_rows.h"
#include "values/value_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace vandro::sample {

namespace {

constexpr double kMinute = 1.0 / (24 * 60);
constexpr double kHour = 1.0 / 24;
// Records are typed in a few minutes after what they describe happened.
constexpr double kEntryDelay = 7 * kMinute;

double Moment(int year, int month, int day, int hour = 0, int minute = 0) {
  double date = 0, time = 0;
  TryEncodeDate(year, month, day, date);
  TryEncodeTime(hour, minute, 0, 0, time);
  return ComposeDateTime(date, time);
}

// std::mt19937 gives the same numbers everywhere; the standard
// distributions do not, so the draws are made here.
class TDice {
public:
  explicit TDice(uint32_t seed) : engine_(seed) {}
  int Between(int low, int high) {
    return low + static_cast<int>(engine_() % static_cast<uint32_t>(high - low + 1));
  }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  // Bell-shaped around mean with standard deviation spread: the sum of four
  // uniform draws has variance 1/3.
  double Around(double mean, double spread) {
    double sum = 0;
    for (int i = 0; i < 4; ++i)
      sum += engine_() / 4294967296.0;
    return mean + (sum - 2.0) * std::sqrt(3.0) * spread;
  }

private:
  std::mt19937 engine_;
};

// A number with decimals places and its unit, as a user would type it.
double Rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

std::string Quantity(double value, int decimals, std::string_view unit) {
  return NumberText(unit, 0, 0, Rounded(value, decimals));
}

struct TPatientRow {
  const char* name;
  const char* sex;
  int bornYear, bornMonth, bornDay;
  int height;    // cm
  double weight; // kg
};

// The first row is the scripted stay (kScriptedPatient); the others get
// drawn stays.
constexpr TPatientRow kPatients[] = {
    {"MORGAN_ALICE", "F", 1958, 3, 14, 164, 71.5},  {"BERG_ANNA", "F", 1975, 11, 2, 170, 63.0},
    {"CHEN_WEI", "M", 1949, 6, 23, 172, 80.4},      {"DIAZ_CARLOS", "M", 1981, 1, 9, 178, 92.1},
    {"EVANS_ROSE", "F", 1940, 8, 30, 158, 55.2},    {"FISCHER_OTTO", "M", 1966, 4, 17, 183, 88.0},
    {"GARCIA_LUCIA", "F", 1992, 12, 5, 162, 58.7},  {"HANSEN_ERIK", "M", 1955, 2, 28, 187, 95.3},
    {"IVANOVA_OLGA", "F", 1963, 7, 11, 166, 77.9},  {"JONES_DAVID", "M", 1938, 10, 21, 175, 69.4},
    {"KOWALSKI_PIOTR", "M", 1972, 5, 3, 180, 84.6}, {"LAURENT_MARIE", "F", 1986, 9, 19, 168, 61.1},
    {"MUELLER_KLAUS", "M", 1951, 3, 7, 176, 101.8}, {"NOVAK_EVA", "F", 1947, 1, 25, 160, 66.3},
    {"OKAFOR_JAMES", "M", 1979, 6, 14, 181, 86.2},  {"PETERS_HELEN", "F", 1969, 4, 29, 171, 74.0},
    {"QUINN_LIAM", "M", 1995, 8, 8, 185, 78.5},     {"ROSSI_GIULIA", "F", 1957, 11, 16, 163, 70.8},
    {"SATO_KENJI", "M", 1944, 2, 12, 169, 64.9},    {"TAYLOR_EMMA", "F", 1983, 7, 1, 174, 68.2},
    {"UDOH_GRACE", "F", 1961, 10, 27, 167, 82.5},   {"VARGA_ISTVAN", "M", 1953, 12, 31, 179, 90.7},
    {"WEBER_SOFIA", "F", 1990, 5, 22, 165, 57.6},   {"YILMAZ_EMRE", "M", 1976, 9, 4, 177, 83.3},
};

struct TWardRow {
  const char* group;
  const char* entry;
  const char* comment;
  const char* physician;
};

constexpr TWardRow kWards[] = {
    {"CARDIOLOGY", "CARDIOLOGY WARD", "Ward 1, second floor, 12 beds", "Dr. Adler"},
    {"SURGERY", "SURGERY WARD", "Ward 2, third floor, 16 beds", "Dr. Brandt"},
    {"THERAPY", "THERAPY WARD", "Ward 3, ground floor, 20 beds", "Dr. Okonkwo"},
};

// Four diagnoses per ward, in the order of kWards.
constexpr const char* kDiagnoses[] = {
    "Atrial fibrillation", "Heart failure",   "Angina pectoris",    "Hypertension",
    "Appendicitis",        "Hip fracture",    "Gallstones",         "Kidney stones",
    "Pneumonia",           "Diabetes type 2", "Chronic bronchitis", "Influenza",
};

// Parameter rows: name, short name, category, default, description.
struct TParameterRow {
  const char* name;
  const char* shortName;
  const char* category;
  const char* defValue;
  const char* description;
};

constexpr TParameterRow kParameters[] = {
    {"Sex", "Sex", "Patient", "", "F or M"},
    {"BirthDate", "Born", "Patient", "", "Date of birth"},
    {"Height", "Ht", "Patient", "", "Body height"},
    {"Diagnosis", "Diag", "Patient", "", "Diagnosis on admission"},
    {"Physician", "Doctor", "Patient", "", "Physician in charge"},
    {"Temperature", "Temp", "Vital Signs", "36.6 [C]", "Body temperature"},
    {"Pulse", "HR", "Vital Signs", "", "Heart rate at rest"},
    {"Systolic", "SBP", "Vital Signs", "", "Systolic blood pressure"},
    {"Diastolic", "DBP", "Vital Signs", "", "Diastolic blood pressure"},
    {"SpO2", "SpO2", "Vital Signs", "", "Oxygen saturation of the blood"},
    {"Weight", "Wt", "Body", "", "Body weight"},
    {"BMI", "BMI", "Body", "", "Body mass index, from weight and height"},
    {"Status", "Status", "Care", "", "Where the patient is"},
    {"Note", "Note", "Care", "", "Remark of the staff"},
};

// A template line: parameter, default value ("=" starts an auto formula),
// constraint, optional, invisible.
struct TLineRow {
  const char* parameter;
  const char* defValue;
  const char* constraint;
  bool optional;
  bool invisible;
};

constexpr const char* kBmiFormula = "=ROUND(SETUNITS(Weight / (Height*Height), 'kg/m^2'), 1)";

constexpr TLineRow kAdmissionLines[] = {
    {"Sex", "", "Sex = 'F' OR Sex = 'M'", false, false},
    {"BirthDate", "", "", false, false},
    {"Height", "170 [cm]", "Height > 40 [cm] AND Height < 250 [cm]", false, false},
    {"Weight", "70 [kg]", "Weight > 2 [kg] AND Weight < 300 [kg]", false, false},
    {"BMI", kBmiFormula, "", false, false},
    {"Diagnosis", "", "", true, false},
    {"Physician", "", "", false, false},
    {"Status", "In hospital", "", false, true},
};

constexpr TLineRow kVitalsLines[] = {
    {"Temperature", "36.6 [C]", "Temperature > 30 [C] AND Temperature < 45 [C]", false, false},
    {"Pulse", "72 [bpm]", "Pulse > 20 [bpm] AND Pulse < 250 [bpm]", false, false},
    {"Systolic", "120 [mmHg]", "Systolic > 50 [mmHg] AND Systolic < 260 [mmHg]", false, false},
    {"Diastolic", "80 [mmHg]", "Diastolic > 30 [mmHg] AND Diastolic < 160 [mmHg]", false, false},
    {"SpO2", "", "SpO2 > 50 [pct] AND SpO2 <= 100 [pct]", true, false},
    {"Note", "", "", true, false},
};

constexpr TLineRow kDischargeLines[] = {
    {"Weight", "", "Weight > 2 [kg] AND Weight < 300 [kg]", false, false},
    {"BMI", kBmiFormula, "", false, false},
    {"Status", "Discharged", "", false, true},
    {"Note", "", "", true, false},
};

// Action rows: type, moment, condition, argument (for "Add to Group" the
// name of the group).
struct TActionRow {
  uint8_t type;
  uint8_t launch;
  const char* condition;
  const char* argument;
};

constexpr TActionRow kAdmissionActions[] = {
    {atAddToGroup, lmAfterSave, "", "INPATIENTS"},
};

constexpr TActionRow kVitalsActions[] = {
    {atErrorMessage, lmBeforeSave, "Diastolic >= Systolic",
     "The diastolic pressure must be below the systolic one"},
    {atMessage, lmAfterSave, "Temperature >= PROJECT.FEVER", "Fever: tell the physician"},
    {atMessage, lmAfterSave, "Pulse > PROJECT.TACHYCARDIA",
     "Fast heart rate: check again in an hour"},
};

constexpr TActionRow kDischargeActions[] = {
    {atAddToGroup, lmAfterSave, "", "DISCHARGED"},
    {atMessage, lmBeforeSave, "", "Hand the discharge letter to the patient"},
};

struct TVariableRow {
  const char* name;
  const char* value;
  const char* comment;
};

constexpr TVariableRow kVariables[] = {
    {"FEVER", "37.5 [C]", "Body temperature from which a patient has fever"},
    {"TACHYCARDIA", "100 [bpm]", "Heart rate at rest above which it is too fast"},
    {"HYPERTENSION", "140 [mmHg]", "Systolic pressure from which it is too high"},
    {"HOSPITAL", "St. Vandro Hospital", "Name printed on reports"},
};

using TValues = std::vector<std::pair<const char*, std::string>>;

// One round of vital signs as recorded, kept for the sample's charts.
struct TVitalsRow {
  int32_t object;
  int ward; // where the patient lay at the time
  double time;
  double temperature; // C
  double pulse;       // bpm, as recorded (whole beats)
  double spo2;        // pct; 0 when not taken
};

class TSampleWriter {
public:
  explicit TSampleWriter(TFixedClock& clock) : clock_(clock) {}

  void WriteStructure();
  void WriteObjects();
  void WriteCharts();

private:
  int32_t NewObject(const char* name);
  void NewTemplate(const char* name, const char* naming, const TLineRow* lines, size_t count,
                   const TActionRow* actions, size_t actionCount);
  void Record(int32_t object, double time, const TTemplate& tmpl, const TValues& values);
  void ChangeGroup(const char* group, int32_t member, bool add, double time);
  void RunGroupActions(const TTemplate& tmpl, int32_t object, double time);
  void Stay(const TPatientRow& patient, int32_t object, int ward, double admitted, int transferDay,
            int nextWard, int days, bool fever);

  TFixedClock& clock_;
  TDice dice_{20260901};
  int32_t scriptedPatient_ = 0;
  double scriptedAdmission_ = 0;
  std::vector<TVitalsRow> vitals_;
  std::map<std::string, int32_t> groups_;
  std::map<std::string, std::unique_ptr<TTemplate>> templates_;
  // Everything that happens, run in time order so that each object's records
  // follow one another.
  std::vector<std::pair<double, std::function<void()>>> events_;
};

void TSampleWriter::WriteStructure() {
  TProject& project = *CurrentProject();
  // Two units a hospital needs that a new project lacks.
  for (const auto& [name, shortName, category, factor] :
       {std::tuple{"BeatsPerMinute", "bpm", "Frequency", "0.0166666666666667"},
        std::tuple{"percent", "pct", "Quantity", "0.01"}}) {
    TUnitForm form;
    form.Name = name;
    form.ShortName = shortName;
    form.Category = category;
    form.Factor = factor;
    if (StoreUnitForm(form) == 0) RaiseError(std::string("Can't add the unit ") + name);
  }
  for (const auto& row : kParameters) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = row.name;
    parameter->ShortName = row.shortName;
    parameter->Category = row.category;
    parameter->DefValue.SetPlain(row.defValue);
    parameter->Descript = row.description;
    if (!AddParameterFromEditor(std::move(parameter)))
      RaiseError(std::string("Can't add the parameter ") + row.name);
  }
  for (const auto& row : kVariables) {
    TVariable variable;
    variable.Name = row.name;
    variable.Comment = row.comment;
    variable.Value.SetPlain(row.value);
    if (!project.SaveVariable(variable))
      RaiseError(std::string("Can't save the variable ") + row.name);
  }
  // The groups come first: the templates' actions name them.
  for (const auto& ward : kWards)
    groups_[ward.group] = NewObject(ward.group);
  for (const char* group : {"INPATIENTS", "DISCHARGED"})
    groups_[group] = NewObject(group);
  NewTemplate("ADMISSION", "'PATIENT_' && _OBJECT_ID", kAdmissionLines, std::size(kAdmissionLines),
              kAdmissionActions, std::size(kAdmissionActions));
  NewTemplate("VITALS", "", kVitalsLines, std::size(kVitalsLines), kVitalsActions,
              std::size(kVitalsActions));
  NewTemplate("DISCHARGE", "", kDischargeLines, std::size(kDischargeLines), kDischargeActions,
              std::size(kDischargeActions));
  LoadTemplateNames();
}

int32_t TSampleWriter::NewObject(const char* name) {
  const int32_t id = APSCreateObject(name);
  if (id == 0) RaiseError(std::string("Can't create the object ") + name);
  return id;
}

void TSampleWriter::NewTemplate(const char* name, const char* naming, const TLineRow* lines,
                                size_t count, const TActionRow* actions, size_t actionCount) {
  auto tmpl = std::make_unique<TTemplate>("make_healthmonitor");
  tmpl->Name = name;
  if (*naming) tmpl->Naming.SetText(vkCalculated, naming);
  for (size_t i = 0; i < count; ++i) {
    auto line = std::make_unique<TParamTemplate>("make_healthmonitor");
    line->Parameter = CurrentProject()->FindParameter(lines[i].parameter);
    const std::string defValue = lines[i].defValue;
    if (!defValue.empty() && defValue[0] == '=')
      line->DefValue.SetText(vkCalculated, defValue);
    else
      line->DefValue.SetPlain(defValue);
    if (*lines[i].constraint) line->Constr.SetText(vkCalculated, lines[i].constraint);
    line->Optional = lines[i].optional;
    line->Invisible = lines[i].invisible;
    tmpl->ParamLines.push_back(std::move(line));
  }
  for (size_t i = 0; i < actionCount; ++i) {
    auto action = std::make_unique<TActionTemplate>("make_healthmonitor");
    action->ActionType = actions[i].type;
    action->Launch = actions[i].launch;
    if (*actions[i].condition) action->Condition.SetText(vkCalculated, actions[i].condition);
    if (actions[i].type == atAddToGroup)
      action->Argument.SetText(vkObject, std::to_string(groups_.at(actions[i].argument)));
    else
      action->Argument.SetPlain(actions[i].argument);
    tmpl->Actions.push_back(std::move(action));
  }
  if (!tmpl->Save()) RaiseError(std::string("Can't save the template ") + name);
  templates_[name] = std::move(tmpl);
}

// Whether a condition of the language holds for record, the state before it
// being the context; an empty condition always holds.
bool Holds(const TValue& condition, TDataRecord* previous, TDataRecord& record) {
  if (condition.IsNull()) return true;
  TExecutor executor;
  const TValue& result = executor.Run(nullptr, previous, condition.Text(), &record);
  bool flag = false;
  return !executor.Failed() && DecodeBoolean(result.Text(), flag) && flag;
}

// A record made from a template, as the record dialog makes one: a pair for
// every line, holding the value measured or else the line's default; an
// optional line with neither is left out. The sample keeps its own rules:
// a value that breaks its line's constraint, or a record an error action
// would refuse, is a fault of this program and stops it.
void TSampleWriter::Record(int32_t object, double time, const TTemplate& tmpl,
                           const TValues& values) {
  clock_.Set(time + kEntryDelay);
  TObjectSet set;
  if (!set.Load(object)) RaiseSystemError("The sample lost object " + std::to_string(object));
  TStateTrack track;
  set.LatestStateAt(time, track);
  track.ConstructState();

  // Built here rather than by ModifyRecord, which cannot say which template
  // made the record; named and linked as ModifyRecord does it.
  auto record = std::make_unique<TDataRecord>();
  record->ObjIdtor = object;
  record->RecName = set.ObjName + "[" + std::to_string(set.Records.size() + 1) + "]";
  record->RealTime = time;
  record->Type = tmpl.Idtor;
  size_t used = 0;
  for (const auto& line : tmpl.ParamLines) {
    const auto given = std::find_if(values.begin(), values.end(), [&](const auto& value) {
      return SameText(value.first, line->Parameter->ParamName);
    });
    TValue value;
    if (given != values.end()) {
      value.SetPlain(given->second);
      ++used;
    } else if (!line->DefValue.IsNull()) {
      value.Assign(line->DefValue);
    } else if (line->Optional) {
      continue;
    } else {
      RaiseSystemError("No value for " + line->Parameter->ParamName);
    }
    record->AddPV(*line->Parameter, value).Invisible = line->Invisible;
  }
  if (used != values.size()) RaiseSystemError("A value for a parameter the template lacks");
  for (const auto& line : tmpl.ParamLines)
    if (record->FindPV(line->Parameter->ParamName) &&
        !Holds(line->Constr, track.State.get(), *record))
      RaiseSystemError("The constraint of " + line->Parameter->ParamName + " fails in " +
                       record->RecName);
  for (const auto& action : tmpl.Actions)
    if (action->ActionType == atErrorMessage &&
        Holds(action->Condition, track.State.get(), *record))
      RaiseSystemError(action->Argument.Text() + " in " + record->RecName);
  record->Previous.assign(1, track.State.get());
  record->Store(track.State.get(), false);
  RunGroupActions(tmpl, object, time);
}

// The template's "Add to Group" actions put the object into their groups
// when its record takes effect.
void TSampleWriter::RunGroupActions(const TTemplate& tmpl, int32_t object, double time) {
  for (const auto& action : tmpl.Actions) {
    if (action->ActionType != atAddToGroup) continue;
    const int32_t group = std::stoi(action->Argument.Text());
    ChangeGroup(APSObjectName(group).c_str(), object, true, time);
  }
}

void TSampleWriter::ChangeGroup(const char* group, int32_t member, bool add, double time) {
  clock_.Set(time + kEntryDelay);
  TObjectSet set;
  if (!set.Load(groups_.at(group))) RaiseSystemError(std::string("The sample lost ") + group);
  TStateTrack track;
  set.LatestStateAt(time, track);
  std::vector<TValue::Ptr> members;
  members.push_back(TValue::Create("make_healthmonitor"));
  members.back()->SetText(vkObject, std::to_string(member));
  const std::vector<TValue::Ptr> none;
  if ((add ? track.ModifyGroup(members, none, time) : track.ModifyGroup(none, members, time)) == 0)
    RaiseSystemError(std::string("Can't change the group ") + group);
}

// One patient's stay: admission, a round of vital signs every morning (and
// every evening while feverish), perhaps a move to another ward, and the
// discharge unless the stay lasts past the sample's last day.
void TSampleWriter::Stay(const TPatientRow& patient, int32_t object, int ward, double admitted,
                         int transferDay, int nextWard, int days, bool fever) {
  double birth = Moment(patient.bornYear, patient.bornMonth, patient.bornDay);
  const char* diagnosis = kDiagnoses[ward * 4 + dice_.Between(0, 3)];
  events_.emplace_back(admitted, [=, this] {
    TValues values{{"Sex", patient.sex},
                   {"BirthDate", DateToText(birth)},
                   {"Height", Quantity(patient.height, 0, "cm")},
                   {"Weight", Quantity(patient.weight, 1, "kg")},
                   {"Diagnosis", diagnosis},
                   {"Physician", kWards[ward].physician}};
    Record(object, admitted, *templates_.at("ADMISSION"), values);
    ChangeGroup(kWards[ward].group, object, true, admitted);
  });

  // Minutes past the hour keep apart the moments of different patients.
  const double offset = (object / 32 % 29) * kMinute;
  const double firstMorning = std::floor(admitted) + 1 + 8 * kHour + offset;
  const double systolic = dice_.Around(128, 12), diastolic = dice_.Around(80, 6);
  const double pulse = dice_.Around(74, 7);
  for (int day = 0; day < days; ++day) {
    const double morning = firstMorning + day;
    if (morning > LastDay()) break;
    for (int round = 0; round < (fever && day < 3 ? 2 : 1); ++round) {
      const double time = morning + round * 12 * kHour;
      const double heat = fever && day < 3 ? dice_.Around(38.4, 0.4) : dice_.Around(36.7, 0.2);
      // About ten beats faster for every degree of fever.
      const double beats = pulse + 10 * (heat - 36.7) + dice_.Around(0, 4);
      TValues values{
          {"Temperature", Quantity(heat, 1, "C")},
          {"Pulse", Quantity(beats, 0, "bpm")},
          {"Systolic", Quantity(systolic + dice_.Around(0, 6), 0, "mmHg")},
          {"Diastolic", Quantity(diastolic + dice_.Around(0, 4), 0, "mmHg")},
      };
      const double spo2 = dice_.Chance(60) ? dice_.Around(97, 1.2) : 0;
      if (spo2 > 0) values.emplace_back("SpO2", Quantity(spo2, 0, "pct"));
      const bool moved = transferDay > 0 && transferDay < days && day >= transferDay;
      vitals_.push_back({object, moved ? nextWard : ward, time, Rounded(heat, 1), Rounded(beats, 0),
                         Rounded(spo2, 0)});
      if (heat >= 37.5 && round == 0) values.emplace_back("Note", "Paracetamol given");
      events_.emplace_back(time,
                           [=, this] { Record(object, time, *templates_.at("VITALS"), values); });
    }
  }
  if (transferDay > 0 && transferDay < days) {
    const double moved = std::floor(admitted) + transferDay + 14 * kHour + offset;
    if (moved <= LastDay())
      events_.emplace_back(moved, [=, this] {
        ChangeGroup(kWards[ward].group, object, false, moved);
        ChangeGroup(kWards[nextWard].group, object, true, moved);
      });
  }
  const double discharged = std::floor(admitted) + days + 11 * kHour + offset;
  if (discharged > LastDay()) return;
  const double weight = patient.weight + dice_.Around(-0.8, 0.7);
  const int lastWard = transferDay > 0 && transferDay < days ? nextWard : ward;
  events_.emplace_back(discharged, [=, this] {
    Record(object, discharged, *templates_.at("DISCHARGE"),
           {{"Weight", Quantity(weight, 1, "kg")}});
    ChangeGroup(kWards[lastWard].group, object, false, discharged);
    ChangeGroup("INPATIENTS", object, false, discharged);
  });
}

void TSampleWriter::WriteObjects() {
  std::vector<int32_t> patients;
  for (const auto& patient : kPatients)
    patients.push_back(NewObject(patient.name));

  // The scripted stay: cardiology, then therapy, then home.
  scriptedPatient_ = patients[0];
  scriptedAdmission_ = Moment(2026, 9, 2, 10, 0);
  Stay(kPatients[0], patients[0], 0, scriptedAdmission_, 4, 2, 10, true);
  // The drawn ones: admissions spread over the three months, and the last
  // six in its final weeks, so that the wards are not empty at its end.
  const size_t lateFrom = std::size(kPatients) - 6;
  for (size_t i = 1; i < std::size(kPatients); ++i) {
    const bool late = i >= lateFrom;
    const int day = late ? dice_.Between(78, 88) : dice_.Between(0, 80);
    const double admitted =
        FirstDay() + day + dice_.Between(9, 15) * kHour + (patients[i] / 32 % 29) * kMinute;
    const int ward = dice_.Between(0, 2);
    const int days = late ? dice_.Between(12, 21) : dice_.Between(4, 21);
    const bool moves = dice_.Chance(25);
    const int transferDay = moves ? dice_.Between(1, days - 1) : 0;
    const int nextWard = (ward + dice_.Between(1, 2)) % 3;
    Stay(kPatients[i], patients[i], ward, admitted, transferDay, nextWard, days, dice_.Chance(30));
  }
  std::stable_sort(events_.begin(), events_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& event : events_)
    event.second();

  const auto index = [](TIndexKind kind, const char* entry, const char* comment, int32_t id) {
    if (!AddEntry(kind, entry, comment, id)) RaiseError(std::string("Can't index ") + entry);
  };
  for (const auto& ward : kWards)
    index(ikGroups, ward.entry, ward.comment, groups_.at(ward.group));
  index(ikGroups, "IN HOSPITAL", "Every patient in a ward now", groups_.at("INPATIENTS"));
  index(ikObjects, "TRANSFERRED", "Moved from cardiology to therapy", patients[0]);
}

// An array of the value texts, packed as a chart keeps its sources.
std::string PackedArray(const std::vector<std::string>& texts) {
  TValue array;
  array.SetArray();
  for (const std::string& text : texts) {
    TValue::Ptr item = TValue::Create("sample chart");
    item->SetPlain(text);
    array.AddItem(std::move(item));
  }
  return array.PackValue();
}

TChartSeries& AddSeries(TChartDefinition& chart, const char* name, int type) {
  TChartSeries& series = chart.Series.emplace_back();
  series.Name = name;
  series.Type = type;
  series.Brush = DefaultSeriesColor(static_cast<int>(chart.Series.size()) - 1);
  return series;
}

void StoreChart(const char* name, const TChartDefinition& chart) {
  if (!SaveDescriptor(CaptureChart(chart), name, dkChart, false, name))
    RaiseError(std::string("Can't store the chart ") + name);
}

// Charts of the vital signs recorded above, as arrays of the recorded
// numbers, so that a new user opens one at once.
void TSampleWriter::WriteCharts() {
  TChartDefinition curve;
  curve.Header.Text = "Temperature of Alice Morgan\r\nCardiology, then therapy";
  curve.Legend.Visible = false;
  curve.Axes[caxLeft].Title = "Temperature [C]";
  curve.Axes[caxBottom].Title = "Days since admission";
  TChartSeries& temperature = AddSeries(curve, "Temperature", cstLine);
  temperature.PenWidth = 2;
  temperature.PenColor = temperature.Brush;
  temperature.PointsVisible = true;
  temperature.PointStyle = 1; // circle
  std::vector<std::string> days, degrees;
  for (const TVitalsRow& row : vitals_) {
    if (row.object != scriptedPatient_) continue;
    days.push_back(Quantity(row.time - scriptedAdmission_, 2, ""));
    degrees.push_back(Quantity(row.temperature, 1, "C"));
  }
  temperature.XSource = PackedArray(days);
  temperature.YSource = PackedArray(degrees);
  StoreChart("TemperatureCurve", curve);

  TChartDefinition byWard;
  byWard.Header.Text = "Mean pulse by ward";
  byWard.Legend.Visible = false;
  byWard.Axes[caxLeft].Title = "Pulse [bpm]";
  TChartSeries& pulse = AddSeries(byWard, "Pulse", cstBar);
  pulse.MarksVisible = true;
  std::vector<std::string> means, wards;
  for (int ward = 0; ward < static_cast<int>(std::size(kWards)); ++ward) {
    double sum = 0;
    int count = 0;
    for (const TVitalsRow& row : vitals_)
      if (row.ward == ward) sum += row.pulse, ++count;
    means.push_back(Quantity(count ? sum / count : 0, 1, "bpm"));
    wards.push_back(kWards[ward].group);
  }
  pulse.YSource = PackedArray(means);
  pulse.LSource = PackedArray(wards);
  StoreChart("PulseByWard", byWard);

  TChartDefinition scatter;
  scatter.Header.Text = "Oxygen saturation against heart rate";
  scatter.Legend.Visible = false;
  scatter.Axes[caxLeft].Title = "SpO2 [pct]";
  scatter.Axes[caxBottom].Title = "Pulse [bpm]";
  TChartSeries& points = AddSeries(scatter, "SpO2", cstPoint);
  points.PointsVisible = true;
  points.PointStyle = 1; // circle
  points.PointBrushColor = points.Brush;
  std::vector<std::string> beats, saturation;
  for (const TVitalsRow& row : vitals_) {
    if (row.spo2 <= 0) continue;
    beats.push_back(Quantity(row.pulse, 0, "bpm"));
    saturation.push_back(Quantity(row.spo2, 0, "pct"));
  }
  points.XSource = PackedArray(beats);
  points.YSource = PackedArray(saturation);
  StoreChart("SpO2VsPulse", scatter);
  LoadChartNames();
}

// Holds the clock for the generator and gives the system's back.
class TClockHold {
public:
  explicit TClockHold(const TClock& clock) : previous_(SetClock(&clock)) {}
  ~TClockHold() { SetClock(previous_); }
  TClockHold(const TClockHold&) = delete;
  TClockHold& operator=(const TClockHold&) = delete;

private:
  const TClock* previous_;
};

} // namespace

double FirstDay() {
  return Moment(2026, 9, 1);
}

double LastDay() {
  return Moment(2026, 11, 30, 23, 59);
}

bool MakeHealthMonitor(const std::string& projectFile) {
  const TProjectPaths paths = ResolveProjectPaths(projectFile);
  std::error_code error;
  for (const std::string& file : {paths.file, APSDatabasePath(paths.directory, paths.name)}) {
    std::filesystem::remove(OsPath(file), error);
    if (error) {
      ShowMsg("Can't replace " + file + ": " + error.message());
      return false;
    }
  }
  TFixedClock clock(Moment(2026, 9, 1, 8, 0));
  const TClockHold hold(clock);
  ScopedLanguage language;
  ScopedRecords records;
  TProjectInfo info = NewProjectInfo("Health Monitor");
  info.Description = "Sample project: the patients of a small hospital, its wards and the vital "
                     "signs taken every morning";
  info.Author = "Vandro";
  info.Organization = "St. Vandro Hospital";
  info.Comments = "Made by make_healthmonitor. Try the templates VITALS and ADMISSION, the ward "
                  "groups and the variables FEVER and TACHYCARDIA.";
  if (!APSCreateProject(paths.file, "", info) || !OpenProject(paths.file)) return false;
  try {
    // The path it was written at means nothing where the sample is installed
    // or copied to, and would make each build directory's sample differ.
    CurrentProject()->Info().Location = paths.file.substr(paths.file.find_last_of('/') + 1);
    WriteProjectFile();
    TSampleWriter writer(clock);
    writer.WriteStructure();
    writer.WriteObjects();
    writer.WriteCharts();
  } catch (const ErrorException&) {
    CloseProject();
    return false;
  }
  CloseProject();
  return true;
}

} // namespace vandro::sample
