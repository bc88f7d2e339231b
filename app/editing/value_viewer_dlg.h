// The value viewer: one value shown whole in a small modal window placed
// next to a point of the screen. A plain, linked or calculated value shows
// its full text (long texts scroll); an array shows its items one per row,
// nested arrays indented under their item.
#pragma once

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace vandro {

class TValue;

class TValueViewerDlg final : public QDialog {
  Q_OBJECT
public:
  TValueViewerDlg(const TValue& value, QWidget* parent = nullptr);

  // Moves the window next to at (screen coordinates), kept on that screen.
  void PlaceNear(const QPoint& at);

  // The text of a value that is not an array; nullptr for an array.
  QPlainTextEdit* Text() const { return text_; }
  // The items of an array; nullptr for any other value.
  QTreeWidget* Items() const { return items_; }

private:
  QPlainTextEdit* text_ = nullptr;
  QTreeWidget* items_ = nullptr;
};

// The text the viewer shows for a value that is not an array: the whole
// text, a reference by the names of its object and record.
std::string WholeValueText(const TValue& value);

} // namespace vandro
