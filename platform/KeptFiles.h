#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>
#include <variant>

#include "RegularFile.h"
#include "WriteAll.h"

// The files Vexa keeps for itself (the backups, folders.ini, the port file and its carry-over,
// the debug log) are held to the rules of the user's files, and stricter: only a regular file
// is read or written, a symbolic link is neither read nor written through, a FIFO or a device
// node put in a file's place never blocks the program, a write lands whole or not at all, and
// what the program creates for itself is private to the user (folders 0700, files 0600).

// Reads at most maxBytes of the regular file at path; a link, folder, FIFO, device node or
// socket there is refused without being followed or opened.
std::variant<QByteArray, FileRefusal> ReadKeptFile(const QString& path, qint64 maxBytes);

// Makes folder and each missing folder above it, every new one 0700 (a link to a folder leads
// on). Why it cannot: a file that is not a folder is in the way, a link leads nowhere, the
// system refused.
std::optional<QString> MakeKeptFolder(const QString& folder);

// Writes path whole (WriteWholeFile), its folder made as MakeKeptFolder does. Refused with a
// reason, nothing written: a symbolic link (dangling or not), folder, FIFO, device node or
// socket at path. A regular file there is replaced with its mode kept; a new one is 0600.
// `calls` are the system's unless given (tests make a disk full with them).
std::optional<QString> WriteKeptFile(const QString& path, QByteArrayView bytes,
                                     const WriteCalls* calls = nullptr);

// A new file under a name no other writer has taken, in this process or another: the bytes
// are written whole under a hidden name first (WritePartFile), which then becomes nameFor(1)
// in folder, else nameFor(2), nameFor(3) ..., without replacing anything there. A kept name
// never holds a partial or empty file, whenever the writer is killed. `path`: the name taken
// (when nothing was written: the first name tried, or the one refused); `problem`: why
// nothing was written.
struct NewKeptFile {
    QString path;
    std::optional<QString> problem;
};
NewKeptFile WriteNewKeptFile(const QString& folder, const std::function<QString(int)>& nameFor,
                             QByteArrayView bytes, const WriteCalls* calls = nullptr);

// When the regular file at path (never through a link) last had its status changed: written,
// renamed, its mode set; to the nanosecond. nullopt for anything else or nothing there.
struct ChangeTime {
    qint64 seconds = 0;
    long nanoseconds = 0;
};
std::optional<ChangeTime> KeptFileChangeTime(const QString& path);
