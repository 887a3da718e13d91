#pragma once

// Qt's own debug, info and warning messages ("QIODevice::read (QSerialPort): device not open")
// are meant for a developer, not for the user's terminal: they go to a debug log instead of
// stderr. Critical and fatal messages go to both. The log is the file VEXA_DEBUG_LOG names,
// else <program>.log in ~/.cache/Vexa (XDG_CACHE_HOME honoured), made only when a message
// comes.
void RouteQtMessagesToDebugLog(const char* program);

// The file the messages of this process go to.
const char* DebugLogPath();
