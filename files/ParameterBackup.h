#pragma once

#include <QDateTime>
#include <QString>
#include <span>

#include "ReadBackRecord.h"
#include "WriteAll.h"

// The automatic backup taken before an action overwrites many parameters at once (a restore, a
// reference set, a firmware upload): the parameters of the last complete read-back, in the
// export's exact bytes, as a dated file in the backups folder. Only the kKept written last are
// kept.

// <the user's data folder>/Vexa/backups, or its demo/ subfolder for the simulated controller.
// The window and vexactl share it.
QString DefaultBackupFolder(bool demo);

// What is backed up: the cache as the read-back and the sends since left it, the port and
// firmware the export needs, and whether that read-back went through to its end.
struct BackupSource {
    bool complete = false;
    std::span<const int> cache;
    int portNumber = 0;
    int fwVersion = 0;

    // What the window and vexactl back up alike: the session's cache and firmware version as
    // the read-back `record` follows left them, on this port.
    static BackupSource FromReadBack(const ReadBackRecord& record, std::span<const int> cache,
                                     int fwVersion, int portNumber);
};

struct BackupOutcome {
    enum class Kind { Written, NoReadBack, Failed };
    Kind kind = Kind::NoReadBack;
    QString path;    // Written, Failed: the file
    QString reason;  // Failed: why

    // One sentence for the status line or stderr: the file, or why there is none.
    QString Describe(bool english) const;
};

class ParameterBackup {
public:
    static constexpr int kKept = 100;

    // `calls`: the system's unless given (tests make a disk full with them).
    explicit ParameterBackup(QString folder, const WriteCalls* calls = nullptr)
        : m_folder(std::move(folder)), m_calls(calls) {}
    const QString& Folder() const { return m_folder; }

    // Writes "YYYY-MM-DD_HH-MM-SS_COMn_before-<action>.txt" (no "_COMn" without a port
    // number; "-2", "-3" ... added when another writer, in this process or another, took that
    // name first) as a kept file (KeptFiles: written whole, the folder made 0700), then removes
    // the oldest backups past kKept. Nothing is written without a complete read-back.
    BackupOutcome Write(const BackupSource& source, const QString& action,
                        const QDateTime& now = QDateTime::currentDateTime()) const;

    // Removes the backups past kKept, oldest first by the time each was written (its change
    // time; never the date in its name). One written after `now` (a clock that was once
    // ahead) counts as the oldest, so that it never costs a backup written since. Only regular
    // files whose whole name is a backup's are counted or removed, and never `keep` (the file
    // just written).
    void RemoveOldest(const QString& keep,
                      const QDateTime& now = QDateTime::currentDateTime()) const;

private:
    QString m_folder;
    const WriteCalls* m_calls;
};
