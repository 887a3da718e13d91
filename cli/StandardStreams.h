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

// Writes bytes to stdout as they are, every write and the flush checked; the reason on failure.
std::optional<QString> WriteToStdout(const QByteArray& bytes);
