#pragma once

#include <QString>

// The name of a parameter letter as the window shows it, in either language.
//
// In Chinese: the window's label of the parameter with the spacing of the fixed-width file
// labels taken out ("主稳定度"), or for a letter with no label of its own the name of its
// group of controls ("传感器选择", a switch row's function).
// In English: the caption the window shows beside the parameter's controls in its English
// mode ("Stabili_Level", a switch row's "HeadLock"). The frame editor has no English
// captions, so its letters keep their Chinese names.
QString ParameterCaption(char letter, bool english);

// A row of the custom page's switch grid (a to i and =).
bool IsSwitchRow(char letter);
