// The statistics windows as other windows reach them: a group table view
// hands its selected cells on as series, the data mining windows share the
// result grid commands.
#pragma once

#include "values/value.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;
class QTableWidget;

namespace vandro::app {

// A series handed to the statistics windows by another window: a name and an
// array value of its items (numbers with units, dates, texts, references),
// and optional row labels (object name and state time).
struct THandedSeries {
  std::string Name;
  TValue::Ptr Source;              // an array value
  std::vector<std::string> Labels; // one per item, may be empty
};

// load for each series in turn, under "Wait" and the progress window over
// parent; false after kLoadSeriesCancelled when the progress was asked to
// stop (the caller then opens nothing).
bool LoadHandedSeries(std::vector<THandedSeries>& series, QWidget* parent,
                      const std::function<void(THandedSeries&)>& load);
// "Descriptive stats" over the series (one column per series).
void OpenDescriptiveStats(QWidget* parent, std::vector<THandedSeries> series);
// The "Statistics" window with the series in its list.
void OpenStatDialog(QWidget* parent, std::vector<THandedSeries> series);
// A result grid's "Copy" (tab-separated, CR LF rows), "Save As..." (CSV) and
// "Print..." (the grid as a table) as a context menu and shortcuts; every
// result grid of the statistics windows gets them through this.
void AddResultGridCommands(QTableWidget* grid);

} // namespace vandro::app
