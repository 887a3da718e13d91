#include "RecentFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "PortFileLocation.h"

namespace {

QString KeyOf(FileKind kind) {
    switch (kind) {
        case FileKind::Firmware:
            return QStringLiteral("folders/firmware");
        case FileKind::ParameterSave:
            return QStringLiteral("folders/save");
        case FileKind::ParameterRestore:
            return QStringLiteral("folders/restore");
        case FileKind::Other:
            break;
    }
    return {};
}

}  // namespace

RecentFolders::RecentFolders(const QString& settingsPath) : m_strPath(settingsPath) {}

QString RecentFolders::DefaultPath() {
    // Beside the port file, in the window's configuration folder.
    return QFileInfo(ConfiguredPortFilePath()).dir().filePath(QStringLiteral("folders.ini"));
}

QString RecentFolders::FolderFor(FileKind kind) const {
    const QString key = KeyOf(kind);
    if (key.isEmpty()) return {};
    const QString folder = QSettings(m_strPath, QSettings::IniFormat).value(key).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RecentFolders::Remember(FileKind kind, const QString& chosenFile) {
    const QString key = KeyOf(kind);
    if (key.isEmpty() || chosenFile.isEmpty()) return;
    QSettings settings(m_strPath, QSettings::IniFormat);
    settings.setValue(key, QFileInfo(chosenFile).absolutePath());
}

std::optional<QString> FolderRememberingPrompter::OpenFile(const FileRequest& request) {
    return Remembered(request.kind, m_inner.OpenFile(StartingInItsFolder(request)));
}

std::optional<QString> FolderRememberingPrompter::SaveFile(const FileRequest& request) {
    return Remembered(request.kind, m_inner.SaveFile(StartingInItsFolder(request)));
}

FileRequest FolderRememberingPrompter::StartingInItsFolder(const FileRequest& request) const {
    FileRequest started = request;
    if (started.folder.isEmpty()) started.folder = m_folders.FolderFor(request.kind);
    return started;
}

std::optional<QString> FolderRememberingPrompter::Remembered(FileKind kind,
                                                             std::optional<QString> chosen) {
    if (chosen) m_folders.Remember(kind, *chosen);
    return chosen;
}
