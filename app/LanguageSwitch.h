#pragma once

class QWidget;

// Sets the captions of the main window's controls (and the window title) in one language.
// The pages switch their own labels.
void ApplyMainWindowLanguage(QWidget& mainWindow, bool english);
