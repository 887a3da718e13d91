#pragma once

#include "Commands.h"

struct LiveFrame;

// monitor: the live data stream, frame by frame, parsed by the line reader's live mode as the
// window's display is.
CommandResult Monitor(PortSession& session, const Invocation& invocation,
                      const CommandOutput& output);

// One frame as monitor prints it: a text line, or a JSON object.
QString LiveFrameText(const LiveFrame& frame);
QString LiveFrameJson(const LiveFrame& frame);
