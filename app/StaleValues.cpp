#include "StaleValues.h"

#include <QLabel>

#include "BiText.h"

namespace {
constexpr BiText kLastRead{"显示的是最后读取的数值", "The values shown are the last read"};
}  // namespace

CStaleValues::CStaleValues(QLabel& notice, std::vector<QWidget*> pages) : m_notice(&notice) {
    for (QWidget* page : pages) m_pages.emplace_back(page);
    Show(false);
}

void CStaleValues::LineLost(bool english) {
    SetEnglish(english);
    Show(true);
}

void CStaleValues::ReadBackComplete() { Show(false); }

void CStaleValues::SetEnglish(bool english) {
    if (m_notice) m_notice->setText(kLastRead.In(english));
}

// A page disabled as a whole keeps its controls' own enabled states (the live display's,
// an upload's) and gives them back as they are when it is enabled again.
void CStaleValues::Show(bool stale) {
    m_bStale = stale;
    for (const QPointer<QWidget>& page : m_pages)
        if (page) page->setEnabled(!stale);
    if (m_notice) m_notice->setVisible(stale);
}
