#pragma once

#include <QPointer>
#include <vector>

class QLabel;
class QWidget;

// The pages' values after the line was lost: they are the last ones read, not the
// controller's. The pages are shown disabled and the status notice says so until a read-back
// has read every value again; the status box keeps saying whether the port is open.
class CStaleValues {
public:
    CStaleValues(QLabel& notice, std::vector<QWidget*> pages);

    void LineLost(bool english);
    void ReadBackComplete();
    // The notice in the language of the moment.
    void SetEnglish(bool english);
    bool IsStale() const { return m_bStale; }

private:
    void Show(bool stale);

    QPointer<QLabel> m_notice;
    std::vector<QPointer<QWidget>> m_pages;
    bool m_bStale = false;
};
