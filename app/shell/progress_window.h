// The one progress window of the program's long work (import, export,
// rollback, clustering) over the core's progress interface: a caption and a
// bar from 0 to 100 %, shown from Start to End, repainted as it moves. A
// cancellable one has "Cancel", which the work sees at its next step: what
// was done before it is kept.
#pragma once

#include "shell/progress.h"

#include <memory>

class QProgressDialog;
class QWidget;

namespace vandro {

class TProgressWindow final : public TProgress {
public:
  explicit TProgressWindow(QWidget* parent, bool cancellable = false);
  ~TProgressWindow() override;
  void Start(const std::string& caption) override;
  // False once "Cancel" was pressed.
  bool Update(double share) override;
  void End() override;
  QProgressDialog* Window() const { return window_.get(); }

private:
  std::unique_ptr<QProgressDialog> window_;
  bool cancellable_;
};

} // namespace vandro
