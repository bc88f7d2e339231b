// The rules of one open chart window: the chart's name, its definition as
// stored and as edited, the changed flag, and the in-use mark that keeps a
// second window (or a delete) off the chart while it is open.
#pragma once

#include "charts/chart_definition.h"

#include <string>
#include <vector>

namespace vandro {

class TChartDocument {
public:
  TChartDocument() = default;
  TChartDocument(const TChartDocument&) = delete;
  TChartDocument& operator=(const TChartDocument&) = delete;
  // Releases the in-use mark.
  ~TChartDocument();

  // Loads the chart of that name (isNew: one the chart list has just named,
  // not stored yet) and applies it, filling every series. A new chart starts
  // changed, with no series and its name as title. An existing chart that
  // is not stored gives "Chart not found. Name=" + name and false. A
  // damaged definition shows "Chart descriptor damaged!" with its line and
  // opens with what was read before it. The chart must already be marked in
  // use (MarkChartInUse); the document releases the mark when it goes.
  bool Open(const std::string& name, bool isNew);

  const std::string& Name() const { return name_; }
  bool IsNew() const { return isNew_; }
  bool Changed() const { return changed_; }
  void SetChanged(bool changed) { changed_ = changed; }

  // The chart as drawn and edited.
  TChartDefinition& Chart() { return chart_; }
  const TChartDefinition& Chart() const { return chart_; }
  // The definition text as last stored or captured.
  const std::vector<std::string>& Lines() const { return lines_; }

  // The properties window closed with OK: when anything changed, the
  // definition is captured again and the chart counts as changed.
  void Accept(bool changed);
  // The properties window was cancelled: the captured definition is applied
  // again, undoing the edits. The titles' borders, which the definition does
  // not hold, go back to what the last OK left.
  void Revert();

  // Before the window closes: when changed, asks "Chart was changed. Do you
  // want to save it?" and stores on Yes. A failed store asks whether to
  // proceed with the chart; true means the window may close. In a project
  // opened for looking (ChartsMayChange) the edits go without a question.
  bool Close();
  // Captures and stores the chart in the project now; false after a message.
  bool Store();

private:
  std::string name_;
  bool isNew_ = false;
  bool changed_ = false;
  bool open_ = false;
  TChartDefinition chart_;
  std::vector<std::string> lines_;
  bool headerBorder_ = false;
  bool footerBorder_ = false;
};

} // namespace vandro
