// Draws the program's own pictures of the "Tarnwick" picture set and writes them as 24-bit BMP
// files below a skin folder:
//
//   make-skin-pictures SKIN_DIR
//
// writes SKIN_DIR/Tarnwick/{RacesIcon,ActionIcon,OtherIcon}/*.bmp. Everything is drawn with
// shapes, never with font glyphs, so the output is the same on machines without fonts.
//
// Three kinds of picture, by how the program shows them:
// - opaque pictures (races, results, actions) fill their whole square: a plastic tile with an
//   emblem on it;
// - keyed pictures (browser icons, marker, star) are shown with one colour made transparent.
//   They are drawn on a transparent canvas and flattened onto that key colour with hard edges:
//   a half-covered pixel is either the emblem's colour or the key, never a blend that would
//   leave a dark or light fringe on the table behind it. A drawn pixel that happens to equal the
//   key is moved one step away from it, so no hole appears in the emblem.
//
// The drive pictures never use pure red: the drives box copies them with red as transparent.

#include <QColor>
#include <QConicalGradient>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

namespace {

constexpr int kRaceSize = 20;
constexpr int kIconSize = 16;

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
// The colour at the bottom-left pixel of the marker and the star, which the program reads back
// as their transparent colour.
const QColor kMagenta(255, 0, 255);

enum class Background {
  kOpaque,  // the drawing covers every pixel
  kKeyed,   // uncovered pixels get the key colour
};

struct Picture {
  const char* path;  // below the skin folder
  int size;
  Background background;
  QColor key;  // for kKeyed
  std::function<void(QPainter&)> draw;
};

QPolygonF StarPolygon(QPointF centre, double outer, double inner, int points, double turn = 0) {
  QPolygonF polygon;
  for (int i = 0; i < points * 2; ++i) {
    const double radius = i % 2 == 0 ? outer : inner;
    const double angle = turn + i * std::numbers::pi / points - std::numbers::pi / 2;
    polygon << QPointF(centre.x() + radius * std::cos(angle),
                       centre.y() + radius * std::sin(angle));
  }
  return polygon;
}

QLinearGradient Vertical(double top, double bottom, const QColor& upper, const QColor& lower) {
  QLinearGradient gradient(0, top, 0, bottom);
  gradient.setColorAt(0, upper);
  gradient.setColorAt(1, lower);
  return gradient;
}

QPen Outline(const QColor& colour, double width = 1.0) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The square plastic tile of the opaque pictures: a vertical gradient, a one-pixel border and a
// lighter line under the top edge.
void Tile(QPainter& p, int size, const QColor& upper, const QColor& lower, const QColor& border) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(0, 0, size, size, Vertical(0, size, upper, lower));
  p.setPen(upper.lighter(125));
  p.drawLine(1, 1, size - 2, 1);
  p.setPen(border);
  p.drawRect(0, 0, size - 1, size - 1);
  p.restore();
}

void RaceTile(QPainter& p, const QColor& upper, const QColor& lower) {
  Tile(p, kRaceSize, upper, lower, lower.darker(170));
}

void ActionTile(QPainter& p) {
  Tile(p, kIconSize, QColor(0xfb, 0xfb, 0xfb), QColor(0xdc, 0xdc, 0xdc), QColor(0x8e, 0x8e, 0x8e));
}

// --- races and results, 20 x 20 ---

void DrawOrcs(QPainter& p) {
  RaceTile(p, QColor(0x9a, 0x62, 0x34), QColor(0x5e, 0x36, 0x18));
  // A green face with two tusks.
  QPainterPath head;
  head.moveTo(4.5, 7);
  head.quadTo(4.5, 3, 10, 3);
  head.quadTo(15.5, 3, 15.5, 7);
  head.lineTo(15, 12);
  head.quadTo(14, 17, 10, 17);
  head.quadTo(6, 17, 5, 12);
  head.closeSubpath();
  p.setPen(Outline(QColor(0x1f, 0x3a, 0x10)));
  p.setBrush(Vertical(3, 17, QColor(0x8c, 0xc8, 0x4a), QColor(0x4c, 0x86, 0x24)));
  p.drawPath(head);
  // Frowning brows and eyes.
  p.setPen(Outline(QColor(0x1f, 0x3a, 0x10), 1.3));
  p.drawLine(QPointF(6, 6.8), QPointF(9, 8.2));
  p.drawLine(QPointF(14, 6.8), QPointF(11, 8.2));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf0, 0xd0, 0x20));
  p.drawEllipse(QPointF(7.7, 9.6), 1.1, 0.9);
  p.drawEllipse(QPointF(12.3, 9.6), 1.1, 0.9);
  // Tusks rising from the lower jaw.
  p.setPen(Outline(QColor(0x5a, 0x48, 0x2a), 0.8));
  p.setBrush(QColor(0xfa, 0xf2, 0xda));
  QPainterPath left;
  left.moveTo(6.2, 15.6);
  left.quadTo(5.6, 12.6, 6.4, 10.4);
  left.quadTo(7.6, 13, 9, 15.4);
  left.closeSubpath();
  QPainterPath right;
  right.moveTo(13.8, 15.6);
  right.quadTo(14.4, 12.6, 13.6, 10.4);
  right.quadTo(12.4, 13, 11, 15.4);
  right.closeSubpath();
  p.drawPath(left);
  p.drawPath(right);
}

void DrawHuman(QPainter& p) {
  RaceTile(p, QColor(0x4a, 0x7c, 0xc4), QColor(0x1d, 0x42, 0x7e));
  // A heater shield with a cross.
  QPainterPath shield;
  shield.moveTo(4.5, 3.5);
  shield.lineTo(15.5, 3.5);
  shield.lineTo(15.5, 9);
  shield.quadTo(15, 14.5, 10, 17.2);
  shield.quadTo(5, 14.5, 4.5, 9);
  shield.closeSubpath();
  p.setPen(Outline(QColor(0x10, 0x24, 0x48)));
  p.setBrush(Vertical(3.5, 17, QColor(0xff, 0xff, 0xff), QColor(0xc8, 0xd0, 0xdc)));
  p.drawPath(shield);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xd6, 0xa8, 0x1e));
  p.drawRect(QRectF(9, 4.5, 2, 11.3));
  p.drawRect(QRectF(5.5, 7.5, 9, 2));
}

void DrawUndead(QPainter& p) {
  RaceTile(p, QColor(0x6a, 0x58, 0x8c), QColor(0x2c, 0x20, 0x42));
  // A skull.
  const QColor bone(0xec, 0xe8, 0xdc);
  const QColor dark(0x26, 0x1c, 0x34);
  QPainterPath skull;
  skull.addEllipse(QRectF(4, 2.5, 12, 11));
  skull.addRoundedRect(QRectF(6.5, 10, 7, 6.5), 1.5, 1.5);
  p.setPen(Outline(dark));
  p.setBrush(bone);
  p.drawPath(skull.simplified());
  p.setPen(Qt::NoPen);
  p.setBrush(dark);
  p.drawEllipse(QPointF(7.6, 8.6), 1.9, 2.1);
  p.drawEllipse(QPointF(12.4, 8.6), 1.9, 2.1);
  p.drawPolygon(QPolygonF({{10, 10.6}, {9, 12.6}, {11, 12.6}}));
  p.setPen(Outline(dark, 0.8));
  p.drawLine(QPointF(8.5, 14), QPointF(8.5, 16.3));
  p.drawLine(QPointF(10, 14), QPointF(10, 16.3));
  p.drawLine(QPointF(11.5, 14), QPointF(11.5, 16.3));
}

void DrawElves(QPainter& p) {
  RaceTile(p, QColor(0x2e, 0x6e, 0x78), QColor(0x12, 0x34, 0x48));
  // A crescent moon and a star.
  QPainterPath moon;
  moon.addEllipse(QPointF(9.5, 10), 6.5, 6.5);
  QPainterPath bite;
  bite.addEllipse(QPointF(12.6, 8), 5.6, 5.6);
  p.setPen(Outline(QColor(0x4a, 0x5a, 0x8a), 0.8));
  p.setBrush(Vertical(3, 17, QColor(0xf4, 0xf6, 0xff), QColor(0xb8, 0xc6, 0xf0)));
  p.drawPath(moon.subtracted(bite));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xe8, 0xee, 0xff));
  p.drawPolygon(StarPolygon(QPointF(14.6, 13.4), 2.6, 0.9, 4));
}

void DrawRandom(QPainter& p) {
  RaceTile(p, QColor(0xd2, 0x96, 0x34), QColor(0x8a, 0x56, 0x10));
  // A die showing five.
  p.setPen(Outline(QColor(0x4a, 0x2c, 0x06)));
  p.setBrush(Vertical(3.5, 16.5, QColor(0xff, 0xff, 0xff), QColor(0xd8, 0xd8, 0xd8)));
  p.drawRoundedRect(QRectF(3.5, 3.5, 13, 13), 2.5, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x22, 0x22, 0x22));
  for (QPointF pip : {QPointF(6.8, 6.8), QPointF(13.2, 6.8), QPointF(10, 10), QPointF(6.8, 13.2),
                      QPointF(13.2, 13.2)}) {
    p.drawEllipse(pip, 1.35, 1.35);
  }
}

void DrawReferee(QPainter& p) {
  RaceTile(p, QColor(0x9a, 0x9a, 0x9a), QColor(0x56, 0x56, 0x56));
  // An open eye.
  QPainterPath eye;
  eye.moveTo(2.5, 10);
  eye.quadTo(10, 1.5, 17.5, 10);
  eye.quadTo(10, 18.5, 2.5, 10);
  eye.closeSubpath();
  p.setPen(Outline(QColor(0x20, 0x20, 0x20)));
  p.setBrush(QColor(0xfa, 0xfa, 0xfa));
  p.drawPath(eye);
  QRadialGradient iris(QPointF(10, 10), 3.6);
  iris.setColorAt(0, QColor(0x6a, 0xb0, 0xe8));
  iris.setColorAt(1, QColor(0x1e, 0x5a, 0x98));
  p.setPen(Qt::NoPen);
  p.setBrush(iris);
  p.drawEllipse(QPointF(10, 10), 3.6, 3.6);
  p.setBrush(QColor(0x10, 0x10, 0x10));
  p.drawEllipse(QPointF(10, 10), 1.6, 1.6);
  p.setBrush(QColor(0xff, 0xff, 0xff));
  p.drawEllipse(QPointF(11.2, 8.8), 0.8, 0.8);
}

void DrawWin(QPainter& p) {
  RaceTile(p, QColor(0x5c, 0xb8, 0x5c), QColor(0x23, 0x72, 0x28));
  // A check mark with a dark rim.
  const QPolygonF check({{4.8, 10.4}, {8.4, 14}, {15.4, 5.8}});
  p.setBrush(Qt::NoBrush);
  p.setPen(Outline(QColor(0x14, 0x48, 0x18), 4.2));
  p.drawPolyline(check);
  p.setPen(Outline(QColor(0xff, 0xff, 0xff), 2.4));
  p.drawPolyline(check);
}

void DrawLoose(QPainter& p) {
  RaceTile(p, QColor(0xdc, 0x5a, 0x50), QColor(0x9a, 0x20, 0x1c));
  // A cross with a dark rim.
  p.setBrush(Qt::NoBrush);
  for (const auto& [colour, width] :
       {std::pair{QColor(0x5a, 0x10, 0x0c), 4.2}, std::pair{QColor(0xff, 0xff, 0xff), 2.4}}) {
    p.setPen(Outline(colour, width));
    p.drawLine(QPointF(5.8, 5.8), QPointF(14.2, 14.2));
    p.drawLine(QPointF(14.2, 5.8), QPointF(5.8, 14.2));
  }
}

// --- actions, 16 x 16 ---

void DrawBuild(QPainter& p) {
  ActionTile(p);
  // A hammer leaning to the right.
  p.translate(8, 8);
  p.rotate(45);
  p.setPen(Outline(QColor(0x4a, 0x2a, 0x10), 0.8));
  p.setBrush(QColor(0xb0, 0x74, 0x3a));
  p.drawRoundedRect(QRectF(-1.1, -2.5, 2.2, 9.8), 0.8, 0.8);
  p.setPen(Outline(QColor(0x30, 0x34, 0x3a), 0.8));
  QLinearGradient steel(0, -6.2, 0, -2.2);
  steel.setColorAt(0, QColor(0xd8, 0xdc, 0xe2));
  steel.setColorAt(1, QColor(0x6a, 0x72, 0x7c));
  p.setBrush(steel);
  QPainterPath head;
  head.moveTo(-4.6, -6.2);
  head.lineTo(3.2, -6.2);
  head.lineTo(5.2, -5.2);
  head.lineTo(5.2, -3.2);
  head.lineTo(3.2, -2.2);
  head.lineTo(-4.6, -2.2);
  head.closeSubpath();
  p.drawPath(head);
}

void DrawChat(QPainter& p) {
  ActionTile(p);
  // A speech bubble with three dots.
  QPainterPath bubble;
  bubble.addRoundedRect(QRectF(2, 2.5, 12, 8.5), 2.6, 2.6);
  QPainterPath tail;
  tail.moveTo(4.2, 10);
  tail.lineTo(3.6, 14);
  tail.lineTo(8.2, 10);
  tail.closeSubpath();
  p.setPen(Outline(QColor(0x2c, 0x5a, 0x92)));
  p.setBrush(QColor(0xff, 0xff, 0xff));
  p.drawPath(bubble.united(tail));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2c, 0x5a, 0x92));
  for (double x : {5.0, 8.0, 11.0})
    p.drawEllipse(QPointF(x, 6.8), 1.05, 1.05);
}

void DrawHero(QPainter& p) {
  ActionTile(p);
  // A golden crown with jewels.
  QPainterPath crown;
  crown.moveTo(2.5, 12.5);
  crown.lineTo(1.8, 4.8);
  crown.lineTo(5.4, 8);
  crown.lineTo(8, 3);
  crown.lineTo(10.6, 8);
  crown.lineTo(14.2, 4.8);
  crown.lineTo(13.5, 12.5);
  crown.closeSubpath();
  p.setPen(Outline(QColor(0x7a, 0x52, 0x00)));
  p.setBrush(Vertical(3, 13, QColor(0xff, 0xe2, 0x6a), QColor(0xd0, 0x92, 0x00)));
  p.drawPath(crown);
  p.setBrush(QColor(0xe0, 0xa8, 0x10));
  p.drawRect(QRectF(2.5, 11.5, 11, 2.5));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xc8, 0x20, 0x30));
  p.drawEllipse(QPointF(8, 12.75), 0.9, 0.9);
  p.setBrush(QColor(0x20, 0x60, 0xc8));
  p.drawEllipse(QPointF(5, 12.75), 0.75, 0.75);
  p.drawEllipse(QPointF(11, 12.75), 0.75, 0.75);
}

void DrawItem(QPainter& p) {
  ActionTile(p);
  // A round potion flask with a cork.
  const QColor glassRim(0x2a, 0x3a, 0x5a);
  QPainterPath flask;
  flask.addEllipse(QPointF(8, 10.2), 4.6, 4.6);
  flask.addRect(QRectF(6.4, 2.8, 3.2, 4.4));
  p.setPen(Outline(glassRim));
  p.setBrush(QColor(0xe6, 0xf0, 0xfa));
  p.drawPath(flask.simplified());
  QPainterPath liquid;
  liquid.addEllipse(QPointF(8, 10.2), 3.8, 3.8);
  QPainterPath above;
  above.addRect(QRectF(3, 5, 10, 4.4));
  QRadialGradient potion(QPointF(7, 10), 4.4);
  potion.setColorAt(0, QColor(0xf0, 0x50, 0x7a));
  potion.setColorAt(1, QColor(0xa0, 0x10, 0x3a));
  p.setPen(Qt::NoPen);
  p.setBrush(potion);
  p.drawPath(liquid.subtracted(above));
  p.setBrush(QColor(0xff, 0xff, 0xff, 200));
  p.drawEllipse(QPointF(6.2, 8.4), 0.9, 1.3);
  p.setPen(Outline(QColor(0x4a, 0x2a, 0x10), 0.8));
  p.setBrush(QColor(0xb8, 0x7c, 0x40));
  p.drawRect(QRectF(6, 1.4, 4, 2.2));
}

void DrawSkill(QPainter& p) {
  ActionTile(p);
  // A burst of light.
  QRadialGradient glow(QPointF(8, 8), 7);
  glow.setColorAt(0, QColor(0xff, 0xff, 0xff));
  glow.setColorAt(0.35, QColor(0xa8, 0x90, 0xff));
  glow.setColorAt(1, QColor(0x56, 0x2a, 0xc0));
  p.setPen(Outline(QColor(0x34, 0x14, 0x80), 0.8));
  p.setBrush(glow);
  p.drawPolygon(StarPolygon(QPointF(8, 8), 6.8, 2.8, 8));
}

void DrawUndefined(QPainter& p) {
  ActionTile(p);
  // A question mark made of an arc, a stem and a dot.
  QPainterPath hook;
  hook.moveTo(4.9, 5.6);
  hook.arcTo(QRectF(4.9, 2.2, 6.4, 6.4), 180, -240);
  hook.quadTo(8, 8.8, 8, 10.4);
  p.setBrush(Qt::NoBrush);
  p.setPen(Outline(QColor(0x55, 0x5a, 0x62), 2.2));
  p.drawPath(hook);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x55, 0x5a, 0x62));
  p.drawEllipse(QPointF(8, 13.3), 1.35, 1.35);
}

void DrawUnit(QPainter& p) {
  ActionTile(p);
  // A little figure.
  const QColor rim(0x1a, 0x4a, 0x1c);
  QPainterPath body;
  body.moveTo(3.4, 14.5);
  body.lineTo(3.8, 10);
  body.quadTo(4.2, 7.6, 8, 7.6);
  body.quadTo(11.8, 7.6, 12.2, 10);
  body.lineTo(12.6, 14.5);
  body.closeSubpath();
  p.setPen(Outline(rim));
  p.setBrush(Vertical(7.6, 14.5, QColor(0x6c, 0xbc, 0x5a), QColor(0x2e, 0x80, 0x30)));
  p.drawPath(body);
  p.setBrush(QColor(0xf2, 0xc8, 0x9a));
  p.drawEllipse(QPointF(8, 4.5), 2.6, 2.6);
}

void DrawUpgrade(QPainter& p) {
  ActionTile(p);
  // An arrow pointing up over a bar.
  const QPolygonF arrow(
      {{8, 1.6}, {13.8, 7.6}, {10.4, 7.6}, {10.4, 11.4}, {5.6, 11.4}, {5.6, 7.6}, {2.2, 7.6}});
  p.setPen(Outline(QColor(0x7a, 0x3a, 0x00)));
  p.setBrush(Vertical(1.6, 11.4, QColor(0xff, 0xc0, 0x4a), QColor(0xe0, 0x70, 0x10)));
  p.drawPolygon(arrow);
  p.drawRect(QRectF(3.5, 12.5, 9, 2));
}

// --- the file browser and the views, 16 x 16 on a key colour ---

void DrawFile(QPainter& p) {
  // A page with a folded corner and lines of text.
  const QColor rim(0x5e, 0x64, 0x6e);
  QPainterPath page;
  page.moveTo(2.5, 0.5);
  page.lineTo(10, 0.5);
  page.lineTo(13.5, 4);
  page.lineTo(13.5, 15.5);
  page.lineTo(2.5, 15.5);
  page.closeSubpath();
  p.setPen(Outline(rim));
  p.setBrush(Vertical(0, 16, QColor(0xff, 0xff, 0xff), QColor(0xe2, 0xe8, 0xf0)));
  p.drawPath(page);
  p.setBrush(QColor(0xc8, 0xd0, 0xdc));
  p.drawPolygon(QPolygonF({{10, 0.5}, {10, 4}, {13.5, 4}}));
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(0x8a, 0xa4, 0xc4));
  for (int y : {6, 8, 10, 12})
    p.drawLine(5, y, y == 12 ? 8 : 11, y);
}

void DrawFolder(QPainter& p) {
  // A yellow folder, its front flap lighter.
  const QColor rim(0x8a, 0x60, 0x10);
  QPainterPath back;
  back.moveTo(0.5, 2.5);
  back.lineTo(5.5, 2.5);
  back.lineTo(7, 4.5);
  back.lineTo(14.5, 4.5);
  back.lineTo(14.5, 13.5);
  back.lineTo(0.5, 13.5);
  back.closeSubpath();
  p.setPen(Outline(rim));
  p.setBrush(QColor(0xe0, 0xaa, 0x30));
  p.drawPath(back);
  QPainterPath front;
  front.moveTo(0.5, 13.5);
  front.lineTo(2.2, 6.5);
  front.lineTo(15.5, 6.5);
  front.lineTo(14.5, 13.5);
  front.closeSubpath();
  p.setBrush(Vertical(6.5, 13.5, QColor(0xff, 0xe4, 0x8a), QColor(0xf4, 0xc0, 0x40)));
  p.drawPath(front);
}

void DrawCd(QPainter& p) {
  // A silver disc with a rainbow sheen; its hole stays transparent.
  QPainterPath disc;
  disc.setFillRule(Qt::OddEvenFill);
  disc.addEllipse(QPointF(8, 8), 7.2, 7.2);
  disc.addEllipse(QPointF(8, 8), 1.6, 1.6);
  QConicalGradient sheen(QPointF(8, 8), 30);
  sheen.setColorAt(0.00, QColor(0xd8, 0xdc, 0xe4));
  sheen.setColorAt(0.12, QColor(0xf0, 0xd8, 0xf0));
  sheen.setColorAt(0.22, QColor(0xd0, 0xe8, 0xff));
  sheen.setColorAt(0.32, QColor(0xfa, 0xfa, 0xfa));
  sheen.setColorAt(0.50, QColor(0xc4, 0xc8, 0xd2));
  sheen.setColorAt(0.62, QColor(0xf4, 0xe8, 0xc8));
  sheen.setColorAt(0.72, QColor(0xd4, 0xf0, 0xe0));
  sheen.setColorAt(0.82, QColor(0xfa, 0xfa, 0xfa));
  sheen.setColorAt(1.00, QColor(0xd8, 0xdc, 0xe4));
  p.setPen(Outline(QColor(0x6a, 0x70, 0x7e)));
  p.setBrush(sheen);
  p.drawPath(disc);
  p.setBrush(Qt::NoBrush);
  p.setPen(Outline(QColor(0x9a, 0xa0, 0xac), 0.8));
  p.drawEllipse(QPointF(8, 8), 3, 3);
}

void DrawFloppy(QPainter& p) {
  // A blue diskette: metal shutter above, white label below.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(0x14, 0x22, 0x48));
  p.setBrush(Vertical(1, 15, QColor(0x4a, 0x6e, 0xb8), QColor(0x22, 0x3c, 0x7a)));
  QPolygon body({QPoint(1, 1), QPoint(13, 1), QPoint(14, 2), QPoint(14, 14), QPoint(1, 14)});
  p.drawPolygon(body);
  p.setPen(QColor(0x5a, 0x60, 0x6a));
  p.setBrush(Vertical(1, 6, QColor(0xe8, 0xea, 0xee), QColor(0xa4, 0xa8, 0xb0)));
  p.drawRect(4, 1, 7, 5);
  p.fillRect(8, 2, 2, 3, QColor(0x30, 0x34, 0x3a));
  p.setPen(QColor(0x9a, 0xa4, 0xb4));
  p.setBrush(QColor(0xfa, 0xfa, 0xfa));
  p.drawRect(3, 8, 9, 6);
  p.setPen(QColor(0x8a, 0xa4, 0xc4));
  p.drawLine(5, 10, 10, 10);
  p.drawLine(5, 12, 10, 12);
}

void DrawHdd(QPainter& p) {
  // A drive case seen slightly from above, with a green light.
  const QColor rim(0x30, 0x34, 0x3a);
  p.setPen(Outline(rim));
  p.setBrush(QColor(0xd6, 0xda, 0xe0));
  p.drawPolygon(QPolygonF({{0.5, 7.5}, {3.5, 3.5}, {15.5, 3.5}, {15.5, 7.5}}));
  p.setBrush(Vertical(7.5, 12.5, QColor(0xb4, 0xba, 0xc4), QColor(0x7a, 0x82, 0x8e)));
  p.drawRect(QRectF(0.5, 7.5, 15, 5));
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(0x50, 0x56, 0x60));
  p.drawLine(2, 10, 8, 10);
  p.fillRect(12, 9, 2, 2, QColor(0x30, 0xe0, 0x40));
}

void DrawUp(QPainter& p) {
  // An arrow going up out of a folder: a bent shaft from the lower right and a head on top.
  const QColor fill(0x2a, 0x6c, 0xb0);
  const QColor rim(0x12, 0x34, 0x60);
  QPainterPath shaft;
  shaft.moveTo(14, 13);
  shaft.lineTo(6.5, 13);
  shaft.lineTo(6.5, 6);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(rim, 4.2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  p.drawPath(shaft);
  p.setPen(QPen(fill, 2.4, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  p.drawPath(shaft);
  p.setPen(Outline(rim));
  p.setBrush(fill);
  p.drawPolygon(QPolygonF({{6.5, 0.8}, {11.8, 6.6}, {1.2, 6.6}}));
}

void DrawMarker(QPainter& p) {
  // A small glossy diamond.
  p.setPen(Outline(QColor(0x7a, 0x2a, 0x00)));
  QLinearGradient shine(3, 3, 13, 13);
  shine.setColorAt(0, QColor(0xff, 0xd0, 0x70));
  shine.setColorAt(1, QColor(0xe0, 0x50, 0x10));
  p.setBrush(shine);
  p.drawPolygon(QPolygonF({{8, 2}, {14, 8}, {8, 14}, {2, 8}}));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xff, 0xf4, 0xd0));
  p.drawPolygon(QPolygonF({{8, 4.5}, {9.6, 6.4}, {6.4, 6.4}}));
}

void DrawStar(QPainter& p) {
  // A golden five-pointed star.
  p.setPen(Outline(QColor(0x9a, 0x5e, 0x00)));
  p.setBrush(Vertical(1, 15, QColor(0xff, 0xe8, 0x70), QColor(0xf0, 0xa0, 0x00)));
  p.drawPolygon(StarPolygon(QPointF(8, 8.6), 7.4, 3.1, 5));
}

// Flattens a drawing on a transparent canvas onto the key colour (see the top of the file).
QImage FlattenOntoKey(const QImage& drawing, const QColor& key) {
  const QImage straight = drawing.convertToFormat(QImage::Format_ARGB32);
  QImage out(straight.size(), QImage::Format_RGB32);
  const QRgb keyRgb = key.rgb();
  auto away = [](int channel) { return channel > 127 ? channel - 1 : channel + 1; };
  for (int y = 0; y < straight.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
    QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < straight.width(); ++x) {
      if (qAlpha(in[x]) < 128) {
        line[x] = keyRgb;
        continue;
      }
      QRgb colour = qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
      if (colour == keyRgb)
        colour = qRgb(away(qRed(colour)), away(qGreen(colour)), away(qBlue(colour)));
      line[x] = colour;
    }
  }
  return out;
}

QImage Render(const Picture& picture) {
  QImage canvas(picture.size, picture.size, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.draw(painter);
  }
  if (picture.background == Background::kKeyed) return FlattenOntoKey(canvas, picture.key);
  return canvas.convertToFormat(QImage::Format_RGB32);
}

std::vector<Picture> Pictures() {
  const auto opaque = Background::kOpaque;
  const auto keyed = Background::kKeyed;
  return {
      {"Tarnwick/RacesIcon/Orcs.bmp", kRaceSize, opaque, {}, DrawOrcs},
      {"Tarnwick/RacesIcon/Human.bmp", kRaceSize, opaque, {}, DrawHuman},
      {"Tarnwick/RacesIcon/Undead.bmp", kRaceSize, opaque, {}, DrawUndead},
      {"Tarnwick/RacesIcon/Elves.bmp", kRaceSize, opaque, {}, DrawElves},
      {"Tarnwick/RacesIcon/Random.bmp", kRaceSize, opaque, {}, DrawRandom},
      {"Tarnwick/RacesIcon/referee.bmp", kRaceSize, opaque, {}, DrawReferee},
      {"Tarnwick/RacesIcon/Win.bmp", kRaceSize, opaque, {}, DrawWin},
      {"Tarnwick/RacesIcon/Loose.bmp", kRaceSize, opaque, {}, DrawLoose},
      {"Tarnwick/ActionIcon/Build.bmp", kIconSize, opaque, {}, DrawBuild},
      {"Tarnwick/ActionIcon/Chat.bmp", kIconSize, opaque, {}, DrawChat},
      {"Tarnwick/ActionIcon/Hero.bmp", kIconSize, opaque, {}, DrawHero},
      {"Tarnwick/ActionIcon/Item.bmp", kIconSize, opaque, {}, DrawItem},
      {"Tarnwick/ActionIcon/Skill.bmp", kIconSize, opaque, {}, DrawSkill},
      {"Tarnwick/ActionIcon/Undefined.bmp", kIconSize, opaque, {}, DrawUndefined},
      {"Tarnwick/ActionIcon/Unit.bmp", kIconSize, opaque, {}, DrawUnit},
      {"Tarnwick/ActionIcon/Upgrade.bmp", kIconSize, opaque, {}, DrawUpgrade},
      {"Tarnwick/OtherIcon/File.bmp", kIconSize, keyed, kBlack, DrawFile},
      {"Tarnwick/OtherIcon/Folder.bmp", kIconSize, keyed, kBlack, DrawFolder},
      {"Tarnwick/OtherIcon/cd.bmp", kIconSize, keyed, kBlack, DrawCd},
      {"Tarnwick/OtherIcon/floppy.bmp", kIconSize, keyed, kBlack, DrawFloppy},
      {"Tarnwick/OtherIcon/hdd.bmp", kIconSize, keyed, kBlack, DrawHdd},
      {"Tarnwick/OtherIcon/up.bmp", kIconSize, keyed, kWhite, DrawUp},
      {"Tarnwick/OtherIcon/TTT.bmp", kIconSize, keyed, kMagenta, DrawMarker},
      {"Tarnwick/OtherIcon/Star.bmp", kIconSize, keyed, kMagenta, DrawStar},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-skin-pictures SKIN_DIR\n");
    return 2;
  }
  const QDir skin(QString::fromLocal8Bit(argv[1]));
  for (const Picture& picture : Pictures()) {
    const QString path = skin.filePath(QString::fromLatin1(picture.path));
    if (!QDir().mkpath(QFileInfo(path).path())) {
      std::fprintf(stderr, "make-skin-pictures: cannot create the folder of %s\n",
                   qPrintable(path));
      return 1;
    }
    if (!Render(picture).save(path, "BMP")) {
      std::fprintf(stderr, "make-skin-pictures: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
