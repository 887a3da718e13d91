#pragma once

#include <sys/types.h>

#include <QString>

// What lies at a path that a file is to be written to, and whether its folder takes a new
// file. Looked at without following a symbolic link; nothing is opened but a character device,
// to ask whether it is a terminal (opened non-blocking, never as the controlling terminal).
struct WriteTarget {
    enum class Kind {
        Missing,       // nothing there (or nothing this user may see)
        Regular,       // a regular file
        SymbolicLink,  // a link, whether or not it leads anywhere
        Folder,
        Fifo,
        Terminal,   // a character device that is a terminal
        OtherNode,  // any other device node, a socket
    };
    enum class FolderAccess {
        Writable,  // a new file can be made in it
        Missing,   // missing, or not a folder
        ReadOnly,  // this user may not make a file in it
    };
    Kind kind = Kind::Missing;
    // Regular: it has a write permission bit and this user may write it. Read-only by its mode
    // counts even for root, who may write anything: its owner meant it to stay as it is.
    bool writable = false;
    mode_t mode = 0;  // the permission bits found (anything but Missing)
    uid_t owner = 0;
    gid_t group = 0;
    QString linkTarget;  // SymbolicLink: where it points (also when nothing is there)
    QString folder;      // the folder the path is in, absolute
    FolderAccess folderAccess = FolderAccess::Writable;
};

WriteTarget InspectWriteTarget(const QString& path);
