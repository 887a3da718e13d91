#include "RecentFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QtDebug>

#include "KeptFiles.h"
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

// A settings file of three folders is small; anything longer is not read whole.
constexpr qint64 kSettingsLimit = 64 * 1024;

// QSettings only parses and formats the file, on a private copy of the bytes read: it would
// open a FIFO and wait, and write through a link.
class SettingsCopy {
public:
    explicit SettingsCopy(const QString& path) {
        const auto read = ReadKeptFile(path, kSettingsLimit);
        const auto* bytes = std::get_if<QByteArray>(&read);
        if (!m_copy.open()) return;
        if (bytes) m_copy.write(*bytes);
        m_copy.close();
        m_bOpen = true;
    }
    std::optional<QSettings> Settings() {
        if (!m_bOpen) return std::nullopt;
        return std::optional<QSettings>(std::in_place, m_copy.fileName(), QSettings::IniFormat);
    }
    QByteArray Bytes() {
        QFile file(m_copy.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryFile m_copy;
    bool m_bOpen = false;
};

}  // namespace

RecentFolders::RecentFolders(const QString& settingsPath, const WriteCalls* calls)
    : m_strPath(settingsPath), m_calls(calls) {}

QString RecentFolders::DefaultPath() {
    // Beside the port file, in the window's configuration folder.
    return QFileInfo(ConfiguredPortFilePath()).dir().filePath(QStringLiteral("folders.ini"));
}

QString RecentFolders::FolderFor(FileKind kind) const {
    const QString key = KeyOf(kind);
    if (key.isEmpty()) return {};
    SettingsCopy copy(m_strPath);
    std::optional<QSettings> settings = copy.Settings();
    const QString folder = settings ? settings->value(key).toString() : QString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

std::optional<QString> RecentFolders::Remember(FileKind kind, const QString& chosenFile) {
    const QString key = KeyOf(kind);
    if (key.isEmpty() || chosenFile.isEmpty()) return std::nullopt;
    SettingsCopy copy(m_strPath);
    std::optional<QString> problem;
    if (std::optional<QSettings> settings = copy.Settings()) {
        settings->setValue(key, QFileInfo(chosenFile).absolutePath());
        settings->sync();
        if (settings->status() == QSettings::AccessError)
            problem = QStringLiteral("its new content could not be made");
        settings.reset();
    } else {
        problem = QStringLiteral("no temporary file for its new content");
    }
    if (!problem) problem = WriteKeptFile(m_strPath, copy.Bytes(), m_calls);
    if (problem)
        qWarning().noquote() << QStringLiteral("%1 was not written: %2").arg(m_strPath, *problem);
    return problem;
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
