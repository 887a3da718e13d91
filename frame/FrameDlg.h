#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "FrameShape.h"
#include "IFrameReadBack.h"

class IPageHost;
class FramePlanView;
class QCheckBox;
class QComboBox;
class QLineEdit;
namespace Ui {
class CFrameDlg;
}

// The frame parameters dialog (template 130) for a custom frame: the number of motors, the
// spans, each motor's position and propeller direction, with the plan beside them. The object
// lives as long as the main window, so its members survive closing and reopening the window.
// It sends through the host and watches the frame's letters in the session's parameter cache;
// the main window tells it when the frame read has ended.
class CFrameDlg : public QDialog, public IFrameReadBack {
    Q_OBJECT

public:
    explicit CFrameDlg(IPageHost& host, QWidget* parent = nullptr);
    ~CFrameDlg() override;

    // Shows the window; a window that was closed first has its controls filled from the
    // members, and its plan waits for the next redraw.
    void Open();
    // The dialog's captions, title and axis list in English (true) or as the template has them.
    void SetEnglish(bool english);

    // IFrameReadBack
    void FrameReadEnded() override;

    // Checks the coordinates and draws the plan; at the first coordinate that does not pass,
    // tells the operator, puts the focus into its edit and draws the axes only.
    void RedrawPlan();

    FrameShape Shape() const;

    int m_nAxisCount = 0;  // 4 or 6; 0 while not known
    int m_nMaxX = 650;
    int m_nMaxY = 650;
    std::array<int, FrameShape::kMotors> m_nMotorX{};
    std::array<int, FrameShape::kMotors> m_nMotorY{};
    std::array<bool, FrameShape::kMotors> m_bReverse{};
    // Cleared while a message of this dialog is open, so that the focus the message takes
    // does not start a second check.
    bool m_bRedrawOnLeave = true;
    // Set while the plan is drawn at the end of a frame read: a warning is posted to the event
    // loop instead of being shown from inside the receive event.
    bool m_bPostWarnings = false;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A value the controller reported for a frame letter (k..z) as the parameter table decodes
    // it; false for any other letter.
    bool ShowReadBack(char letter, int shown);
    // Controls to members (save) or members to controls. An edit that does not hold an
    // integer is reported with the focus on it; it and the fields after it keep their values.
    bool UpdateData(bool save);
    void OnAxisCountChosen();
    void OnDirectionClicked();
    void OnSpanLeft(bool isY);
    // A box confirmed (Enter) or left: a span is checked, a coordinate redraws the plan.
    void ConfirmEdit(QLineEdit* edit);
    void Save();
    bool SaveConfirmed();
    bool ReadyToSave();
    void Close();

    void SetAxisCount(int count);
    void EnableMotorsFiveAndSix(bool enable);
    // Bit i of the mask ticks the direction box of motor i + 1.
    void ShowDirectionBits(int mask);
    // Shows a refusal with the dialog's caption and puts the focus on the control at fault.
    void Refuse(const QString& text, QWidget* focus);
    void Tell(const QString& caption, const QString& text, QWidget* focus);
    QLineEdit* EditOf(CoordinateField field) const;
    int& ValueOf(CoordinateField field);

    IPageHost& m_host;
    std::unique_ptr<Ui::CFrameDlg> m_ui;
    QComboBox* m_axisList = nullptr;
    QLineEdit* m_maxXEdit = nullptr;
    QLineEdit* m_maxYEdit = nullptr;
    std::array<QLineEdit*, FrameShape::kMotors> m_xEdits{};
    std::array<QLineEdit*, FrameShape::kMotors> m_yEdits{};
    std::array<QCheckBox*, FrameShape::kMotors> m_reverseBoxes{};
    FramePlanView* m_plan = nullptr;
};
