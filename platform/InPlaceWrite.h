#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

#include "WriteAll.h"

// What became of bytes written to a FIFO or a terminal where it is.
struct InPlaceWrite {
    enum class Kind {
        Written,
        NoReader,     // a FIFO that no program is reading (and no wait for one was asked)
        Interrupted,  // the wait for a reader was given up, or a signal ended the opening
        NotAStream,   // what was opened is no longer a FIFO or terminal: nothing written
        Failed,       // reason: the system's words
    };
    Kind kind = Kind::Written;
    QString reason;
};

// Writes every byte to the FIFO or terminal at path, never replacing it and never through a
// symbolic link. A FIFO opened for writing blocks until someone reads it, so it is opened
// non-blocking: without `stopWaitingForReader` a FIFO nobody reads is NoReader at once; with
// it the opening is tried again every 20 ms until it returns true. What was opened is checked
// to be a FIFO or terminal before anything is written; the writing itself then blocks.
InPlaceWrite WriteInPlace(const QString& path, QByteArrayView bytes,
                          const std::function<bool()>& stopWaitingForReader,
                          const WriteCalls& calls);
