#pragma once

#include <QPointer>
#include <optional>
#include <utility>
#include <vector>

#include "BiText.h"
#include "FirmwareImage.h"
#include "IUploadListener.h"
#include "ParameterBackup.h"

class CControllerSession;
class CParameterFiles;
class CPortConnection;
class IWindowActions;
class Prompter;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

// The main window's firmware upgrade: the file button 1001 with the path box 1028, the upgrade
// button 1043, the progress bar 1075, the status texts and the messages. Every decision of the
// upload is the core's (the session's FirmwareUpload); this class only shows it.
//
// While an upload runs nothing else may reach the line: the controls that would send, change
// the port or switch pages are disabled, and the window's senders drop their frames.
class CUpgradeControls : public IUploadListener {
public:
    // The close question while an upload runs.
    static constexpr BiText kCloseQuestion{
        "固件正在升级，现在关闭将中断升级！\r\r你确定要关闭本程序吗？",
        "The firmware upgrade is running: closing now breaks it off!\r\r"
        "Are you sure to close the Window？"};

    // The window's controls this class reads, writes and holds.
    struct Controls {
        QWidget& window;  // every control of it that would reach the line is held while uploading
        QPushButton& selectFile;  // 1001
        QPushButton& start;       // 1043
        QLineEdit& path;          // 1028
        QProgressBar& bar;        // 1075
        QWidget& pages;           // the tab control: held as a whole
        QWidget& language;        // the one button of the panel that stays usable
        QWidget& frameEditor;     // sends from its own window
    };

    CUpgradeControls(const Controls& controls, CControllerSession& session, CPortConnection& port,
                     CParameterFiles& files, Prompter& prompter, IWindowActions& window);

    void BindHandlers();
    void OnSelectFirmwareFile();  // button 1001
    void OnStartUpgrade();        // button 1043
    bool IsRunning() const;

    void OnUploadProgress(const UploadProgress& progress) override;
    // The upload's end, forwarded by the window from the session's end of the chain.
    void OnUploadEnded(const UploadOutcome& outcome);

private:
    // The question before the first byte: file, size, the controller's firmware, the backup.
    bool ConfirmReplace(const std::optional<BackupOutcome>& backup);
    // The controls the start disabled, enabled again; the start button while a file is chosen.
    void GiveControlsBack();
    static int ShownPercent(int percent);
    static const BiText& FailureCause(const UploadOutcome& outcome);
    void FileRefused(const BiText& message);
    void FileRefused(const QString& text);
    void Message(const BiText& caption, const BiText& text);
    void ShowStatus(const QString& status);
    void ShowBar(quint32 value);
    // Disables what would reach the line during the upload, remembering what was enabled.
    void HoldLine();
    // Gives those controls back as they were.
    void ReleaseLine();
    void SetEnabled(std::initializer_list<int> ids, bool enabled);
    static const BiText& FailureMessage(const UploadOutcome& outcome);

    bool English() const;

    Controls m_controls;
    CControllerSession& m_session;
    CPortConnection& m_port;
    CParameterFiles& m_files;
    Prompter& m_prompter;
    IWindowActions& m_window;
    FirmwareImage m_fwImage;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_held;
};
