#include "app/Gauge.h"

#include <QPainter>

namespace lex {

TGauge::TGauge(QWidget* Parent) : QProgressBar(Parent) {
    setRange(0, 100);
    setValue(0);
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const int span = maximum() - minimum();
    const int filled = span > 0 ? area.width() * (value() - minimum()) / span : 0;
    const QRect bar(area.left(), area.top(), filled, area.height());
    painter.fillRect(area, palette().button());
    painter.fillRect(bar, QColor(Qt::darkBlue));
    const QString text = QStringLiteral("%1%").arg(value());
    painter.save();
    painter.setClipRect(bar);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignCenter, text);
    painter.restore();
    painter.setClipRegion(QRegion(area).subtracted(bar));
    painter.setPen(palette().buttonText().color());
    painter.drawText(area, Qt::AlignCenter, text);
}

} // namespace lex
