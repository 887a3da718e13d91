#include "StaleValues.h"

#include <QLabel>

#include "BiText.h"

namespace {
constexpr BiText kLineLost{"连接已断开，显示的是最后读取的数值。请检查连接后点击“刷新”。",
                           "Line lost: the values shown are the last read. Check the "
                           "connection, then press Refresh."};
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
    if (m_notice) m_notice->setText(kLineLost.In(english));
}

void CStaleValues::HoldSenders() {
    if (!m_bStale) return;
    for (const QPointer<QWidget>& sender : m_senders)
        if (sender) sender->setEnabled(false);
}

// A page disabled as a whole keeps its controls' own enabled states (the live display's,
// an upload's) and gives them back as they are when it is enabled again. The senders of the
// upper panel are enabled again once every value has been read.
void CStaleValues::Show(bool stale) {
    const bool wasStale = std::exchange(m_bStale, stale);
    for (const QPointer<QWidget>& page : m_pages)
        if (page) page->setEnabled(!stale);
    if (stale || wasStale)
        for (const QPointer<QWidget>& sender : m_senders)
            if (sender) sender->setEnabled(!stale);
    if (m_notice) m_notice->setVisible(stale);
}
