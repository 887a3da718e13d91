#include "StaleValues.h"

#include <QApplication>
#include <QLabel>
#include <utility>

#include "BiText.h"

namespace {
// Short enough for the two lines beside the sensors; the tooltip says it in full.
constexpr BiText kLineLost{"连接已断开，显示最后读取的值。检查连接后点“刷新”",
                           "Line lost: last values read. Reconnect, press Refresh"};
constexpr BiText kLineLostInFull{
    "串口连接已断开：显示的是最后读取的数值，不能发送任何设置。请检查连接，然后点击“刷新”重新打开"
    "串口并读取全部参数。",
    "The line was lost: the values shown are the last read, and nothing can be sent. Check the "
    "connection, then press Refresh to open the port again and read every value."};
}  // namespace

CStaleValues::CStaleValues(QLabel& notice, std::vector<QWidget*> pages,
                           std::vector<QWidget*> senders)
    : m_notice(&notice) {
    for (QWidget* page : pages) m_pages.emplace_back(page);
    for (QWidget* sender : senders) m_senders.emplace_back(sender);
    SetEnglish(false);
    Show(false);
}

void CStaleValues::LineLost(bool english) {
    SetEnglish(english);
    Show(true);
}

void CStaleValues::ReadBackComplete() { Show(false); }

void CStaleValues::SetEnglish(bool english) {
    if (!m_notice) return;
    m_notice->setText(kLineLost.In(english));
    m_notice->setToolTip(kLineLostInFull.In(english));
}

void CStaleValues::HoldSenders() {
    if (!m_bStale && !m_bReading) return;
    for (const QPointer<QWidget>& sender : m_senders)
        if (sender) sender->setEnabled(false);
}

void CStaleValues::HoldForReadBack(bool hold) {
    if (std::exchange(m_bReading, hold) == hold) return;
    if (hold) {
        m_focusBeforeHold = QApplication::focusWidget();
        Apply();
        return;
    }
    Apply();
    QWidget* focus = m_focusBeforeHold.data();
    m_focusBeforeHold.clear();
    if (focus && focus != QApplication::focusWidget() && focus->isEnabled() && focus->isVisible() &&
        focus->window()->isActiveWindow())
        focus->setFocus(Qt::OtherFocusReason);
}

void CStaleValues::Show(bool stale) {
    m_bStale = stale;
    Apply();
    if (m_notice) m_notice->setVisible(stale);
}

// A page disabled as a whole keeps its controls' own enabled states (the live display's,
// an upload's) and gives them back as they are when it is enabled again. The senders of the
// upper panel are enabled again once every value has been read.
void CStaleValues::Apply() {
    const bool held = m_bStale || m_bReading;
    const bool wasHeld = std::exchange(m_bHeld, held);
    for (const QPointer<QWidget>& page : m_pages)
        if (page) page->setEnabled(!held);
    if (held || wasHeld)
        for (const QPointer<QWidget>& sender : m_senders)
            if (sender) sender->setEnabled(!held);
}
