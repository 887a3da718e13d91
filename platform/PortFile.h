#pragma once

#include <QString>

// The port file "qzmcconfig.ini": the last port number as text in its first two bytes
// ("3" and a zero byte for ports 1-9, the two digits for 10-20). Created when missing, never
// truncated: bytes beyond the first two that another writer left there stay.
class PortFile {
public:
    explicit PortFile(QString path = QStringLiteral("qzmcconfig.ini")) : m_path(std::move(path)) {}

    // The file read as text: its leading decimal number (blanks and a sign allowed; 0 when it
    // has no digits), and whether it was empty (or had just been created).
    struct Content {
        bool empty = true;
        int number = 0;
        // Why a file that exists could not be opened (a folder, no permission); empty when it
        // was read or did not exist. Such a file reads as empty.
        QString problem;
    };
    Content Read() const;
    // The same reading with the file opened for reading only: a missing file is not created
    // and reads as empty. For programs that only look at the window's choice (vexactl).
    Content ReadOnly() const;
    void Write(int port) const;
    const QString& Path() const { return m_path; }

private:
    QString m_path;
};
