#include "PortConnection.h"

#include <QFileInfo>
#include <optional>

#include "CommError.h"
#include "CommandFrames.h"
#include "ControllerLine.h"
#include "ControllerSession.h"
#include "CustomPage.h"
#include "ParamTable.h"
#include "Prompter.h"
#include "UiTexts.h"
#include "VexaDlg.h"
#include "ui_VexaDlg.h"

namespace {
constexpr int kDefaultPort = 3;
constexpr int kFirstPort = 1;
constexpr int kLastPort = 20;
}  // namespace

void CPortConnection::Open() {
    CControllerSession& session = m_dlg.Session();
    std::optional<CommError> openError;
    if (!session.PortOpen()) {
        try {
            session.OpenPort();
        } catch (const CommError& error) {
            m_dlg.Members().m_bPortOpenFailed = true;
            openError = error;
        }
        m_dlg.UpdateData(true);
        m_dlg.Members().m_bReadBackIncomplete = false;
        m_dlg.Members().m_strStatus =
            (m_dlg.Members().m_bPortOpenFailed ? texts::kPortNotOpened : texts::kPortOpened)
                .In(m_dlg.Members().m_bEnglish);
        m_dlg.UpdateData(false);
        // A port that did not open is not remembered: the next start tries the last good one.
        if (!m_dlg.Members().m_bPortOpenFailed) RecordPort();
    }
    // The operator is told why the port did not open rather than that it is closed.
    if (openError) throw *openError;
    session.PrepareLine();
}

void CPortConnection::ClosePort() { m_dlg.Session().ClosePort(); }

void CPortConnection::SetupFromFile() {
    ClosePort();
    if (!OpenFromFile()) return;
    StartReadBack();
}

bool CPortConnection::OpenFromFile() {
    const PortFile::Content content = m_file.Read();
    if (!content.problem.isEmpty()) ReportUnreadableFile(content.problem);
    if (content.empty) {
        m_dlg.Session().ChoosePort(kDefaultPort);
    } else if (content.number >= kFirstPort && content.number <= kLastPort) {
        m_dlg.Session().ChoosePort(content.number);
        m_dlg.Ui().cboPort->setCurrentIndex(content.number - 1);
    } else {
        // No port has this number: nothing is selected, nothing is opened or sent, and the
        // file keeps its content until the operator picks a port from the list.
        m_dlg.Ui().cboPort->setCurrentIndex(-1);
        m_dlg.Members().m_bPortOpenFailed = true;
        m_dlg.UpdateData(true);
        m_dlg.Members().m_strStatus = texts::kPortNotOpened.In(m_dlg.Members().m_bEnglish);
        m_dlg.UpdateData(false);
        return false;
    }
    Open();
    return true;
}

void CPortConnection::Refresh() {
    StopLiveDisplay();
    m_dlg.Session().StartAfresh();
    m_dlg.Members().m_bPortOpenFailed = false;
    m_dlg.ClearFirmwareChoice();
    SetupFromFile();
}

void CPortConnection::ChangePort() {
    StopLiveDisplay();
    m_dlg.Members().m_bPortOpenFailed = false;
    ClosePort();
    const int index = m_dlg.Ui().cboPort->currentIndex();
    m_dlg.Session().ChoosePort(index + 1);
    m_dlg.Ui().cboPort->setCurrentIndex(index);
    Open();
    StartReadBack();
}

// A controller that went on streaming would bury the replies of the read-back that follows:
// a running live display is switched off while the port is still open, and the page shows
// it stopped.
void CPortConnection::StopLiveDisplay() {
    CCustomPage& page = m_dlg.CustomPage();
    if (page.DisplayStopped()) return;
    page.StopDisplayState();
    page.RestoreIdleControls();
    if (m_dlg.Session().PortOpen()) m_dlg.Session().StopLiveDisplay();
}

void CPortConnection::ShowHint() {
    const bool english = m_dlg.IsEnglish();
    m_dlg.GetPrompter().Message({texts::kHintCaption.In(english), texts::kPortHint.In(english),
                                 PromptButtons::OkCancel, PromptIcon::None, PromptAnswer::Ok});
}

void CPortConnection::ReportUnreadableFile(const QString& problem) {
    ReportFileProblem(texts::kPortFileUnreadable, problem);
}

void CPortConnection::RecordPort() {
    if (const auto problem = m_file.Write(m_dlg.Ui().cboPort->currentIndex() + 1))
        ReportFileProblem(texts::kPortFileNotWritten, *problem);
}

void CPortConnection::ReportFileProblem(const BiText& text, const QString& problem) {
    if (std::exchange(m_bFileProblemReported, true)) return;
    const bool english = m_dlg.Members().m_bEnglish != 0;
    m_dlg.GetPrompter().Message(
        {texts::kMessageCaption.In(english),
         text.In(english).arg(QFileInfo(m_file.Path()).absoluteFilePath(), problem),
         PromptButtons::Ok, PromptIcon::Warning, PromptAnswer::Ok});
}

void CPortConnection::StartReadBack() {
    // Receive mode 0, an empty buffer, a full retry budget, then "?V\r".
    m_dlg.UpdateData(true);
    m_dlg.Session().ReadBack();
    if (m_dlg.Session().PortOpen() && !m_dlg.Session().UploadRunning()) m_dlg.ReadBackStarted();
    m_dlg.UpdateData(false);
}
