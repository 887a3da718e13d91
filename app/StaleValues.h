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
    // Disables the senders again while the values are stale or read, after the window enabled
    // its controls as a whole.
    void HoldSenders();
    // While the read-back's replies come, the pages and senders wait as after a line loss (the
    // notice stays hidden); the control that had the focus gets it back afterwards.
    void HoldForReadBack(bool hold);

private:
    void Show(bool stale);
    void Apply();

    QPointer<QLabel> m_notice;
    std::vector<QPointer<QWidget>> m_pages;
    std::vector<QPointer<QWidget>> m_senders;
    bool m_bStale = false;
    bool m_bReading = false;
    bool m_bHeld = false;  // the pages and senders are disabled
    QPointer<QWidget> m_focusBeforeHold;
};
