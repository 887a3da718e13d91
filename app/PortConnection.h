#pragma once

#include "PortFile.h"

struct BiText;
class CControllerSession;
class CCustomPage;
class DeclinationBox;
class IWindowActions;
class Prompter;
class QComboBox;

// Opening the controller's port and starting the read-back: at start-up from the port file,
// on refresh, on a change of the port list (1061), and the hint of the port button.
class CPortConnection {
public:
    CPortConnection(CControllerSession& session, QComboBox& portList, CCustomPage& customPage,
                    DeclinationBox& declination, Prompter& prompter, IWindowActions& window,
                    PortFile file = PortFile());

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

    bool IsOpen() const;
    // The last port open failed or the line was lost (the status says the port is not open).
    bool OpenFailed() const { return m_openFailed; }
    // The line was lost: the port counts as not opened until it opens again.
    void LineLost() { m_openFailed = true; }

private:
    void ClosePort();
    void StartReadBack();
    void ReportUnreadableFile(const QString& problem);
    void RecordPort();
    void ReportFileProblem(const BiText& text, const QString& problem);

    CControllerSession& m_session;
    QComboBox& m_portList;
    CCustomPage& m_customPage;
    DeclinationBox& m_declination;
    Prompter& m_prompter;
    IWindowActions& m_window;
    PortFile m_file;
    bool m_openFailed = false;
    bool m_fileProblemReported = false;  // told once per run, not at every refresh or port change
};
