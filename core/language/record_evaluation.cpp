#include "language/record_evaluation.h"

#include "language/executor.h"
#include "language/processor.h"
#include "model/data_record.h"
#include "model/object_reference.h"
#include "model/state_track.h"
#include "shell/messages.h"
#include "shell/text.h"

namespace vandro {

namespace {

class TRecordStates final : public TStateParameterResolver {
public:
  bool GetParameter(TValue& reference, std::string_view name, TValue& result,
                    std::string& message) override {
    try {
      TStateTrack* track = FindStateTrack(reference, message);
      if (!track) return false;
      track->ConstructState();
      track->State->GetSystemValue(name, result);
      return true;
    } catch (const ErrorException& error) {
      // A damaged history: reported already, with the system-error prefix.
      message = error.Message();
      return false;
    }
  }
};

class TStoredFormulas final : public TStoreEvaluator {
public:
  bool Evaluate(const TPVRelation& pair, TDataRecord* previousState, TDataRecord& record,
                TValue& result) override {
    TExecutor executor;
    // A formula that reaches its own parameter would evaluate itself again:
    // the chain makes that a loop reference.
    TExecutor::TNameChain chain{UpperCase(pair.Parameter->ParamName)};
    result.Assign(executor.Run(&chain, previousState, pair.Value.Text(), &record));
    return !executor.Failed();
  }
};

TRecordStates& RecordStates() {
  static TRecordStates states;
  return states;
}

TStoredFormulas& StoredFormulas() {
  static TStoredFormulas formulas;
  return formulas;
}

} // namespace

void InstallRecords() {
  SetStateParameterResolver(&RecordStates());
  SetStoreEvaluator(&StoredFormulas());
}

void InstallEngine() {
  InstallLanguage();
  InstallRecords();
}

ScopedRecords::ScopedRecords()
    : previousResolver_(SetStateParameterResolver(&RecordStates())),
      previousEvaluator_(SetStoreEvaluator(&StoredFormulas())) {}

ScopedRecords::~ScopedRecords() {
  SetStateParameterResolver(previousResolver_);
  SetStoreEvaluator(previousEvaluator_);
}

} // namespace vandro
