#include "CustomPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <chrono>

#include "BiText.h"
#include "BilingualCaption.h"
#include "ClockTimer.h"
#include "CommError.h"
#include "ControlLookup.h"
#include "GuardedHandler.h"
#include "IClock.h"
#include "IControllerIntents.h"
#include "LiveFrame.h"
#include "LivePlot.h"
#include "ParamTable.h"
#include "ParameterCaptions.h"
#include "Prompter.h"
#include "ResourceIds.h"
#include "RestingChoice.h"
#include "ui_CustomPage.h"

namespace {

// The parameter letter of each grid row, top to bottom.
constexpr std::array<char, CCustomPage::kRows> kRowLetters{'a', 'b', 'c', 'd', 'e',
                                                           'f', '=', 'g', 'h', 'i'};
// Heading lock and care-free: a switch position may turn on only one of the two.
constexpr int kHeadingLockRow = 3;
constexpr int kCareFreeRow = 4;

// Receiver reverse boxes 1198-1200 (channels 2-4) are hidden and take no clicks; they keep
// what the read-back says, and the mask sends it back unchanged.
constexpr int kLastHiddenReverse = 3;

constexpr BiText kDisplayStopped{"显示数据", "Data Display"};
constexpr BiText kDisplayStreaming{"停止显示", "Display Stop"};

constexpr BiText kFunctionHint{
    "提示：请根据您的需要，自己定义相应功能选项：\r\r 1.每一行全为空白，表示该项功能未被选择；\r\r"
    " 2.请根据您即将使用的遥控器通道及开关档位进行相应的功能选择，以免误选和漏选；\r\r"
    " 3.因功能需要，“自稳”与“3D”,“锁定航向”与“无向CF”的同一通道同一开关档位的选择是互斥的。\r\r"
    "4.因功能需要，选择“自动降落”功能时，相应的“定高”功能也自动选上。\r\r"
    "  相应的，取消“定高”功能时，同档位的“自动降落”功能将自动取消。",
    "Tip: define the functions as you need them:\r\r 1. A row left empty means that function "
    "is not used;\r\r 2. Choose by the transmitter channels and switch positions you will "
    "use, so that nothing is chosen by mistake or left out;\r\r 3. \"AutoStabi\" and \"3D "
    "Stunt\", and \"HeadLock\" and \"CareFree\", exclude each other on the same channel and "
    "switch position.\r\r4. Choosing \"Autolanding\" also chooses \"HeightLock\" at the same "
    "position;\r\r  likewise, clearing \"HeightLock\" clears \"Autolanding\" at the same "
    "position."};

struct PageText {
    int id;
    BiText text;
};

// What the language switch sets on this page (button 1118 follows the display's state).
const PageText kPageTexts[] = {
    {IDC_FUNCTION_HINT, {"功能选项", "Funtion"}},
    {IDC_SWITCH_INDICATOR_TITLE, {"开关指示", "Switches"}},
    {IDC_ROW_LABEL_FIRST + 0, captions::kSwitchRows[0]},
    {IDC_ROW_LABEL_FIRST + 1, captions::kSwitchRows[1]},
    {IDC_ROW_LABEL_FIRST + 2, captions::kSwitchRows[2]},
    {IDC_ROW_LABEL_FIRST + 3, captions::kSwitchRows[3]},
    {IDC_ROW_LABEL_FIRST + 4, captions::kSwitchRows[4]},
    {IDC_ROW_LABEL_FIRST + 5, captions::kSwitchRows[5]},
    {IDC_ROW_LABEL_FIRST + 6, captions::kSwitchRows[6]},
    {IDC_ROW_LABEL_FIRST + 7, captions::kSwitchRows[7]},
    {IDC_ROW_LABEL_FIRST + 8, captions::kSwitchRows[8]},
    {IDC_ROW_LABEL_FIRST + 9, captions::kSwitchRows[9]},
    {IDC_FAILSAFE_LABEL, {"失控保护指  示", "FailSafe Indicator"}},
    {IDC_FAILSAFE_CAPTION_FIRST + 0, {"低", "Low"}},
    {IDC_FAILSAFE_CAPTION_FIRST + 1, {"失控保护", "FailSafe"}},
    {IDC_FAILSAFE_CAPTION_FIRST + 2, {"中", "Mid"}},
    {IDC_FAILSAFE_CAPTION_FIRST + 3, {"失控保护", "FailSafe"}},
    {IDC_FAILSAFE_CAPTION_FIRST + 4, {"高", "High"}},
    {IDC_CHANNEL_HEAD_FIRST + 0, {"5通道", "5CH"}},
    {IDC_CHANNEL_HEAD_FIRST + 1, {"6通道", "6CH"}},
    {IDC_CHANNEL_HEAD_FIRST + 2, {"7通道", "7CH"}},
    {IDC_CHANNEL_HEAD_FIRST + 3, {"8通道", "8CH"}},
    {IDC_POSITION_HEADS_FIRST + 0, {"低 中 高", "L   M   H"}},
    {IDC_POSITION_HEADS_FIRST + 1, {"低 中 高", "L   M   H"}},
    {IDC_POSITION_HEADS_FIRST + 2, {"低 中 高", "L   M   H"}},
    {IDC_POSITION_HEADS_FIRST + 3, {"低 中 高", "L   M   H"}},
    {IDC_RECEIVER_DATA_CAPTION,
     {"接收机通道数据(选中复选框可反向)", "Receiver Channel Data(Check to reverse)"}},
    {IDC_OUTPUT_DATA_CAPTION,
     {"输出通道数据(选中复选框可反向)", "Output Channel Data(Check to reverse)"}},
    {IDC_VIBRATION_CAPTION, {"振 动 值", "Healthy"}},
    {IDC_MAG_ANGLE_CAPTION, {"磁 角 度", "Mag_Angle"}},
    {IDC_SONAR_HEIGHT_CAPTION, {"超声波高度", "Ul_Height"}},
    {IDC_BARO_HEIGHT_CAPTION, {"气压计高度", "Ba_Height"}},
    {IDC_DEGREES_UNIT, {"度", "Deg"}},
    {IDC_MILLIMETRES_UNIT, {"毫米", "mm"}},
    {IDC_DECIMETRES_UNIT, {"分米", "dm"}},
    {IDC_LONGITUDE_CAPTION, {"GPS经度值", "GPS Longitude"}},
    {IDC_LATITUDE_CAPTION, {"GPS纬度值", "GPS Latitude"}},
    {IDC_MONITOR_GROUP, {"数据显示区", "Data Displaying Area"}},
    {IDC_CUSTOM_GROUP, {"自定义功能区", "Custom"}},
};

// What the live values shown are, when no frame is coming in.
constexpr BiText kValuesStopped{"显示已停止：以上是最后收到的数值",
                                "Display stopped: the last values received"};
constexpr BiText kValuesNoData{"未收到数据：以上是最后收到的数值",
                               "No data coming: the last values received"};
constexpr BiText kValuesLineLost{"连接已断开：以上是最后收到的数值",
                                 "Line lost: the last values received"};
// The tooltips of the grid's boxes (%1 the channel, %2 the position) and the reverse boxes.
constexpr BiText kGridHelp{"勾选：%1通道开关在“%2”位时打开这一行的功能；点击即写入飞控",
                           "Ticked: the switch on CH%1 at \"%2\" turns this row's function on; a "
                           "click writes it to the controller"};
constexpr BiText kPositions[] = {{"低", "low"}, {"中", "middle"}, {"高", "high"}};
constexpr BiText kReverseHelp{"勾选：该通道反向；点击即写入飞控",
                              "Ticked: this channel is reversed; a click writes it to the "
                              "controller"};
// A stream that sends nothing for this long is told as such.
constexpr std::chrono::milliseconds kFrameSilence{1500};

int MaskOf(const auto& boxes) {
    int mask = 0;
    for (std::size_t k = 0; k < boxes.size(); ++k)
        if (boxes[k]->isChecked()) mask |= 1 << k;
    return mask;
}

void ShowBits(const auto& boxes, int value) {
    for (std::size_t k = 0; k < boxes.size(); ++k) boxes[k]->setChecked((value >> k) & 1);
}

// Repainting costs more than comparing: a field that shows the same value is left alone.
void ShowText(QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
}

void ShowNumber(QLineEdit* box, int value) { ShowText(box, QString::number(value)); }

}  // namespace

CCustomPage::CCustomPage(IPageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::CCustomPage>()) {
    m_ui->setupUi(this);
    FindControls();
    // The barometer caption reads as the language switch writes it, not as the template has it.
    SetControlText(FindControl(this, IDC_BARO_HEIGHT_CAPTION), QStringLiteral("气压计高度"));
    SetStreamingControls(false);
    ShowTooltips(false);
    BindHandlers();
    // The grid rows and the reverse masks show every value the controller reports for them.
    const ParameterCache& cache = m_host.Session().Cache();
    for (const char letter : kRowLetters)
        cache.Watch(letter, this, [this, letter](int shown) { ShowReadBack(letter, shown); });
    for (const char letter : {'N', 'O'})
        cache.Watch(letter, this, [this, letter](int shown) { ShowReadBack(letter, shown); });
    m_livePlot = std::make_unique<CLivePlot>(m_host, *this, *m_ui->btnLivePlot);
    m_frameWatch = std::make_unique<ClockTimer>(m_host.Clock());
    m_frameWatch->onExpired = [this] {
        if (m_age == LiveAge::Streaming && m_bHasValues) SetAge(LiveAge::NoData);
    };
}

CCustomPage::~CCustomPage() = default;

void CCustomPage::FindControls() {
    const ControlIndex controls(this);
    for (int row = 0; row < kRows; ++row)
        for (int k = 0; k < kColumns; ++k)
            m_grid[row][k] = controls.FindAs<QCheckBox>(IDC_SWITCH_GRID[row][k]);
    for (int k = 0; k < 8; ++k) {
        m_receiverReverse[k] = controls.FindAs<QCheckBox>(IDC_RECEIVER_REVERSE[k]);
        m_outputReverse[k] = controls.FindAs<QCheckBox>(IDC_OUTPUT_REVERSE[k]);
        m_receiverBoxes[k] = controls.FindAs<QLineEdit>(IDC_RECEIVER_CH1 + k);
        m_outputBoxes[k] = controls.FindAs<QLineEdit>(IDC_OUTPUT_1 + k);
    }
    m_switchIndicators = {
        controls.FindAs<QSlider>(IDC_INDICATOR_CH5), controls.FindAs<QSlider>(IDC_INDICATOR_CH6),
        controls.FindAs<QSlider>(IDC_INDICATOR_CH7), controls.FindAs<QSlider>(IDC_INDICATOR_CH8)};
    m_failSafeIndicator = controls.FindAs<QSlider>(IDC_FAILSAFE_INDICATOR);
    m_displayButton = controls.FindAs<QPushButton>(IDC_DISPLAY_TOGGLE);
    // The indicators show where the switches stand; the operator moves nothing through them.
    for (QSlider* indicator : m_switchIndicators)
        indicator->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_failSafeIndicator->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CCustomPage::BindHandlers() {
    Prompter& prompter = m_host.GetPrompter();
    for (int row = 0; row < kRows; ++row) {
        const int partner = row == kHeadingLockRow ? kCareFreeRow
                            : row == kCareFreeRow  ? kHeadingLockRow
                                                   : -1;
        const char letter = kRowLetters[row];
        const auto unchanged = [this, row, letter, partner] {
            return RowValue(row) == m_confirmed[letter] &&
                   (partner < 0 || RowValue(partner) == m_confirmed[kRowLetters[partner]]);
        };
        for (QCheckBox* box : m_grid[row])
            RestOnKeys(
                box,
                [this, row, partner] {
                    if (partner < 0)
                        SendRow(row);
                    else
                        SendLinkedRow(row, partner);
                },
                unchanged);
    }
    for (const auto& [letter, boxes] :
         {std::pair{'N', &m_receiverReverse}, std::pair{'O', &m_outputReverse}})
        for (QCheckBox* box : *boxes)
            RestOnKeys(
                box, [this, letter = letter, boxes = boxes] { SendReverse(letter, *boxes); },
                [this, letter = letter, boxes = boxes] {
                    return MaskOf(*boxes) == m_confirmed[letter];
                });
    BindGuarded(FindControlAs<QPushButton>(this, IDC_FUNCTION_HINT), &QPushButton::clicked, this,
                prompter, [this] { ShowHint(); });
    BindGuarded(m_displayButton, &QPushButton::clicked, this, prompter,
                [this] { ToggleDisplay(); });
}

// A click sends at once; the space bar sends once the keys rest (two quick presses: none).
void CCustomPage::RestOnKeys(QCheckBox* box, std::function<void()> send,
                             std::function<bool()> unchanged) {
    auto* rest = new RestingChoice(*box, m_host.Clock(), m_host.GetPrompter(), std::move(send),
                                   std::move(unchanged));
    connect(box, &QCheckBox::clicked, rest, &RestingChoice::Chosen);
}

int CCustomPage::RowValue(int row) const { return MaskOf(m_grid[row]); }

void CCustomPage::SendRow(int row) {
    const char letter = kRowLetters[row];
    SendShowingTheControllers(letter, m_grid[row],
                              [&] { m_host.Session().SetSwitchRow(letter, RowValue(row)); });
}

// A switch position may not drive both rows: the partner loses the positions this row took.
// A refused send leaves both rows showing what the controller holds: the session's cache keeps
// each row only once it went out, so a partner refused after its row is told apart.
void CCustomPage::SendLinkedRow(int row, int partner) {
    const char letter = kRowLetters[row];
    const char other = kRowLetters[partner];
    const int mask = RowValue(row);
    const int partnerMask = RowValue(partner) & ~mask;
    try {
        m_host.Session().SetLinkedSwitchRows(letter, mask, other, partnerMask);
    } catch (const CommError&) {
        for (const auto& [rowAt, rowLetter] : {std::pair{row, letter}, std::pair{partner, other}}) {
            m_confirmed[rowLetter] = MaskFromCache(rowLetter, m_host.Session().Cache());
            ShowBits(m_grid[rowAt], m_confirmed[rowLetter]);
        }
        throw;
    }
    ShowBits(m_grid[partner], partnerMask);
    m_confirmed[letter] = mask;
    m_confirmed[other] = partnerMask;
}

void CCustomPage::SendReverse(char letter, const std::array<QCheckBox*, 8>& boxes) {
    // The receive mode stays as it is: a running live display goes on being parsed.
    SendShowingTheControllers(letter, boxes,
                              [&] { m_host.Session().SetReverseMask(letter, MaskOf(boxes)); });
}

// A mask the port refuses leaves its boxes showing what the controller holds, not a click that
// never reached it; the error is shown as every serial error is.
void CCustomPage::SendShowingTheControllers(char letter, std::span<QCheckBox* const> boxes,
                                            const std::function<void()>& send) {
    try {
        send();
    } catch (const CommError&) {
        ShowBits(boxes, m_confirmed[letter]);
        throw;
    }
    m_confirmed[letter] = MaskOf(boxes);
}

void CCustomPage::ShowHint() {
    const bool english = m_host.IsEnglish();
    m_host.GetPrompter().Message({texts::kHintCaption.In(english), kFunctionHint.In(english),
                                  PromptButtons::OkCancel, PromptIcon::None, PromptAnswer::Ok});
}

bool CCustomPage::ShowReadBack(char letter, int shown) {
    for (int row = 0; row < kRows; ++row) {
        if (kRowLetters[row] != letter) continue;
        ShowBits(m_grid[row], shown);
        m_confirmed[letter] = shown;
        return true;
    }
    if (letter == 'N') ShowBits(m_receiverReverse, shown);
    if (letter == 'O') ShowBits(m_outputReverse, shown);
    if (letter == 'N' || letter == 'O') m_confirmed[letter] = shown;
    return letter == 'N' || letter == 'O';
}

void CCustomPage::ShowLiveFrame(const LiveFrame& frame) {
    m_livePlot->Record(frame);
    m_bHasValues = true;
    if (!m_bDisplayStopped) {
        m_frameWatch->Start(kFrameSilence);
        if (m_age != LiveAge::Streaming) SetAge(LiveAge::Streaming);
    }
    switch (frame.kind) {
        case LiveFrame::Kind::Receiver:
            for (int channel = 1; channel <= 8; ++channel)
                ShowNumber(m_receiverBoxes[channel - 1], ReceiverChannel(frame, channel));
            for (int i = 0; i < 4; ++i)
                m_switchIndicators[i]->setValue(ReceiverChannel(frame, 5 + i));
            m_failSafeIndicator->setValue(ReceiverChannel(frame, 5));
            return;
        case LiveFrame::Kind::Outputs:
            for (int i = 0; i < 8; ++i) ShowNumber(m_outputBoxes[i], frame.values[i]);
            return;
        case LiveFrame::Kind::Sensors:
            ShowNumber(m_ui->edtSonarHeight, frame.ultrasonicMm);
            ShowNumber(m_ui->edtBaroHeight, frame.baroDm);
            ShowNumber(m_ui->edtMagAngle, frame.headingDeg);
            ShowNumber(m_ui->edtVibration, frame.vibration);
            ShowText(m_ui->edtLongitude, frame.longitude);
            ShowText(m_ui->edtLatitude, frame.latitude);
            return;
    }
}

void CCustomPage::ToggleDisplay() {
    if (m_bDisplayStopped)
        StartDisplay();
    else
        StopDisplay();
}

// The page shows the streaming state before it touches the port: if the port refuses, the
// next click stops what was started.
void CCustomPage::StartDisplay() {
    if (!m_livePlot->MayStartAfresh()) return;
    m_livePlot->DisplayStarted();
    SetStreamingControls(true);
    m_bDisplayStopped = false;
    SetAge(LiveAge::Streaming);
    m_frameWatch->Start(kFrameSilence);
    ShowDisplayCaption(m_host.IsEnglish());
    m_host.Session().StartLiveDisplay();
}

void CCustomPage::StopDisplay() {
    StopDisplayState();
    RestoreIdleControls();
    m_host.ClearFirmwareChoice();
    m_host.Session().StopLiveDisplay();
}

void CCustomPage::StopDisplayState() {
    m_bDisplayStopped = true;
    m_frameWatch->Stop();
    if (m_age != LiveAge::LineLost) SetAge(m_bHasValues ? LiveAge::Stopped : LiveAge::None);
}

void CCustomPage::LineLost() {
    m_bDisplayStopped = true;
    m_frameWatch->Stop();
    SetAge(m_bHasValues ? LiveAge::LineLost : LiveAge::None);
}

void CCustomPage::ClearLiveValues() {
    for (const auto* boxes : {&m_receiverBoxes, &m_outputBoxes})
        for (QLineEdit* box : *boxes) box->clear();
    for (QLineEdit* box : {m_ui->edtSonarHeight, m_ui->edtBaroHeight, m_ui->edtMagAngle,
                           m_ui->edtVibration, m_ui->edtLongitude, m_ui->edtLatitude})
        box->clear();
    m_bHasValues = false;
    SetAge(m_bDisplayStopped ? LiveAge::None : LiveAge::Streaming);
}

void CCustomPage::ShowTooltips(bool english) {
    for (const auto& row : m_grid)
        for (int k = 0; k < kColumns; ++k)
            row[std::size_t(k)]->setToolTip(
                kGridHelp.In(english).arg(5 + k / 3).arg(kPositions[k % 3].In(english)));
    for (const auto* boxes : {&m_receiverReverse, &m_outputReverse})
        for (QCheckBox* box : *boxes) box->setToolTip(kReverseHelp.In(english));
}

void CCustomPage::SetAge(LiveAge age) {
    m_age = age;
    ShowAge();
}

void CCustomPage::ShowAge() {
    const bool english = m_host.IsEnglish();
    QString text;
    switch (m_age) {
        case LiveAge::Stopped:
            text = kValuesStopped.In(english);
            break;
        case LiveAge::NoData:
            text = kValuesNoData.In(english);
            break;
        case LiveAge::LineLost:
            text = kValuesLineLost.In(english);
            break;
        case LiveAge::None:
        case LiveAge::Streaming:
            break;
    }
    m_ui->lblLiveState->setText(text);
    m_livePlot->SetAgeNote(text);
}

void CCustomPage::RestoreIdleControls() {
    ShowDisplayCaption(m_host.IsEnglish());
    SetStreamingControls(false);
}

// While the stream runs only the reverse boxes of channels 5-8 and of the outputs take clicks.
void CCustomPage::SetStreamingControls(bool streaming) {
    for (const auto& row : m_grid)
        for (QCheckBox* box : row) box->setEnabled(!streaming);
    // Box 1197 takes clicks only while stopped, the hidden 1198-1200 never.
    for (int k = 0; k < 8; ++k)
        m_receiverReverse[k]->setEnabled(k > kLastHiddenReverse || (k == 0 && !streaming));
    for (QCheckBox* box : m_outputReverse) box->setEnabled(true);
}

void CCustomPage::ShowDisplayCaption(bool english) {
    m_displayButton->setText((m_bDisplayStopped ? kDisplayStopped : kDisplayStreaming).In(english));
}

void CCustomPage::SetEnglish(bool english) {
    for (const PageText& entry : kPageTexts)
        ShowCaption(FindControl(this, entry.id), entry.text, english);
    ShowTooltips(english);
    ShowDisplayCaption(english);
    m_livePlot->SetEnglish(english);
    ShowAge();
}
