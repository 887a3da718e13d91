#include "ParameterFiles.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <utility>
#include <variant>

#include "BiText.h"
#include "BulkWriteChain.h"
#include "ClosedListGuard.h"
#include "ControllerSession.h"
#include "DeclinationBox.h"
#include "GuardedHandler.h"
#include "KeptFiles.h"
#include "OutOfRangeNote.h"
#include "ParameterBackup.h"
#include "ParameterCaption.h"
#include "ParameterDiff.h"
#include "ParameterExport.h"
#include "ParameterFileReader.h"
#include "Prompter.h"
#include "WindowActions.h"

namespace {

constexpr BiText kCaption{"瑞翎航模提示：", "Velmora Mentioned："};

constexpr BiText kSaveQuestion{
    "此操作将把当前显示的飞控参数保存到电脑中，默认文件名为QZMC_Data.txt,\r\r"
    "可自行更改文件名和存贮路径。\r\r"
    "注意：保存后的文本格式请不要更改，否则将无法正确恢复到飞控中！\r\r"
    "您确定需要立即保存当前各项数据吗？",
    "This saves the controller's parameters shown to the computer; the default file name is "
    "QZMC_Data.txt,\r\rand you may change the name and the folder.\r\r"
    "Note: do not change the format of the saved text, or it cannot be restored to the "
    "controller!\r\rDo you want to save the current values now?"};
constexpr BiText kSaveFilter{"文本文件 (*.txt)|*.txt||", "Text files (*.txt)|*.txt||"};
constexpr BiText kOpenFilter{"自存星鹞飞控参数文件(*.txt)|*.txt|所有文件(*.*)|*.*||",
                             "Saved Pellar parameter files (*.txt)|*.txt|All files (*.*)|*.*||"};
constexpr BiText kRestoreHint{
    "提示：请从右侧列表框中选择您要恢复的参数类型，\r\r"
    "1.可恢复相应机架类型的默认参数。\r\r"
    "2.恢复自我保存的相关参数(选择本人按[保存当前数据]按扭保存的文件）\r\r"
    "注意：不要改变原有文件的格式，否则恢复的参数可能不正确!",
    "Tip: choose from the list on the right what to restore:\r\r"
    "1. The default parameters of a frame size.\r\r"
    "2. Parameters you saved yourself (a file saved with the [Save Data] button).\r\r"
    "Note: do not change the format of such a file, or the restored parameters may be wrong!"};

// The status after a save (%1 the file written).
constexpr BiText kSavedTo{"参数已保存到 %1", "Parameters saved to %1"};
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

// %1 values of the restored file read back as they were sent.
constexpr BiText kRestoreConfirmed{"%1 个参数已恢复并确认", "%1 parameters restored and confirmed"};
// %2 of them read back otherwise, %3 their letters.
constexpr BiText kRestoreDiffers{
    "%1 个参数已恢复并确认，%2 个读回的数值不同：%3",
    "%1 parameters restored and confirmed; %2 read back otherwise: %3"};

// After an upgrade whose new firmware holds other values: %1 how many, %2 one line each.
constexpr BiText kPutBackQuestion{
    "新固件中有 %1 个参数与升级前不同：\r\r%2\r\r要把升级前的数值恢复到飞控中吗？",
    "The new firmware holds %1 parameters other than before the upgrade:\r\r%2\r\r"
    "Put the values from before the upgrade back into the controller?"};
// %1 the letter, %2 its name, %3 the value before the upgrade, %4 the value now.
constexpr BiText kPutBackLine{"%1 %2：升级前 %3，现在 %4", "%1 %2: before %3, now %4"};
constexpr BiText kKeptEverything{"新固件保留了全部参数", "The new firmware kept every parameter"};
constexpr BiText kNotPutBack{"升级前的参数没有恢复（备份文件中仍有）",
                             "The values from before the upgrade were not put back (the backup "
                             "still holds them)"};

constexpr BiText kRestoreNotTaken{
    "恢复后读回的参数与文件不同：%1。请检查连接后重新恢复该文件。",
    "After the restore the controller holds other values than the file for %1. Check the "
    "connection and restore the file again."};

constexpr BiText kRestoreLineLost{
    "恢复中断：串口连接已断开，飞控没有回应%1。\r\r"
    "在此之前的参数已写入飞控，这一项及其后的参数可能没有写入。请检查连接后重新恢复该文件。",
    "Restore stopped: the line was lost while waiting for the answer to %1.\r\r"
    "The parameters before it are in the controller; this one and those after it may not be. "
    "Check the connection and restore the file again."};

}  // namespace

CParameterFiles::CParameterFiles(const Controls& controls, CControllerSession& session,
                                 DeclinationBox& declination, Prompter& prompter,
                                 IWindowActions& window, QString backupFolder)
    : m_controls(controls),
      m_session(session),
      m_declination(declination),
      m_prompter(prompter),
      m_window(window),
      m_backupFolder(std::move(backupFolder)) {}

bool CParameterFiles::English() const { return m_window.IsEnglish(); }

void CParameterFiles::BindHandlers() {
    Prompter& p = m_prompter;
    BindGuarded(&m_controls.save, &QPushButton::clicked, &m_controls.save, p, [this] { Save(); });
    BindGuarded(&m_controls.restoreHint, &QPushButton::clicked, &m_controls.restoreHint, p,
                [this] { ShowHint(); });
    QComboBox* list = &m_controls.restoreList;
    new ClosedListGuard(list);
    BindGuarded(list, &QComboBox::activated, list, p,
                [this, list] { OnRestoreChoice(list->currentIndex()); });
}

void CParameterFiles::Save() {
    Prompter& prompter = m_prompter;
    const PromptAnswer answer =
        prompter.Message({kCaption.In(English()), kSaveQuestion.In(English()),
                          PromptButtons::OkCancel, PromptIcon::None, PromptAnswer::Ok});
    if (answer != PromptAnswer::Ok) return;
    FileRequest request;
    request.filter = kSaveFilter.In(English());
    request.defaultExtension = QStringLiteral(".txt");
    request.defaultName = QStringLiteral("QZMC_Data");
    request.kind = FileKind::ParameterSave;
    const std::optional<QString> path = prompter.SaveFile(request);
    if (!path) return;
    const int port = m_controls.portList.currentIndex() + 1;
    const QByteArray bytes = ParameterFileBytes(m_session.Cache(), port, ExportVersion());
    if (const std::optional<QString> reason = SaveParameterFile(*path, bytes)) {
        Warn(kSaveFailed.In(English()).arg(*path, *reason));
        return;
    }
    QString status = kSavedTo.In(English()).arg(QDir::toNativeSeparators(*path));
    if (const QString held = HeldOutOfRangeNote(); !held.isEmpty())
        status += (English() ? QStringLiteral(". ") : QStringLiteral("。")) + held;
    ShowStatus(status);
}

void CParameterFiles::OnRestoreChoice(int entry) {
    if (entry < 0) return;
    if (entry < kFileEntry) {
        BackUpBefore(QStringLiteral("reference"));
        m_session.LoadReferenceSet(entry);
        return;
    }
    RestoreFromFile();
}

void CParameterFiles::RestoreFromFile() {
    FileRequest request;
    request.filter = kOpenFilter.In(English());
    request.defaultExtension = QStringLiteral("*.txt");
    request.kind = FileKind::ParameterRestore;
    request.wholeNames = true;
    // The backups folder is offered beside the usual places, so that one is found at once.
    if (const QString& backups = m_backupFolder; !backups.isEmpty() && !MakeKeptFolder(backups))
        request.sidebarFolders << backups;
    const std::optional<QString> path = m_prompter.OpenFile(request);
    if (!path) return;
    const bool english = English();
    const auto read = ReadRestorableFile(*path);
    if (const auto* refusal = std::get_if<RestoreFileRefusal>(&read)) {
        Warn(refusal->problem
                 ? kFileRefused.In(english).arg(*path, refusal->problem->Describe(english))
                 : kCannotRead.In(english).arg(*path, refusal->unreadable));
        return;
    }
    BackUpBefore(QStringLiteral("restore"));
    m_declination.Take();
    m_restored.reset();
    m_session.Restore(std::get<ParameterValues>(read));
    m_restored = std::get<ParameterValues>(read);
}

void CParameterFiles::KeepForUpgrade() {
    m_upgradeKept.reset();
    m_bUpgradeReadBackDue = false;
    if (m_session.Record().IsComplete())
        m_upgradeKept = SavedValues(m_session.Cache(), m_session.FirmwareVersion());
}

void CParameterFiles::UpgradeSucceeded() { m_bUpgradeReadBackDue = m_upgradeKept.has_value(); }

QString CParameterFiles::OfferPutBack(const ParameterValues& kept) {
    const bool english = English();
    const std::vector<ParameterDifference> changed =
        DiffParameters(kept, m_session.Cache(), m_session.FirmwareVersion());
    if (changed.empty()) return kKeptEverything.In(english);
    QStringList changes;
    for (const ParameterDifference& d : changed)
        changes << kPutBackLine.In(english)
                       .arg(QLatin1Char(d.letter))
                       .arg(ParameterCaption(d.letter, english))
                       .arg(d.file)
                       .arg(d.controller);
    // Asked once the read-back's receive event is over.
    QTimer::singleShot(0, &m_controls.restoreList,
                       [this, kept, changes] { AskPutBack(kept, changes); });
    return {};
}

void CParameterFiles::AskPutBack(const ParameterValues& kept, const QStringList& changes) {
    const bool english = English();
    const QString text =
        kPutBackQuestion.In(english).arg(changes.size()).arg(changes.join(QLatin1Char('\r')));
    const PromptAnswer answer =
        m_prompter.Message({kCaption.In(english), text, PromptButtons::YesNo, PromptIcon::Question,
                            PromptAnswer::Yes});
    if (answer != PromptAnswer::Yes) return ShowStatus(kNotPutBack.In(english));
    RunGuarded(m_prompter, [this, &kept] {
        m_restored.reset();
        m_session.Restore(kept);
        m_restored = kept;
    });
}

QString CParameterFiles::RestoreResult(const std::string& differing) const {
    const bool english = English();
    const int confirmed = int(kBulkWriteOrder.size() - differing.size());
    if (differing.empty()) return kRestoreConfirmed.In(english).arg(confirmed);
    return kRestoreDiffers.In(english)
        .arg(confirmed)
        .arg(differing.size())
        .arg(QString::fromStdString(differing));
}

void CParameterFiles::OnReadBackFinished() {
    QStringList status;
    if (const std::optional<ParameterValues> restored = std::exchange(m_restored, std::nullopt)) {
        const std::string differing =
            LettersNotReadBack(*restored, m_session.Cache(), m_session.FirmwareVersion());
        status << RestoreResult(differing);
        // Posted: this runs inside the receive event that took the last reply.
        if (!differing.empty()) {
            const QString letters = QString::fromStdString(differing);
            QTimer::singleShot(0, &m_controls.restoreList, [this, letters] {
                Warn(kRestoreNotTaken.In(English()).arg(letters));
            });
        }
    }
    if (std::exchange(m_bUpgradeReadBackDue, false) && m_upgradeKept)
        if (const QString kept = OfferPutBack(*std::exchange(m_upgradeKept, std::nullopt));
            !kept.isEmpty())
            status << kept;
    if (!m_strBackupNote.isEmpty()) status << std::exchange(m_strBackupNote, QString());
    if (!status.isEmpty())
        ShowStatus(status.join(English() ? QStringLiteral(". ") : QStringLiteral("。")));
}

void CParameterFiles::OnReadBackIncomplete() {
    // The new firmware was not read through: nothing can be compared with what was kept.
    m_bUpgradeReadBackDue = false;
    m_upgradeKept.reset();
    m_strBackupNote.clear();  // the incomplete read-back's status matters more now
    m_restored.reset();
}

std::optional<BackupOutcome> CParameterFiles::BackUpBefore(const QString& action) {
    const QString& folder = m_backupFolder;
    if (folder.isEmpty()) return std::nullopt;
    const BackupSource source = BackupSource::FromReadBack(m_session.Record(), m_session.Cache(),
                                                           m_session.FirmwareVersion(),
                                                           m_controls.portList.currentIndex() + 1);
    const BackupOutcome outcome = ParameterBackup(folder).Write(source, action);
    QString note = outcome.Describe(English());
    if (outcome.kind == BackupOutcome::Kind::Written)
        if (const QString held = HeldOutOfRangeNote(); !held.isEmpty())
            note += QLatin1Char(' ') + held;
    m_strBackupNote = note;
    ShowStatus(note);
    return outcome;
}

int CParameterFiles::ExportVersion() const {
    const int version = m_session.FirmwareVersion();
    return version != 0 ? version : kGimbalOffsetLastVersion + 1;
}

QString CParameterFiles::HeldOutOfRangeNote() const {
    return DescribeHeldOutOfRange(
        ParametersHeldOutOfRange(m_session.Record().WireValues(), m_session.Cache(),
                                 m_session.FirmwareVersion()),
        English());
}

void CParameterFiles::ShowStatus(const QString& text) { m_window.ShowStatus(text); }

void CParameterFiles::ShowHint() {
    const bool english = English();
    m_prompter.Message({texts::kHintCaption.In(english), kRestoreHint.In(english),
                        PromptButtons::OkCancel, PromptIcon::None, PromptAnswer::Ok});
}

void CParameterFiles::OnRestoreStopped(char letter, bool lineLost) {
    m_restored.reset();
    const bool english = English();
    const BiText& text = lineLost ? kRestoreLineLost : kRestoreStopped;
    Warn(text.In(english).arg(RestoreLinkName(letter, english)));
}

void CParameterFiles::Warn(const QString& text) {
    m_prompter.Message(
        {kCaption.In(English()), text, PromptButtons::Ok, PromptIcon::Warning, PromptAnswer::Ok});
}
