// The comparison of two states (editing/state_compare.h): every parameter
// of either, both values, the difference and relative change of numbers,
// the changed rows marked. The object view opens it on its chosen state and
// a second one picked through "Select Object".
#pragma once

#include "editing/state_compare.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QTableWidget;

namespace vandro {

class TStateTrack;

class TCompareDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TCompareDlg(QWidget* parent = nullptr);

  // Shows the two replayed states side by side.
  void Compare(const TStateTrack& first, const TStateTrack& second);

  QTableWidget* Grid() const { return grid_; }
  QLabel* Summary() const { return summary_; }
  // Whether row is marked as changed.
  bool Marked(int row) const;

private:
  QLabel* summary_;
  QTableWidget* grid_;
  std::vector<TCompareRow> rows_;
};

// Asks "Select Object" for the state to compare first with and shows the
// comparison modally; nothing happens on Cancel or without a first state.
void CompareWithChosenState(QWidget* parent, std::unique_ptr<TStateTrack> first);

} // namespace vandro
