#pragma once

// Qt's own debug, info and warning messages ("QIODevice::read (QSerialPort): device not open")
// are meant for a developer, not for the user's terminal: they go to a debug log instead of
// stderr. Critical and fatal messages go to both. The log is the file VEXA_DEBUG_LOG names,
// else <program>.log in ~/.cache/Vexa (XDG_CACHE_HOME honoured), made only when a message
// comes; it is appended to as an AppendLog (time and pid on each line, under 1 MB with one
// old file <program>.log.1, skipped when it is not a regular file).
void RouteQtMessagesToDebugLog(const char* program);

// The file the messages of this process go to.
const char* DebugLogPath();
