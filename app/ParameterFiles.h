#pragma once

#include <QString>
#include <optional>

#include "ParameterBackup.h"
#include "ParameterRestore.h"
#include "ReadBackRecord.h"

class CControllerSession;
class DeclinationBox;
class IWindowActions;
class Prompter;
class QComboBox;
class QPushButton;

// The upper panel's parameter files: button 1015 saves the cached parameters to a text file,
// list 1099 loads one of the controller's reference sets or restores a saved file, button 1100
// shows the hint. A file is checked whole before anything is sent.
class CParameterFiles {
public:
    // Entry of list 1099 that restores a saved file; the entries before it are reference sets.
    static constexpr int kFileEntry = 4;

    // The panel's controls this class reads and writes.
    struct Controls {
        QPushButton& save;         // 1015
        QPushButton& restoreHint;  // 1100
        QComboBox& restoreList;    // 1099
        QComboBox& portList;       // the port a saved file and a backup name
    };

    // Backups go into `backupFolder`; none are written when it is empty.
    CParameterFiles(const Controls& controls, CControllerSession& session,
                    DeclinationBox& declination, Prompter& prompter, IWindowActions& window,
                    QString backupFolder);

    void BindHandlers();
    void Save();
    void OnRestoreChoice(int entry);
    void ShowHint();

    // Before an upload: the values of the last complete read-back are kept, to be offered back
    // once the new firmware has been read.
    void KeepForUpgrade();
    // The upload succeeded: the read-back of the new firmware is compared with the values kept.
    void UpgradeSucceeded();
    // A restore that waited in vain for the echo of `letter`, or lost its line there: the
    // operator is told where it stopped. A restore that went through is checked against the
    // read-back after it; values the controller did not take are named.
    void OnRestoreStopped(char letter, bool lineLost);
    // Another intent took the line from the restore: there is nothing to check.
    void OnRestoreReplaced() { m_restored.reset(); }

    // What the window's read-backs brought, fed by the window's protocol listener.
    void OnReadBackFinished();
    void OnReadBackIncomplete();
    // The operator started something new (a refresh, another port): the backup note of an
    // earlier action is not told at the end of this read-back.
    void ForgetBackupNote() { m_strBackupNote.clear(); }
    // Before a restore, a reference set or an upgrade (`action` names it in the file name): the
    // cache of the last complete read-back is written as a dated backup, and the status line
    // says where, or why there is none. Nothing without a backups folder (nullopt).
    std::optional<BackupOutcome> BackUpBefore(const QString& action);

private:
    void RestoreFromFile();
    void Warn(const QString& text);
    void ShowStatus(const QString& text);
    // The version the cache's values were read with; without one, nothing was read and the
    // cache holds what the pages sent, written as it is.
    int ExportVersion() const;
    // The values the last read-back found outside their range, as a note; empty when none.
    QString HeldOutOfRangeNote() const;

    // After the new firmware's read-back: the values it changed, offered back in one question.
    // Returns the status to show when nothing is asked.
    QString OfferPutBack(const ParameterValues& kept);
    void AskPutBack(const ParameterValues& kept, const QStringList& changes);
    // The status after the read-back that ends a restore: how many values it read back as sent,
    // given the letters read back otherwise.
    QString RestoreResult(const std::string& differing) const;

    bool English() const;

    Controls m_controls;
    CControllerSession& m_session;
    DeclinationBox& m_declination;
    Prompter& m_prompter;
    IWindowActions& m_window;
    // The values from before an upgrade, and whether its successful upload's read-back is due.
    std::optional<ParameterValues> m_upgradeKept;
    bool m_bUpgradeReadBackDue = false;
    // The backup's status, shown again once the read-back that ends its action is through.
    QString m_strBackupNote;
    // The values of a restore under way, checked against the read-back that ends it.
    std::optional<ParameterValues> m_restored;
    QString m_backupFolder;
};
