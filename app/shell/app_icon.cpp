#include "app/shell/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vandro {

namespace {

const QColor kInk(0x2b, 0x3a, 0x4a);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kFolder(0xe8, 0xb4, 0x3c);
const QColor kBlue(0x2f, 0x7f, 0xb8);
const QColor kTeal(0x1f, 0x9e, 0x8f);
const QColor kGreen(0x3a, 0xa0, 0x3a);
const QColor kRed(0xcc, 0x3b, 0x33);
const QColor kGold(0xff, 0xd2, 0x4a);

QPen Pen(const QColor& color, qreal width = 1.4) {
  return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Plus(QPainter& p, QPointF centre) {
  p.setPen(Qt::NoPen);
  p.setBrush(kGreen);
  p.drawEllipse(centre, 5.2, 5.2);
  p.setPen(Pen(Qt::white, 1.8));
  p.drawLine(centre + QPointF(-2.6, 0), centre + QPointF(2.6, 0));
  p.drawLine(centre + QPointF(0, -2.6), centre + QPointF(0, 2.6));
}

void Page(QPainter& p, QRectF r) {
  QPainterPath page;
  page.moveTo(r.topLeft());
  page.lineTo(r.right() - 5, r.top());
  page.lineTo(r.right(), r.top() + 5);
  page.lineTo(r.bottomRight());
  page.lineTo(r.bottomLeft());
  page.closeSubpath();
  p.setPen(Pen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawPath(page);
  p.drawLine(QPointF(r.right() - 5, r.top()), QPointF(r.right() - 5, r.top() + 5));
  p.drawLine(QPointF(r.right() - 5, r.top() + 5), QPointF(r.right(), r.top() + 5));
}

void Folder(QPainter& p) {
  p.setPen(Pen(kInk.darker(110), 1.2));
  p.setBrush(kFolder.darker(115));
  p.drawRoundedRect(QRectF(2.5, 5.5, 18, 14), 1.5, 1.5);
  p.setBrush(kFolder);
  QPainterPath front;
  front.moveTo(2.5, 19.5);
  front.lineTo(6, 10);
  front.lineTo(22.5, 10);
  front.lineTo(19.5, 19.5);
  front.closeSubpath();
  p.drawPath(front);
}

void Node(QPainter& p, QPointF centre, qreal radius, const QColor& fill) {
  p.setPen(Pen(kInk, 1.1));
  p.setBrush(fill);
  p.drawEllipse(centre, radius, radius);
}

void Arrow(QPainter& p, QPointF from, QPointF to) {
  p.setPen(Pen(kInk, 1.5));
  p.drawLine(from, to);
  const QPointF d = to - from;
  const qreal length = std::hypot(d.x(), d.y());
  const QPointF u = d / length, n(-u.y(), u.x());
  p.setBrush(kInk);
  p.drawPolygon(QPolygonF{to, to - u * 3.5 + n * 2.2, to - u * 3.5 - n * 2.2});
}

void PaintGlyph(QPainter& p, TGlyph glyph) {
  switch (glyph) {
  case TGlyph::NewProject:
    Page(p, QRectF(4.5, 2.5, 13, 18));
    Plus(p, QPointF(17, 17));
    break;
  case TGlyph::OpenProject:
    Folder(p);
    break;
  case TGlyph::CloseProject:
    Folder(p);
    p.setPen(Pen(kRed, 2.4));
    p.drawLine(QPointF(14, 13), QPointF(21, 20));
    p.drawLine(QPointF(21, 13), QPointF(14, 20));
    break;
  case TGlyph::Parameter: {
    p.setPen(Pen(kBlue.darker(130), 1.2));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 3, 3);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3.5, 3.5, 17, 17), Qt::AlignCenter, QStringLiteral("P"));
    break;
  }
  case TGlyph::Unit:
    p.save();
    p.translate(12, 12);
    p.rotate(-35);
    p.setPen(Pen(kInk, 1.1));
    p.setBrush(QColor(0xf0, 0xd0, 0x8a));
    p.drawRect(QRectF(-10.5, -4, 21, 8));
    for (int i = 0; i < 9; ++i) {
      const qreal x = -8 + i * 2;
      p.drawLine(QPointF(x, -4), QPointF(x, i % 2 ? -1.8 : 0));
    }
    p.restore();
    break;
  case TGlyph::NewObject:
    Node(p, QPointF(10, 11), 6.5, kTeal);
    Plus(p, QPointF(17, 17));
    break;
  case TGlyph::NewGroup:
    Node(p, QPointF(7, 8), 4, kTeal);
    Node(p, QPointF(15, 7), 4, kTeal);
    Node(p, QPointF(9, 16), 4, kTeal);
    Plus(p, QPointF(17.5, 17.5));
    break;
  case TGlyph::NewState:
    Arrow(p, QPointF(7, 12), QPointF(15.5, 12));
    Node(p, QPointF(5, 12), 3.2, kTeal);
    Node(p, QPointF(19, 12), 3.6, kGold);
    break;
  case TGlyph::NewGroupState:
    Node(p, QPointF(4.5, 7), 2.6, kTeal);
    Node(p, QPointF(4.5, 13), 2.6, kTeal);
    Node(p, QPointF(4.5, 19), 2.6, kTeal);
    Arrow(p, QPointF(8.5, 13), QPointF(14.5, 13));
    Node(p, QPointF(19, 8), 2.6, kGold);
    Node(p, QPointF(19, 14), 2.6, kGold);
    Node(p, QPointF(19, 20), 2.6, kGold);
    break;
  case TGlyph::ViewObject:
    Node(p, QPointF(10, 10), 6.5, kTeal);
    p.setPen(Pen(kInk, 1.6));
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QPointF(10, 10), 5, 5);
    p.setPen(Pen(kInk, 3));
    p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
    break;
  case TGlyph::ViewGroup:
    p.setPen(Pen(kInk, 1.1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 4.5, 17, 15));
    p.setBrush(kBlue.lighter(150));
    p.drawRect(QRectF(3.5, 4.5, 17, 4));
    for (const qreal y : {12.5, 16.0})
      p.drawLine(QPointF(3.5, y), QPointF(20.5, y));
    for (const qreal x : {9.5, 15.0})
      p.drawLine(QPointF(x, 4.5), QPointF(x, 19.5));
    break;
  case TGlyph::Templates:
    Page(p, QRectF(3.5, 2.5, 13, 18));
    p.setPen(Pen(kBlue, 1.4));
    for (const qreal y : {8.0, 11.5, 15.0})
      p.drawLine(QPointF(6, y), QPointF(13, y));
    p.save();
    p.translate(17, 15);
    p.rotate(45);
    p.setPen(Pen(kInk, 1));
    p.setBrush(kGold);
    p.drawRect(QRectF(-1.6, -7, 3.2, 10));
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF{QPointF(-1.6, 3), QPointF(1.6, 3), QPointF(0, 6)});
    p.restore();
    break;
  case TGlyph::Chart:
    p.setPen(Pen(kInk, 1.3));
    p.drawLine(QPointF(3.5, 3.5), QPointF(3.5, 20.5));
    p.drawLine(QPointF(3.5, 20.5), QPointF(20.5, 20.5));
    p.setPen(Pen(kInk, 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(6, 12, 3.5, 8.5));
    p.setBrush(kTeal);
    p.drawRect(QRectF(11, 7, 3.5, 13.5));
    p.setBrush(kGold);
    p.drawRect(QRectF(16, 10, 3.5, 10.5));
    break;
  case TGlyph::Statistics: {
    p.setPen(Pen(kInk, 1.2));
    p.drawLine(QPointF(2.5, 19.5), QPointF(21.5, 19.5));
    QPainterPath bell;
    bell.moveTo(2.5, 19.5);
    for (int i = 0; i <= 38; ++i) {
      const qreal x = 2.5 + i * 0.5;
      const qreal z = (x - 12) / 3.6;
      bell.lineTo(x, 19.5 - 14 * std::exp(-z * z / 2));
    }
    p.setBrush(QColor(kBlue.red(), kBlue.green(), kBlue.blue(), 90));
    p.setPen(Pen(kBlue.darker(120), 1.5));
    p.drawPath(bell);
    p.setPen(Pen(kRed, 1.2));
    p.drawLine(QPointF(12, 5.5), QPointF(12, 19.5));
    break;
  }
  case TGlyph::DataMining:
    p.setPen(Pen(kTeal.darker(120), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 9), 5.5, 5);
    p.drawEllipse(QPointF(16, 16), 5, 5);
    for (const QPointF dot : {QPointF(6.5, 8), QPointF(9.5, 7.5), QPointF(8, 11), QPointF(15, 15),
                              QPointF(17.5, 17), QPointF(15.5, 18.2), QPointF(18, 14.5)}) {
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      p.drawEllipse(dot, 1.1, 1.1);
    }
    break;
  }
}

QPixmap GlyphPixmap(TGlyph glyph, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 24.0, size / 24.0);
  PaintGlyph(p, glyph);
  return pixmap;
}

} // namespace

QPixmap AppPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 256.0, size / 256.0);
  QLinearGradient ground(0, 0, 0, 256);
  ground.setColorAt(0, QColor(0x2f, 0x7f, 0xb8));
  ground.setColorAt(1, QColor(0x1b, 0x4f, 0x7a));
  p.setPen(Qt::NoPen);
  p.setBrush(ground);
  p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
  const QColor line(0x9f, 0xd0, 0xf0);
  p.setPen(QPen(line, 8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(44, 204), QPointF(212, 204));
  for (const qreal x : {76.0, 128.0, 180.0})
    p.drawLine(QPointF(x, 196), QPointF(x, 212));
  p.setPen(QPen(Qt::white, 18, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygonF{QPointF(60, 56), QPointF(128, 164), QPointF(196, 56)});
  p.setPen(QPen(Qt::white, 8));
  p.setBrush(kGold);
  for (const QPointF node : {QPointF(60, 56), QPointF(128, 164), QPointF(196, 56)})
    p.drawEllipse(node, 20, 20);
  return pixmap;
}

QIcon AppIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(AppPixmap(size));
  return icon;
}

QIcon GlyphIcon(TGlyph glyph) {
  QIcon icon;
  for (const int size : {16, 24, 32, 48})
    icon.addPixmap(GlyphPixmap(glyph, size));
  return icon;
}

} // namespace vandro
