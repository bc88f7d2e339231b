#include "language/executor.h"

#include "language/std_functions.h"
#include "language/vocabulary.h"
#include "model/data_record.h"
#include "model/parameter.h"
#include "model/project.h"
#include "shell/messages.h"
#include "shell/text.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>

namespace vandro {

namespace {

// The logical words in code page 1251: OR, AND, NOT in Russian.
constexpr std::string_view kOrRussian = "\xC8\xCB\xC8";
constexpr std::string_view kAndRussian = "\xC8";
constexpr std::string_view kNotRussian = "\xCD\xC5";

constexpr std::string_view kMultiplicativeOperators = " MOD DIV * / /: % && ";

// Levels of nesting entered on this thread, by every executor together: a
// formula evaluated inside another runs on the same stack.
thread_local int tNesting = 0;

class TNestingGuard {
public:
  TNestingGuard() : entered_(tNesting < kMaxExecutorNesting) {
    if (entered_) ++tNesting;
  }
  ~TNestingGuard() {
    if (entered_) --tNesting;
  }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;
  bool Entered() const { return entered_; }

private:
  bool entered_;
};

// A parameter formula being evaluated on this thread, with the records it
// reads. Meeting the same parameter against the same records again can only
// repeat the same evaluation: a loop, even when the run that meets it was
// started without a chain (an auto formula met by a processor, a query
// condition).
struct TEvaluation {
  std::string name;
  const TDataRecord* contextRecord;
  const TDataRecord* secondRecord;
};
thread_local std::vector<TEvaluation> tEvaluations;

bool BeingEvaluated(std::string_view name, const TDataRecord* contextRecord,
                    const TDataRecord* secondRecord) {
  return std::any_of(tEvaluations.begin(), tEvaluations.end(), [&](const TEvaluation& e) {
    return e.name == name && e.contextRecord == contextRecord && e.secondRecord == secondRecord;
  });
}

// The results of the calculated values met while evaluating against one
// pair of records, by upper-cased name: a chain of formulas that each read
// the one before twice costs one evaluation per formula, not two to the
// power of the chain's length. A run nested in another against the same
// records shares the other's table; a run against other records (a query's
// condition on each state) starts its own, and every table ends with the
// run that started it, so nothing is kept past the records it was read from
// or into the next evaluation, which sees the records as edited since.
// Failures are not kept: what they say depends on the path that met them
// (a loop is reported by the parameter it closes on).
struct TResultTable {
  const TDataRecord* contextRecord;
  const TDataRecord* secondRecord;
  std::unordered_map<std::string, TValue::Ptr> results;
};
thread_local std::vector<TResultTable*> tResultTables;

class TResultTableScope {
public:
  TResultTableScope(const TDataRecord* contextRecord, const TDataRecord* secondRecord) {
    if (!tResultTables.empty() && tResultTables.back()->contextRecord == contextRecord &&
        tResultTables.back()->secondRecord == secondRecord)
      return;
    own_.emplace(TResultTable{contextRecord, secondRecord, {}});
    tResultTables.push_back(&*own_);
  }
  ~TResultTableScope() {
    if (own_) tResultTables.pop_back();
  }
  TResultTableScope(const TResultTableScope&) = delete;
  TResultTableScope& operator=(const TResultTableScope&) = delete;

private:
  std::optional<TResultTable> own_;
};

// The table of the run in progress against these records, if any.
TResultTable* ResultTable(const TDataRecord* contextRecord, const TDataRecord* secondRecord) {
  if (tResultTables.empty()) return nullptr;
  TResultTable* table = tResultTables.back();
  return table->contextRecord == contextRecord && table->secondRecord == secondRecord ? table
                                                                                      : nullptr;
}

// The message an error value carries, without the error mark.
std::string_view Reason(const TValue& value) {
  std::string_view text = value.Text();
  if (value.IsError()) {
    text.remove_prefix(std::string_view(kErrorPrefix).size());
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  return text;
}

uint8_t RelationCode(std::string_view symbol) {
  if (symbol == "=" || symbol == "==") return ocEqual;
  if (symbol == "<") return ocLess;
  if (symbol == ">") return ocGreater;
  if (symbol == "<=") return ocLessEqual;
  if (symbol == ">=") return ocGreaterEqual;
  if (symbol == "<>") return ocNotEqual;
  return ocNone;
}

uint8_t MultiplicativeCode(std::string_view symbol) {
  if (symbol == "*") return ocMultiply;
  if (symbol == "/") return ocDivide;
  if (symbol == "DIV" || symbol == "/:") return ocIntDivide;
  if (symbol == "MOD" || symbol == "%") return ocRemainder;
  return ocConcat; // "&&"
}

// The additive level takes every operator word the multiplicative level left.
uint8_t AdditiveCode(std::string_view symbol) {
  if (symbol == "+") return ocAdd;
  if (symbol == "-") return ocSubtract;
  if (symbol == "IN") return ocIn;
  return ocNone;
}

std::string CommandError(std::string_view symbol) {
  return "Execution error. Command: " + std::string(symbol);
}

class TExecutorEvaluator final : public TAutoFormulaEvaluator {
public:
  void Evaluate(TValue& value, TDataRecord* contextRecord, TDataRecord* secondRecord) override {
    TExecutor executor;
    const std::string source = value.Text();
    value.Assign(executor.Run(nullptr, contextRecord, source, secondRecord));
  }
};

class TProjectParameterNames final : public TParameterNames {
public:
  bool IsParameterName(std::string_view name) const override {
    const TProject* project = CurrentProject();
    return project && project->FindParameter(name);
  }
};

TExecutorEvaluator& Evaluator() {
  static TExecutorEvaluator evaluator;
  return evaluator;
}

TProjectParameterNames& ParameterNames() {
  static TProjectParameterNames names;
  return names;
}

} // namespace

void InstallLanguage() {
  SetAutoFormulaEvaluator(&Evaluator());
  SetParameterNames(&ParameterNames());
  InstallStandardFunctions();
}

ScopedLanguage::ScopedLanguage()
    : previousEvaluator_(SetAutoFormulaEvaluator(&Evaluator())),
      previousNames_(SetParameterNames(&ParameterNames())),
      previousFunctions_(SetStandardFunctionTable(&StandardFunctions())) {}

ScopedLanguage::~ScopedLanguage() {
  SetAutoFormulaEvaluator(previousEvaluator_);
  SetParameterNames(previousNames_);
  SetStandardFunctionTable(previousFunctions_);
}

TExecutor::TExecutor() : result_(TValue::Create("TExecutor.Create")) {}

TExecutor::~TExecutor() = default;

std::string TExecutor::SourceLine(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= source_.size()) return {};
  return source_[static_cast<size_t>(index)];
}

const TValue& TExecutor::Run(TNameChain* chain, TDataRecord* contextRecord, std::string_view source,
                             TDataRecord* secondRecord) {
  // Split first: the source may be a text this executor holds.
  std::vector<std::string> lines = SplitLines(source);
  std::string text(source);
  Clear();
  SetRecords(contextRecord, secondRecord);
  source_ = std::move(lines);
  sourceText_ = std::move(text);
  chain_ = chain;
  Execute();
  return *result_;
}

bool TExecutor::Check(std::string_view source) {
  std::vector<std::string> lines = SplitLines(source);
  std::string text(source);
  Clear();
  source_ = std::move(lines);
  sourceText_ = std::move(text);
  return CheckSyntax();
}

void TExecutor::SetSource(std::string_view source) {
  source_ = SplitLines(source);
  sourceText_ = source;
  Reset();
}

void TExecutor::SetRecords(TDataRecord* contextRecord, TDataRecord* secondRecord) {
  contextRecord_ = contextRecord;
  secondRecord_ = secondRecord;
}

void TExecutor::Clear() {
  Reset();
  processor_.Clear();
  result_->Clear();
  failed_ = false;
  contextRecord_ = nullptr;
  secondRecord_ = nullptr;
  referencedNames_.clear();
  chain_ = nullptr;
}

bool TExecutor::Execute() {
  executing_ = true;
  failed_ = false;
  result_->Clear();
  processor_.Clear();
  processor_.SetRecords(contextRecord_, secondRecord_);
  if (!chain_) {
    ownChain_.clear();
    chain_ = &ownChain_;
  }
  TResultTableScope results(contextRecord_, secondRecord_);
  Reset();
  replay_ = LexemeCache().Find(sourceText_);
  replayed_ = 0;
  if (!replay_ && sourceText_.size() <= TLexemeCache::kMaxTextLength)
    recording_ = std::make_unique<TLexedSource>();
  Guarded([this] {
    if (!Start() || !ParseProgram()) return;
    TValue::Ptr top = processor_.PopRaw();
    if (!top)
      Fail("Stack is empty");
    else if (!top->IsAutoFormula() || EvaluateNested(*top, {}))
      result_ = std::move(top);
  });
  replay_.reset();
  if (recording_) FinishRecording();
  if (failed_) ComposeError();
  return !failed_;
}

bool TExecutor::CheckSyntax() {
  executing_ = false;
  failed_ = false;
  result_->Clear();
  processor_.Clear();
  Reset();
  Guarded([this] {
    if (Start()) ParseProgram();
  });
  if (failed_) ComposeError();
  return !failed_;
}

void TExecutor::Guarded(const std::function<void()>& parse) {
  TNestingGuard guard;
  if (!guard.Entered()) {
    Fail(kTooDeeplyNested);
    return;
  }
  // The layers below report failures by raising (a damaged value, a record
  // that cannot be read); the run turns them into its error value.
  try {
    parse();
  } catch (const std::exception& e) {
    Fail(e.what());
  }
}

bool TExecutor::Start() {
  return Advance();
}

bool TExecutor::ParseProgram() {
  if (kind_ == lkRelation && text_ == "=" && !Advance()) return false;
  // Nothing to evaluate leaves nothing on the stack.
  if (kind_ == lkEnd) return Fail("Stack is empty");
  if (!ParseOr()) return false;
  if (kind_ != lkEnd) return Fail("Unexpected lexeme");
  return true;
}

bool TExecutor::ParseOr() {
  if (!ParseAnd()) return false;
  while (kind_ == lkLogical && (text_ == "OR" || text_ == kOrRussian)) {
    const std::string symbol = text_;
    if (!Advance() || !ParseAnd() || !Operate(ocOr, CommandError(symbol))) return false;
  }
  return true;
}

bool TExecutor::ParseAnd() {
  if (!ParseNot()) return false;
  while (kind_ == lkLogical && (text_ == "AND" || text_ == kAndRussian)) {
    const std::string symbol = text_;
    if (!Advance() || !ParseNot() || !Operate(ocAnd, CommandError(symbol))) return false;
  }
  return true;
}

bool TExecutor::ParseNot() {
  if (kind_ != lkLogical || (text_ != "NOT" && text_ != kNotRussian)) return ParseRelation();
  TNestingGuard guard;
  if (!guard.Entered()) return Fail(kTooDeeplyNested);
  const std::string symbol = text_;
  return Advance() && ParseNot() && Operate(ocNot, CommandError(symbol));
}

bool TExecutor::ParseRelation() {
  if (!ParseAdditive()) return false;
  if (kind_ != lkRelation) return true;
  const uint8_t code = RelationCode(text_);
  // Any other relation word is left for the caller to reject.
  if (code == ocNone) return true;
  const std::string symbol = text_;
  return Advance() && ParseAdditive() && Operate(code, CommandError(symbol));
}

bool TExecutor::ParseAdditive() {
  if (!ParseMultiplicative()) return false;
  while (kind_ == lkOperator) {
    const std::string symbol = text_;
    if (!Advance() || !ParseMultiplicative() ||
        !Operate(AdditiveCode(symbol), CommandError(symbol)))
      return false;
    if (executing_ && processor_.Failed()) return Fail("Execution error. Operation:" + symbol);
  }
  return true;
}

bool TExecutor::ParseMultiplicative() {
  if (!ParseIndexed()) return false;
  while (kind_ == lkOperator && InTable(text_, kMultiplicativeOperators)) {
    const std::string symbol = text_;
    if (!Advance() || !ParseIndexed() || !Operate(MultiplicativeCode(symbol), CommandError(symbol)))
      return false;
  }
  return true;
}

bool TExecutor::ParseIndexed() {
  if (!ParseMember()) return false;
  if (!IsDelimiter('[')) return true;
  TNestingGuard guard;
  if (!guard.Entered()) return Fail(kTooDeeplyNested);
  if (!Advance() || !ParseAdditive()) return false;
  if (!IsDelimiter(']')) return Fail("Error in expression:  ]  expected.");
  return Operate(ocArrayItem, "Index error") && Advance();
}

bool TExecutor::ParseMember() {
  if (!ParseTerm()) return false;
  while (IsDelimiter('.')) {
    if (!Advance()) return false;
    if (kind_ == lkIdentifier) {
      // The name of the parameter asked for, not a name to evaluate.
      PushPlain(text_);
      if (!Operate(ocGetParam, "Index error") || !Advance()) return false;
    } else if (!ParseTerm() || !Operate(ocGetParam, "Index error")) {
      return false;
    }
  }
  return true;
}

bool TExecutor::ParseTerm() {
  TNestingGuard guard;
  if (!guard.Entered()) return Fail(kTooDeeplyNested);
  switch (kind_) {
  case lkOperator:
    if (text_ != "-") break;
    return Advance() && ParseTerm() && Operate(ocNegate, CommandError("-"));
  case lkNumber:
  case lkString:
  case lkBoolean:
    PushPlain(text_);
    return Advance();
  case lkStdFunction:
    return ParseCall();
  case lkIdentifier:
    return ParseName();
  case lkDelimiter:
    if (text_ != "(") break;
    if (!Advance() || !ParseOr()) return false;
    if (!IsDelimiter(')')) return Fail("Error in expression:  )  expected.");
    return Advance();
  default:
    break;
  }
  return Fail("Unknown lexeme:" + text_);
}

bool TExecutor::ParseCall() {
  const TStdFunctionInfo* signature = FindStdFunction(text_);
  if (!signature) return Fail("Unknown lexeme:" + text_);
  if (executing_) {
    TValue::Ptr marker = TValue::Create("TExecutor.Call");
    marker->SetFuncMarker(std::string(signature->name));
    processor_.Push(std::move(marker));
  }
  if (!Advance()) return false;
  const bool bracketed = IsDelimiter('(');
  int count = 0;
  if (bracketed) {
    if (!Advance()) return false;
    if (!IsDelimiter(')')) {
      for (;;) {
        if (signature->maxArgs != kAnyArgCount && count == signature->maxArgs)
          return Fail("Too many actual parameters");
        if (!ParseOr()) return false;
        ++count;
        if (!IsDelimiter(',')) break;
        if (!Advance()) return false;
      }
    }
    if (!IsDelimiter(')')) return Fail("Standard function call error:  ) expected");
  } else if (!signature->withoutBrackets) {
    return Fail("Standard function call error: ( expected");
  }
  if (count < signature->minArgs) return Fail("Too little actual parameters");
  if (executing_) processor_.SetFunctionCode(signature->code);
  if (!Operate(ocFunction, "Standard function execution error")) return false;
  return !bracketed || Advance();
}

bool TExecutor::ParseName() {
  const std::string name = text_;
  if (name == "NULL") {
    PushPlain({});
    return Advance();
  }
  if (name == "PROJECT") return ParseVariable();
  if (IsSystemName(name)) {
    if (executing_) {
      TValue::Ptr value = TValue::Create("TExecutor.SystemName");
      if (contextRecord_) contextRecord_->GetSystemValue(name, *value);
      processor_.Push(std::move(value));
    }
    return Advance();
  }
  const TProject* project = CurrentProject();
  const TParameter* parameter = project ? project->FindParameter(name) : nullptr;
  if (!parameter) return Fail("Unknown identifier: " + name);
  if (executing_ && !PushParameter(parameter->ParamName)) return false;
  return Advance();
}

bool TExecutor::ParseVariable() {
  if (!Advance()) return false;
  if (!IsDelimiter('.')) return Fail("Invalid variable reference. '.' expected.");
  if (!Advance()) return false;
  if (kind_ != lkIdentifier) return Fail("Invalid variable reference. Identifier expected.");
  if (executing_) {
    const TProject* project = CurrentProject();
    const TVariable* variable = project ? project->FindVariable(text_) : nullptr;
    if (!variable) return Fail("Variable " + text_ + " doesn't exist.");
    Push(variable->Value);
  }
  return Advance();
}

bool TExecutor::PushParameter(std::string_view storedName) {
  if (!contextRecord_ && !secondRecord_) {
    PushPlain({});
    return true;
  }
  const std::string name = UpperCase(storedName);
  if (std::find(chain_->begin(), chain_->end(), name) != chain_->end() ||
      BeingEvaluated(name, contextRecord_, secondRecord_))
    return Fail("Loop reference. Parameter:" + name);
  if (std::find(referencedNames_.begin(), referencedNames_.end(), name) == referencedNames_.end())
    referencedNames_.push_back(name);
  TResultTable* results = ResultTable(contextRecord_, secondRecord_);
  if (results && !results->results.empty()) {
    const auto known = results->results.find(name);
    if (known != results->results.end()) {
      processor_.Push(*known->second);
      return true;
    }
  }
  TValue::Ptr value = TValue::Create("TExecutor.Parameter");
  const bool found = (secondRecord_ && secondRecord_->GetSystemValue(name, *value)) ||
                     (contextRecord_ && contextRecord_->GetSystemValue(name, *value));
  if (!found) value->Clear();
  if (value->IsFormula() || value->IsAutoFormula()) {
    if (!EvaluateNested(*value, name)) return false;
    if (results) results->results.emplace(name, value->Clone("TExecutor.Result"));
  }
  processor_.Push(std::move(value));
  return true;
}

bool TExecutor::EvaluateNested(TValue& value, std::string_view name) {
  if (!nested_) nested_ = std::make_unique<TExecutor>();
  // The name is on the chain and among the evaluations in progress exactly
  // while its formula runs, however the run ends.
  struct TInProgress {
    TNameChain* chain;
    bool named;
    ~TInProgress() {
      if (!named) return;
      chain->pop_back();
      tEvaluations.pop_back();
    }
  } inProgress{chain_, !name.empty()};
  if (inProgress.named) {
    chain_->emplace_back(name);
    tEvaluations.push_back({std::string(name), contextRecord_, secondRecord_});
  }
  const std::string source = value.Text();
  const TValue& result = nested_->Run(chain_, contextRecord_, source, secondRecord_);
  if (nested_->Failed()) return Fail(std::string(Reason(result)));
  value.Assign(result);
  return true;
}

// While a run replays a cached source it takes the lexemes from there (a
// stored sequence is never empty); the first run of a source lexes it and
// leaves the whole sequence in the cache.
bool TExecutor::Advance() {
  if (replay_) {
    // Past the end the last lexeme (the end, or the error) repeats, as the
    // lexer's would.
    const auto& lexemes = replay_->Lexemes;
    const TLexeme& lexeme = lexemes[std::min(replayed_, lexemes.size() - 1)];
    if (replayed_ < lexemes.size()) ++replayed_;
    kind_ = lexeme.Kind;
    text_ = lexeme.Text;
    lineIndex_ = lexeme.Line;
    position_ = lexeme.Position;
    if (kind_ == lkError) error_ = replay_->Error;
  } else {
    NextLexeme();
    RecordLexeme();
  }
  if (kind_ == lkError) return Fail(error_);
  return true;
}

void TExecutor::RecordLexeme() {
  if (!recording_) return;
  recording_->Lexemes.push_back({kind_, text_, lineIndex_, position_});
  if (kind_ == lkError) recording_->Error = error_;
  if (kind_ == lkEnd || kind_ == lkError) {
    LexemeCache().Add(sourceText_, std::shared_ptr<const TLexedSource>(std::move(recording_)));
    recording_.reset();
  }
}

// A parse that stopped early (a syntax error, an unknown name) leaves the
// rest of the source unlexed: it is lexed now so that the cache holds the
// whole sequence, and the lexer's position, which the error message shows,
// is put back.
void TExecutor::FinishRecording() {
  const TLexemeKind kind = kind_;
  const std::string text = text_, error = error_;
  const int32_t line = lineIndex_, position = position_;
  while (recording_) {
    NextLexeme();
    RecordLexeme();
  }
  kind_ = kind;
  text_ = text;
  error_ = error;
  lineIndex_ = line;
  position_ = position;
}

bool TExecutor::IsDelimiter(char c) const {
  return kind_ == lkDelimiter && text_.size() == 1 && text_[0] == c;
}

void TExecutor::Push(const TValue& value) {
  if (executing_) processor_.Push(value);
}

void TExecutor::PushPlain(std::string text) {
  if (!executing_) return;
  TValue::Ptr value = TValue::Create("TExecutor.Push");
  value->SetPlain(std::move(text));
  processor_.Push(std::move(value));
}

bool TExecutor::Operate(uint8_t operation, const std::string& message) {
  if (!executing_ || processor_.Execute(operation)) return true;
  return Fail(message);
}

bool TExecutor::Fail(std::string message) {
  error_ = std::move(message);
  failed_ = true;
  return false;
}

void TExecutor::ComposeError() {
  std::string message = error_;
  if (processor_.Failed()) {
    if (TValue::Ptr top = processor_.PopRaw()) result_ = std::move(top);
  }
  const std::string_view reason = Reason(*result_);
  if (!reason.empty()) {
    if (!message.empty()) message += ": ";
    message += reason;
  }
  message += kLineBreak;
  if (source_.empty()) {
    message += "Empty source code";
  } else {
    // Past the last line the mark goes after the end of the last line.
    const bool inside = lineIndex_ >= 0 && static_cast<size_t>(lineIndex_) < source_.size();
    const std::string& line = inside ? source_[static_cast<size_t>(lineIndex_)] : source_.back();
    const size_t position = inside ? static_cast<size_t>(std::max(position_, 1)) : line.size() + 1;
    const size_t cut = std::min(position - 1, line.size());
    message.append(line, 0, cut);
    message += "???";
    message.append(line, cut);
  }
  result_->SetError(message);
  failed_ = true;
}

} // namespace vandro
