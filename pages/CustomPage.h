#pragma once

#include <QWidget>
#include <memory>

#include "IPageHost.h"

namespace Ui {
class CCustomPage;
}

// The custom function and monitor page (template 138): the switch matrix on the left, the live
// data display with the channel reverse boxes on the right.
class CCustomPage : public QWidget {
    Q_OBJECT

public:
    CCustomPage(IPageHost& host, QWidget* parent = nullptr);
    ~CCustomPage() override;

    // The live display switch back to "stopped" (no data is sent here).
    void StopDisplayState();
    // Re-enables the page's inputs as the main window's return to the idle state requires.
    void RestoreIdleControls();
    bool DisplayStopped() const { return m_bDisplayStopped != 0; }
    // Captions in English (true) or Chinese (false).
    void SetEnglish(bool english);

private:
    IPageHost& m_host;
    std::unique_ptr<Ui::CCustomPage> m_ui;
    int m_bDisplayStopped = 1;
};
