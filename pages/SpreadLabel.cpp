#include "SpreadLabel.h"

#include <QPainter>
#include <QStyle>

namespace {
// Room left between two words when the label is as narrow as it may be.
constexpr int kMinimumGap = 6;
}  // namespace

SpreadLabel::SpreadLabel(QWidget* parent) : QLabel(parent) {}

void SpreadLabel::SetEdgesFlush(bool flush) {
    m_bEdgesFlush = flush;
    update();
}

QStringList SpreadLabel::Words() const {
    return text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QSize SpreadLabel::minimumSizeHint() const {
    const QStringList words = Words();
    int width = 0;
    for (const QString& word : words) width += fontMetrics().horizontalAdvance(word) + kMinimumGap;
    return {width, fontMetrics().height()};
}

QSize SpreadLabel::sizeHint() const { return minimumSizeHint(); }

void SpreadLabel::paintEvent(QPaintEvent*) {
    const QStringList words = Words();
    if (words.isEmpty()) return;
    QPainter painter(this);
    const QRect area = contentsRect();
    const int count = int(words.size());
    for (int i = 0; i < count; ++i) {
        const int width = fontMetrics().horizontalAdvance(words[i]);
        int left = 0;
        if (!m_bEdgesFlush) {
            left = area.left() + (2 * i + 1) * area.width() / (2 * count) - width / 2;
        } else if (count == 1 || i == 0) {
            left = area.left();
        } else if (i == count - 1) {
            left = area.right() + 1 - width;
        } else {
            left = area.left() + i * area.width() / (count - 1) - width / 2;
        }
        const QRect cell(left, area.top(), width, area.height());
        style()->drawItemText(&painter, cell, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), words[i], foregroundRole());
    }
}
