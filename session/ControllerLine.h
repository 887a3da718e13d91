#pragma once

class CMSComm;

// The line the controller talks on, set up the same way by the window and by vexactl.

// Receive and send buffer sizes, set before the port is opened.
inline constexpr short kControllerPortBuffer = 1024;

// 115200 baud 8N1, binary input, a receive event whenever bytes arrive, every waiting byte per
// read. Throws CommError when the open port refuses the settings.
void ApplyControllerLineSettings(CMSComm& comm);
