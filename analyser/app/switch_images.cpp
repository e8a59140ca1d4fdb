#include "app/switch_images.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace lomtra {
namespace {

struct Look {
  QColor colour;
  const char* mark;
};

// One colour and a short mark per switch: OCB, CDOT, E10B, AXE, 5ESS, EWSD,
// CDOT42, Unknown.
const Look kLooks[] = {
    {QColor(31, 97, 196), "O"}, {QColor(30, 140, 60), "C"},   {QColor(224, 120, 20), "E"},
    {QColor(196, 40, 40), "A"}, {QColor(120, 60, 170), "5"},  {QColor(0, 140, 150), "W"},
    {QColor(20, 90, 40), "42"}, {QColor(128, 128, 128), "?"},
};

QPixmap Draw(const Look& look, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(look.colour.darker(140));
  painter.setBrush(look.colour);
  const qreal inset = size / 16.0;
  painter.drawRoundedRect(QRectF(inset, inset, size - 2 * inset, size - 2 * inset), size / 5.0,
                          size / 5.0);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(std::max(6, size * (look.mark[1] ? 9 : 12) / 16));
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromLatin1(look.mark));
  return pixmap;
}

}  // namespace

QIcon SwitchImage(int code) {
  if (code < 1 || code > 8) return {};
  QIcon icon;
  icon.addPixmap(Draw(kLooks[code - 1], 16));
  icon.addPixmap(Draw(kLooks[code - 1], 32));
  return icon;
}

}  // namespace lomtra
