#include "ParameterFiles.h"

#include <QDir>
#include <QTimer>
#include <utility>
#include <variant>

#include "BiText.h"
#include "BulkWriteChain.h"
#include "ClosedListGuard.h"
#include "GuardedHandler.h"
#include "OutOfRangeNote.h"
#include "ParameterBackup.h"
#include "ParameterDiff.h"
#include "ParameterExport.h"
#include "ParameterFileReader.h"
#include "Prompter.h"
#include "ControllerSession.h"
#include "VexaDlg.h"
#include "ui_VexaDlg.h"

namespace {

constexpr BiText kCaption{"瑞翎航模提示：", "Velmora Mentioned："};

constexpr char kSaveQuestion[] =
    "此操作将把当前显示的飞控参数保存到电脑中，默认文件名为QZMC_Data.txt,\r\r"
    "可自行更改文件名和存贮路径。\r\r"
    "注意：保存后的文本格式请不要更改，否则将无法正确恢复到飞控中！\r\r"
    "您确定需要立即保存当前各项数据吗？";
constexpr char kSaveFilter[] = "文本文件 (*.txt)|*.txt||";
constexpr char kOpenFilter[] = "自存星鹞飞控参数文件(*.txt)|*.txt|所有文件(*.*)|*.*||";
constexpr char kRestoreHint[] =
    "提示：请从右侧列表框中选择您要恢复的参数类型，\r\r"
    "1.可恢复相应机架类型的默认参数。\r\r"
    "2.恢复自我保存的相关参数(选择本人按[保存当前数据]按扭保存的文件）\r\r"
    "注意：不要改变原有文件的格式，否则恢复的参数可能不正确!";

constexpr BiText kSaveFailed{"数据没有保存：无法写入文件 %1\r\r原因：%2",
                             "The data was not saved: cannot write the file %1\r\rReason: %2"};
constexpr BiText kCannotRead{"无法读取文件 %1\r\r原因：%2\r\r没有向飞控发送任何数据。",
                             "Cannot read the file %1\r\rReason: %2\r\rNothing was sent to the "
                             "controller."};
constexpr BiText kFileRefused{"文件 %1 不能恢复到飞控中，没有向飞控发送任何数据：\r\r%2",
                              "The file %1 cannot be restored; nothing was sent to the "
                              "controller:\r\r%2"};
constexpr BiText kRestoreStopped{
    "恢复中断：飞控在2秒内没有回应%1。\r\r"
    "在此之前的参数已写入飞控，这一项及其后的参数可能没有写入。请检查连接后重新恢复该文件。",
    "Restore stopped: the controller did not answer %1 within 2 s.\r\r"
    "The parameters before it are in the controller; this one and those after it may not be. "
    "Check the connection and restore the file again."};

constexpr BiText kRestoreNotTaken{
    "恢复后读回的参数与文件不同：%1。请检查连接后重新恢复该文件。",
    "After the restore the controller holds other values than the file for %1. Check the "
    "connection and restore the file again."};

// The announcement "Sj0004" was not echoed: no value was sent.
constexpr BiText kRestoreNotStarted{
    "恢复中断：飞控在2秒内没有回应%1。\r\r"
    "没有参数写入飞控。请检查连接后重新恢复该文件。",
    "Restore stopped: the controller did not answer %1 within 2 s.\r\r"
    "No parameter was sent to the controller. Check the connection and restore the file again."};
constexpr BiText kRestoreNotStartedLineLost{
    "恢复中断：串口连接已断开，飞控没有回应%1。\r\r"
    "没有参数写入飞控。请检查连接后重新恢复该文件。",
    "Restore stopped: the line was lost while waiting for the answer to %1.\r\r"
    "No parameter was sent to the controller. Check the connection and restore the file again."};

constexpr BiText kRestoreLineLost{
    "恢复中断：串口连接已断开，飞控没有回应%1。\r\r"
    "在此之前的参数已写入飞控，这一项及其后的参数可能没有写入。请检查连接后重新恢复该文件。",
    "Restore stopped: the line was lost while waiting for the answer to %1.\r\r"
    "The parameters before it are in the controller; this one and those after it may not be. "
    "Check the connection and restore the file again."};

}  // namespace

CParameterFiles::CParameterFiles(IMainWindowParts& dlg, QString backupFolder)
    : m_dlg(dlg), m_backupFolder(std::move(backupFolder)) {}

void CParameterFiles::BindHandlers() {
    Ui::CVexaDlg& ui = m_dlg.Ui();
    Prompter& p = m_dlg.GetPrompter();
    BindGuarded(ui.btnSaveData, &QPushButton::clicked, &m_dlg.Window(), p, [this] { Save(); });
    BindGuarded(ui.btnRestoreHint, &QPushButton::clicked, &m_dlg.Window(), p, [this] { ShowHint(); });
    QComboBox* list = ui.cboRestore;
    new ClosedListGuard(list);
    BindGuarded(list, &QComboBox::activated, &m_dlg.Window(), p,
                [this, list] { OnRestoreChoice(list->currentIndex()); });
}

void CParameterFiles::Save() {
    Prompter& prompter = m_dlg.GetPrompter();
    const PromptAnswer answer =
        prompter.Message({kCaption.In(false), QString::fromUtf8(kSaveQuestion),
                          PromptButtons::OkCancel, PromptIcon::None, PromptAnswer::Ok});
    if (answer != PromptAnswer::Ok) return;
    FileRequest request;
    request.filter = QString::fromUtf8(kSaveFilter);
    request.defaultExtension = QStringLiteral(".txt");
    request.defaultName = QStringLiteral("QZMC_Data");
    request.kind = FileKind::ParameterSave;
    const std::optional<QString> path = prompter.SaveFile(request);
    if (!path) return;
    const int port = m_dlg.Ui().cboPort->currentIndex() + 1;
    const QByteArray bytes =
        ParameterFileBytes(m_dlg.Session().State().m_nParamCache, port, ExportVersion());
    if (const std::optional<QString> reason = SaveParameterFile(*path, bytes)) {
        Warn(kSaveFailed.In(m_dlg.IsEnglish()).arg(*path, *reason));
        return;
    }
    if (const QString held = HeldOutOfRangeNote(); !held.isEmpty()) ShowStatus(held);
}

void CParameterFiles::OnRestoreChoice(int entry) {
    if (entry < 0) return;
    if (entry < kFileEntry) {
        BackUpBefore(QStringLiteral("reference"));
        m_dlg.Session().LoadReferenceSet(entry);
        return;
    }
    RestoreFromFile();
}

void CParameterFiles::RestoreFromFile() {
    FileRequest request;
    request.filter = QString::fromUtf8(kOpenFilter);
    request.defaultExtension = QStringLiteral("*.txt");
    request.kind = FileKind::ParameterRestore;
    // The backups folder is offered beside the usual places, so that one is found at once.
    if (const QString& backups = m_backupFolder;
        !backups.isEmpty() && QDir().mkpath(backups))
        request.sidebarFolders << backups;
    const std::optional<QString> path = m_dlg.GetPrompter().OpenFile(request);
    if (!path) return;
    const bool english = m_dlg.IsEnglish();
    const auto read = ReadRestorableFile(*path);
    if (const auto* refusal = std::get_if<RestoreFileRefusal>(&read)) {
        Warn(refusal->problem
                 ? kFileRefused.In(english).arg(*path, refusal->problem->Describe(english))
                 : kCannotRead.In(english).arg(*path, refusal->unreadable));
        return;
    }
    BackUpBefore(QStringLiteral("restore"));
    m_dlg.UpdateData(true);
    m_restored.reset();
    m_dlg.Session().Restore(std::get<ParameterValues>(read));
    m_restored = std::get<ParameterValues>(read);
}

void CParameterFiles::OnReadBackFinished() {
    m_record.OnReadBackFinished();
    if (!m_strBackupNote.isEmpty()) ShowStatus(std::exchange(m_strBackupNote, QString()));
    if (const std::optional<ParameterValues> restored = std::exchange(m_restored, std::nullopt)) {
        const ProtocolState& state = m_dlg.Session().State();
        const std::string differing =
            LettersNotReadBack(*restored, state.m_nParamCache, state.m_nFwVersion);
        if (differing.empty()) return;
        // Posted: this runs inside the receive event that took the last reply.
        const QString letters = QString::fromStdString(differing);
        QTimer::singleShot(0, m_dlg.Ui().cboRestore, [this, letters] {
            Warn(kRestoreNotTaken.In(m_dlg.IsEnglish()).arg(letters));
        });
    }
}

void CParameterFiles::OnReadBackIncomplete() {
    m_record.OnReadBackIncomplete();
    m_strBackupNote.clear();  // the incomplete read-back's status matters more now
    m_restored.reset();
}

void CParameterFiles::BackUpBefore(const QString& action) {
    const QString& folder = m_backupFolder;
    if (folder.isEmpty()) return;
    const BackupSource source{m_record.IsComplete(), m_dlg.Session().State().m_nParamCache,
                              m_dlg.Ui().cboPort->currentIndex() + 1, ExportVersion()};
    const BackupOutcome outcome = ParameterBackup(folder).Write(source, action);
    QString note = outcome.Describe(m_dlg.IsEnglish());
    if (outcome.kind == BackupOutcome::Kind::Written)
        if (const QString held = HeldOutOfRangeNote(); !held.isEmpty())
            note += QLatin1Char(' ') + held;
    m_strBackupNote = note;
    ShowStatus(note);
}

int CParameterFiles::ExportVersion() const {
    const int version = m_dlg.Session().State().m_nFwVersion;
    return version != 0 ? version : kGimbalOffsetLastVersion + 1;
}

QString CParameterFiles::HeldOutOfRangeNote() const {
    return DescribeHeldOutOfRange(
        ParametersHeldOutOfRange(m_record.WireValues(), m_dlg.Session().State().m_nParamCache,
                                 m_dlg.Session().State().m_nFwVersion),
        m_dlg.IsEnglish());
}

void CParameterFiles::ShowStatus(const QString& text) {
    m_dlg.Members().m_strStatus = text;
    m_dlg.Ui().edtStatus->setText(text);
}

void CParameterFiles::ShowHint() {
    m_dlg.GetPrompter().Message({QString::fromUtf8(texts::kHintCaption),
                              QString::fromUtf8(kRestoreHint), PromptButtons::OkCancel,
                              PromptIcon::None, PromptAnswer::Ok});
}

void CParameterFiles::OnRestoreStopped(char letter, bool lineLost) {
    m_restored.reset();
    const bool english = m_dlg.IsEnglish();
    const bool announced = letter != kBulkWriteAnnouncementLetter;
    const BiText& text = announced ? (lineLost ? kRestoreLineLost : kRestoreStopped)
                                   : (lineLost ? kRestoreNotStartedLineLost : kRestoreNotStarted);
    Warn(text.In(english)
             .arg(RestoreLinkName(letter, english)));
}

void CParameterFiles::Warn(const QString& text) {
    m_dlg.GetPrompter().Message({kCaption.In(m_dlg.IsEnglish()), text, PromptButtons::Ok,
                              PromptIcon::Warning, PromptAnswer::Ok});
}
