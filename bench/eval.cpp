// Evaluations per second of a fixed set of realistic formulas, each beside
// muparser parsing and evaluating the same expression without units once, in
// the same run. A ratio above 1 means Vandro is faster than that baseline.
//
// Vandro's executor parses and evaluates in one pass over the text, so both
// columns count parse + evaluate.
//
// Then the time of one evaluation at the end of chains of formulas that each
// read the one before twice (E1 = E0 + E0, E2 = E1 + E1, ...): it should grow
// with the chain's length, not double with every link.
#include "language/executor.h"
#include "model/data_record.h"
#include "model/project.h"
#include "shell/text.h"

#include <muParser.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

using namespace vandro;

namespace {

// Runs body repeatedly for at least minSeconds; returns calls per second.
double Rate(const std::function<void()>& body, double minSeconds = 0.4) {
  using Clock = std::chrono::steady_clock;
  long calls = 0;
  const auto start = Clock::now();
  double elapsed = 0;
  do {
    for (int i = 0; i < 64; ++i)
      body();
    calls += 64;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < minSeconds);
  return calls / elapsed;
}

struct Formula {
  const char* what;
  std::string vandro;   // UTF-8
  const char* muparser; // nullptr: muparser has no counterpart (strings, dates)
};

} // namespace

int main() {
  auto project = TProject::CreateInMemory();
  ScopedProject open(*project);
  InstallLanguage();

  TDataRecord record;
  const auto setIn = [&](TDataRecord& target, const std::string& name, const std::string& text,
                         TValueKind kind) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    TValue value;
    value.SetText(kind, Utf8ToCp1251OrRaise(text));
    target.AddPV(project->AddParameter(std::move(parameter)), value);
  };
  const auto set = [&](const char* name, const std::string& text, TValueKind kind = vkPlain) {
    setIn(record, name, text, kind);
  };
  set("WEIGHT", "72.5");
  set("HEIGHT", "181");
  set("X", "2.75");
  set("NAME", "Vandro");
  set("BMI", "=WEIGHT / (HEIGHT * HEIGHT) * 10000", vkCalculated);

  double weight = 72.5, height = 181, x = 2.75;
  mu::Parser parser;
  parser.DefineVar("WEIGHT", &weight);
  parser.DefineVar("HEIGHT", &height);
  parser.DefineVar("X", &x);

  const Formula formulas[] = {
      {"units", "2 [km] + 300 [m] - 150 [m]", "2000 + 300 - 150"},
      {"intervals",
       "(10 \xC2\xB1"
       "1) * (2 \xC2\xB1"
       "0.5) + 3 \xC2\xB1"
       "0.1",
       "10 * 2 + 3"},
      {"parameters", "WEIGHT / (HEIGHT * HEIGHT) * 10000", "WEIGHT / (HEIGHT * HEIGHT) * 10000"},
      {"nested formula", "BMI > 25", "WEIGHT / (HEIGHT * HEIGHT) * 10000 > 25"},
      {"functions", "SQRT(ABS(X)) + SIN(X) * ROUND(X, 2)",
       "sqrt(abs(X)) + sin(X) * rint(X * 100) / 100"},
      {"comparisons", "(X > 3) AND (WEIGHT <= 100) OR (HEIGHT <> 170)",
       "(X > 3) && (WEIGHT <= 100) || (HEIGHT != 170)"},
      {"strings", "UPPER(SUBSTR(NAME, 1, 3)) && '-' && LOWER(NAME)", nullptr},
      {"dates", "'01.01.2004' + 30", nullptr},
  };

  std::printf("%-15s %14s %14s %8s  %s\n", "formula", "vandro eval/s", "muparser /s", "ratio",
              "result");
  for (const auto& formula : formulas) {
    const std::string source = Utf8ToCp1251OrRaise(formula.vandro);
    TExecutor executor;
    const TValue& result = executor.Run(nullptr, &record, source);
    if (executor.Failed()) {
      std::printf("%-15s failed: %s\n", formula.what, Cp1251ToUtf8(result.Text()).c_str());
      return 1;
    }
    const std::string shown = Cp1251ToUtf8(result.Text());
    const double vandroRate = Rate([&] { executor.Run(nullptr, &record, source); });
    if (!formula.muparser) {
      std::printf("%-15s %14.0f %14s %8s  %s\n", formula.what, vandroRate, "-", "n/a",
                  shown.c_str());
      continue;
    }
    const double muRate = Rate([&] {
      parser.SetExpr(formula.muparser);
      (void)parser.Eval();
    });
    std::printf("%-15s %14.0f %14.0f %8.3f  %s\n", formula.what, vandroRate, muRate,
                vandroRate / muRate, shown.c_str());
  }

  constexpr int kLongestChain = 60;
  TDataRecord chain;
  setIn(chain, "E0", "1", vkPlain);
  for (int i = 1; i <= kLongestChain; ++i) {
    const std::string before = "E" + std::to_string(i - 1);
    setIn(chain, "E" + std::to_string(i), before + " + " + before, vkCalculated);
  }
  std::printf("\n%-15s %14s  %s\n", "chain length", "ms per eval", "result");
  for (const int length : {10, 20, 30, kLongestChain}) {
    const std::string source = "E" + std::to_string(length);
    TExecutor executor;
    const TValue& result = executor.Run(nullptr, &chain, source);
    if (executor.Failed()) {
      std::printf("%-15d failed: %s\n", length, Cp1251ToUtf8(result.Text()).c_str());
      return 1;
    }
    const std::string shown = Cp1251ToUtf8(result.Text());
    const double rate = Rate([&] { executor.Run(nullptr, &chain, source); }, 0.2);
    std::printf("%-15d %14.3f  %s\n", length, 1000.0 / rate, shown.c_str());
  }
  return 0;
}
