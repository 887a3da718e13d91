#pragma once

#include "BiText.h"

class QWidget;

// Shows the caption of a button, label or group box in the interface language. English is the
// text given; Chinese is what the control showed before it was first switched to English (its
// template's text), so that switching back and forth never changes what a Chinese caption says.
// A control never switched to English gets the Chinese text given.
void ShowCaption(QWidget* control, const BiText& text, bool english);
// The same for a window's title.
void ShowWindowTitle(QWidget* window, const BiText& text, bool english);
