#pragma once

class QWidget;

// Sets the captions of the main window's controls (and the window title) in one language.
// The pages switch their own labels.
void ApplyMainWindowLanguage(QWidget& mainWindow, bool english);
// Sets the text of a button, label or group box found by control id.
void SetControlText(QWidget& dialog, int id, const char* text);
