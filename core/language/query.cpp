#include "language/query.h"

#include "language/executor.h"
#include "language/std_functions_support.h"
#include "model/data_record.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/record_store.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "shell/progress.h"
#include "values/value_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <random>
#include <unordered_set>
#include <utility>

namespace vandro {

namespace {

using TTracks = std::vector<std::unique_ptr<TStateTrack>>;

// A failure of a run: its message becomes the query's.
struct TQueryFailure {
  std::string message;
};

std::string ReasonOf(const TValue& value) {
  std::string_view text = value.Text();
  const std::string_view mark = kErrorPrefix;
  if (value.IsError() && text.substr(0, mark.size()) == mark) {
    text.remove_prefix(mark.size());
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  return std::string(text);
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool ReadIdentifier(const std::string& text, int32_t& id) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, id);
  return error == std::errc() && at == end && id >= 0;
}

// Arrays among the scope values (CONTENTOF, HISTORYOF, EXECUTE give them)
// stand for their items.
void Flatten(const TValue& value, std::vector<const TValue*>& out) {
  if (!value.IsArray()) {
    out.push_back(&value);
    return;
  }
  for (int i = 0; i < value.ItemCount(); ++i)
    Flatten(value.GetItem(i), out);
}

class TQueryRun {
public:
  TQueryRun(TQExpression& query, double moment, TProgressScope& progress)
      : query_(query), moment_(moment), progress_(progress) {}

  void Run() {
    if (query_.Selection != qsAll && query_.Number == 0) return;
    if (query_.Scope == qcHistory) {
      RunHistory();
      return;
    }
    if (query_.Everything) {
      RunEverything();
      return;
    }
    std::vector<const TValue*> values;
    for (const auto& value : query_.ScopeValues)
      Flatten(*value, values);
    const double count = static_cast<double>(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      const TValue& value = *values[i];
      // A group's members are its share of the listed items.
      const auto walked = [&](double share) { Walked((static_cast<double>(i) + share) / count); };
      const bool more = query_.Scope == qcContent ? ContentOf(value, walked)
                                                  : Candidates(value, /*skipOthers=*/false);
      if (!more) return;
      walked(1);
    }
  }

  TValue::Ptr Result() {
    TValue::Ptr result = TValue::Create("TQExpression.Execute");
    if (query_.Selection == qsAll) {
      result->SetPackedReferenceArray(std::move(allHits_));
      return result;
    }
    std::vector<THit> hits;
    if (query_.Selection == qsBottom) {
      hits.assign(window_.begin(), window_.end());
    } else {
      hits = std::move(hits_);
      if (query_.Selection == qsRandom)
        std::sort(hits.begin(), hits.end(),
                  [](const THit& a, const THit& b) { return a.order < b.order; });
    }
    std::vector<int32_t> identifiers;
    identifiers.reserve(hits.size());
    for (const THit& hit : hits)
      identifiers.push_back(query_.States ? hit.record : hit.object);
    result->SetReferenceArray(identifiers);
    return result;
  }

private:
  struct THit {
    int32_t record = 0;
    int32_t object = 0;
    uint64_t order = 0; // position among all hits, in scan order
  };

  // The whole project, one object's history in memory at a time.
  void RunEverything() {
    TRecordStore* store = OpenRecordStore();
    if (!store) return;
    distinctGroups_ = true;
    const int64_t objects = store->ObjectCount();
    // Room for every object at once: growing by doubling would need the old
    // and the new room together, half as much again at the peak.
    if (!query_.States && query_.Selection == qsAll)
      allHits_.reserve(static_cast<size_t>(objects) * sizeof(int32_t));
    TObjectSet set;
    WalkAll(*store, objects, set, [&] {
      TTracks tracks;
      set.StatesAt(moment_, tracks);
      return Group(set.ObjIdtor, tracks);
    });
  }

  // Reports the share of the candidates walked; a progress asked to stop
  // ends the run with kQueryCancelled.
  void Walked(double share) {
    if (!progress_.Update(share)) throw TQueryFailure{kQueryCancelled};
  }

  // Every stored object loaded into set in turn, then visited; false from
  // visit ends the walk. A stop asked for by the progress leaves the store's
  // walk by its own way out before the run fails.
  template <class Visit>
  void WalkAll(TRecordStore& store, int64_t total, TObjectSet& set, Visit visit) {
    int64_t walked = 0;
    bool stopped = false;
    store.WalkObjects([&](int32_t id, const std::string& name) {
      LoadInto(set, id, name, store);
      if (!visit()) return false;
      stopped = !progress_.Update(++walked, total);
      return !stopped;
    });
    if (stopped) throw TQueryFailure{kQueryCancelled};
  }

  static void LoadInto(TObjectSet& set, int32_t id, const std::string& name, TRecordStore& store) {
    set.Clear();
    try {
      set.ObjIdtor = id;
      set.ObjName = name;
      store.GetRecords(id, set);
      set.Link();
    } catch (const ErrorException&) {
      set.Clear();
      RaiseError("Can't get a state of the object with id = " + std::to_string(id));
    }
  }

  // The states at every record of the listed objects (or of all objects)
  // whose real time lies in the window.
  void RunHistory() {
    const auto visit = [&](TObjectSet& set) {
      TTracks tracks;
      for (const auto& record : set.Records) {
        if (record->RealTime < query_.Start || record->RealTime > moment_) continue;
        if (record->Terminator) continue;
        auto track = std::make_unique<TStateTrack>();
        if (track->SetPath(set, record->Idtor, record->RealTime))
          tracks.push_back(std::move(track));
      }
      return Group(set.ObjIdtor, tracks);
    };
    if (query_.Everything) {
      TRecordStore* store = OpenRecordStore();
      if (!store) return;
      distinctGroups_ = true;
      TObjectSet set;
      WalkAll(*store, store->ObjectCount(), set, [&] { return visit(set); });
      return;
    }
    std::vector<const TValue*> values;
    for (const auto& value : query_.ScopeValues)
      Flatten(*value, values);
    for (size_t i = 0; i < values.size(); ++i) {
      const int32_t id = ReferenceId(*values[i], false);
      if (id != 0) {
        TObjectSet set;
        const int32_t object = id % 32 == 0 ? id : RecordObject(id);
        if (!set.Load(object))
          throw TQueryFailure{"Object doesn't exist. Id=" + std::to_string(object)};
        if (!visit(set)) return;
      }
      Walked(static_cast<double>(i + 1) / static_cast<double>(values.size()));
    }
  }

  // The identifier of a reference; 0 for the null object, and for values of
  // other kinds when skipOthers (else they fail the run).
  static int32_t ReferenceId(const TValue& value, bool skipOthers) {
    int32_t id = 0;
    if (value.IsObject() && ReadIdentifier(value.Text(), id)) return id;
    if (skipOthers) return 0;
    throw TQueryFailure{"An object or state reference expected in the list of objects. Actual "
                        "value is " +
                        ToDisplayText(&value)};
  }

  static int32_t RecordObject(int32_t recordId) {
    TRecordStore* store = OpenRecordStore();
    const int32_t object = store ? store->RecordObject(recordId) : 0;
    if (object == 0)
      throw TQueryFailure{"Can't find an DataRecord with id = " + std::to_string(recordId)};
    return object;
  }

  // The tracks a reference stands for at the moment: an object's current
  // states, or those descending from a state. False when the reference names
  // the null object (nothing to do).
  bool TracksOf(const TValue& value, bool skipOthers, TObjectSet& set, TTracks& tracks) {
    const int32_t id = ReferenceId(value, skipOthers);
    if (id == 0) return false;
    const int32_t object = id % 32 == 0 ? id : RecordObject(id);
    if (!set.Load(object))
      throw TQueryFailure{"Object doesn't exist. Id=" + std::to_string(object)};
    if (id == object) {
      set.StatesAt(moment_, tracks);
      return true;
    }
    TStateTrack track;
    if (track.SetPath(set, id, moment_)) track.DescendantStatesAt(moment_, tracks);
    return true;
  }

  // Candidates under LIST; false once the search is over.
  bool Candidates(const TValue& value, bool skipOthers) {
    TObjectSet set;
    TTracks tracks;
    if (!TracksOf(value, skipOthers, set, tracks)) return true;
    return Group(set.ObjIdtor, tracks);
  }

  // The members of a group's states at the moment are the candidates.
  // walked hears the share of the members done.
  template <class Report> bool ContentOf(const TValue& value, const Report& walked) {
    TObjectSet set;
    TTracks tracks;
    if (!TracksOf(value, /*skipOthers=*/true, set, tracks)) return true;
    for (size_t t = 0; t < tracks.size(); ++t) {
      tracks[t]->ConstructState();
      const auto& content = tracks[t]->State->Content;
      if (!content) continue;
      for (size_t m = 0; m < content->size(); ++m) {
        if (!Candidates(*(*content)[m], /*skipOthers=*/true)) return false;
        walked((static_cast<double>(t) +
                static_cast<double>(m + 1) / static_cast<double>(content->size())) /
               static_cast<double>(tracks.size()));
      }
    }
    return true;
  }

  bool Passes(TStateTrack& track) {
    track.ConstructState();
    if (query_.Condition.empty()) return true;
    const TValue& result = executor_.Run(nullptr, track.State.get(), query_.Condition);
    bool flag = false;
    return !executor_.Failed() && result.IsPlain() && DecodeBoolean(result.Text(), flag) && flag;
  }

  // The candidates of one object; false once the search is over.
  bool Group(int32_t object, TTracks& tracks) {
    const bool wholeObject = !query_.States && query_.ForAllStates;
    if (wholeObject) {
      if (tracks.empty() || vetoed_.count(object)) return true;
      for (auto& track : tracks) {
        const bool passed = Passes(*track);
        track.reset();
        if (!passed) {
          Veto(object);
          return true;
        }
      }
      return Offer(0, object);
    }
    for (auto& track : tracks) {
      // An object already found needs no further test of its states.
      if (!query_.States && seen_.count(object)) return true;
      const int32_t record = track->Last() ? track->Last()->Idtor : 0;
      if (query_.States && seen_.count(record)) continue;
      const bool passed = Passes(*track);
      track.reset();
      if (!passed) continue;
      if (!Offer(record, object)) return false;
      if (!query_.States) return true;
    }
    return true;
  }

  // Keeps a hit; false once TOP has its number.
  bool Offer(int32_t record, int32_t object) {
    const int32_t key = query_.States ? record : object;
    if (!distinctGroups_ && !seen_.insert(key).second) return true;
    const THit hit{record, object, found_++};
    const size_t wanted = static_cast<size_t>(query_.Number);
    switch (query_.Selection) {
    case qsBottom:
      window_.push_back(hit);
      if (window_.size() > wanted) window_.pop_front();
      return true;
    case qsRandom: {
      // Reservoir sampling: every hit ends up kept with the same chance.
      if (hits_.size() < wanted) {
        hits_.push_back(hit);
      } else {
        std::uniform_int_distribution<uint64_t> pick(0, hit.order);
        const uint64_t slot = pick(random_);
        if (slot < wanted) hits_[slot] = hit;
      }
      return true;
    }
    case qsTop:
      hits_.push_back(hit);
      return hits_.size() < wanted;
    default: {
      char bytes[sizeof key];
      std::memcpy(bytes, &key, sizeof key);
      allHits_.append(bytes, sizeof key);
      return true;
    }
    }
  }

  // FOR_ALL_STATES: an object with a failing state is not a hit, even when
  // another list item found it before.
  void Veto(int32_t object) {
    vetoed_.insert(object);
    seen_.insert(object);
    const auto same = [object](const THit& hit) { return hit.object == object; };
    hits_.erase(std::remove_if(hits_.begin(), hits_.end(), same), hits_.end());
    std::string kept;
    for (size_t at = 0; at + sizeof object <= allHits_.size(); at += sizeof object)
      if (std::memcmp(allHits_.data() + at, &object, sizeof object) != 0)
        kept.append(allHits_, at, sizeof object);
    allHits_ = std::move(kept);
    window_.erase(std::remove_if(window_.begin(), window_.end(), same), window_.end());
  }

  TQExpression& query_;
  double moment_;
  TProgressScope& progress_;
  TExecutor executor_;
  std::vector<THit> hits_;  // TOP and RANDOM
  std::deque<THit> window_; // BOTTOM: the last hits
  // ALL: the identifiers of the hits in scan order, packed as the result
  // keeps them (TValue::SetPackedReferenceArray) and handed over without a
  // copy. Only 4 bytes a hit, so that a query over every object stays small
  // however many pass.
  std::string allHits_;
  // Set when no object or state can come up twice (a walk over the whole
  // project), so there is no need to remember what was found.
  bool distinctGroups_ = false;
  std::unordered_set<int32_t> seen_;
  std::unordered_set<int32_t> vetoed_;
  uint64_t found_ = 0;
  std::mt19937_64 random_{std::random_device{}()};
};

// Evaluates an expression of the query; failure (with "prefix" and the
// executor's message) raises TQueryFailure.
void Evaluate(TExecutor& executor, const std::string& text, TDataRecord* contextRecord,
              TDataRecord* secondRecord, const char* prefix, TValue& value) {
  const TValue& result = executor.Run(nullptr, contextRecord, text, secondRecord);
  if (executor.Failed()) throw TQueryFailure{prefix + ReasonOf(result)};
  value.Assign(result);
}

double EvaluateMoment(TExecutor& executor, const std::string& text, TDataRecord* contextRecord,
                      TDataRecord* secondRecord, const char* failure, const char* wrongType) {
  TValue value;
  Evaluate(executor, text, contextRecord, secondRecord, failure, value);
  if (!value.IsDateTime())
    throw TQueryFailure{std::string(wrongType) + "\r\nActual value is " + ToDisplayText(&value)};
  return DecodeDateTime(value.Text());
}

} // namespace

void TQExpression::Reset() {
  Failed = false;
  Message.clear();
  ScopeValues.clear();
  ScopeExpressions.clear();
  Start = 0;
  StartExpression = kDefaultStartExpression;
  Finish = 0;
  FinishExpression = kDefaultFinishExpression;
  Condition.clear();
  States = true;
  Number = 0;
  NumberExpression = "1";
  Selection = qsAll;
  Scope = qcContent;
  Everything = false;
  ForAllStates = false;
}

bool TQExpression::Parse() {
  TExecutor executor;
  executor.ParseQuery(*this);
  return !Failed;
}

std::string TQExpression::ToText() const {
  const std::string crlf = kLineBreak;
  std::string text = "FIND ";
  const std::string number = Trimmed(NumberExpression);
  if (number.empty() || Selection == qsAll)
    text += "ALL ";
  else
    text += std::string(Selection == qsTop      ? "TOP "
                        : Selection == qsBottom ? "BOTTOM "
                                                : "RANDOM ") +
            NumberExpression + " ";
  text += (States ? "STATES" : "OBJECTS") + crlf;
  text += "WITHIN ";
  text += Scope == qcList ? "LIST " : Scope == qcHistory ? "HISTORY " : "CONTENT ";
  if (Scope == qcHistory)
    text += " (" + (Trimmed(StartExpression).empty() ? kDefaultStartExpression : StartExpression) +
            ", " +
            (Trimmed(FinishExpression).empty() ? kDefaultFinishExpression : FinishExpression) +
            ") ";
  if (Scope != qcList) text += "OF ";
  if (Everything) {
    text += "EVERYTHING" + crlf;
  } else {
    for (size_t i = 0; i < ScopeExpressions.size(); ++i)
      text += std::string("    ") + (i > 0 ? ", " : "") + ScopeExpressions[i] + crlf;
  }
  text += "CONDITION ";
  if (ForAllStates && !States) text += "FOR_ALL_STATES ";
  text += Condition + crlf;
  if (Scope != qcHistory)
    text += "ACTUAL " +
            (Trimmed(FinishExpression).empty() ? kDefaultFinishExpression : FinishExpression) +
            crlf;
  return text;
}

TValue::Ptr TQExpression::Execute(TDataRecord* contextRecord, TDataRecord* secondRecord,
                                  TProgress* progress) {
  if (!Parse()) return nullptr;
  try {
    TExecutor executor;
    if (Selection != qsAll) {
      TValue value;
      Evaluate(executor, NumberExpression, contextRecord, secondRecord,
               "Error during execution of number specifier:", value);
      stdfn::TNumber number;
      if (!value.IsInteger() || !stdfn::ReadNumber(value, number))
        throw TQueryFailure{"Number specifier should be an integer.\r\nActual value is " +
                            ToDisplayText(&value)};
      if (number.value < 0)
        throw TQueryFailure{"Number specifier should be a positive integer.\r\nActual value is " +
                            ToDisplayText(&value)};
      const long double most = std::numeric_limits<int32_t>::max();
      Number = static_cast<int32_t>(std::min(number.value, most));
    }
    Finish = Trimmed(FinishExpression).empty()
                 ? Now()
                 : EvaluateMoment(executor, FinishExpression, contextRecord, secondRecord,
                                  "Error during calculation of finish time:",
                                  "Finish should be a Date-Time value.");
    const TProject* project = CurrentProject();
    Start = Trimmed(StartExpression).empty()
                ? (project ? project->Info().EarliestRecordTime : 0)
                : EvaluateMoment(executor, StartExpression, contextRecord, secondRecord,
                                 "Error during calculation of start time:",
                                 "Start should be a Date-Time value.");
    ScopeValues.clear();
    if (!Everything) {
      if (ScopeExpressions.empty()) throw TQueryFailure{"The empty list of objects was supplied"};
      for (const std::string& expression : ScopeExpressions) {
        TValue::Ptr value = TValue::Create("TQExpression.Execute");
        Evaluate(executor, expression, contextRecord, secondRecord,
                 "Error during calculation of the list of objects:", *value);
        ScopeValues.push_back(std::move(value));
      }
    }
    const double moment = Finish != 0 ? Finish : Now();
    TProgressScope scope(progress, kQueryProgress);
    TQueryRun run(*this, moment, scope);
    run.Run();
    TValue::Ptr result = run.Result();
    ScopeValues.clear();
    return result;
  } catch (const TQueryFailure& failure) {
    Message = failure.message;
  } catch (const ErrorException& error) {
    // Shown already (a damaged history, an object that cannot be read).
    Message = error.Message();
  }
  Failed = true;
  ScopeValues.clear();
  return nullptr;
}

TValue::Ptr ExecuteQuery(const TValue& value, TDataRecord* contextRecord, TDataRecord* secondRecord,
                         std::string* message, TProgress* progress) {
  TQExpression query;
  query.Text = value.Text();
  TValue::Ptr result = query.Execute(contextRecord, secondRecord, progress);
  if (!result && message) *message = query.Message;
  return result;
}

} // namespace vandro
