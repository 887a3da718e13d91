#pragma once

#include "BiText.h"
#include "MainWindowParts.h"

// The upper panel's controller-wide settings: frame type, ESC and servo output rates, fitted
// sensors and the magnetic declination; their hint buttons; the frame editor button. Each
// change is written to the controller at once and kept in the parameter cache.
class CControllerSettings {
public:
    explicit CControllerSettings(IMainWindowParts& dlg) : m_dlg(dlg) {}

    // Binds the panel's controls and watches their letters in the parameter cache.
    void BindHandlers();

    void OnFrameType();
    void OnEscRate();
    void OnServoRate();
    void OnSensor();
    void OnDeclination();
    void OnFrameEditor();
    // The frame editor opens and reads the controller's frame once the read-back now on the
    // line has ended (the port is not opened again).
    void OpenFrameEditorOnReadBack();

private:
    // One setting of the upper panel, with the main window's controls exchanged around it.
    void SetParameter(char letter, int shown);
    int Cached(char letter) const;
    // The mask the sensor boxes show, and the one the controller holds as far as it is known.
    int SensorMaskShown() const;
    int SensorMaskHeld() const;
    void ShowFrameEditButton(int frameTypeIndex);
    bool DeclinationFits(int declination);
    // Shows a value the controller reported for A, B, P, M, Q or j; false for any other letter.
    bool ShowReadBack(char letter, int shown);
    void Hint(const BiText& caption, const BiText& text);

    IMainWindowParts& m_dlg;
};
