#pragma once

#include <QString>

#include "ParameterRestore.h"

class CVexaDlg;

// The upper panel's parameter files: button 1015 saves the cached parameters to a text file,
// list 1099 loads one of the controller's reference sets or restores a saved file, button 1100
// shows the hint. A file is checked whole before anything is sent.
class CParameterFiles {
public:
    // Entry of list 1099 that restores a saved file; the entries before it are reference sets.
    static constexpr int kFileEntry = 4;

    explicit CParameterFiles(CVexaDlg& dlg);

    void BindHandlers();
    void Save();
    void OnRestoreChoice(int entry);
    void ShowHint();

    // A restore that waited in vain for the echo of `letter`, or lost its line there: the
    // operator is told where it stopped.
    void OnRestoreStopped(char letter, bool lineLost);

private:
    void RestoreFromFile();
    void Warn(const QString& text);

    CVexaDlg& m_dlg;
};
