#pragma once

#include <QPointer>
#include <vector>

class QLabel;
class QWidget;

// The window after the line was lost: the values shown are the last ones read, not the
// controller's, and nothing can be sent. The pages and the upper panel's senders are shown
// disabled, and the notice says so and how to reconnect, until a read-back has read every
// value again; the port controls and refresh stay usable. The status box keeps saying whether
// the port is open.
class CStaleValues {
public:
    CStaleValues(QLabel& notice, std::vector<QWidget*> pages, std::vector<QWidget*> senders);

    void LineLost(bool english);
    void ReadBackComplete();
    // The notice in the language of the moment.
    void SetEnglish(bool english);
    bool IsStale() const { return m_bStale; }
    // Disables the senders again while the values are stale, after the window enabled its
    // controls as a whole.
    void HoldSenders();

private:
    void Show(bool stale);

    QPointer<QLabel> m_notice;
    std::vector<QPointer<QWidget>> m_pages;
    std::vector<QPointer<QWidget>> m_senders;
    bool m_bStale = false;
};
