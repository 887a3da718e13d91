#include "UpgradeControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "ControlLookup.h"
#include "ControllerSession.h"
#include "GuardedHandler.h"
#include "ParamTable.h"
#include "ParameterFiles.h"
#include "PortConnection.h"
#include "Prompter.h"
#include "ResourceIds.h"
#include "UiTexts.h"
#include "WindowActions.h"

namespace {

constexpr BiText kSelectHint{"<-请先点击左侧按扭选择升级文件(*.bin),再点右侧按扭开始升级!",
                             "<-Please select FW file(*.bin),then click the [Upgrade]!"};
constexpr BiText kFileFilter{"瑞翎航模升级文件(*.bin)|*.bin|所有文件(*.*)|*.*||",
                             "Velmora firmware files (*.bin)|*.bin|All files (*.*)|*.*||"};

constexpr BiText kNoFileChosen{"您尚未选择升级文件，请重新选择!",
                               "The Fw file was not selected!Please select it again!"};
constexpr BiText kNotFirmware{"你选择的不是升级文件，请重新选择升级文件",
                              "The file was not the Fw for Pellar!Please select it again!"};
constexpr BiText kCorruptFile{"文件已损坏，请重新选择升级文件",
                              "File error ! Please select it again!"};
// %1: the largest firmware file, in bytes.
constexpr BiText kFileTooLarge{"文件太大：升级文件最大为 %1 字节，请重新选择升级文件",
                               "The file is too large: a Fw file holds at most %1 bytes. "
                               "Please select it again!"};

constexpr BiText kSending{"正传输数据>>%1%", "Data Sending>>%1%"};
constexpr BiText kDataProgress{"升级已完成%1%", "Finished%1%"};
constexpr BiText kFinished{"升级已完成%1%", "Finished %1%"};

constexpr BiText kSendError{"数据传输错误，请重新升级!", "Data Send Err，Please Update again!"};
constexpr BiText kTimeoutError{"传输超时，请重新升级", "Data Error，Please Update again!"};
constexpr BiText kChecksumError{"数据校验错误，请重新升级!", "Data Error，Please Update again!"};

// Asked before the first byte of an upload: %1 the file, %2 its size in bytes, %3 the firmware
// the controller runs now, %4 where the backup went or why there is none.
constexpr BiText kReplaceQuestion{
    "即将用以下文件替换飞控中的固件：\r\r文件：%1\r大小：%2 字节\r飞控当前固件版本：%3\r%4\r\r"
    "升级开始后请勿断开飞控。确定开始升级吗？",
    "The controller's firmware is about to be replaced by:\r\rFile: %1\rSize: %2 bytes\r"
    "Firmware in the controller now: %3\r%4\r\r"
    "Do not disconnect the controller while the upgrade runs. Start the upgrade?"};
constexpr BiText kVersionUnknown{"未知（尚未读取）", "unknown (not read)"};
constexpr BiText kNoBackup{"没有备份参数。", "No parameters were backed up."};

// The status after an upload that did not succeed (%1 what happened): the file stays chosen and
// the upgrade can be started again from the same window.
constexpr BiText kRetryStatus{"升级未完成（%1），可再次点击“开始升级”重新升级",
                              "Upgrade not done (%1): click [Upgrade] to start it again"};
constexpr BiText kWrongAnswer{"飞控的应答有误", "the controller answered out of turn"};
constexpr BiText kOtherSum{"校验和不一致", "the checksums differ"};
constexpr BiText kNoAnswer{"飞控3秒内无应答", "no answer within 3 s"};
constexpr BiText kLineLost{"串口连接已断开", "the line was lost"};

// The upload's last steps count past its packets; what the window shows stops at 100 %.
constexpr int kMostPercent = 100;

constexpr BiText kSuccessCaption{"瑞翎航模提示:", "Velmora mentioned:"};
constexpr BiText kSuccess{
    "恭喜你升级成功!\r\r请根据您的需要重新设置飞控各项参数，并重做水平校准与罗盘校准!\r\r"
    "<若是第一次使用星鹞飞控，您还需先做油门行程校准!>",
    "Congratulations on your updgrading finished !\r\rPlease resetup all parameter，and do "
    "horizontal & compass cablitration!"};

// Disabled when an upload starts; they come back when it ends, whatever the end.
constexpr std::initializer_list<int> kSettingControls = {
    IDC_SERVO_RATE,   IDC_SAVE_DATA,    IDC_SELECT_FW,   IDC_FRAME_HINT,
    IDC_ESC_HINT,     IDC_FRAME_TYPE,   IDC_ESC_RATE,    IDC_SERVO_HINT,
    IDC_RESTORE_LIST, IDC_RESTORE_HINT, IDC_DECLINATION, IDC_DECLINATION_SET};
// Enabled with them when an upload ends.
constexpr std::initializer_list<int> kAlsoAfterSuccess = {IDC_SENSOR_MAG,    IDC_SENSOR_BARO,
                                                          IDC_SENSOR_SONAR,  IDC_SENSOR_GPS,
                                                          IDC_START_UPGRADE, IDC_PORT_LIST};
// While the upload runs every control of the upper panel that a click or a key acts on is held
// (each would send, reopen the port or switch pages, and a page switch sends and changes the
// receive mode), but the language button; the tab control holds the pages.
bool HeldDuringUpload(QWidget* control, QWidget* pages, QWidget* language) {
    if (control == pages) return true;
    if (control == language || pages->isAncestorOf(control)) return false;
    if (auto* box = qobject_cast<QLineEdit*>(control)) return !box->isReadOnly();
    if (qobject_cast<QComboBox*>(control->parentWidget())) return false;  // a list's own parts
    return qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control);
}

}  // namespace

CUpgradeControls::CUpgradeControls(const Controls& controls, CControllerSession& session,
                                   CPortConnection& port, CParameterFiles& files,
                                   Prompter& prompter, IWindowActions& window)
    : m_controls(controls),
      m_session(session),
      m_port(port),
      m_files(files),
      m_prompter(prompter),
      m_window(window) {}

bool CUpgradeControls::English() const { return m_window.IsEnglish(); }

void CUpgradeControls::BindHandlers() {
    Prompter& p = m_prompter;
    BindGuarded(&m_controls.selectFile, &QPushButton::clicked, &m_controls.selectFile, p,
                [this] { OnSelectFirmwareFile(); });
    BindGuarded(&m_controls.start, &QPushButton::clicked, &m_controls.start, p,
                [this] { OnStartUpgrade(); });
    m_controls.bar.setTextVisible(false);
    m_controls.bar.setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: rgb(0, 0, 255); }"));
}

void CUpgradeControls::OnSelectFirmwareFile() {
    QLineEdit* pathBox = &m_controls.path;
    pathBox->setText(kSelectHint.In(English()));
    FileRequest request;
    request.filter = kFileFilter.In(English());
    request.defaultExtension = QStringLiteral("*.bin");
    request.kind = FileKind::Firmware;
    const std::optional<QString> chosen = m_prompter.OpenFile(request);
    if (!chosen) {
        // Cancelled: nothing to tell, and the choice made before (if any) stands.
        if (m_fwImage.IsLoaded() && m_controls.start.isEnabled())
            pathBox->setText(m_fwImage.Path());
        else
            m_controls.start.setEnabled(false);
        return;
    }
    const QString path = *chosen;
    pathBox->setText(path);
    switch (FirmwareImage::CheckName(path)) {
        case FirmwareCheck::Ok:
            break;
        case FirmwareCheck::NoFileChosen:
            return FileRefused(kNoFileChosen);
        default:
            return FileRefused(kNotFirmware);
    }
    if (m_fwImage.Read(path) != FirmwareCheck::Ok) {
        if (FirmwareImage::IsTooLarge(path))
            return FileRefused(kFileTooLarge.In(English()).arg(FirmwareImage::kLargestFile));
        return FileRefused(kCorruptFile);
    }
    m_controls.start.setEnabled(true);
}

void CUpgradeControls::FileRefused(const BiText& message) { FileRefused(message.In(English())); }

void CUpgradeControls::FileRefused(const QString& text) {
    m_fwImage.Clear();
    // The refused file's path goes with the start button: the box asks for a file again.
    m_controls.start.setEnabled(false);
    m_controls.path.setText(kSelectHint.In(English()));
    m_prompter.Message({texts::kMessageCaption.In(English()), text, PromptButtons::Ok,
                        PromptIcon::None, PromptAnswer::Ok});
}

bool CUpgradeControls::IsRunning() const { return m_session.UploadRunning(); }

void CUpgradeControls::OnStartUpgrade() {
    if (IsRunning() || !m_fwImage.IsLoaded()) return;
    // A port lost earlier (or never opened) is opened again from the port file; when that
    // fails the operator is told why and nothing starts.
    if (!m_session.PortOpen() && !m_port.OpenFromFile()) return;
    const std::optional<BackupOutcome> backup = m_files.BackUpBefore(QStringLiteral("upgrade"));
    if (!ConfirmReplace(backup)) return;
    m_files.KeepForUpgrade();
    // The stream's frames would mix into the boot loader's answers: the page shows it stopped,
    // and the session switches it off before the device tag is asked.
    m_port.StopLiveDisplay();
    SetEnabled(kSettingControls, false);
    HoldLine();
    m_session.StartUpload(m_fwImage, *this);
}

bool CUpgradeControls::ConfirmReplace(const std::optional<BackupOutcome>& backup) {
    const bool english = English();
    const int version = m_session.FirmwareVersion();
    const QString versionText =
        version != 0 ? FirmwareVersionText(version) : kVersionUnknown.In(english);
    const QString backupText = backup ? backup->Describe(english) : kNoBackup.In(english);
    const QString text = kReplaceQuestion.In(english).arg(
        QDir::toNativeSeparators(m_fwImage.Path()), QString::number(m_fwImage.Total() - 1),
        versionText, backupText);
    return m_prompter.Message({texts::kMessageCaption.In(english), text, PromptButtons::OkCancel,
                               PromptIcon::Question, PromptAnswer::Ok}) == PromptAnswer::Ok;
}

int CUpgradeControls::ShownPercent(int percent) { return std::min(percent, kMostPercent); }

void CUpgradeControls::OnUploadProgress(const UploadProgress& progress) {
    const bool english = English();
    QProgressBar* bar = &m_controls.bar;
    switch (progress.step) {
        case UploadStep::AskingDeviceTag:
            return ShowStatus(texts::kPortNotOpened.In(english));
        case UploadStep::Started:
            bar->setRange(0, int(progress.packets) + 1);
            bar->show();
            ShowBar(progress.packet);
            return ShowStatus(kSending.In(english).arg(ShownPercent(progress.percent)));
        case UploadStep::DataSent:
            ShowBar(progress.packet);
            return ShowStatus(kDataProgress.In(english).arg(ShownPercent(progress.percent)));
        case UploadStep::EndSent:
            ShowBar(progress.packet);
            return ShowStatus(texts::kPortOpened.In(english));
        case UploadStep::EndAnswered:
            ShowBar(progress.packet);
            return ShowStatus(kFinished.In(english).arg(ShownPercent(progress.percent)));
    }
}

void CUpgradeControls::OnUploadEnded(const UploadOutcome& outcome) {
    QProgressBar* bar = &m_controls.bar;
    if (outcome.result == UploadResult::Replaced) {
        // What took the line (a new port) says what it does; the controls come back.
        bar->hide();
        ReleaseLine();
        GiveControlsBack();
        m_window.TellUpgradeEnded(false);
        return;
    }
    if (outcome.result != UploadResult::Succeeded) {
        Message(texts::kMessageCaption, FailureMessage(outcome));
        bar->hide();
        // Everything the start took away comes back, with the file still chosen: the upgrade
        // can be started again at once (a lost line is opened again by the start button), or
        // another file chosen.
        ReleaseLine();
        GiveControlsBack();
        const bool english = English();
        const QString status = kRetryStatus.In(english).arg(FailureCause(outcome).In(english));
        // A lost line is also told to the window, which then says the port is not open; this
        // status follows it.
        if (outcome.result == UploadResult::LineLost)
            QTimer::singleShot(0, &m_controls.window, [this, status] { ShowStatus(status); });
        else
            ShowStatus(status);
        m_window.TellUpgradeEnded(false);
        return;
    }
    ShowBar(outcome.packet + 1);
    ShowStatus(kFinished.In(English()).arg(ShownPercent(outcome.percent)));
    Message(kSuccessCaption, kSuccess);
    ReleaseLine();
    GiveControlsBack();
    // The session reads the new firmware back once this returns; its values are offered back
    // when they differ from those kept before the upgrade.
    m_files.UpgradeSucceeded();
    bar->hide();
    ShowStatus(texts::kPortOpened.In(English()));
    m_window.TellUpgradeEnded(true);
}

void CUpgradeControls::GiveControlsBack() {
    SetEnabled(kSettingControls, true);
    SetEnabled(kAlsoAfterSuccess, true);
    m_controls.start.setEnabled(m_fwImage.IsLoaded());
}

const BiText& CUpgradeControls::FailureCause(const UploadOutcome& outcome) {
    switch (outcome.result) {
        case UploadResult::WrongAck:
            return kWrongAnswer;
        case UploadResult::ChecksumMismatch:
            return kOtherSum;
        case UploadResult::LineLost:
            return kLineLost;
        case UploadResult::TimedOut:
        case UploadResult::Replaced:
        case UploadResult::Succeeded:
            break;
    }
    return kNoAnswer;
}

const BiText& CUpgradeControls::FailureMessage(const UploadOutcome& outcome) {
    switch (outcome.result) {
        case UploadResult::WrongAck:
            if (outcome.stage == UploadStage::Data) return kSendError;
            if (outcome.stage == UploadStage::LastData) return kTimeoutError;
            return kChecksumError;
        case UploadResult::ChecksumMismatch:
            return kChecksumError;
        case UploadResult::LineLost:
            return kSendError;
        case UploadResult::TimedOut:
        case UploadResult::Replaced:
        case UploadResult::Succeeded:
            break;
    }
    return kTimeoutError;
}

void CUpgradeControls::Message(const BiText& caption, const BiText& text) {
    const bool english = English();
    m_prompter.Message({caption.In(english), text.In(english), PromptButtons::Ok, PromptIcon::None,
                        PromptAnswer::Ok});
}

void CUpgradeControls::ShowStatus(const QString& status) { m_window.ShowStatus(status); }

void CUpgradeControls::ShowBar(quint32 value) {
    // The last steps count past the bar's end; the bar then stays full.
    QProgressBar* bar = &m_controls.bar;
    bar->setValue(int(std::min<quint32>(value, quint32(bar->maximum()))));
}

void CUpgradeControls::HoldLine() {
    m_held.clear();
    QWidget& window = m_controls.window;
    QWidget* pages = &m_controls.pages;
    QWidget* language = &m_controls.language;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!HeldDuringUpload(control, pages, language)) continue;
        m_held.emplace_back(control, control->isEnabled());
        control->setEnabled(false);
    }
    // The frame editor sends from its own window.
    m_held.emplace_back(&m_controls.frameEditor, m_controls.frameEditor.isEnabled());
    m_controls.frameEditor.setEnabled(false);
}

void CUpgradeControls::ReleaseLine() {
    for (const auto& [control, enabled] : m_held)
        if (control) control->setEnabled(enabled);
    m_held.clear();
}

void CUpgradeControls::SetEnabled(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) FindControl(&m_controls.window, id)->setEnabled(enabled);
}
