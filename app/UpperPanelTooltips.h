#pragma once

class QWidget;

// The upper panel's help where the pointer is: each list, sensor box and the declination box
// (and the hint button beside it) carries the gist of its hint as a tooltip, in the given
// language. The port list keeps its own tooltip, which names the device of each port.
void ShowUpperPanelHelp(QWidget& mainWindow, bool english);
