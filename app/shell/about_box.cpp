#include "app/shell/about_box.h"

#include "app/shell/app_icon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace vandro {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Vandro"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* picture = new QLabel;
  picture->setPixmap(AppPixmap(96));
  picture->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(
      QStringLiteral("<h2>Vandro</h2><p>Version %1</p>"
                     "<p>Records the states of objects over time: every change is a new state "
                     "with its real-world time, so every history can be navigated, compared "
                     "and analysed.</p>"
                     "<p>Help: Contents opens the manual in your browser.</p>")
          .arg(QString::fromLatin1(kVandroVersion)));
  text->setWordWrap(true);
  text->setMinimumWidth(320);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* right = new QVBoxLayout;
  right->addWidget(text);
  right->addWidget(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(picture);
  layout->addLayout(right);
  setFixedSize(sizeHint());
}

QPixmap SplashPixmap() {
  QPixmap pixmap(480, 260);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient ground(0, 0, 0, 260);
  ground.setColorAt(0, QColor(0xf4, 0xf8, 0xfb));
  ground.setColorAt(1, QColor(0xd6, 0xe6, 0xf2));
  p.fillRect(pixmap.rect(), ground);
  p.setPen(QColor(0x1b, 0x4f, 0x7a));
  p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
  p.drawPixmap(36, 66, AppPixmap(128));
  QFont title(QStringLiteral("DejaVu Sans"));
  title.setPixelSize(46);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(190, 70, 270, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vandro"));
  QFont line(QStringLiteral("DejaVu Sans"));
  line.setPixelSize(15);
  p.setFont(line);
  p.setPen(QColor(0x2b, 0x3a, 0x4a));
  p.drawText(QRect(192, 132, 270, 44), Qt::AlignLeft | Qt::TextWordWrap,
             QStringLiteral("States of objects over time"));
  line.setPixelSize(12);
  p.setFont(line);
  p.drawText(QRect(192, 220, 270, 20), Qt::AlignLeft,
             QStringLiteral("Version %1").arg(QString::fromLatin1(kVandroVersion)));
  return pixmap;
}

} // namespace vandro
