#pragma once

#include <QString>
#include <array>
#include <functional>

#include "IPageHost.h"

class CControllerSession;
class CCustomPage;
class CFrameDlg;
class CParameterFiles;
class CPortConnection;
class Prompter;
class QCheckBox;
class QWidget;
namespace Ui {
class CVexaDlg;
}

// The main window's members bound to its controls by the data exchange, and its status flags.
struct MainWindowMembers {
    bool m_bEnglish = false;
    bool m_bPortOpenFailed = false;
    // The last read-back ended without its reply; cleared when a port open or a version reply
    // puts the status back.
    bool m_bReadBackIncomplete = false;
    // Replies of the running read-back taken so far; -1 while none runs.
    int m_nReadBackStep = -1;
    QString m_strFwPath;             // 1028
    QString m_strStatus;             // 1047
    std::array<int, 8> m_nSensor{};  // 1056 1057 1058 1059 1060 1062 1064 1065
    QString m_strVersion;            // 1112
    int m_nDeclination = 0;          // 1031
    QString m_strVersionCaption;     // 1264
};

// What the main window's helper classes (the port connection, the upper panel's settings, the
// upgrade controls, the parameter files) use of it. The main window implements it privately and
// hands it to them; nothing else reaches its members.
class IMainWindowParts {
public:
    virtual ~IMainWindowParts() = default;

    virtual QWidget& Window() = 0;
    virtual Ui::CVexaDlg& Ui() = 0;
    virtual MainWindowMembers& Members() = 0;
    virtual CControllerSession& Session() = 0;
    virtual Prompter& GetPrompter() = 0;
    virtual IClock& Clock() = 0;
    virtual bool IsEnglish() const = 0;
    // Controls to members (save) or members to controls; false when the declination box did
    // not hold an integer.
    virtual bool UpdateData(bool save) = 0;
    // The sensor boxes in bit order: 1056 1057 1058 1059 1060 1062 1064 1065.
    virtual std::array<QCheckBox*, 8> SensorBoxes() const = 0;
    virtual CPortConnection& Port() = 0;
    virtual CParameterFiles& Files() = 0;
    virtual CFrameDlg& FrameEditor() = 0;
    virtual CCustomPage& CustomPage() = 0;
    // The window has started a read-back: the status says so and counts its replies.
    virtual void ReadBackStarted() = 0;
    // The upgrade waits for a firmware file to be chosen again: start is disabled and the
    // path box shows the hint to choose one.
    virtual void ClearFirmwareChoice() = 0;
    // The window's signal that an upgrade has ended, after its message was shown.
    virtual void TellUpgradeEnded(bool succeeded) = 0;
};
