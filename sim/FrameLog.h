#pragma once

#include <QFile>
#include <QString>

// The frame log of vexa-sim: one line per frame the controller receives (and per fault or
// boot loader event), each with a time stamp, flushed as it is written.
class FrameLog {
public:
    bool Open(const QString& path, QString* error);
    bool IsOpen() const { return m_file.isOpen(); }
    void Frame(const QByteArray& frame, bool packet);
    void Event(const QString& what);

    // A frame as one line of text; a boot loader packet as its type, number and length.
    static QString Describe(const QByteArray& frame, bool packet);

private:
    void Line(const QString& text);

    QFile m_file;
};
