#pragma once

#include <QString>
#include <optional>

#include "AppendLog.h"

// The frame log of vexa-sim: one line per frame the controller receives (and per fault or
// boot loader event), each with its time and the simulator's pid, appended as it comes
// (an AppendLog: a regular file only, moved to PATH.1 before it passes 1 MB).
class FrameLog {
public:
    // False with `error` set when no line could be appended to path.
    bool Open(const QString& path, QString* error);
    bool IsOpen() const { return m_log.has_value(); }
    void Frame(const QByteArray& frame, bool packet);
    void Event(const QString& what);

    // A frame as one line of text; a boot loader packet as its type, number and length.
    static QString Describe(const QByteArray& frame, bool packet);

private:
    void Line(const QString& text);

    std::optional<AppendLog> m_log;
};
