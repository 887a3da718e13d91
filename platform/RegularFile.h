#pragma once

#include <QByteArray>
#include <QString>
#include <variant>

// Why a file was not read.
struct FileRefusal {
    enum class Kind {
        Missing,     // nothing at that path
        NotRegular,  // a folder, FIFO, device node or socket: never opened
        Unreadable,  // a regular file that could not be opened or read (reason says why)
        Interrupted  // a termination signal arrived while reading
    };
    Kind kind = Kind::Unreadable;
    QString reason;  // "Is a directory", "is a FIFO (named pipe)", "Permission denied", ...
};

// What a path is, in a few words: "a folder", "a FIFO (named pipe)", "a device node",
// "a socket", "a regular file", "a symbolic link"; followLinks says whether a link counts as
// what it points to.
QString DescribeFileType(const QString& path, bool followLinks);

enum class LinkRule { Follow, Refuse };

// Reads at most maxBytes of a regular file (a symbolic link to one is followed unless `links`
// refuses it: then neither the check nor the opening follows it). Anything else is refused
// before it is opened, and the file is opened non-blocking, so that a FIFO or a device put in
// its place never blocks the program.
std::variant<QByteArray, FileRefusal> ReadRegularFile(const QString& path, qint64 maxBytes,
                                                      LinkRule links = LinkRule::Follow);
