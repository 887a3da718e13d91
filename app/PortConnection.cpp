#include "PortConnection.h"

#include <QComboBox>
#include <QFileInfo>
#include <optional>

#include "CommError.h"
#include "CommandFrames.h"
#include "ControllerSession.h"
#include "CustomPage.h"
#include "DeclinationBox.h"
#include "ParamTable.h"
#include "Prompter.h"
#include "UiTexts.h"
#include "WindowActions.h"

namespace {
constexpr int kDefaultPort = 3;
constexpr int kFirstPort = 1;
constexpr int kLastPort = 20;
}  // namespace

CPortConnection::CPortConnection(CControllerSession& session, QComboBox& portList,
                                 CCustomPage& customPage, DeclinationBox& declination,
                                 Prompter& prompter, IWindowActions& window, PortFile file)
    : m_session(session),
      m_portList(portList),
      m_customPage(customPage),
      m_declination(declination),
      m_prompter(prompter),
      m_window(window),
      m_file(std::move(file)) {}

bool CPortConnection::IsOpen() const { return m_session.PortOpen(); }

void CPortConnection::Open() {
    std::optional<CommError> openError;
    if (!m_session.PortOpen()) {
        try {
            m_session.OpenPort();
        } catch (const CommError& error) {
            m_openFailed = true;
            openError = error;
        }
        m_declination.Take();
        m_window.ShowPortStatus(!m_openFailed);
        m_declination.Show();
        // A port that did not open is not remembered: the next start tries the last good one.
        if (!m_openFailed) RecordPort();
    }
    // The operator is told why the port did not open rather than that it is closed.
    if (openError) throw *openError;
    m_session.PrepareLine();
}

void CPortConnection::ClosePort() { m_session.ClosePort(); }

void CPortConnection::SetupFromFile() {
    ClosePort();
    if (!OpenFromFile()) return;
    StartReadBack();
}

bool CPortConnection::OpenFromFile() {
    const PortFile::Content content = m_file.Read();
    if (!content.problem.isEmpty()) ReportUnreadableFile(content.problem);
    if (content.empty) {
        m_session.ChoosePort(kDefaultPort);
    } else if (content.number >= kFirstPort && content.number <= kLastPort) {
        m_session.ChoosePort(content.number);
        m_portList.setCurrentIndex(content.number - 1);
    } else {
        // No port has this number: nothing is selected, nothing is opened or sent, and the
        // file keeps its content until the operator picks a port from the list.
        m_portList.setCurrentIndex(-1);
        m_openFailed = true;
        m_declination.Take();
        m_window.ShowPortStatus(false);
        m_declination.Show();
        return false;
    }
    Open();
    return true;
}

void CPortConnection::Refresh() {
    StopLiveDisplay();
    m_session.StartAfresh();
    m_openFailed = false;
    m_window.ClearFirmwareChoice();
    SetupFromFile();
}

void CPortConnection::ChangePort() {
    StopLiveDisplay();
    m_openFailed = false;
    ClosePort();
    const int index = m_portList.currentIndex();
    m_session.ChoosePort(index + 1);
    m_portList.setCurrentIndex(index);
    Open();
    StartReadBack();
}

// A controller that went on streaming would bury the replies of the read-back that follows:
// a running live display is switched off while the port is still open, and the page shows
// it stopped.
void CPortConnection::StopLiveDisplay() {
    if (m_customPage.DisplayStopped()) return;
    m_customPage.StopDisplayState();
    m_customPage.RestoreIdleControls();
    if (m_session.PortOpen()) m_session.StopLiveDisplay();
}

void CPortConnection::ShowHint() {
    const bool english = m_window.IsEnglish();
    m_prompter.Message({texts::kHintCaption.In(english), texts::kPortHint.In(english),
                        PromptButtons::OkCancel, PromptIcon::None, PromptAnswer::Ok});
}

void CPortConnection::ReportUnreadableFile(const QString& problem) {
    ReportFileProblem(texts::kPortFileUnreadable, problem);
}

void CPortConnection::RecordPort() {
    if (const auto problem = m_file.Write(m_portList.currentIndex() + 1))
        ReportFileProblem(texts::kPortFileNotWritten, *problem);
}

void CPortConnection::ReportFileProblem(const BiText& text, const QString& problem) {
    if (std::exchange(m_fileProblemReported, true)) return;
    const bool english = m_window.IsEnglish();
    m_prompter.Message({texts::kMessageCaption.In(english),
                        text.In(english).arg(QFileInfo(m_file.Path()).absoluteFilePath(), problem),
                        PromptButtons::Ok, PromptIcon::Warning, PromptAnswer::Ok});
}

void CPortConnection::StartReadBack() {
    // Receive mode 0, an empty buffer, a full retry budget, then "?V\r".
    m_declination.Take();
    m_session.ReadBack();
    if (m_session.PortOpen() && !m_session.UploadRunning()) m_window.ReadBackStarted();
    m_declination.Show();
}
