#pragma once

#include <QString>
#include <optional>

#include "WriteTarget.h"  // mode_t, uid_t, gid_t

// What a path to export to holds, which decides how it may be written.
struct ExportTarget {
    enum class Kind {
        Missing,         // a new file is made
        Regular,         // replaced as a whole, keeping its mode
        ReadOnly,        // a regular file with no write permission: replaced only when forced
        Stream,          // a FIFO or a terminal: written in place, never replaced
        Link,            // a symbolic link: refused, neither it nor what it points to is touched
        Folder,          // refused
        Special,         // any other device node, a socket: refused
        NoFolder,        // the folder it would go in is missing: refused
        FolderReadOnly,  // the folder may not be written by this user: refused
    };
    Kind kind = Kind::Missing;
    QString linkTarget;  // Link: where the link points (also when nothing is there)
    QString folder;      // the folder the file is in
    mode_t mode = 0;     // Regular, ReadOnly: the permission bits to keep
    uid_t owner = 0;
    gid_t group = 0;
};

// Looks at path without following a symbolic link and without opening anything (but a
// character device, to ask whether it is a terminal).
ExportTarget InspectExportTarget(const QString& path);

// Why the target is not written, in words that follow "FILE was not written (...)"; nullopt
// when it may be. `forceHint` is added to the refusal of a read-only file (how to force it).
std::optional<QString> ExportRefusal(const ExportTarget& target, bool force,
                                     const QString& forceHint = {});
