#include "FrameDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "BiText.h"
#include "BilingualCaption.h"
#include "ControlLookup.h"
#include "FocusOrder.h"
#include "FramePlan.h"
#include "FramePlanView.h"
#include "GuardedHandler.h"
#include "IClock.h"
#include "IControllerIntents.h"
#include "IPageHost.h"
#include "Prompter.h"
#include "ResourceIds.h"
#include "RestingChoice.h"
#include "ui_FrameDlg.h"

namespace {

using namespace std::chrono_literals;

// The list entries in order: "4轴", "6轴".
constexpr int kAxisCounts[] = {4, 6};

// Where the plan lies in the dialog: over the black frame inside group 1266, a little wider so
// that the labels of a motor at the edge are not cut off.
const QRect kPlanArea(377, 28, 231, 264);

constexpr char kRefusalCaption[] = "瑞翎航模提示您:";
constexpr char kSpanXOutOfRange[] = "X轴距的最大值必须在[0－5000]内,请重新输入数据!";
constexpr char kSpanYOutOfRange[] = "Y轴距的最大值必须在[0－5000]内,请重新输入数据!";
constexpr char kCoordinateXTooFar[] =
    "该数据框内的数值的绝对值必须小于X轴距的最大值!请重新输入数据!";
constexpr char kCoordinateYTooFar[] =
    "该数据框内的数值的绝对值必须小于Y轴距的最大值!请重新输入数据!";
constexpr char kAxisCountUnknown[] = "请先选择您机架的轴数，再按[保存]按扭!";
constexpr BiText kSaveQuestion{"您确信要保存您机架的上述设置值吗？",
                               "Are you sure to save the frame parameter？"};

int AxisListIndexOf(int count) {
    const auto* found = std::find(std::begin(kAxisCounts), std::end(kAxisCounts), count);
    return found == std::end(kAxisCounts) ? -1 : int(found - std::begin(kAxisCounts));
}

// The captions by widget name; back in Chinese each reads as its template has it.
struct Caption {
    const char* widget;
    BiText text;
};
const Caption kCaptions[] = {
    {"grpFrame", {"机架参数设置区", "Frame Settings"}},
    {"grpPlan", {"机架形状及电机位置模拟平面图", "Plan of Frame and Motors"}},
    {"lblAxisCount", {"请输入您机架的轴数", "Number of axes of your frame"}},
    {"lblMaxX", {"请输入您机架的X轴距最大值(mm)", "Largest X span of your frame (mm)"}},
    {"lblMaxY", {"请输入您机架的Y轴距最大值(mm)", "Largest Y span of your frame (mm)"}},
    {"lblCoordinates",
     {"请输入电机相对于飞行器设计重心的坐标（X，Y）值",
      "Motor X, Y from the design centre of gravity"}},
    {"lblDirection1017", {"桨方向", "Prop"}},
    {"lblDirection1018", {"桨方向", "Prop"}},
    {"lblCoordinate1015", {"坐标", "X,Y"}},
    {"lblCoordinate1016", {"坐标", "X,Y"}},
    {"lblMotor1", {"电机1", "M1"}},
    {"lblMotor2", {"电机2", "M2"}},
    {"lblMotor3", {"电机3", "M3"}},
    {"lblMotor4", {"电机4", "M4"}},
    {"lblMotor5", {"电机5", "M5"}},
    {"lblMotor6", {"电机6", "M6"}},
    {"btnSave", {"保存", "Save"}},
    {"btnCancel", {"取消", "Cancel"}},
    {"lblNote1267",
     {"说明：1.坐标原点与飞行器设计重心重合，X、Y轴相互垂直，建立坐标系",
      "Notes: 1. Origin: the design centre of gravity; X and Y at right angles"}},
    {"lblNote1268",
     {"2.先测量出各电机对应的坐标值，再将测得的值输入到对应的数据框中(不超过5000mm)",
      "2. Measure each motor's X, Y and enter them in its boxes (at most 5000 mm)"}},
    {"lblNote1269",
     {"3.选中每个电机前的复选框表示该电机的桨方向为反转(顺时针)，不选为正转(逆时针)",
      "3. A ticked box before a motor: its propeller turns clockwise; clear: anticlockwise"}},
    {"lblNote1270",
     {"4.按右侧“保存”按扭将各参数的值保存到星鹞飞控中",
      "4. Press \"Save\" on the right to store the values in the Pellar controller"}},
    {"lblNote1271",
     {"5.电机按编号接到星鹞飞控相应的输出通道",
      "5. Connect each motor to the controller's output of its number"}},
};
constexpr BiText kTitle{
    "瑞翎航模提示：请在本对话框中输入您机架的相关参数（注意各参数的说明），并按[保存]按扭！",
    "Velmora Mentioned: enter your frame's parameters (mind the notes) and "
    "press [Save]!"};
constexpr const char* kAxisEntries[] = {"4 axes", "6 axes"};

}  // namespace

void CFrameDlg::SetEnglish(bool english) {
    for (const Caption& caption : kCaptions)
        ShowCaption(findChild<QWidget*>(QString::fromUtf8(caption.widget)), caption.text, english);
    ShowWindowTitle(this, kTitle, english);
    ShowListEntries(m_axisList, kAxisEntries, english);
}

CFrameDlg::CFrameDlg(IPageHost& host, QWidget* parent)
    : QDialog(parent), m_host(host), m_ui(std::make_unique<Ui::CFrameDlg>()) {
    m_ui->setupUi(this);
    // Enter confirms the box it is typed in (keyPressEvent); no button is the default one.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setFixedSize(size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_axisList = FindControlAs<QComboBox>(this, IDC_FRAME_AXIS_COUNT);
    m_maxXEdit = FindControlAs<QLineEdit>(this, IDC_FRAME_MAX_X);
    m_maxYEdit = FindControlAs<QLineEdit>(this, IDC_FRAME_MAX_Y);
    for (int motor = 0; motor < FrameShape::kMotors; ++motor) {
        m_xEdits[motor] = FindControlAs<QLineEdit>(this, IDC_FRAME_MOTOR_X[motor]);
        m_yEdits[motor] = FindControlAs<QLineEdit>(this, IDC_FRAME_MOTOR_Y[motor]);
        m_reverseBoxes[motor] = FindControlAs<QCheckBox>(this, IDC_FRAME_REVERSE[motor]);
    }
    m_plan = new FramePlanView(this);
    m_plan->setGeometry(kPlanArea);
    m_plan->raise();
    new FocusOrder({this}, {}, this);

    // The frame's fields show every value the controller reports for their letters.
    std::vector<char> letters{kAxisCountLetter, kSpanXLetter, kSpanYLetter, kDirectionLetter};
    for (int motor = 0; motor < FrameShape::kMotors; ++motor)
        for (const bool isY : {false, true}) letters.push_back(LetterOf({motor, isY}));
    for (const char letter : letters)
        m_host.Session().Cache().Watch(letter, this,
                                       [this, letter](int shown) { ShowReadBack(letter, shown); });

    Prompter& prompter = m_host.GetPrompter();
    // A walk through the list by the keys sends only the count it rests on.
    auto* axisRest = new RestingChoice(
        *m_axisList, m_host.Clock(), prompter, [this] { OnAxisCountChosen(); },
        [this] {
            const int index = m_axisList->currentIndex();
            return index >= 0 && kAxisCounts[index] == m_nAxisCount;
        });
    connect(m_axisList, &QComboBox::activated, axisRest, &RestingChoice::Chosen);
    for (QCheckBox* box : m_reverseBoxes)
        BindGuarded(box, &QCheckBox::clicked, this, prompter, [this] { OnDirectionClicked(); });
    BindGuarded(FindControlAs<QPushButton>(this, IDC_FRAME_SAVE), &QPushButton::clicked, this,
                prompter, [this] { Save(); });
    connect(FindControlAs<QPushButton>(this, IDC_FRAME_CANCEL), &QPushButton::clicked, this,
            [this] { Close(); });
    for (QLineEdit* edit : {m_maxXEdit, m_maxYEdit}) edit->installEventFilter(this);
    for (int motor = 0; motor < FrameShape::kMotors; ++motor) {
        m_xEdits[motor]->installEventFilter(this);
        m_yEdits[motor]->installEventFilter(this);
    }
    UpdateData(false);
}

CFrameDlg::~CFrameDlg() = default;

void CFrameDlg::Open() {
    if (!isVisible()) {
        UpdateData(false);
        EnableMotorsFiveAndSix(m_nAxisCount != 4);
        m_plan->ShowAxesOnly();
    }
    show();
    raise();
    activateWindow();
}

FrameShape CFrameDlg::Shape() const {
    return {m_nAxisCount, m_nMaxX, m_nMaxY, m_nMotorX, m_nMotorY, m_bReverse};
}

bool CFrameDlg::UpdateData(bool save) {
    std::vector<std::pair<QLineEdit*, int*>> integers = {{m_maxXEdit, &m_nMaxX},
                                                         {m_maxYEdit, &m_nMaxY}};
    for (int motor = 0; motor < FrameShape::kMotors; ++motor) {
        integers.emplace_back(m_xEdits[motor], &m_nMotorX[motor]);
        integers.emplace_back(m_yEdits[motor], &m_nMotorY[motor]);
    }
    if (!save) {
        const QSignalBlocker blocker(m_axisList);
        m_axisList->setCurrentIndex(AxisListIndexOf(m_nAxisCount));
        for (const auto& [edit, value] : integers) edit->setText(QString::number(*value));
        for (int motor = 0; motor < FrameShape::kMotors; ++motor)
            m_reverseBoxes[motor]->setChecked(m_bReverse[motor]);
        return true;
    }
    for (const auto& [edit, value] : integers) {
        bool isInteger = false;
        const int read = edit->text().trimmed().toInt(&isInteger);
        if (!isInteger) {
            // Told as the main window tells it for its own integer box.
            Tell(QStringLiteral("Vexa"), texts::kNotAnInteger.In(m_host.IsEnglish()), edit);
            return false;
        }
        *value = read;
    }
    for (int motor = 0; motor < FrameShape::kMotors; ++motor)
        m_bReverse[motor] = m_reverseBoxes[motor]->isChecked();
    return true;
}

bool CFrameDlg::ShowReadBack(char letter, int shown) {
    if (letter == kAxisCountLetter) {
        // Only the two counts the list offers change anything.
        if (const int index = AxisListIndexOf(shown); index >= 0) {
            const QSignalBlocker blocker(m_axisList);
            m_axisList->setCurrentIndex(index);
            SetAxisCount(kAxisCounts[index]);
        }
        return true;
    }
    if (letter == kSpanXLetter || letter == kSpanYLetter) {
        const bool isY = letter == kSpanYLetter;
        (isY ? m_nMaxY : m_nMaxX) = shown;
        (isY ? m_maxYEdit : m_maxXEdit)->setText(QString::number(shown));
        return true;
    }
    if (const std::optional<CoordinateField> field = CoordinateOf(letter)) {
        ValueOf(*field) = shown;
        EditOf(*field)->setText(QString::number(shown));
        return true;
    }
    if (letter == kDirectionLetter) {
        ShowDirectionBits(shown);
        return true;
    }
    return false;
}

// Drawn once the whole frame has been read, not at every value: a check that fails then shows
// its warning once, after the reply that ended the read has been handled.
void CFrameDlg::FrameReadEnded() {
    m_bPostWarnings = true;
    RedrawPlan();
    m_bPostWarnings = false;
}

void CFrameDlg::RedrawPlan() {
    // A closed window has nothing to draw on; its next opening reads the frame again.
    if (!isVisible()) return;
    m_plan->ShowAxesOnly();
    if (!UpdateData(true)) return;
    UpdateData(false);
    if (const std::optional<CoordinateField> field = FirstInvalidCoordinate(Shape())) {
        Refuse(QString::fromUtf8(field->isY ? kCoordinateYTooFar : kCoordinateXTooFar),
               EditOf(*field));
        return;
    }
    m_plan->ShowLayout(LayOutPlan(Shape()));
}

void CFrameDlg::ShowDirectionBits(int mask) {
    for (int motor = 0; motor < FrameShape::kMotors; ++motor) {
        m_bReverse[motor] = (mask >> motor & 1) != 0;
        m_reverseBoxes[motor]->setChecked(m_bReverse[motor]);
    }
}

void CFrameDlg::OnAxisCountChosen() {
    const int index = m_axisList->currentIndex();
    if (index < 0) return;
    SetAxisCount(kAxisCounts[index]);
    m_host.Session().SetParameter(kAxisCountLetter, m_nAxisCount,
                                  IControllerIntents::CacheUpdate::Keep);
    RedrawPlan();
}

void CFrameDlg::OnDirectionClicked() {
    // The mask comes from the boxes alone, so an edit the operator is still typing in cannot
    // hold it back.
    for (int motor = 0; motor < FrameShape::kMotors; ++motor)
        m_bReverse[motor] = m_reverseBoxes[motor]->isChecked();
    RedrawPlan();
    m_host.Session().SetMotorDirections(DirectionMask(m_bReverse));
}

void CFrameDlg::OnSpanLeft(bool isY) {
    if (!UpdateData(true)) return;
    if (!SpanFits(isY ? m_nMaxY : m_nMaxX)) {
        Refuse(QString::fromUtf8(isY ? kSpanYOutOfRange : kSpanXOutOfRange),
               isY ? m_maxYEdit : m_maxXEdit);
        return;
    }
    RedrawPlan();
}

// The port is opened again, which reads every parameter back; after the question the session
// takes a copy of the frame record and, once that read-back has ended, sends it from the axis
// count on, each value after the controller's echo of the one before. Edits made meanwhile
// change nothing on the wire; the cache keeps the record once the controller has echoed it all.
void CFrameDlg::Save() {
    m_host.ReopenPort();
    if (!SaveConfirmed()) return;
    if (const int index = m_axisList->currentIndex(); index >= 0) SetAxisCount(kAxisCounts[index]);
    if (!UpdateData(true) || !ReadyToSave()) return;
    const std::array<int, 15> record = FrameRecordOf(Shape());
    UpdateData(false);
    m_host.Session().SaveFrame(record);
}

bool CFrameDlg::SaveConfirmed() {
    const bool english = m_host.IsEnglish();
    return m_host.GetPrompter().Message({texts::kMessageCaption.In(english),
                                         kSaveQuestion.In(english), PromptButtons::OkCancel,
                                         PromptIcon::Question, PromptAnswer::Ok}) ==
           PromptAnswer::Ok;
}

// Nothing goes to the controller that it would store as something else: an unknown axis
// count, a span outside 0..5000, a coordinate beyond its span or its four digits.
bool CFrameDlg::ReadyToSave() {
    if (!IsAxisCount(m_nAxisCount)) {
        Refuse(QString::fromUtf8(kAxisCountUnknown), m_axisList);
        return false;
    }
    if (!SpanFits(m_nMaxX)) {
        Refuse(QString::fromUtf8(kSpanXOutOfRange), m_maxXEdit);
        return false;
    }
    if (!SpanFits(m_nMaxY)) {
        Refuse(QString::fromUtf8(kSpanYOutOfRange), m_maxYEdit);
        return false;
    }
    if (const std::optional<CoordinateField> field = FirstInvalidCoordinate(Shape())) {
        Refuse(QString::fromUtf8(field->isY ? kCoordinateYTooFar : kCoordinateXTooFar),
               EditOf(*field));
        return false;
    }
    return true;
}

void CFrameDlg::Close() {
    m_bRedrawOnLeave = false;
    hide();
    m_bRedrawOnLeave = true;
}

void CFrameDlg::reject() { Close(); }

// Escape closes the editor. Enter never does: in a box it confirms that box (checked and the
// plan drawn, as leaving it does) and the focus stays there; elsewhere it does nothing, so no
// button is pressed by it as a dialog's default.
void CFrameDlg::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        Close();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) ConfirmEdit(edit);
        return;
    }
    QDialog::keyPressEvent(event);
}

void CFrameDlg::ConfirmEdit(QLineEdit* edit) {
    if (!isVisible() || !m_bRedrawOnLeave) return;
    if (edit == m_maxXEdit || edit == m_maxYEdit)
        OnSpanLeft(edit == m_maxYEdit);
    else
        RedrawPlan();
}

bool CFrameDlg::eventFilter(QObject* watched, QEvent* event) {
    // Leaving an edit checks it; a menu popping up over it is not leaving it.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        ConfirmEdit(static_cast<QLineEdit*>(watched));
    return QDialog::eventFilter(watched, event);
}

void CFrameDlg::SetAxisCount(int count) {
    m_nAxisCount = count;
    EnableMotorsFiveAndSix(count == 6);
}

void CFrameDlg::EnableMotorsFiveAndSix(bool enable) {
    for (int motor : {4, 5}) {
        m_xEdits[motor]->setEnabled(enable);
        m_yEdits[motor]->setEnabled(enable);
        m_reverseBoxes[motor]->setEnabled(enable);
        FindControl(this, IDC_FRAME_MOTOR_LABEL[motor])->setEnabled(enable);
    }
}

void CFrameDlg::Refuse(const QString& text, QWidget* focus) {
    Tell(QString::fromUtf8(kRefusalCaption), text, focus);
}

void CFrameDlg::Tell(const QString& caption, const QString& text, QWidget* focus) {
    if (m_bPostWarnings) {
        // Not from inside the receive event that ended the frame read: the line goes on.
        QTimer::singleShot(0, this, [this, caption, text, guarded = QPointer<QWidget>(focus)] {
            if (guarded) Tell(caption, text, guarded);
        });
        return;
    }
    m_bRedrawOnLeave = false;
    m_host.GetPrompter().Message(
        {caption, text, PromptButtons::Ok, PromptIcon::Warning, PromptAnswer::Ok});
    focus->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(focus)) edit->selectAll();
    m_bRedrawOnLeave = true;
}

QLineEdit* CFrameDlg::EditOf(CoordinateField field) const {
    return (field.isY ? m_yEdits : m_xEdits)[field.motor];
}

int& CFrameDlg::ValueOf(CoordinateField field) {
    return (field.isY ? m_nMotorY : m_nMotorX)[field.motor];
}
