#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

#include "WriteAll.h"

// The owner a replaced file keeps, where the system allows it (root only).
struct FileOwner {
    uid_t user = 0;
    gid_t group = 0;
};

// Writes bytes so that path holds either what it held before or all of bytes, never a part:
// they go to a new hidden file beside path (WritePartFile), and only then is it renamed to
// path. On failure the part file is removed and path is as it was; the system's reason is
// returned. rename replaces whatever is at path, a link included, never what a link points
// to: callers refuse what they must not replace.
std::optional<QString> WriteWholeFile(const QString& path, QByteArrayView bytes,
                                      const WriteCalls& calls, std::optional<mode_t> mode,
                                      std::optional<FileOwner> owner = std::nullopt);

// A hidden file beside path (".NAME.PID-N.part", NAME shortened where the whole would pass the
// longest name a folder entry may have) holding all of bytes: every write and the flush to
// disk checked, `mode` given (none: 0666 less the umask) and `owner` where allowed. `name`:
// its path as the system spells it; empty, with `problem`, when it could not be written (then
// nothing of it is left). Part files that programs no longer running left in the folder are
// removed first.
struct PartFile {
    QByteArray name;
    std::optional<QString> problem;
};
PartFile WritePartFile(const QString& path, QByteArrayView bytes, const WriteCalls& calls,
                       std::optional<mode_t> mode, std::optional<FileOwner> owner = std::nullopt);

// Gives the file `from` the name `to` only where nothing has that name (a no-replace rename,
// or a hard link and the old name removed where the file system has none). 0, or -1 with
// errno (EEXIST: the name is taken).
int RenameNoReplace(const QByteArray& from, const QByteArray& to);

// Removes this user's hidden part files in folder whose program (the pid in their name) no
// longer runs: what a killed writer left.
void RemoveStalePartFiles(const QByteArray& folder);

// Flushes the folder holding path to disk, so that a new name in it survives a crash.
void SyncFolderOf(const QString& path);
