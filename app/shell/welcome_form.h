// The welcome window ("Now I want") offered at start when no project was
// named: a new project, a recent project, no project, or the sample project.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace vandro {

class TSettings;

class TWelcomeForm final : public QDialog {
  Q_OBJECT
public:
  enum class TChoice { NewProject, OpenRecent, NoProject, SampleProject };

  explicit TWelcomeForm(TSettings& settings, QWidget* parent = nullptr);

  // What to do; closing the window chooses no project.
  TChoice Choice() const;
  // The recent project chosen (an index into the settings' list).
  int RecentIndex() const;

  QRadioButton* Option(TChoice choice) const;
  QComboBox* RecentList() const { return recent_; }
  QCheckBox* DontShowAgain() const { return dontShow_; }

  void done(int result) override;

private:
  TSettings& settings_;
  QRadioButton* options_[4];
  QComboBox* recent_;
  QCheckBox* dontShow_;
};

} // namespace vandro
