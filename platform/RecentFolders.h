#pragma once

#include <QString>

#include "Prompter.h"
#include "WriteAll.h"

// The folder each kind of file dialog last chose a file in, kept between runs in a small
// settings file, so that the next dialog of that kind starts there. The file is one the program
// keeps (KeptFiles): read only when a regular file, written whole, never through a link.
class RecentFolders {
public:
    explicit RecentFolders(const QString& settingsPath = DefaultPath(),
                           const WriteCalls* calls = nullptr);

    // "folders.ini" in the window's configuration folder, beside the port file.
    static QString DefaultPath();

    // The folder last used for `kind`; empty when there is none or it no longer exists.
    QString FolderFor(FileKind kind) const;
    // Why the folder was not kept (also named in the debug log); nullopt when it was.
    std::optional<QString> Remember(FileKind kind, const QString& chosenFile);

private:
    QString m_strPath;
    const WriteCalls* m_calls;
};

// A prompter whose file dialogs start in the folder last used for their kind and remember
// the folder of the file chosen; message boxes pass through unchanged.
class FolderRememberingPrompter : public Prompter {
public:
    FolderRememberingPrompter(Prompter& inner, RecentFolders& folders)
        : m_inner(inner), m_folders(folders) {}

    PromptAnswer Message(const PromptMessage& message) override { return m_inner.Message(message); }
    std::optional<QString> OpenFile(const FileRequest& request) override;
    std::optional<QString> SaveFile(const FileRequest& request) override;

private:
    FileRequest StartingInItsFolder(const FileRequest& request) const;
    std::optional<QString> Remembered(FileKind kind, std::optional<QString> chosen);

    Prompter& m_inner;
    RecentFolders& m_folders;
};
