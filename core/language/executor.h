// TExecutor: the parser and evaluator of formulas and auto formulas.
//
// A recursive-descent parser over the lexer (it is a TCustomCode that lexes
// its own list of source lines) which drives a TProcessor as it parses: every
// operand is pushed and every operator executed the moment it is recognised,
// so parsing and evaluation are one pass. With executing off the same parser
// only checks syntax and names.
//
// Grammar, from the lowest precedence up:
//   program        = [ "=" ] or-expr end
//   or-expr        = and-expr { OR and-expr }
//   and-expr       = not-expr { AND not-expr }
//   not-expr       = NOT not-expr | relation
//   relation       = additive [ ("=" | "==" | "<" | ">" | "<=" | ">=" | "<>") additive ]
//   additive       = multiplicative { ("+" | "-" | IN) multiplicative }
//   multiplicative = indexed { ("*" | "/" | DIV | "/:" | MOD | "%" | "&&") indexed }
//   indexed        = member [ "[" additive "]" ]
//   member         = term { "." (identifier | term) }
//   term           = "-" term | number | string | boolean | call | name | "(" or-expr ")"
// (OR, AND and NOT in their Russian words too). The relation "=" that opens
// an auto formula is skipped.
//
// Names are parameters, looked up in the second record (the one being built
// or edited) and then in the context record; system names come from the
// context record and PROJECT.name from the project's variables. A parameter
// whose value is a formula or an auto formula is evaluated in turn by a
// nested executor, once per run against the same records: a later reading
// in that run takes the result of the first. Loops between such parameters
// end with "Loop reference. Parameter:" + name: through the chain of names
// the caller passes, and, for runs without one (auto formulas met by the
// processor, query conditions), through the evaluations in progress on this
// thread. Nesting, of brackets and operators in one text and of evaluations
// in one another, is bounded and refused with "Expression is too deeply
// nested".
//
// Nothing raises. A failure sets Failed() and makes the result an error value
// whose text is "### Error ### " + the message, a line break and the source
// line with "???" where reading stopped.
#pragma once

#include "language/custom_code.h"
#include "language/lexeme_cache.h"
#include "language/processor.h"
#include "values/value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TDataRecord;
class TQExpression;

// The deepest nesting the executor accepts: brackets, unary operators and
// calls inside one another, plus one for every formula evaluated inside
// another. Deeper texts fail instead of exhausting the stack.
inline constexpr int kMaxExecutorNesting = 200;

inline constexpr const char* kTooDeeplyNested = "Expression is too deeply nested";

class TExecutor : public TCustomCode {
public:
  // Upper-cased names of the parameters whose formulas are being evaluated
  // by the executors above; it belongs to the outermost caller.
  using TNameChain = std::vector<std::string>;

  TExecutor();
  ~TExecutor() override;
  TExecutor(const TExecutor&) = delete;
  TExecutor& operator=(const TExecutor&) = delete;

  // Evaluates source against the records and returns the result, owned by
  // the executor (callers copy it); on failure the error value. Names
  // resolve against secondRecord first, then contextRecord; either may be
  // null. A caller that evaluates a parameter's own formula passes a chain
  // holding that parameter's upper-cased name, so that the formula cannot
  // reach itself; chain may be null.
  const TValue& Run(TNameChain* chain, TDataRecord* contextRecord, std::string_view source,
                    TDataRecord* secondRecord = nullptr);

  // Checks the syntax of source and that its names exist (system names,
  // parameters of the open project, NULL) without evaluating anything.
  // Returns success; on failure Result() is the error value as after Run.
  bool Check(std::string_view source);

  // The steps of Run and Check for callers that load the source themselves.
  // The source text is split into lines at line breaks.
  void SetSource(std::string_view source);
  void SetRecords(TDataRecord* contextRecord, TDataRecord* secondRecord);
  void SetChain(TNameChain* chain) { chain_ = chain; }
  // Evaluates the loaded source; returns success.
  bool Execute();
  // Parses the loaded source with executing off; returns success.
  bool CheckSyntax();
  // Parses the query text of query (its Text) with executing off and fills
  // its fields; the expressions are kept as texts re-assembled from their
  // lexemes. Returns success; on failure Result() is the error value and
  // the query's Message its text without the error mark.
  bool ParseQuery(TQExpression& query);

  // Resets the lexer, the processor, the result, the failed flag, both
  // records, the referenced names and the chain. The source stays.
  void Clear();

  bool Executing() const { return executing_; }
  bool Failed() const { return failed_; }
  const TValue& Result() const { return *result_; }
  // Upper-cased names of the parameters looked up by the last run, each
  // once, in order of first use.
  const std::vector<std::string>& ReferencedNames() const { return referencedNames_; }
  const std::vector<std::string>& Source() const { return source_; }
  TDataRecord* ContextRecord() const { return contextRecord_; }
  TDataRecord* SecondRecord() const { return secondRecord_; }
  TProcessor& Processor() { return processor_; }

  int32_t SourceLineCount() const override { return static_cast<int32_t>(source_.size()); }
  std::string SourceLine(int32_t index) const override;

private:
  // Runs a parse one nesting level down, turning what the layers below raise
  // into a failure.
  void Guarded(const std::function<void()>& parse);
  // The parse steps; each returns false once the run has failed.
  bool Start();
  bool ParseProgram();
  bool ParseOr();
  bool ParseAnd();
  bool ParseNot();
  bool ParseRelation();
  bool ParseAdditive();
  bool ParseMultiplicative();
  bool ParseIndexed();
  bool ParseMember();
  bool ParseTerm();
  bool ParseCall();
  bool ParseName();
  bool ParseVariable();
  bool PushParameter(std::string_view name);
  // The query grammar (query_parse.cpp).
  bool ParseQueryBody(TQExpression& query);
  bool ParseQueryScope(TQExpression& query);
  bool CaptureExpression(bool (TExecutor::*parse)(), std::string& text);
  bool IsWord(std::string_view word) const;

  // Moves to the next lexeme; a lexical error fails the run with its message.
  bool Advance();
  void RecordLexeme();
  void FinishRecording();
  bool IsDelimiter(char c) const;
  // Pushes a copy when executing.
  void Push(const TValue& value);
  void PushPlain(std::string text);
  // Runs an operation when executing; on failure fails with message.
  bool Operate(uint8_t operation, const std::string& message);
  // Records the message; the error value is composed when the run ends.
  bool Fail(std::string message);
  // Replaces value, a formula or an auto formula, with its result computed
  // by the nested executor; name is the parameter it belongs to, if any.
  bool EvaluateNested(TValue& value, std::string_view name);
  // Builds the error value from the message, the processor's reason and the
  // position reached.
  void ComposeError();

  bool executing_ = false;
  // The source as one text, the key of the lexeme cache; the lexemes a run
  // replays from the cache, or records into it while it lexes.
  std::string sourceText_;
  std::shared_ptr<const TLexedSource> replay_;
  size_t replayed_ = 0;
  std::unique_ptr<TLexedSource> recording_;
  std::unique_ptr<TExecutor> nested_;
  TDataRecord* contextRecord_ = nullptr;
  TDataRecord* secondRecord_ = nullptr;
  TProcessor processor_;
  bool failed_ = false;
  TValue::Ptr result_;
  std::vector<std::string> referencedNames_;
  TNameChain* chain_ = nullptr;
  // The chain of a run whose caller passed none.
  TNameChain ownChain_;
  std::vector<std::string> source_;
};

// Installs the executor in the processor as the evaluator of auto formulas,
// the project's parameter list (CurrentProject()) as the names behind
// "object.parameter", and the standard functions. Programs start it through InstallEngine
// (language/record_evaluation.h), beside the records' side; it may be called again. Until it is
// called, auto formulas popped by a processor stay as they are and "object.parameter" fails for
// want of a parameter list.
void InstallLanguage();

// Installs the language for a scope and puts back what was installed before;
// for tests and tools that must leave the processor as they found it.
class ScopedLanguage {
public:
  ScopedLanguage();
  ~ScopedLanguage();
  ScopedLanguage(const ScopedLanguage&) = delete;
  ScopedLanguage& operator=(const ScopedLanguage&) = delete;

private:
  TAutoFormulaEvaluator* previousEvaluator_;
  TParameterNames* previousNames_;
  TStandardFunctionTable* previousFunctions_;
};

} // namespace vandro
