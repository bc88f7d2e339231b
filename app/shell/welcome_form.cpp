#include "app/shell/welcome_form.h"

#include "app/shell/app_icon.h"
#include "app/shell/text_edge.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vandro {

TWelcomeForm::TWelcomeForm(TSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("Welcome to Vandro"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* picture = new QLabel;
  picture->setPixmap(AppPixmap(64));
  picture->setAlignment(Qt::AlignTop);

  auto* group = new QGroupBox(QStringLiteral("Now I want"));
  auto* options = new QVBoxLayout(group);
  const char* captions[] = {"Start new project", "Open project", "Don't open any project now",
                            "Open sample project"};
  for (int i = 0; i < 4; ++i)
    options_[i] = new QRadioButton(QString::fromLatin1(captions[i]));
  recent_ = new QComboBox;
  recent_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  recent_->setMinimumContentsLength(40);
  recent_->setAccessibleName(QStringLiteral("Open project"));
  for (const std::string& path : settings.RecentProjects())
    recent_->addItem(FromCore(path));
  options->addWidget(options_[0]);
  options->addWidget(options_[1]);
  auto* recentRow = new QHBoxLayout;
  recentRow->addSpacing(24);
  recentRow->addWidget(recent_, 1);
  options->addLayout(recentRow);
  options->addWidget(options_[2]);
  options->addWidget(options_[3]);

  // "Open project" is offered only with something to open; the choice after
  // "Start new project" is preselected either way.
  const bool anyRecent = recent_->count() > 0;
  options_[1]->setVisible(anyRecent);
  recent_->setVisible(anyRecent);
  (anyRecent ? options_[1] : options_[2])->setChecked(true);
  connect(options_[1], &QRadioButton::toggled, recent_, &QWidget::setEnabled);
  connect(recent_, &QComboBox::activated, this, [this] { options_[1]->setChecked(true); });

  dontShow_ = new QCheckBox(QStringLiteral("Don't show this window on start"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* right = new QVBoxLayout;
  right->addWidget(group);
  right->addWidget(dontShow_);
  right->addWidget(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(picture);
  layout->addLayout(right);
}

QRadioButton* TWelcomeForm::Option(TChoice choice) const {
  return options_[static_cast<int>(choice)];
}

TWelcomeForm::TChoice TWelcomeForm::Choice() const {
  if (result() != Accepted) return TChoice::NoProject;
  for (int i = 0; i < 4; ++i)
    if (options_[i]->isChecked()) return static_cast<TChoice>(i);
  return TChoice::NoProject;
}

int TWelcomeForm::RecentIndex() const {
  return recent_->currentIndex();
}

void TWelcomeForm::done(int result) {
  // However the window closes, the tick is kept.
  if (dontShow_->isChecked()) settings_.SetWelcomeWindow(false);
  QDialog::done(result);
}

} // namespace vandro
