#include "charts/chart_document.h"

#include "charts/chart_fill.h"
#include "charts/chart_list.h"
#include "charts/chart_text.h"
#include "model/parameter.h"
#include "shell/messages.h"
#include "storage/descriptors.h"

namespace vandro {

namespace {

// Reads lines into chart, showing the damage; the chart keeps what was read
// before a damaged line.
void ApplyShowingDamage(const std::vector<std::string>& lines, TChartDefinition& chart) {
  std::string error;
  if (!ApplyChart(lines, chart, &error)) ShowMsg(error);
}

} // namespace

TChartDocument::~TChartDocument() {
  if (open_) ReleaseChart(name_);
}

bool TChartDocument::Open(const std::string& name, bool isNew) {
  name_ = name;
  isNew_ = isNew;
  // From here the document holds the mark, whether the window opens or not.
  open_ = true;
  std::vector<std::string> stored;
  const bool found = LoadDescriptor(stored, name, dkChart);
  if (!found && !isNew) {
    ShowMsg("Chart not found. Name=" + name);
    return false;
  }
  ApplyShowingDamage(stored, chart_);
  if (!found) {
    chart_.Header.Text = name;
    changed_ = true;
  }
  // What reverting goes back to: the chart as read, damage left out.
  lines_ = CaptureChart(chart_);
  FillChart(chart_);
  return true;
}

void TChartDocument::Accept(bool changed) {
  if (!changed) return;
  changed_ = true;
  lines_ = CaptureChart(chart_);
  headerBorder_ = chart_.Header.Border;
  footerBorder_ = chart_.Footer.Border;
}

void TChartDocument::Revert() {
  ApplyShowingDamage(lines_, chart_);
  chart_.Header.Border = headerBorder_;
  chart_.Footer.Border = footerBorder_;
  FillChart(chart_);
}

bool TChartDocument::Store() {
  std::vector<std::string> lines = CaptureChart(chart_);
  if (!SaveDescriptor(lines, name_, dkChart, false, name_)) return false;
  lines_ = std::move(lines);
  AddChartName(name_);
  isNew_ = false;
  changed_ = false;
  return true;
}

bool TChartDocument::Close() {
  // A project opened for looking keeps nothing: the edits were for looking.
  if (!ChartsMayChange()) return true;
  if (!changed_ || !Ask("Chart was changed. Do you want to save it?", true) || Store()) return true;
  const char* advice = isNew_ ? "Do you want to proceed with the chart?" : "Verify the cart name";
  // Yes keeps the window open on the chart.
  return !Ask(std::string("Can't store the chart.") + kLineBreak + advice, true);
}

} // namespace vandro
