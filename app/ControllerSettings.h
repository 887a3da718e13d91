#pragma once

#include <array>

#include "BiText.h"

class CFrameDlg;
class CPortConnection;
class DeclinationBox;
class IClock;
class IControllerIntents;
class IWindowActions;
class Prompter;
class QCheckBox;
class QComboBox;
class QPushButton;

// The upper panel's controller-wide settings: frame type, ESC and servo output rates, fitted
// sensors and the magnetic declination; their hint buttons; the frame editor button. Each
// change is written to the controller at once and kept in the parameter cache; each control
// watches its letter in the cache and shows every value the controller reports for it.
class CControllerSettings {
public:
    // The panel's controls this class reads and writes.
    struct Controls {
        QComboBox& frameType;  // A
        QComboBox& escRate;    // B
        QComboBox& servoRate;  // P
        // The sensor boxes in bit order (M): 1056 1057 1058 1059 1060 1062 1064 1065.
        std::array<QCheckBox*, 8> sensors;
        QPushButton& declinationSet;
        QPushButton& frameEdit;
        QPushButton& frameHint;
        QPushButton& escHint;
        QPushButton& servoHint;
        QPushButton& sensorHint;
        QPushButton& declinationHint;
        QComboBox& restoreList;  // shows the reference set the controller holds (j)
    };

    CControllerSettings(const Controls& controls, DeclinationBox& declination,
                        IControllerIntents& session, CPortConnection& port, CFrameDlg& frameEditor,
                        IClock& clock, Prompter& prompter, IWindowActions& window);

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
    // One setting of the upper panel.
    void SetParameter(char letter, int shown);
    int Cached(char letter) const;
    // The mask the sensor boxes show, and the one the controller holds as far as it is known.
    int SensorMaskShown() const;
    int SensorMaskHeld() const;
    void ShowFrameEditButton(int frameTypeIndex);
    bool DeclinationFits(int declination);
    void Hint(const BiText& caption, const BiText& text);
    // Shows a value the controller reported for A, B, P, M, Q or j; false for any other letter.
    bool ShowReadBack(char letter, int shown);

    Controls m_controls;
    DeclinationBox& m_declination;
    IControllerIntents& m_session;
    CPortConnection& m_port;
    CFrameDlg& m_frameEditor;
    IClock& m_clock;
    Prompter& m_prompter;
    IWindowActions& m_window;
};
