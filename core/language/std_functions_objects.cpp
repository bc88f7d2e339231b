// Objects and the project: OBJECT, ACTUALSTATE, CONTENTOF, HISTORYOF,
// EXECUTE and ORIGIN. They read stored histories, so they need an open
// project with files behind it; without one an object is never found.
#include "language/query.h"
#include "language/std_functions.h"
#include "language/std_functions_support.h"

#include "model/data_record.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/record_store.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "values/value_text.h"

#include <charconv>

namespace vandro::stdfn {

namespace {

bool ReadIdentifier(const std::string& text, int32_t& id) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, id);
  return error == std::errc() && at == end && id >= 0;
}

void SetReference(TValue& result, int32_t id) {
  result.SetText(vkObject, std::to_string(id));
}

// The object of that name; 0 when there is none or no stored project.
int32_t ObjectNamed(const std::string& name) {
  TRecordStore* store = OpenRecordStore();
  return store && !name.empty() ? store->FindObject(name) : 0;
}

// The identifier a reference or a name stands for (an object's or a
// record's); false for values of other kinds.
bool ReferenceOrName(const TValue& value, int32_t& id) {
  if (value.IsObject()) return ReadIdentifier(value.Text(), id);
  if (value.IsString()) {
    id = ObjectNamed(value.Text());
    return true;
  }
  return false;
}

// The object behind an object or record identifier; 0 when none.
int32_t ObjectOf(int32_t id) {
  if (id <= 0) return 0;
  if (id % 32 == 0) return id;
  TRecordStore* store = OpenRecordStore();
  return store ? store->RecordObject(id) : 0;
}

bool IsMoment(const TValue& value) {
  return value.IsPlain() && value.IsDateTime();
}

bool IsCount(const TValue& value, int64_t& count) {
  return value.IsPlain() && ReadWhole(value, count);
}

// The track of a reference's state: a record's path, or an object's first
// state current now. False (message set) when nothing is found; a state
// that is not current leaves the track on the root.
bool StateOf(int32_t id, TObjectSet& set, TStateTrack& track, std::string& message) {
  const int32_t object = ObjectOf(id);
  if (object == 0 || !set.Load(object)) {
    message = "Object not found. Id=" + std::to_string(id);
    return false;
  }
  const double now = Now();
  const bool found = id == object ? track.FirstStateTrack(set, now) : track.SetPath(set, id, now);
  if (!found) track.SetRootPath(set, now);
  track.ConstructState();
  return true;
}

} // namespace

bool ObjectByName(TProcessor&, const TArgs& args, TValue& result, std::string& message) {
  if (!args[0]->IsString()) {
    message = kInvalidType;
    return false;
  }
  SetReference(result, ObjectNamed(args[0]->Text()));
  return true;
}

bool ActualState(TProcessor& processor, const TArgs& args, TValue& result, std::string& message) {
  int32_t id = -1; // -1: the object of the context record
  double moment = Now();
  int64_t count = 0;
  const auto objectArgument = [&](const TValue& value) { return ReferenceOrName(value, id); };
  if (args.size() == 1) {
    const TValue& a = *args[0];
    if (a.IsObject()) {
      objectArgument(a);
    } else if (IsMoment(a)) {
      moment = DecodeDateTime(a.Text());
    } else if (IsCount(a, count)) {
    } else if (a.IsString()) {
      objectArgument(a);
    } else {
      message = kInvalidType;
      return false;
    }
  } else if (args.size() == 2) {
    const TValue& a = *args[0];
    const TValue& b = *args[1];
    if (IsMoment(a) && !a.IsObject() && IsCount(b, count)) {
      moment = DecodeDateTime(a.Text());
    } else if ((a.IsObject() || a.IsString()) && IsMoment(b)) {
      objectArgument(a);
      moment = DecodeDateTime(b.Text());
    } else if ((a.IsObject() || a.IsString()) && IsCount(b, count)) {
      objectArgument(a);
    } else {
      message = "Invalid parameters";
      return false;
    }
  } else if (args.size() == 3) {
    if (!args[0]->IsObject() || !ReadIdentifier(args[0]->Text(), id)) {
      message = "First parameter should be an object/state reference";
      return false;
    }
    if (id == 0) {
      message = "First parameter should not be a Null Object";
      return false;
    }
    if (!IsMoment(*args[1])) {
      message = "Second parameter should be DateTime";
      return false;
    }
    moment = DecodeDateTime(args[1]->Text());
    if (!IsCount(*args[2], count)) {
      message = "Third parameter should be an integer";
      return false;
    }
  }
  if (id < 0) {
    const TDataRecord* context = processor.ContextRecord();
    id = context ? context->ObjIdtor : 0;
  }
  const int32_t object = ObjectOf(id);
  TObjectSet set;
  if (object == 0 || !set.Load(object)) {
    message = "Object not found. Id=" + std::to_string(id);
    return false;
  }
  result.Clear();
  TStateTrack track;
  if (count < 0 || !track.FirstStateTrack(set, moment)) return true;
  for (int64_t i = 0; i < count; ++i)
    if (!track.NextStateTrack()) return true;
  SetReference(result, track.Last()->Idtor);
  return true;
}

bool ContentOf(TProcessor&, const TArgs& args, TValue& result, std::string& message) {
  int32_t id = 0;
  if (!ReferenceOrName(*args[0], id)) {
    message = kInvalidType;
    return false;
  }
  result.Clear();
  if (id == 0) return true;
  TObjectSet set;
  TStateTrack track;
  if (!StateOf(id, set, track, message)) return false;
  track.State->GetSystemValue("_CONTENT", result);
  return true;
}

bool HistoryOf(TProcessor&, const TArgs& args, TValue& result, std::string& message) {
  const TValue& first = *args[0];
  int32_t id = 0;
  const bool named = first.IsObject() ||
                     (first.IsString() && first.Text().find_first_of("\r\n") == std::string::npos);
  if (!named || !ReferenceOrName(first, id)) {
    message = "First parameter should be a state reference.";
    return false;
  }
  std::vector<double> moments;
  for (size_t i = 1; i < args.size(); ++i) {
    const TValue& argument = *args[i];
    std::vector<const TValue*> items;
    if (argument.IsArray()) {
      for (int k = 0; k < argument.ItemCount(); ++k)
        items.push_back(&argument.GetItem(k));
    } else {
      items.push_back(&argument);
    }
    for (const TValue* item : items) {
      if (!IsMoment(*item)) {
        message = "Invalid argument #" + std::to_string(i + 1) + ": " + ToDisplayText(&argument) +
                  kLineBreak + "Argument should be a date and time value" + kLineBreak +
                  "or an array";
        return false;
      }
      moments.push_back(DecodeDateTime(item->Text()));
    }
  }
  TObjectSet set;
  TStateTrack track;
  if (!StateOf(id, set, track, message)) return false;
  // The states in track order: a state's own path, or every state of the
  // object in the order of real time.
  std::vector<const TDataRecord*> states;
  if (id % 32 != 0) {
    for (const TDataRecord* record : track.Path)
      if (record != &set.Root && !record->Terminator) states.push_back(record);
  } else {
    for (const auto& record : set.Records)
      if (!record->Terminator) states.push_back(record.get());
  }
  result.SetArray();
  const auto add = [&](int32_t record) {
    TValue::Ptr item = TValue::Create("HISTORYOF");
    SetReference(*item, record);
    result.AddItem(std::move(item));
  };
  if (moments.empty()) {
    for (const TDataRecord* record : states)
      add(record->Idtor);
    return true;
  }
  for (const double moment : moments) {
    int32_t latest = 0;
    for (const TDataRecord* record : states)
      if (record->RealTime <= moment) latest = record->Idtor;
    add(latest);
  }
  return true;
}

bool ExecuteText(TProcessor& processor, const TArgs& args, TValue& result, std::string& message) {
  const TValue& query = *args[0];
  const bool isQueryText = query.IsPlain() && !query.IsNull() && [&] {
    TValue probe;
    probe.SetText(vkCalculated, query.Text());
    return probe.IsQuery();
  }();
  result.Clear();
  if (!query.IsQuery() && !isQueryText) return true;
  TValue::Ptr found = ExecuteQuery(query, processor.ContextRecord(), processor.SecondRecord());
  if (!found) {
    message = "Error in query";
    return false;
  }
  result.Assign(*found);
  return true;
}

bool OriginMoment(TProcessor&, const TArgs&, TValue& result, std::string&) {
  const TProject* project = CurrentProject();
  result.SetPlain(DateTimeToText(project ? project->Info().EarliestRecordTime : 0));
  return true;
}

} // namespace vandro::stdfn
