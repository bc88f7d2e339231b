#include "app/editing/value_kind_icon.h"

#include <QPainter>
#include <QPixmap>

#include <array>

namespace vandro {
namespace {

// Drawn rather than shipped: a coloured square with a letter, one per kind,
// legible at 16 pixels and in either palette.
QIcon Drawn(const QColor& colour, const QString& letter) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
  QFont font = painter.font();
  font.setPixelSize(11);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letter);
  return QIcon(pixmap);
}

} // namespace

QIcon ValueKindIcon(TValueKind kind) {
  // Built once: grids ask for an icon per cell.
  static const std::array<QIcon, 5> icons{
      Drawn(QColor(128, 0, 128), QStringLiteral("f")), // calculated
      Drawn(QColor(0, 128, 128), QStringLiteral("[")), // array
      Drawn(QColor(0, 0, 192), QStringLiteral("L")),   // link
      Drawn(QColor(96, 96, 96), QStringLiteral("a")),  // plain and the rest
      Drawn(QColor(192, 96, 0), QStringLiteral("O")),  // object reference
  };
  switch (kind) {
  case vkCalculated:
    return icons[0];
  case vkArray:
    return icons[1];
  case vkLink:
    return icons[2];
  case vkObject:
    return icons[4];
  default:
    return icons[3];
  }
}

} // namespace vandro
