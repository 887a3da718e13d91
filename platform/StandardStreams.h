#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Makes stdout safe to write to for a command-line program: SIGPIPE is ignored, so a reader
// that went away ("| head") shows as a failed write instead of killing the program before it
// can send "S~0000" or release its port; and a standard stream that was closed is held by
// /dev/null opened read-only, so that no file or port opened later takes its number (a write
// meant for stdout would reach it) and every write to it fails as it should.
void GuardStandardStreams();

// Whether stderr is a terminal (a progress line drawn in place makes sense there only).
bool StderrIsTerminal();

// Writes bytes to stdout as they are, every write and the flush checked; the reason on failure.
std::optional<QString> WriteToStdout(const QByteArray& bytes);

// What became of bytes meant for stdout.
struct StdoutWrite {
    enum class Kind {
        Written,
        ReaderGone,  // the pipe's reader went away ("| head -n 3")
        Failed,      // the disk full, stdout closed, ...
        Stopped      // a stop was asked for while stdout took nothing
    };
    Kind kind = Kind::Written;
    QString reason;  // ReaderGone, Failed: the system's words ("No space left on device")
};

// Writes bytes to stdout, waiting for it to take them only while `stopFd` (a descriptor that
// becomes readable when the program is asked to stop, TerminationSignals::StopDescriptor;
// -1: none) stays quiet: a reader that
// stopped reading never holds the program past SIGTERM. Written a pipe's atomic size at a
// time, each after poll said stdout takes more, so no write blocks for long.
StdoutWrite WriteToStdoutUnlessStopped(const QByteArray& bytes, int stopFd);

// The same for stderr (the messages, the progress line): a terminal held with Ctrl-S or a
// stderr pipe nobody reads never holds the program past a termination signal either.
StdoutWrite WriteToStderrUnlessStopped(const QByteArray& bytes, int stopFd);
