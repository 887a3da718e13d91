#pragma once

#include <sys/types.h>

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
// they go to a new hidden file beside path (".NAME.PID-N.part"), every write and the flush to
// disk are checked, and only then is it renamed to path. The new file gets `mode` (a replaced
// file's own mode, to keep it; none: 0666 less the umask, as any new file) and `owner` where
// allowed. On failure the part file is removed
// and path is as it was; the system's reason is returned. rename replaces whatever is at path,
// a link included, never what a link points to: callers refuse what they must not replace.
std::optional<QString> WriteWholeFile(const QString& path, QByteArrayView bytes,
                                      const WriteCalls& calls, std::optional<mode_t> mode,
                                      std::optional<FileOwner> owner = std::nullopt);
