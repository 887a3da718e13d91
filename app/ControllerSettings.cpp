#include "ControllerSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <span>
#include <tuple>

#include "CommError.h"
#include "CommandFrames.h"
#include "DeclinationBox.h"
#include "FrameDlg.h"
#include "GuardedHandler.h"
#include "IControllerIntents.h"
#include "ParamTable.h"
#include "PortConnection.h"
#include "RestingChoice.h"
#include "UiTexts.h"
#include "WindowActions.h"

namespace {

constexpr int kFrameEditorIndex = 15;  // "16. IRRET_SHAPE"
constexpr BiText kDeclinationCaption{"瑞翎航模提示：本地磁偏角设置",
                                     "Velmora Mentioned：Local magnetic declination"};

constexpr BiText kDeclinationOutOfRange{
    "磁偏角必须在%1到%2度之间，请重新输入!",
    "The declination must be between %1 and %2 degrees, please enter it again!"};
constexpr BiText kMessageCaption{"瑞翎航模提示：", "Velmora Mentioned:"};

constexpr BiText kFrameHint{
    "提示：请根据您的机器从右侧列表框中选择多轴模式，\r\r您的选择将立即被系统设置并保存到星鹞飞控中"
    "!\r\r"
    "描述：主要作用是提供机架模式的选择。默认的是常用的4X模式。\r\r其它的，可以根据说明书上的图例对"
    "应的模式选择。",
    "Tip: choose the multirotor mode of your aircraft from the list on the right;\r\rthe "
    "choice is set and saved in the Pellar controller at once!\r\rDescription: it selects the "
    "frame type. The default is the common 4X (QUADX) mode.\r\rFor the others, choose the mode "
    "that matches the pictures in the manual."};
constexpr BiText kEscHint{
    "提示：请根据您的机器从右侧列表框中选择输出模式，\r\r您的选择将立即被系统设置并保存到星鹞飞控中"
    "!\r\r"
    "描述：主要作用中为了适应不同的电调或舵机，一般选择330HZ。",
    "Tip: choose the output mode of your aircraft from the list on the right;\r\rthe choice is "
    "set and saved in the Pellar controller at once!\r\rDescription: it suits the output to "
    "different ESCs or servos; 330Hz is the usual choice."};
constexpr BiText kServoHint{
    "提示：根据舵机输出频率选择相应的选项\r\r1.50HZ代表模拟舵机，270 "
    "HZ代表数字舵机.\r\r2.默认舵机输出频率是50 HZ.",
    "Tip: choose the entry that matches the servos' output rate.\r\r1. 50Hz is for analogue "
    "servos, 270Hz for digital servos.\r\r2. The default servo output rate is 50Hz."};
constexpr BiText kSensorHint{
    "提示：请根据您的安装的设备勾选右侧相应的设备。\r\r您的选择将立即被系统设置并保存到星鹞飞控中!"
    "\r\r"
    "描述：主要作用中为了选择相应的设备，设备安装了，但如果没有通过工具软件勾选相应的设备，则设备无"
    "效！。",
    "Tip: tick the devices on the right that your aircraft has fitted.\r\rThe choice is set "
    "and saved in the Pellar controller at once!\r\rDescription: a device that is fitted but "
    "not ticked here is not used!"};
constexpr BiText kDeclinationHint{
    "功能描述及使用说明：\r\r1.请（从资料或网络）查出您所在地点的磁偏角值，并输入到数据框中。\r\r"
    "2.默认值为0（如查不到该本地值可用默认值飞行）。\r\r3."
    "只需输入磁偏角的度数值，如磁偏角为1度09分，只取度数1 输入.\r\r"
    "4.特别提醒：本地磁偏角值不可以随意输入!",
    "What it does and how to use it:\r\r1. Look up the magnetic declination of your place (in "
    "a reference or on the web) and enter it in the box.\r\r2. The default is 0 (fly with it "
    "if the local value cannot be found).\r\r3. Enter whole degrees only: for a declination of "
    "1 degree 09 minutes, enter 1.\r\r4. Note: do not enter the local declination at random!"};
constexpr BiText kDeclinationQuestion{"您需要立即设置本地磁偏角值吗？",
                                      "Do you want to set the local magnetic declination now?"};

}  // namespace

CControllerSettings::CControllerSettings(const Controls& controls, DeclinationBox& declination,
                                         IControllerIntents& session, CPortConnection& port,
                                         CFrameDlg& frameEditor, IClock& clock, Prompter& prompter,
                                         IWindowActions& window)
    : m_controls(controls),
      m_declination(declination),
      m_session(session),
      m_port(port),
      m_frameEditor(frameEditor),
      m_clock(clock),
      m_prompter(prompter),
      m_window(window) {
    // The panel's controls show every value the controller reports for their letters.
    for (const char letter : {'A', 'B', 'P', 'M', 'j', 'Q'})
        m_session.Cache().Watch(letter, &m_controls.frameType,
                                [this, letter](int shown) { ShowReadBack(letter, shown); });
}

void CControllerSettings::BindHandlers() {
    const Controls& ui = m_controls;
    Prompter& p = m_prompter;
    // A walk through a list or over a box by the keys sends only where it rests.
    const auto listShows = [this](QComboBox* list, char letter) {
        return [this, list, letter] { return list->currentIndex() + 1 == Cached(letter); };
    };
    const std::tuple<QComboBox*, char, void (CControllerSettings::*)()> lists[] = {
        {&ui.frameType, 'A', &CControllerSettings::OnFrameType},
        {&ui.escRate, 'B', &CControllerSettings::OnEscRate},
        {&ui.servoRate, 'P', &CControllerSettings::OnServoRate}};
    for (const auto& [list, letter, handler] : lists) {
        auto* rest = new RestingChoice(
            *list, m_clock, p, [this, handler = handler] { (this->*handler)(); },
            listShows(list, letter));
        QObject::connect(list, &QComboBox::activated, rest, &RestingChoice::Chosen);
    }
    for (QCheckBox* box : ui.sensors) {
        auto* rest = new RestingChoice(
            *box, m_clock, p, [this] { OnSensor(); },
            [this] { return SensorMaskShown() == SensorMaskHeld(); });
        QObject::connect(box, &QCheckBox::clicked, rest, &RestingChoice::Chosen);
    }
    BindGuarded(&ui.declinationSet, &QPushButton::clicked, &ui.declinationSet, p,
                [this] { OnDeclination(); });
    BindGuarded(&ui.frameEdit, &QPushButton::clicked, &ui.frameEdit, p,
                [this] { OnFrameEditor(); });
    const std::pair<QPushButton*, const BiText*> hints[] = {{&ui.frameHint, &kFrameHint},
                                                            {&ui.escHint, &kEscHint},
                                                            {&ui.servoHint, &kServoHint},
                                                            {&ui.sensorHint, &kSensorHint}};
    for (const auto& [button, text] : hints)
        BindGuarded(button, &QPushButton::clicked, button, p,
                    [this, text = text] { Hint(texts::kHintCaption, *text); });
    BindGuarded(&ui.declinationHint, &QPushButton::clicked, &ui.declinationHint, p,
                [this] { Hint(kDeclinationCaption, kDeclinationHint); });
}

void CControllerSettings::Hint(const BiText& caption, const BiText& text) {
    const bool english = m_window.IsEnglish();
    m_prompter.Message({caption.In(english), text.In(english), PromptButtons::OkCancel,
                        PromptIcon::None, PromptAnswer::Ok});
}

void CControllerSettings::ShowFrameEditButton(int frameTypeIndex) {
    // Only frame type 16 has an editable geometry; the button shows while it is selected.
    const bool editable = frameTypeIndex == kFrameEditorIndex;
    m_controls.frameEdit.setEnabled(editable);
    m_controls.frameEdit.setVisible(editable);
}

void CControllerSettings::OnFrameType() {
    const int index = m_controls.frameType.currentIndex();
    ShowFrameEditButton(index);
    SetParameter('A', index + 1);
    // The controller may change other parameters with the frame type: read everything back.
    m_port.ChangePort();
}

void CControllerSettings::OnEscRate() { SetParameter('B', m_controls.escRate.currentIndex() + 1); }

void CControllerSettings::OnServoRate() {
    SetParameter('P', m_controls.servoRate.currentIndex() + 1);
}

int CControllerSettings::Cached(char letter) const {
    return m_session.Cache()[std::size_t(*CacheSlotOf(letter))];
}

int CControllerSettings::SensorMaskShown() const {
    int mask = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (m_controls.sensors[bit]->isChecked()) mask |= 1 << bit;
    return mask;
}

int CControllerSettings::SensorMaskHeld() const {
    // The line reader spreads the mask over the cache slots of the eight boxes.
    const auto bits = m_session.Cache().subspan(*CacheSlotOf('M'), 8);
    int mask = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (bits[bit] != 0) mask |= 1 << bit;
    return mask;
}

void CControllerSettings::OnSensor() {
    // The eight boxes are the eight bits of the mask, in bit order; only they are read (a box
    // elsewhere that holds no number does not stop the send).
    SetParameter('M', SensorMaskShown());
}

// A send the port refuses leaves the control showing what the controller holds (the cache),
// not the choice that never reached it; the error is shown as every serial error is.
void CControllerSettings::SetParameter(char letter, int shown) {
    try {
        m_session.SetParameter(letter, shown);
    } catch (const CommError&) {
        ShowReadBack(letter, Cached(letter));
        throw;
    }
}

bool CControllerSettings::DeclinationFits(int declination) {
    const ShownRange range = *ShownRangeOf('Q', m_session.FirmwareVersion());
    if (range.Contains(declination)) return true;
    const bool english = m_window.IsEnglish();
    m_prompter.Message({kMessageCaption.In(english),
                        kDeclinationOutOfRange.In(english).arg(range.minimum).arg(range.maximum),
                        PromptButtons::Ok, PromptIcon::Warning, PromptAnswer::Ok});
    return false;
}

void CControllerSettings::OnDeclination() {
    const bool english = m_window.IsEnglish();
    const PromptAnswer answer =
        m_prompter.Message({kDeclinationCaption.In(english), kDeclinationQuestion.In(english),
                            PromptButtons::OkCancel, PromptIcon::None, PromptAnswer::Ok});
    if (answer != PromptAnswer::Ok) return;
    // A box that does not hold a whole number, or a declination the four digits cannot carry,
    // sends nothing: the controller would otherwise get a stale or a wrong value.
    if (!m_declination.Take()) return;
    const int declination = m_declination.Degrees();
    if (!DeclinationFits(declination)) return;
    m_declination.Show();
    m_session.SetDeclination(declination);
}

void CControllerSettings::OnFrameEditor() {
    m_port.ChangePort();
    OpenFrameEditorOnReadBack();
}

// The full read-back a port opening has started goes on; the frame geometry is asked for once
// it has ended, so that the replies of the two chains never mix on the line.
void CControllerSettings::OpenFrameEditorOnReadBack() {
    m_frameEditor.Open();
    if (!m_port.IsOpen()) return;  // the status says why; nothing can be read
    m_session.ReadFrame();
}

bool CControllerSettings::ShowReadBack(char letter, int shown) {
    const Controls& ui = m_controls;
    auto select = [shown](QComboBox* list) {
        if (shown < 1 || shown > list->count()) return;
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(shown - 1);
    };
    switch (letter) {
        case 'A':
            select(&ui.frameType);
            if (shown >= 1) ShowFrameEditButton(shown - 1);
            return true;
        case 'B':
            select(&ui.escRate);
            return true;
        case 'P':
            select(&ui.servoRate);
            return true;
        case 'M': {
            // The line reader has spread the mask over the cache slots of the eight boxes.
            const auto bits = m_session.Cache().subspan(*CacheSlotOf('M'), 8);
            for (int bit = 0; bit < 8; ++bit) ui.sensors[bit]->setChecked(bits[bit] != 0);
            return true;
        }
        case 'j':
            // The reference set the controller holds: the list entry of the same index.
            if (shown >= 0 && shown < ui.restoreList.count()) {
                const QSignalBlocker blocker(&ui.restoreList);
                ui.restoreList.setCurrentIndex(shown);
            }
            return true;
        case 'Q':
            m_declination.Set(shown);
            return true;
        default:
            return false;
    }
}
