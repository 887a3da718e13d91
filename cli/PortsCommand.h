#pragma once

#include "Commands.h"

// vexactl ports: COM1 to COM20, the device each leads to and its state, with the fix for a
// busy port or one this user may not open.
CommandResult ListPorts(const Invocation& invocation);
