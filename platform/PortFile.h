#pragma once

#include <QString>
#include <optional>

#include "WriteAll.h"

// The port file "qzmcconfig.ini": the last port number as text in its first two bytes
// ("3" and a zero byte for ports 1-9, the two digits for 10-20). Never truncated: bytes beyond
// the first two that another writer left there stay. Only a regular file is read or written:
// a FIFO, device or folder of that name is never opened, and a symbolic link is never written
// through.
class PortFile {
public:
    explicit PortFile(QString path = QStringLiteral("qzmcconfig.ini")) : m_path(std::move(path)) {}

    // The file read as text: its leading decimal number (blanks and a sign allowed; 0 when it
    // has no digits), and whether it was empty or missing.
    struct Content {
        bool empty = true;
        int number = 0;  // 0 as well when the number is far out of any range
        // The number as the file writes it, for messages (cut after 12 digits: "121212121212...").
        QString text;
        // Why a file that exists was not read (a folder, a FIFO, no permission); empty when it
        // was read or did not exist. Such a file reads as empty.
        QString problem;
    };
    Content Read() const;
    // Puts the port's two bytes at the start of the file, creating it (and its folder, 0700)
    // when missing; the file is replaced whole (KeptFiles), the bytes after the two kept.
    // Returns why nothing was written: the path is a symbolic link or not a regular file, or
    // the system refused (`calls`: the system's unless given).
    std::optional<QString> Write(int port, const WriteCalls* calls = nullptr) const;
    const QString& Path() const { return m_path; }

private:
    QString m_path;
};
