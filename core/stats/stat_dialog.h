// The rules of the "Statistics" window: a list of statistical series built
// from project values, and what the window computes over it (descriptive
// statistics, a histogram of one series, the correlation matrix, the five
// hypothesis tests and their contingency table).
//
// The list owns its series. Each entry keeps the value the series was
// defined with as the user gave it (a formula stays a formula for "Modify
// Series") beside the series loaded from what that value yields. Every
// refusal is shown through ShowMsg and leaves the list as it was; a test
// result describes the list it was run on and is dropped when the list or
// the chosen test changes.
#pragma once

#include "stats/correlation.h"
#include "stats/histogram.h"
#include "stats/series.h"
#include "stats/stat_tests.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TProgress;

inline constexpr const char* kSeriesSourceCaption = "Data series for analysis";
inline constexpr const char* kSeriesNamePrompt = "Input Series Name";
inline constexpr const char* kDefaultSeriesName = "New Series";
inline constexpr const char* kSeriesSourceRefusal =
    "Source of the series should be an array or a formula";
// Series handed over by another window load under this progress.
inline constexpr const char* kLoadSeriesProgress = "Loading series";
inline constexpr const char* kLoadSeriesCancelled = "Loading of the series was cancelled";

// The test choice, in the order of TStatTest.
const std::array<const char*, 6>& StatTestNames();
// "Numeric", "Text", "Date", "Reference".
const char* SeriesKindName(TSeriesKind kind);

// The items of a loaded series as the tests, the histogram and the
// correlation take them.
TSample SampleOf(const TStatSeries& series);

// The width of each series column of the "Descriptive stats" grid: the room
// beside the title column shared by up to three series, 128 pixels each for
// more.
int BasicStatColumnWidth(int seriesCount, int room);

// What the test panel shows for the chosen test and its last result.
struct TStatTestPanel {
  std::vector<std::string> hypothesis; // the memo's lines
  bool yatesVisible = false;
  bool tableVisible = false; // "View Contingency Table"
  bool welchVisible = false; // One-way ANOVA's check box
  bool anovaVisible = false; // "ANOVA Table" and "Tukey HSD", once there is a result
  std::string statisticCaption;
  bool hasResult = false;
  std::string statistic, p, reject; // rounded to 6 decimals; P as PValueText
  std::string missing;              // "2 missing values left out", or empty
  // Under them, for a two-sample test's result: its effect size and the 95 %
  // confidence interval of the difference.
  bool hasEffect = false;
  std::string effectCaption, effect, intervalCaption, interval;
};

class TStatDialog {
public:
  TStatDialog() = default;
  TStatDialog(const TStatDialog&) = delete;
  TStatDialog& operator=(const TStatDialog&) = delete;

  // An array, a formula or a query may define a series; anything else is
  // refused with kSeriesSourceRefusal.
  static bool AcceptsSource(const TValue& source);

  // "Add Series": source evaluated (a query is run at once, a formula
  // evaluated without records), its array loaded as a series named name
  // (cut to 32 characters) and appended. False when refused or when the
  // series does not load (its errors listed). Items that do not fit are
  // listed too, and the series is kept with 0 in their slots. A query
  // reports through progress; stopped there, it adds nothing
  // (kQueryCancelled).
  bool Add(const TValue& source, std::string_view name, TProgress* progress = nullptr);
  // A series another window built: items is the array itself. A series that
  // does not load is listed under its name and left out.
  bool AddItems(TValue::Ptr items, std::string_view name);
  // "Modify Series": the entry at index defined anew; unchanged when the new
  // definition is refused. index -1 (no selected row): "Select series".
  bool Modify(int index, const TValue& source, std::string_view name,
              TProgress* progress = nullptr);
  // "Remove Series"; index -1: "Select series".
  bool Remove(int index);
  // "Clear All".
  void Clear();
  // A row of the list dragged from one place to another.
  void Move(int from, int to);

  int Count() const { return static_cast<int>(entries_.size()); }
  const TStatSeries& Series(int index) const;
  // What the entry was defined with: the value as given to Add or Modify,
  // the items for AddItems.
  const TValue& Definition(int index) const;

  // The series for the "Descriptive stats" grid (BasicStatGrid), in order.
  std::vector<TStatSeries*> SeriesList() const;

  // "Series Histogram" of the entry at index (-1: "Select series").
  int Intervals = kDefaultIntervals; // kept within kMinIntervals..kMaxIntervals
  bool Histogram(int index, THistogram& histogram) const;
  // "Correlation": every pair of numeric series.
  bool Correlation(TCorrelation& correlation) const;

  // The test panel.
  TStatTest Test() const { return test_; }
  void ChooseTest(TStatTest test);
  bool Yates = true;
  // One-way ANOVA's check box: Welch's analysis for unequal variances.
  bool WelchAnova = false;
  // "Test": runs the chosen test on the list; the result is kept for the
  // panel and the contingency table.
  bool RunTest();
  const std::optional<TStatTestResult>& Result() const { return result_; }
  TStatTestPanel Panel() const;
  // "View Contingency Table": the table the last z or chi-square test
  // counted, else the table of the whole list. Fewer than two series: "The
  // number of series should be at least two".
  bool ContingencyTable(TContingencyTable& table) const;

  // The tables of the last One-way ANOVA: false ("Run the One-way ANOVA
  // first") without one.
  bool AnovaTables(TMatrixText& table, TMatrixText& tukey) const;

  std::vector<TSample> Samples() const;

private:
  struct TEntry {
    TValue::Ptr definition;
    std::unique_ptr<TStatSeries> series;
  };
  // Evaluates and loads source into a new entry; false after the message.
  static bool Build(const TValue& source, std::string_view name, TEntry& entry,
                    TProgress* progress);
  static bool LoadInto(TEntry& entry, bool nameErrors);
  bool CheckIndex(int index) const;
  void ListChanged() { result_.reset(); }
  // The test RunTest runs: One-way ANOVA with its check box is Welch's.
  TStatTest Effective() const {
    return test_ == TStatTest::Anova && WelchAnova ? TStatTest::WelchAnova : test_;
  }

  std::vector<TEntry> entries_;
  TStatTest test_ = TStatTest::None;
  std::optional<TStatTestResult> result_;
};

} // namespace vandro
