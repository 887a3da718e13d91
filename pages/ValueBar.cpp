#include "ValueBar.h"

#include <QPainter>
#include <algorithm>

namespace {

constexpr int kGap = 6;
constexpr int kVerticalMargin = 2;

const QColor kTrackColour(0xe4, 0xe4, 0xe4);
const QColor kFillColour(0x2f, 0x7f, 0xd0);
const QColor kCentreColour(0x60, 0x60, 0x60);

}  // namespace

ValueBar::ValueBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ValueBar::SetValue(std::optional<int> value) {
    if (value == m_value) return;
    m_value = value;
    update();
}

int ValueBar::NumberWidth() const {
    return fontMetrics().horizontalAdvance(QStringLiteral("00000"));
}

QRect ValueBar::Track() const {
    return QRect(0, kVerticalMargin, std::max(1, width() - NumberWidth() - kGap),
                 std::max(1, height() - 2 * kVerticalMargin));
}

QSize ValueBar::sizeHint() const {
    return {160 + NumberWidth(), fontMetrics().height() + 2 * kVerticalMargin};
}

QSize ValueBar::minimumSizeHint() const {
    return {60 + NumberWidth(), fontMetrics().height() + 2 * kVerticalMargin};
}

void ValueBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect track = Track();
    painter.fillRect(track, kTrackColour);
    if (m_value) {
        const int clamped = std::clamp(*m_value, kLow, kHigh);
        const int filled = track.width() * (clamped - kLow) / (kHigh - kLow);
        painter.fillRect(QRect(track.left(), track.top(), filled, track.height()), kFillColour);
        const QRect number(track.right() + 1 + kGap, 0, NumberWidth(), height());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(number, Qt::AlignLeft | Qt::AlignVCenter, QString::number(*m_value));
    }
    painter.setPen(kCentreColour);
    const int centre = track.left() + track.width() / 2;
    painter.drawLine(centre, track.top(), centre, track.bottom());
}
