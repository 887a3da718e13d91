#pragma once

#include <QString>

class PortSession;

// "COM3 (/dev/ttyUSB2): The controller holds values outside their range; ..." after a read-back
// that found such values, for stderr; empty otherwise.
QString HeldOutOfRangeNote(PortSession& session);
