#include "StatusLine.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// Paints the box itself when its text is wider than the box: the frame as the style draws a
// read-only line edit, the text elided in the middle.
class ElidingPainter : public QObject {
public:
    explicit ElidingPainter(QLineEdit& box) : QObject(&box), m_box(box) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_box || event->type() != QEvent::Paint) return false;
        QStyleOptionFrame option;
        option.initFrom(&m_box);
        option.rect = m_box.rect();
        option.lineWidth =
            m_box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &m_box);
        option.midLineWidth = 0;
        option.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
        option.features = QStyleOptionFrame::None;
        const QRect contents = m_box.style()
                                   ->subElementRect(QStyle::SE_LineEditContents, &option, &m_box)
                                   .adjusted(3, 0, -3, 0);
        const QFontMetrics metrics = m_box.fontMetrics();
        if (metrics.horizontalAdvance(m_box.text()) <= contents.width()) return false;
        QPainter painter(&m_box);
        m_box.style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, &m_box);
        painter.setPen(m_box.palette().color(QPalette::Text));
        painter.drawText(contents, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(m_box.text(), Qt::ElideMiddle, contents.width()));
        return true;
    }

private:
    QLineEdit& m_box;
};

}  // namespace

void ShowStatusTextsFromTheStart(QLineEdit& box) {
    box.installEventFilter(new ElidingPainter(box));
    QObject::connect(&box, &QLineEdit::textChanged, &box, [&box](const QString& text) {
        box.setToolTip(text);
        box.setCursorPosition(0);
    });
}
