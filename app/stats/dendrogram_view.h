// The dendrogram beside the cluster tree, painted from TDendrogram's
// layout: merge heights on the vertical axis, leaves named along the foot
// while there is room for their names, the selected branch in red.
#pragma once

#include <QWidget>

namespace vandro {

class TDendrogram;

class TDendrogramView final : public QWidget {
  Q_OBJECT

public:
  explicit TDendrogramView(QWidget* parent = nullptr);

  // dendrogram outlives the view, or is replaced before it goes.
  void SetDendrogram(const TDendrogram* dendrogram);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  const TDendrogram* dendrogram_ = nullptr;
};

} // namespace vandro
