#include "stats/stat_dialog.h"

#include "shell/messages.h"
#include "stats/mining.h"

#include <algorithm>
#include <utility>

namespace vandro {

namespace {

constexpr int kWideColumn = 128;

TSampleKind SampleKindOf(TSeriesKind kind) {
  switch (kind) {
  case skText:
    return TSampleKind::Text;
  case skDate:
    return TSampleKind::Date;
  case skReference:
    return TSampleKind::Reference;
  default:
    return TSampleKind::Numeric;
  }
}

} // namespace

const std::array<const char*, 6>& StatTestNames() {
  static const std::array<const char*, 6> names = {
      "t-Test", "F-Test", "z-Test", "Chi-Square Test", "Welch t-Test", "One-way ANOVA"};
  return names;
}

const char* SeriesKindName(TSeriesKind kind) {
  switch (kind) {
  case skText:
    return "Text";
  case skDate:
    return "Date";
  case skReference:
    return "Reference";
  default:
    return "Numeric";
  }
}

TSample SampleOf(const TStatSeries& series) {
  TSample sample;
  sample.name = series.Name();
  sample.kind = SampleKindOf(series.Kind);
  sample.unit = series.UnitText;
  sample.numbers.assign(series.Numbers.begin(), series.Numbers.end());
  sample.texts = series.Texts;
  return sample;
}

int BasicStatColumnWidth(int seriesCount, int room) {
  if (seriesCount <= 0 || seriesCount > 3) return kWideColumn;
  return std::max(room / seriesCount, 1);
}

bool TStatDialog::AcceptsSource(const TValue& source) {
  if (source.IsArray() || source.IsQuery() || source.IsFormula() || source.IsAutoFormula())
    return true;
  ShowMsg(kSeriesSourceRefusal);
  return false;
}

bool TStatDialog::LoadInto(TEntry& entry, bool nameErrors) {
  std::vector<std::string> errors;
  const bool loaded = entry.series->Load(errors);
  if (!errors.empty()) {
    if (nameErrors) errors.insert(errors.begin(), entry.series->Name() + ":");
    ShowMsgList(errors);
  }
  return loaded;
}

bool TStatDialog::Build(const TValue& source, std::string_view name, TEntry& entry,
                        TProgress* progress) {
  if (!AcceptsSource(source)) return false;
  TValue::Ptr items = TValue::Create("TStatDialog.Build");
  if (source.IsCalculated()) {
    // A query's message or a formula's error has been shown.
    if (!EvaluateSource(source, *items, progress)) return false;
    if (!items->IsArray()) {
      ShowMsg(kSeriesSourceRefusal);
      return false;
    }
  } else {
    items->Assign(source);
  }
  entry.definition = source.Clone("TStatDialog.Build");
  entry.series = std::make_unique<TStatSeries>();
  entry.series->SetName(name);
  entry.series->Source = std::move(items);
  return LoadInto(entry, false);
}

bool TStatDialog::Add(const TValue& source, std::string_view name, TProgress* progress) {
  TEntry entry;
  if (!Build(source, name, entry, progress)) return false;
  entries_.push_back(std::move(entry));
  ListChanged();
  return true;
}

bool TStatDialog::AddItems(TValue::Ptr items, std::string_view name) {
  TEntry entry;
  entry.definition = items ? items->Clone("TStatDialog.AddItems") : TValue::Create("TStatDialog");
  entry.series = std::make_unique<TStatSeries>();
  entry.series->SetName(name);
  entry.series->Source = std::move(items);
  if (!LoadInto(entry, true)) return false;
  entries_.push_back(std::move(entry));
  ListChanged();
  return true;
}

bool TStatDialog::CheckIndex(int index) const {
  if (index >= 0 && index < Count()) return true;
  ShowMsg("Select series");
  return false;
}

bool TStatDialog::Modify(int index, const TValue& source, std::string_view name,
                         TProgress* progress) {
  if (!CheckIndex(index)) return false;
  TEntry entry;
  if (!Build(source, name, entry, progress)) return false;
  entries_[static_cast<size_t>(index)] = std::move(entry);
  ListChanged();
  return true;
}

bool TStatDialog::Remove(int index) {
  if (!CheckIndex(index)) return false;
  entries_.erase(entries_.begin() + index);
  ListChanged();
  return true;
}

void TStatDialog::Clear() {
  entries_.clear();
  ListChanged();
}

void TStatDialog::Move(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return;
  TEntry entry = std::move(entries_[static_cast<size_t>(from)]);
  entries_.erase(entries_.begin() + from);
  entries_.insert(entries_.begin() + to, std::move(entry));
  ListChanged();
}

const TStatSeries& TStatDialog::Series(int index) const {
  return *entries_.at(static_cast<size_t>(index)).series;
}

const TValue& TStatDialog::Definition(int index) const {
  return *entries_.at(static_cast<size_t>(index)).definition;
}

std::vector<TStatSeries*> TStatDialog::SeriesList() const {
  std::vector<TStatSeries*> list;
  for (const TEntry& entry : entries_)
    list.push_back(entry.series.get());
  return list;
}

std::vector<TSample> TStatDialog::Samples() const {
  std::vector<TSample> samples;
  for (const TEntry& entry : entries_)
    samples.push_back(SampleOf(*entry.series));
  return samples;
}

bool TStatDialog::Histogram(int index, THistogram& histogram) const {
  if (!CheckIndex(index)) return false;
  const TSample sample = SampleOf(Series(index));
  return BuildHistogram(&sample, std::clamp(Intervals, kMinIntervals, kMaxIntervals), histogram);
}

bool TStatDialog::Correlation(TCorrelation& correlation) const {
  return Correlate(Samples(), correlation);
}

void TStatDialog::ChooseTest(TStatTest test) {
  if (test != test_) result_.reset();
  test_ = test;
}

bool TStatDialog::RunTest() {
  TStatTestResult result;
  if (!RunStatTest(Effective(), Samples(), Yates, result)) return false;
  result_ = std::move(result);
  return true;
}

TStatTestPanel TStatDialog::Panel() const {
  TStatTestPanel panel;
  if (test_ == TStatTest::None) return panel;
  panel.hypothesis = HypothesisLines(Effective());
  panel.yatesVisible = panel.tableVisible = UsesContingencyTable(test_);
  panel.welchVisible = test_ == TStatTest::Anova;
  panel.statisticCaption = StatisticCaption(test_);
  if (result_ && result_->test == Effective()) {
    panel.anovaVisible = result_->anova.has_value();
    panel.hasResult = true;
    panel.statistic = result_->StatisticText();
    panel.p = result_->PText();
    panel.reject = result_->RejectText();
    panel.missing = result_->MissingText();
    if (result_->hasEffect) {
      panel.hasEffect = true;
      panel.effectCaption = EffectCaption(test_);
      panel.effect = result_->EffectText();
      panel.intervalCaption = kIntervalCaption;
      panel.interval = result_->IntervalText();
    }
  }
  return panel;
}

bool TStatDialog::AnovaTables(TMatrixText& table, TMatrixText& tukey) const {
  if (!result_ || !result_->anova || result_->test != Effective()) {
    ShowMsg("Run the One-way ANOVA first");
    return false;
  }
  table = result_->anova->Table();
  tukey = result_->anova->TukeyTable();
  return true;
}

bool TStatDialog::ContingencyTable(TContingencyTable& table) const {
  if (result_ && UsesContingencyTable(result_->test)) {
    table = result_->table;
    return true;
  }
  if (Count() < 2) {
    ShowMsg("The number of series should be at least two");
    return false;
  }
  table = BuildContingencyTable(Samples());
  return true;
}

} // namespace vandro
