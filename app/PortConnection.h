#pragma once

#include "MainWindowParts.h"
#include "PortFile.h"

struct BiText;

// Opening the controller's port and starting the read-back: at start-up from the port file,
// on refresh, on a change of the port list, and the hint of the port button.
class CPortConnection {
public:
    explicit CPortConnection(IMainWindowParts& dlg, PortFile file = PortFile())
        : m_dlg(dlg), m_file(std::move(file)) {}

    // Opens the port at 115200 8N1 if it is closed; records the port number in the port file
    // once it has opened.
    void Open();
    void SetupFromFile();  // start-up
    void Refresh();        // button 1017
    void ChangePort();     // selection change of list 1061
    void ShowHint();       // button 1000

    // Opens the port the port file names, without a read-back; false when it names none.
    bool OpenFromFile();

    const PortFile& File() const { return m_file; }
    // A running live display is switched off while the port is open; the page shows it stopped.
    void StopLiveDisplay();

private:
    void ClosePort();
    void StartReadBack();
    void ReportUnreadableFile(const QString& problem);
    void RecordPort();
    void ReportFileProblem(const BiText& text, const QString& problem);

    IMainWindowParts& m_dlg;
    PortFile m_file;
    bool m_bFileProblemReported = false;  // told once per run, not at every refresh or port change
};
