#pragma once

#include <QString>
#include <optional>

#include "Prompter.h"

class CVexaDlg;

// The option --upgrade FILE: once start-up has settled, the window chooses FILE with its file
// button and starts the upgrade with its upgrade button, as the operator would.

// Answers the first open-file dialog with the path given on the command line; every other
// question goes to the prompter behind it.
class PresetFilePrompter : public Prompter {
public:
    PresetFilePrompter(Prompter& inner, QString path) : m_inner(inner), m_path(std::move(path)) {}
    PromptAnswer Message(const PromptMessage& message) override { return m_inner.Message(message); }
    std::optional<QString> OpenFile(const FileRequest& request) override {
        if (m_path) return std::exchange(m_path, std::nullopt);
        return m_inner.OpenFile(request);
    }
    std::optional<QString> SaveFile(const FileRequest& request) override {
        return m_inner.SaveFile(request);
    }

private:
    Prompter& m_inner;
    std::optional<QString> m_path;
};

// Presses the file button and then, if the file was taken, the upgrade button.
void PressUpgradeButtons(CVexaDlg& dlg);
// The same, as soon as the start-up read-back has ended or the line has been quiet for two seconds.
void StartUpgradeWhenSettled(CVexaDlg& dlg);

// --upgrade with --screenshot: runs the upgrade, renders the window to `path` once the upload
// is halfway (or when it ends, if it ends before), and returns when it is over: 0 after a
// successful upgrade and its read-back, 1 when the file was refused or the upload failed.
int UpgradeWithScreenshot(CVexaDlg& dlg, const QString& path);
