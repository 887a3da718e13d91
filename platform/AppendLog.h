#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

#include "WriteAll.h"

// A log the program appends lines to (the debug log): each line carries the local time in ISO
// form and the process id; the file is kept under its limit by moving it to PATH.1 (replacing
// the one old file there) before a line would take it past the limit, under an advisory lock
// on the log itself, so that two programs never move each other's lines (a log that cannot be
// locked goes on without rotating). Only a regular file is
// appended to; it is opened non-blocking and not through a link, and its folder is made 0700
// where missing. A log that cannot be opened or written is skipped silently: a log never
// stops or holds up a program. Not thread-safe: callers serialise.
class AppendLog {
public:
    static constexpr qint64 kDefaultLimit = 1 << 20;

    explicit AppendLog(QByteArray path, qint64 limit = kDefaultLimit,
                       const WriteCalls* calls = nullptr)
        : m_path(std::move(path)), m_limit(limit), m_calls(calls) {}

    // "2026-12-08T14:03:22.123+01:00 [4711] " then text and a line break.
    void Append(QByteArrayView text) const;
    // Opens the log as Append does (its folder made where missing, the file where new) and
    // says why no line could be appended now; nullopt when one can. For a program that must
    // not start without the log it was asked to keep.
    std::optional<QString> Check() const;

    const QByteArray& Path() const { return m_path; }

private:
    int Open(std::optional<QString>* problem = nullptr) const;

    QByteArray m_path;
    qint64 m_limit;
    const WriteCalls* m_calls;
};

// The start of a log line: local time with milliseconds and offset, and the process id.
QByteArray LogLinePrefix();
