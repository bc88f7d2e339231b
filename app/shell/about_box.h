// Help: About, and the splash shown while the program starts.
#pragma once

#include <QDialog>
#include <QPixmap>

namespace vandro {

inline constexpr const char* kVandroVersion = "0.1";

class TAboutBox final : public QDialog {
  Q_OBJECT
public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

// The splash's picture.
QPixmap SplashPixmap();

} // namespace vandro
