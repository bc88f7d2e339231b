// The records' side of the language: what the processor and the records ask
// of each other once both are there.
//   - "object.parameter" (processor operation 19) reads the parameter from
//     the state the object reference's track stands for
//     (model/object_reference.h);
//   - storing a record (TDataRecord::Store) evaluates its auto formulas with
//     an executor, against the state before it.
// The program calls InstallRecords once at start, beside InstallLanguage;
// tests and tools use ScopedRecords.
#pragma once

namespace vandro {

class TStateParameterResolver;
class TStoreEvaluator;

void InstallRecords();

// Installs both for a scope and puts back what was installed before.
class ScopedRecords {
public:
  ScopedRecords();
  ~ScopedRecords();
  ScopedRecords(const ScopedRecords&) = delete;
  ScopedRecords& operator=(const ScopedRecords&) = delete;

private:
  TStateParameterResolver* previousResolver_;
  TStoreEvaluator* previousEvaluator_;
};

} // namespace vandro
