// The base of the main window's non-modal children (record dialogs, group
// dialogs, chart windows, group table views): a widget in a sub-window of
// the frame's QMdiArea that is listed in TChildWindows while it exists.
#pragma once

#include "shell/child_windows.h"

#include <QWidget>

class QMdiSubWindow;
class QPainter;
class QPrinter;

namespace vandro {

class TChildForm : public QWidget, public TChildWindow {
  Q_OBJECT
public:
  explicit TChildForm(TChildKind kind, QWidget* parent = nullptr);
  // Leaves its list, so that a list never holds a window that is gone.
  ~TChildForm() override;

  TChildKind Kind() const override { return kind_; }
  TChildPlace Place() const override;
  bool UsesObject(int32_t) const override { return false; }
  // Record and group dialogs override this to cancel their edits first.
  void CloseForProject() override;

  // Told by the main window when the child joins its list.
  void Attach(TChildWindows& lists, int index, QMdiSubWindow* frame);
  int Index() const { return index_; }
  QMdiSubWindow* SubWindow() const { return frame_; }

  // File: Print. A chart window prints its chart; any other child its image.
  virtual void Print(QPrinter& printer);

private:
  TChildKind kind_;
  TChildWindows* lists_ = nullptr;
  int index_ = -1;
  QMdiSubWindow* frame_ = nullptr;
};

} // namespace vandro
