#pragma once

#include <QString>

// The name vexactl prints beside a letter's value: the window's label of the parameter with
// the spacing of the fixed-width file labels taken out ("主稳定度"), or for a letter with no
// label of its own the name of its group of controls ("传感器选择", a switch row's function).
QString ParameterLabel(char letter);

// Columns a text takes on a terminal: two for a CJK character, one for the rest.
int DisplayWidth(const QString& text);
