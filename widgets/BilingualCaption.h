#pragma once

#include <span>

#include "BiText.h"

class QComboBox;
class QWidget;

// Shows the caption of a button, label or group box in the interface language. English is the
// text given; Chinese is what the control showed before it was first switched to English (its
// template's text), so that switching back and forth never changes what a Chinese caption says.
// A control never switched to English gets the Chinese text given.
void ShowCaption(QWidget* control, const BiText& text, bool english);
// The same for a window's title.
void ShowWindowTitle(QWidget* window, const BiText& text, bool english);
// The same for the entries of a list: English as given (one text per entry), Chinese as the
// template has them.
void ShowListEntries(QComboBox* list, std::span<const char* const> english, bool inEnglish);
