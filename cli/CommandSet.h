#pragma once

#include <QStringView>
#include <span>

// The commands vexactl knows, with what the command line checks before anything runs and the
// texts of their help.
struct CommandInfo {
    const char* name;
    const char* synopsis;  // "set L=VALUE..."
    const char* summary;   // one line for the command list
    const char* details;   // the rest of the command's help
    int minArguments;
    int maxArguments;  // -1: no limit
    bool usesPort;     // talks to a controller (all but "ports")
    bool manyPorts;    // --port may be given more than once
};

std::span<const CommandInfo> Commands();
// nullptr for a name that is no command.
const CommandInfo* FindCommand(QStringView name);
