#pragma once

#include <QString>
#include <QStringList>
#include <optional>

enum class PromptIcon { None, Information, Warning, Question, Stop };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct PromptMessage {
    QString caption;
    QString text;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
    PromptAnswer defaultAnswer = PromptAnswer::Ok;
};

// What a file dialog chooses; each kind starts in the folder last used for it.
enum class FileKind { Other, Firmware, ParameterSave, ParameterRestore };

// A file dialog request. The filter uses the "Text (*.txt)|*.txt|All (*.*)|*.*||" form the
// program's captions are written in; the Qt prompter converts it.
struct FileRequest {
    QString filter;
    QString defaultExtension;
    QString defaultName;
    // Folders offered in the dialog's sidebar besides the usual places (the backups).
    QStringList sidebarFolders;
    FileKind kind = FileKind::Other;
    // The dialog lists long names whole (the dated backups) instead of cutting them short.
    bool wholeNames = false;
    QString folder;  // where the dialog starts; empty: wherever the toolkit chooses
};

// Every message box and file dialog of the program goes through this interface, so that
// the protocol core stays free of widgets and tests answer from a script.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Message(const PromptMessage& message) = 0;
    virtual std::optional<QString> OpenFile(const FileRequest& request) = 0;
    virtual std::optional<QString> SaveFile(const FileRequest& request) = 0;

    // The language of the texts that come in both and are chosen when shown (the serial
    // control's errors): the window sets it whenever its own language changes.
    void SetEnglish(bool english) { m_bEnglish = english; }
    bool IsEnglish() const { return m_bEnglish; }

private:
    bool m_bEnglish = false;
};
