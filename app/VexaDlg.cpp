#include "VexaDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <algorithm>

#include "BasicPage.h"
#include "BulkWriteChain.h"
#include "CommandFrames.h"
#include "ControlLookup.h"
#include "ControllerSettings.h"
#include "CustomPage.h"
#include "DeclinationBox.h"
#include "FocusOrder.h"
#include "FrameDlg.h"
#include "GimbalPage.h"
#include "GpsPage.h"
#include "GuardedHandler.h"
#include "LanguageSwitch.h"
#include "ParamTable.h"
#include "ParameterFiles.h"
#include "ParameterNames.h"
#include "PortConnection.h"
#include "Prompter.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"
#include "RestingChoice.h"
#include "ScreenFit.h"
#include "StaleValues.h"
#include "StatusLine.h"
#include "UiTexts.h"
#include "UpgradeControls.h"
#include "UpperPanelTooltips.h"
#include "VoltagePage.h"
#include "ui_VexaDlg.h"

namespace {
// Longer than a query asked twice without a reply, after which the read-back itself gives up.
constexpr std::chrono::milliseconds kReadBackSilence{3000};
}  // namespace

CVexaDlg::CVexaDlg(std::unique_ptr<ICommBackend> backend, IClock& clock, Prompter& prompter,
                   const Options& options, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CVexaDlg>()),
      m_clock(clock),
      m_prompter(prompter),
      m_options(options),
      m_session(std::move(backend), clock, *this) {
    m_pFrameDlg = std::make_unique<CFrameDlg>(*this, this);
    m_ui->setupUi(this);
    for (QComboBox* list : findChildren<QComboBox*>()) list->setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QString::fromUtf8(texts::kStartTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vexa.png")));
    new ScreenFit(*this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    qApp->installEventFilter(this);
    m_readBackWatch = std::make_unique<ClockTimer>(m_clock);
    m_readBackWatch->onExpired = [this] {
        if (m_readBackStep < 0) return;
        // A status another action has written since tells what that action did.
        const bool statusIsTheReadBacks =
            m_ui->edtStatus->text() == ReadBackProgressText(m_english);
        ReadBackEnded();
        if (!statusIsTheReadBacks) return;
        m_readBackIncomplete = true;
        ShowStatus(texts::kReadBackIncomplete.In(m_english));
    };
    InitDialog();
}

CVexaDlg::~CVexaDlg() {
    qApp->removeEventFilter(this);
    // Hidden while the session is still there: a number left typed in a box is settled now,
    // not when the base class hides the children of a window whose session is gone.
    hide();
}

void CVexaDlg::InitDialog() {
    m_english = false;
    m_prompter.SetEnglish(false);
    m_qtTexts.Apply(false);
    ShowPortDevices();
    ShowUpperPanelHelp(*this, false);
    ShowStatusTextsFromTheStart(*m_ui->edtStatus);
    m_ui->cboPort->setCurrentIndex(2);
    m_ui->cboFrameType->setCurrentIndex(0);
    m_ui->cboEscRate->setCurrentIndex(0);
    m_ui->cboServoRate->setCurrentIndex(0);
    m_ui->cboRestore->setCurrentIndex(-1);
    m_declination = std::make_unique<DeclinationBox>(*m_ui->edtDeclination, m_prompter,
                                                     [this] { return m_english; });
    m_declination->Take();
    m_ui->edtFwPath->setText(texts::kFirmwareHint.In(false));
    m_declination->Show();
    CreatePages();
    CreateHelpers();
    ShowFocusPlainly();
    m_stale = std::make_unique<CStaleValues>(*m_ui->lblStaleValues,
                                             std::vector<QWidget*>(m_pages.begin(), m_pages.end()),
                                             UpperPanelSenders());
    m_pCustomPage->StopDisplayState();
    m_session.StartAfresh();
    m_ui->btnStartUpgrade->setEnabled(false);
    ShowPage(0);
    BindHandlers();
    if (m_options.openPortAtStart) OpenPortFromFile();
    if (m_options.initialPage > 0) ShowPage(m_options.initialPage);
}

void CVexaDlg::OpenPortFromFile() {
    RunGuarded(m_prompter, [this] { m_port->SetupFromFile(); });
}

void CVexaDlg::CreatePages() {
    QTabWidget* tab = m_ui->tabPages;
    m_pBasicPage = new CBasicPage(*this, tab);
    m_pCustomPage = new CCustomPage(*this, tab);
    m_pGpsPage = new CGpsPage(*this, tab);
    m_pGimbalPage = new CGimbalPage(*this, tab);
    m_pVoltagePage = new CVoltagePage(*this, tab);
    m_pages = {m_pBasicPage, m_pCustomPage, m_pGpsPage, m_pGimbalPage, m_pVoltagePage};
    // The pages cover the whole tab control: the selector buttons above it are the visible way
    // to switch pages, so its own strip is not shown at all (not even a sliver above a page).
    tab->tabBar()->hide();
    // The hidden strip would otherwise stay in the Tab order and hold the focus where it ends.
    tab->tabBar()->setFocusPolicy(Qt::NoFocus);
    const QRect area = tab->rect().adjusted(2, 2, -2, -2);
    for (QWidget* page : m_pages) {
        page->setAutoFillBackground(true);
        page->setGeometry(area);
        page->raise();
    }
    // Tab: the upper panel, the page buttons, then the visible page's controls.
    QList<QWidget*> sections{this};
    for (QWidget* page : m_pages) sections << page;
    new FocusOrder(sections, {tab}, this);
}

void CVexaDlg::CreateHelpers() {
    Ui::CVexaDlg& ui = *m_ui;
    IWindowActions& window = *this;
    m_port = std::make_unique<CPortConnection>(
        m_session, *ui.cboPort, *m_pCustomPage, *m_declination, m_prompter, window,
        m_options.portFile.isEmpty() ? PortFile() : PortFile(m_options.portFile));
    m_settings = std::make_unique<CControllerSettings>(
        CControllerSettings::Controls{*ui.cboFrameType, *ui.cboEscRate, *ui.cboServoRate,
                                      SensorBoxes(), *ui.btnDeclinationSet, *ui.btnFrameEdit,
                                      *ui.btnFrameHint, *ui.btnEscHint, *ui.btnServoHint,
                                      *ui.btnSensorHint, *ui.btnDeclinationHint, *ui.cboRestore},
        *m_declination, m_session, *m_port, *m_pFrameDlg, m_clock, m_prompter, window);
    m_files = std::make_unique<CParameterFiles>(
        CParameterFiles::Controls{*ui.btnSaveData, *ui.btnRestoreHint, *ui.cboRestore, *ui.cboPort},
        m_session, *m_declination, m_prompter, window, m_options.backupFolder);
    m_upgrade = std::make_unique<CUpgradeControls>(
        CUpgradeControls::Controls{*this, *ui.btnSelectFw, *ui.btnStartUpgrade, *ui.edtFwPath,
                                   *ui.prgUpload, *ui.tabPages, *ui.btnLanguage, *m_pFrameDlg},
        m_session, *m_port, *m_files, m_prompter, window);
}

// Only the control that has the focus looks focused, and it always shows its focus frame:
// no button is a default button (the dialog would otherwise frame the first one, the basic
// page's first label, wherever the focus is), and the frame is drawn from the start, not only
// once Tab has been pressed (see also eventFilter).
void CVexaDlg::ShowFocusPlainly() {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void CVexaDlg::ShowPage(int index) {
    for (int i = 0; i < kPageCount; ++i) m_pages[i]->setVisible(i == index);
    const QSignalBlocker blocker(m_ui->tabPages);
    m_ui->tabPages->setCurrentIndex(index);
}

void CVexaDlg::ShowPortDevices() {
    QComboBox* ports = m_ui->cboPort;
    QStringList lines;
    for (int i = 0; i < ports->count(); ++i) {
        const QString device = m_session.DeviceOf(i + 1);
        ports->setItemData(i, device, Qt::ToolTipRole);
        lines << QStringLiteral("COM%1 → %2").arg(i + 1).arg(device);
    }
    ports->setToolTip(lines.join(QLatin1Char('\n')));
}

// What sends to the controller from the upper panel. The frame editor button is not among
// them: it opens the port again before it reads or sends anything.
std::vector<QWidget*> CVexaDlg::UpperPanelSenders() const {
    std::vector<QWidget*> senders{m_ui->cboFrameType, m_ui->cboEscRate, m_ui->cboServoRate,
                                  m_ui->btnDeclinationSet, m_ui->cboRestore};
    for (QCheckBox* box : SensorBoxes()) senders.push_back(box);
    return senders;
}

std::array<QCheckBox*, 8> CVexaDlg::SensorBoxes() const {
    return {m_ui->chkSensorBattery, m_ui->chkSensorReceiver, m_ui->chkSensorGyro,
            m_ui->chkSensorAccel,   m_ui->chkSensorMag,      m_ui->chkSensorBaro,
            m_ui->chkSensorSonar,   m_ui->chkSensorGps};
}

int CVexaDlg::CurrentPage() const { return m_ui->tabPages->currentIndex(); }

void CVexaDlg::SelectPage(int index) {
    ShowPage(index);
    RestoreIdleState();
}

void CVexaDlg::OnTabChanged(int index) {
    for (int i = 0; i < kPageCount; ++i) m_pages[i]->setVisible(i == index);
    // The custom page keeps its live display running when reached through the tab itself.
    if (index != 1) RestoreIdleState();
}

void CVexaDlg::BindHandlers() {
    Prompter& p = m_prompter;
    m_session.WhenBytesArrive(this, [this, &p] {
        emit BytesArrived();
        RunGuarded(p, [this] { m_session.OnComm(); });
    });
    m_session.WhenLineLost(this, [this](const QString&) { OnLineLost(); });
    m_settings->BindHandlers();
    m_upgrade->BindHandlers();
    m_files->BindHandlers();
    BindGuarded(m_ui->btnPortHint, &QPushButton::clicked, this, p, [this] { m_port->ShowHint(); });
    BindGuarded(m_ui->btnRefresh, &QPushButton::clicked, this, p, [this] { m_port->Refresh(); });
    BindGuarded(m_ui->btnLanguage, &QPushButton::clicked, this, p, [this] { ToggleLanguage(); });
    // A walk through the ports by the keys opens only the one it rests on.
    auto* portRest =
        new RestingChoice(*m_ui->cboPort, m_clock, p, [this] { m_port->ChangePort(); });
    connect(m_ui->cboPort, &QComboBox::activated, portRest, &RestingChoice::Chosen);
    const std::pair<QPushButton*, int> selectors[] = {{m_ui->btnPageBasic, 0},
                                                      {m_ui->btnPageCustom, 1},
                                                      {m_ui->btnPageGps, 2},
                                                      {m_ui->btnPageGimbal, 3},
                                                      {m_ui->btnPageVoltage, 4}};
    for (const auto& [button, index] : selectors)
        BindGuarded(button, &QPushButton::clicked, this, p,
                    [this, index = index] { SelectPage(index); });
    connect(m_ui->tabPages, &QTabWidget::currentChanged, this,
            [this](int index) { RunGuarded(m_prompter, [this, index] { OnTabChanged(index); }); });
}

void CVexaDlg::ToggleLanguage() {
    const bool english = !m_english;
    m_prompter.SetEnglish(english);
    ApplyMainWindowLanguage(*this, english);
    const std::initializer_list<CSliderPage*> sliderPages = {m_pBasicPage, m_pGpsPage,
                                                             m_pGimbalPage, m_pVoltagePage};
    for (CSliderPage* page : sliderPages) page->SetEnglish(english);
    m_pCustomPage->SetEnglish(english);
    m_pFrameDlg->SetEnglish(english);
    m_qtTexts.Apply(english);
    m_stale->SetEnglish(english);
    m_declination->Take();
    // The status keeps telling the truth about the port in the new language.
    const bool openFailed = m_port->OpenFailed();
    QString status = (openFailed             ? texts::kPortNotOpened
                      : m_readBackIncomplete ? texts::kReadBackIncomplete
                                             : texts::kPortOpened)
                         .In(english);
    if (!openFailed && m_readBackStep >= 0) status = ReadBackProgressText(english);
    m_ui->edtStatus->setText(status);
    m_ui->edtFwPath->setText(texts::kFirmwareHintAfterToggle.In(english));
    m_ui->lblVersionCaption->setText(texts::kVersionCaption.In(english));
    m_declination->Show();
    m_english = english;
}

void CVexaDlg::OpenFrameEditor() {
    RunGuarded(m_prompter, [this] { m_settings->OnFrameEditor(); });
}

void CVexaDlg::OpenFrameEditorOnReadBack() {
    RunGuarded(m_prompter, [this] { m_settings->OpenFrameEditorOnReadBack(); });
}

void CVexaDlg::OnLineLost() {
    m_port->LineLost();
    ReadBackEnded();
    m_pCustomPage->LineLost();
    ShowStatus(texts::kPortNotOpened.In(m_english));
    m_stale->LineLost(m_english);
}

bool CVexaDlg::PortOpenFailed() const { return m_port->OpenFailed(); }

bool CVexaDlg::UpgradeRunning() const { return m_upgrade && m_upgrade->IsRunning(); }

void CVexaDlg::ReopenPort() { m_port->ChangePort(); }

void CVexaDlg::RestoreIdleState() {
    m_pCustomPage->StopDisplayState();
    m_pCustomPage->RestoreIdleControls();
    for (int id : {IDC_PORT_HINT,   IDC_SELECT_FW,        IDC_FRAME_HINT,  IDC_ESC_HINT,
                   IDC_SERVO_HINT,  IDC_SAVE_DATA,        IDC_REFRESH,     IDC_DECLINATION_SET,
                   IDC_LANGUAGE,    IDC_DECLINATION_HINT, IDC_SENSOR_HINT, IDC_RESTORE_HINT,
                   IDC_FRAME_TYPE,  IDC_ESC_RATE,         IDC_PORT_LIST,   IDC_RESTORE_LIST,
                   IDC_SERVO_RATE,  IDC_FW_PATH,          IDC_DECLINATION, IDC_SENSOR_MAG,
                   IDC_SENSOR_BARO, IDC_SENSOR_SONAR,     IDC_SENSOR_GPS,  IDC_TAB})
        FindControl(this, id)->setEnabled(true);
    m_stale->HoldSenders();
    m_ui->btnStartUpgrade->setEnabled(false);
    m_declination->Take();
    m_ui->edtFwPath->setText(texts::kFirmwareHint.In(m_english));
    m_declination->Show();
    // A closed port streams nothing: after a line loss a page switch has nothing to stop and
    // must not fail on the closed port.
    if (!m_session.PortOpen()) return;
    m_session.StopLiveDisplay();  // dropped while an upload owns the line
}

void CVexaDlg::OnFirmwareVersion(int version) {
    // Shown directly, without taking the declination box: a box that holds no integer would
    // open a message box in the middle of the read-back.
    m_readBackIncomplete = false;
    m_ui->lblVersionCaption->setText(texts::kVersionCaption.In(m_english));
    m_ui->edtVersion->setText(FirmwareVersionText(version));
    // The status counts the read-back's replies (OnQueryReply), the version's among them.
}

void CVexaDlg::ReadBackFinished() {
    ReadBackEnded();
    ShowStatus(texts::kParametersRead.In(m_english).arg(kReadBackOrder.size()));
    m_files->OnReadBackFinished();
    m_stale->ReadBackComplete();
    emit ReadBackSettled();
}

// Every reply of the read-back is told here, the version's first; the read-back started by
// the session itself (after a reference set, a restore or an upgrade) is counted from it.
// While the replies come the senders wait: nothing the operator changes is read over.
void CVexaDlg::OnQueryReply(char letter, int /*wire*/) {
    const std::size_t position = kReadBackOrder.find(letter);
    if (position == std::string_view::npos) return;
    m_readBackStep = int(position) + 1;
    m_stale->HoldForReadBack(true);
    m_readBackWatch->Start(kReadBackSilence);
    ShowReadBackProgress();
}

void CVexaDlg::ReadBackStarted() {
    m_files->ForgetBackupNote();
    m_pCustomPage->ClearLiveValues();
    m_readBackStep = 0;
    m_readBackWatch->Start(kReadBackSilence);
    ShowReadBackProgress();
}

QString CVexaDlg::ReadBackProgressText(bool english) const {
    return texts::kReadingParameters.In(english).arg(m_readBackStep).arg(kReadBackOrder.size());
}

void CVexaDlg::ShowReadBackProgress() { ShowStatus(ReadBackProgressText(m_english)); }

void CVexaDlg::ReadBackEnded() {
    m_readBackStep = -1;
    m_readBackWatch->Stop();
    m_stale->HoldForReadBack(false);
}

void CVexaDlg::ReadGivenUp(char letter) {
    // A frame read given up is drawn with what it has.
    if (kFrameGeometryOrder.find(letter) != std::string_view::npos) m_pFrameDlg->FrameReadEnded();
    // Shown directly, as the version is: the operator learns to press refresh.
    if (kReadBackOrder.find(letter) != std::string_view::npos) ReadBackEnded();
    m_readBackIncomplete = true;
    m_files->OnReadBackIncomplete();
    ShowStatus(texts::kReadBackIncomplete.In(m_english));
    emit ReadBackSettled();
}

void CVexaDlg::OnLiveFrame(const LiveFrame& frame) {
    m_pCustomPage->ShowLiveFrame(frame);
    emit LiveFrameShown();
}

void CVexaDlg::ClearFirmwareChoice() {
    // Shown directly, without taking the declination box: a box that holds no integer would
    // put a message box in the middle of stopping the live display.
    m_ui->btnStartUpgrade->setEnabled(false);
    m_ui->edtFwPath->setText(texts::kFirmwareHint.In(m_english));
}

void CVexaDlg::OnBulkWriteLinkSent(char letter) {
    m_nRestoreLinksSent = letter == kBulkWriteAnnouncementLetter ? 1 : m_nRestoreLinksSent + 1;
}

QString CVexaDlg::WhereAnUnfinishedWriteLeftTheController() const {
    const bool english = m_english;
    if (UpgradeRunning()) return texts::kUploadBrokenOff.In(english);
    if (m_session.RunningChain() != Chain::Restore) return {};
    // The values whose frame went out, the announcement not counted.
    return texts::kRestoreBrokenOff.In(english)
        .arg(std::max(0, m_nRestoreLinksSent - 1))
        .arg(kBulkWriteOrder.size());
}

void CVexaDlg::OnChainEnded(const ChainEnd& end) {
    if (end.upload) return m_upgrade->OnUploadEnded(*end.upload);
    switch (end.chain) {
        case Chain::ReadBack:
        case Chain::FrameRead:
            // Replaced or cut off by a lost line, a read ends without a word of its own: what
            // replaced it, or the port's status, says what happened.
            if (end.result == ChainResult::NoAnswer) return ReadGivenUp(end.letter);
            if (end.result != ChainResult::Done) return;
            if (end.chain == Chain::FrameRead) return m_pFrameDlg->FrameReadEnded();
            return ReadBackFinished();
        case Chain::ChosenRead:
        case Chain::AwaitedEcho:
        case Chain::LiveDisplay:  // waits for no answer
            return;
        default:
            return WriteEnded(end);
    }
}

void CVexaDlg::WriteEnded(const ChainEnd& end) {
    const bool lastAnswerCame = LastAnswerCame(end);
    if (end.chain == Chain::Restore && lastAnswerCame) {
        const QSignalBlocker blocker(m_ui->cboRestore);
        m_ui->cboRestore->setCurrentIndex(CParameterFiles::kFileEntry);
    }
    if (end.chain == Chain::Restore && end.result == ChainResult::Replaced)
        m_files->OnRestoreReplaced();
    if (end.result == ChainResult::OtherValue)
        ShowStatus(texts::kOtherValueStored.In(m_english).arg(ChainStepName(end, m_english)));
    if (end.chain == Chain::Calibration && lastAnswerCame)
        m_prompter.Message({texts::kCalibrationCaption.In(m_english),
                            texts::kCalibrationDone.In(m_english), PromptButtons::Ok,
                            PromptIcon::None, PromptAnswer::Ok});
    switch (end.result) {
        case ChainResult::Done:
        case ChainResult::OtherValue:
        case ChainResult::Replaced:  // what replaced it has the line, and its own outcome
        case ChainResult::Refused:   // the serial control's error has been shown
            return;
        case ChainResult::NoAnswer:
        case ChainResult::LineLost:
            break;
    }
    if (end.chain == Chain::Restore) {
        // From the time-out or the line's loss, not from a receive event; the status tells
        // about the port before the message opens.
        const bool lineLost = end.result == ChainResult::LineLost;
        if (lineLost) OnLineLost();
        return m_files->OnRestoreStopped(end.letter, lineLost);
    }
    // Posted, so that it follows the status a lost line sets.
    QTimer::singleShot(0, this, [this, end] {
        const bool english = m_english;
        const BiText& text = end.result == ChainResult::LineLost ? texts::kNotConfirmedLineLost
                                                                 : texts::kNotConfirmed;
        ShowStatus(text.In(english).arg(ChainStepName(end, english)));
    });
}

void CVexaDlg::ShowStatus(const QString& status) { m_ui->edtStatus->setText(status); }

void CVexaDlg::ShowPortStatus(bool opened) {
    m_readBackIncomplete = false;
    ShowStatus((opened ? texts::kPortOpened : texts::kPortNotOpened).In(m_english));
}

void CVexaDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void CVexaDlg::reject() {
    // Closing in the middle of an upload leaves the controller in its boot loader: the question
    // says so, and No is the default.
    // A restore broken off leaves half the parameters written: the same question, No the default.
    const bool upgrading = UpgradeRunning();
    const bool restoring = m_session.RunningChain() == Chain::Restore;
    const BiText& question = upgrading   ? CUpgradeControls::kCloseQuestion
                             : restoring ? texts::kRestoreCloseQuestion
                                         : texts::kCloseQuestion;
    const PromptAnswer answer = m_prompter.Message(
        {texts::kCloseCaption.In(m_english), question.In(m_english), PromptButtons::YesNo,
         PromptIcon::Question, upgrading || restoring ? PromptAnswer::No : PromptAnswer::Yes});
    if (answer == PromptAnswer::Yes) QDialog::done(QDialog::Rejected);
}

void CVexaDlg::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void CVexaDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!std::exchange(m_bPainted, true)) emit FirstPainted();
}

bool CVexaDlg::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over a drop-down list that does not have the focus changes nothing: scrolling
    // across the window must not switch the frame type, a rate or the port.
    if (event->type() == QEvent::Wheel) {
        auto* list = qobject_cast<QComboBox*>(watched);
        if (list && list->window() == this && !list->hasFocus()) return true;
    }
    // The focus frame is drawn wherever the focus came from (Qt draws it only after Tab, and
    // forgets that again when a window is activated), in this window and the ones it opens.
    if (event->type() == QEvent::FocusIn) {
        if (auto* widget = qobject_cast<QWidget*>(watched))
            widget->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    }
    // Enter and Escape typed in any control of this window neither confirm, cancel nor close it.
    // Both still reach an editable box, where Enter confirms the number typed (a slider's box
    // sends it) and Escape puts the box back; the box passes them on to the window, which
    // swallows them there.
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        const auto* box = qobject_cast<QLineEdit*>(watched);
        const bool editable = box && !box->isReadOnly();
        const bool swallowed = (enter || key == Qt::Key_Escape) && !editable;
        if (swallowed && widget && widget->window() == this) return true;
    }
    return QDialog::eventFilter(watched, event);
}
