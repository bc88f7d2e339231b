// The records' side of the language: what the processor and the records ask
// of each other once both are there.
//   - "object.parameter" (processor operation 19) reads the parameter from
//     the state the object reference's track stands for
//     (model/object_reference.h);
//   - storing a record (TDataRecord::Store) evaluates its auto formulas with
//     an executor, against the state before it.
// A formula over a project needs both this and the language: programs start
// the two together as the engine (InstallEngine, or ScopedEngine for a
// scope), so that no window evaluates formulas without the states they read.
#pragma once

#include "language/executor.h"

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

// The engine as every program starts it: the language (InstallLanguage) and
// the records' side (InstallRecords). The desktop program, vandro-cli and
// the window tests start it through here and nowhere else.
void InstallEngine();

// The engine for a scope, putting back what was installed before.
class ScopedEngine {
public:
  ScopedEngine() = default;
  ScopedEngine(const ScopedEngine&) = delete;
  ScopedEngine& operator=(const ScopedEngine&) = delete;

private:
  ScopedLanguage language_;
  ScopedRecords records_;
};

} // namespace vandro
