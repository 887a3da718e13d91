#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <memory>

#include "CMSComm.h"
#include "ClockTimer.h"
#include "ControllerSession.h"
#include "IPageHost.h"
#include "ISessionListener.h"
#include "QtTranslations.h"
#include "WindowActions.h"

class CBasicPage;
class CControllerSettings;
class CPortConnection;
class CCustomPage;
class CGpsPage;
class CGimbalPage;
class CVoltagePage;
class CFrameDlg;
class CParameterFiles;
class CStaleValues;
class CUpgradeControls;
class DeclinationBox;
class IClock;
class Prompter;
class ICommBackend;
class QCheckBox;
namespace Ui {
class CVexaDlg;
}

// The main window: upper panel and five pages. It owns the controller session and the pages
// and wires them together (the controls watch their letters in the session's cache); it parses
// no replies and packs no bits itself, and everything it sends is an intent of the session.
class CVexaDlg : public QDialog, public IPageHost, public ISessionListener, private IWindowActions {
    Q_OBJECT

public:
    struct Options {
        int initialPage = 0;  // --page N
        // Whether building the window opens the port and starts the read-back. The program
        // shows the window first and calls OpenPortFromFile once it has been painted, so that
        // no reply of the read-back waits for the first paint.
        bool openPortAtStart = true;
        // Where the automatic backups before a restore, a reference set or an upgrade go;
        // empty: none are written.
        QString backupFolder;
        // The port file; empty: qzmcconfig.ini in the current directory. The program gives
        // the one in the user's configuration folder.
        QString portFile;
    };

    CVexaDlg(std::unique_ptr<ICommBackend> backend, IClock& clock, Prompter& prompter,
             const Options& options, QWidget* parent = nullptr);
    CVexaDlg(std::unique_ptr<ICommBackend> backend, IClock& clock, Prompter& prompter,
             QWidget* parent = nullptr)
        : CVexaDlg(std::move(backend), clock, prompter, Options{}, parent) {}
    ~CVexaDlg() override;

    // IPageHost
    CControllerSession& Session() override { return m_session; }
    Prompter& GetPrompter() override { return m_prompter; }
    IClock& Clock() override { return m_clock; }
    bool IsEnglish() const override { return m_english; }
    void ReopenPort() override;
    void ClearFirmwareChoice() override;

    void RestoreIdleState();
    // Button 1019: the whole interface to the other language.
    void ToggleLanguage();
    // What button 1016 does: the frame editor opens and reads the controller's frame.
    void OpenFrameEditor();
    // The frame editor opens and reads the controller's frame once the read-back now on the
    // line has ended, without opening the port again (the program's start with the editor).
    void OpenFrameEditorOnReadBack();
    // The port kept in the port file is opened and the read-back started, as at start-up.
    void OpenPortFromFile();

    // A firmware upload owns the line (device tag inquiry or boot loader): nothing else is sent.
    bool UpgradeRunning() const;
    // Where an upload or a restore that the window's end broke off left the controller, in one
    // sentence for stderr; empty when none ran. No frame goes out after the window's end.
    QString WhereAnUnfinishedWriteLeftTheController() const;

    // ISessionListener
    void OnFirmwareVersion(int version) override;
    void OnBulkWriteLinkSent(char letter) override;
    void OnLiveFrame(const LiveFrame& frame) override;
    void OnChainEnded(const ChainEnd& end) override;
    void OnQueryReply(char letter, int wire) override;
    // The index (0-4) of the visible page; making a page the visible one (nothing is sent).
    int CurrentPage() const;
    void ShowPage(int index);
    static constexpr int kPageCount = 5;
    const std::array<QWidget*, kPageCount>& PageWidgets() const { return m_pages; }

    // The last port open failed or the line was lost (the status says the port is not open).
    bool PortOpenFailed() const;
    CBasicPage& BasicPage() { return *m_pBasicPage; }
    CCustomPage& CustomPage() { return *m_pCustomPage; }
    CFrameDlg& FrameEditor() { return *m_pFrameDlg; }

signals:
    // The controller's bytes have arrived on the port (before they are read).
    void BytesArrived();
    // A read-back has ended, read through or given up for want of a reply; used by --screenshot.
    void ReadBackSettled();
    // A live data frame has been shown on the custom page.
    void LiveFrameShown();
    // A firmware upload has ended, after its message was shown.
    void UpgradeEnded(bool succeeded);
    // The window has been painted for the first time (its frame is on the screen once the
    // event that painted it has been handled).
    void FirstPainted();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // IWindowActions (what the helper classes below ask of the window)
    void ShowStatus(const QString& status) override;
    void ShowPortStatus(bool opened) override;
    void TellUpgradeEnded(bool succeeded) override { emit UpgradeEnded(succeeded); }
    void ReadBackStarted() override;

    // How each conversation's end shows: the read-back's, the frame read's, the rest.
    void ReadBackFinished();
    void ReadGivenUp(char letter);
    void WriteEnded(const ChainEnd& end);

    // The sensor boxes in bit order: 1056 1057 1058 1059 1060 1062 1064 1065.
    std::array<QCheckBox*, 8> SensorBoxes() const;
    std::vector<QWidget*> UpperPanelSenders() const;
    // The status of the read-back: replies taken of all it asks, or how many were read.
    void ShowReadBackProgress();
    QString ReadBackProgressText(bool english) const;
    void ReadBackEnded();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void InitDialog();
    void CreatePages();
    // The helpers of the upper panel, each with its own controls; after the pages.
    void CreateHelpers();
    void ShowFocusPlainly();
    void ShowPortDevices();
    void SelectPage(int index);
    void OnTabChanged(int index);
    void BindHandlers();
    void OnLineLost();

    std::unique_ptr<Ui::CVexaDlg> m_ui;
    bool m_english = false;
    // The last read-back ended without its reply; cleared when a port open or a version reply
    // puts the status back.
    bool m_readBackIncomplete = false;
    // Replies of the running read-back taken so far; -1 while none runs.
    int m_readBackStep = -1;
    CBasicPage* m_pBasicPage = nullptr;
    CCustomPage* m_pCustomPage = nullptr;
    CGpsPage* m_pGpsPage = nullptr;
    CGimbalPage* m_pGimbalPage = nullptr;
    CVoltagePage* m_pVoltagePage = nullptr;
    std::unique_ptr<CFrameDlg> m_pFrameDlg;
    std::array<QWidget*, kPageCount> m_pages{};
    IClock& m_clock;
    Prompter& m_prompter;
    Options m_options;
    CControllerSession m_session;
    std::unique_ptr<DeclinationBox> m_declination;
    std::unique_ptr<CPortConnection> m_port;
    std::unique_ptr<CControllerSettings> m_settings;
    std::unique_ptr<CUpgradeControls> m_upgrade;
    int m_nRestoreLinksSent = 0;  // the announcement and the values of the running restore
    std::unique_ptr<CParameterFiles> m_files;
    bool m_bPainted = false;
    QtTranslations m_qtTexts;
    std::unique_ptr<CStaleValues> m_stale;
    // Runs out when the read-back's replies stop without its end being told (a chain that
    // replaced it): the senders are not held for ever.
    std::unique_ptr<ClockTimer> m_readBackWatch;
};
