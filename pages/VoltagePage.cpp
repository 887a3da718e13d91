#include "VoltagePage.h"

#include <QLineEdit>
#include <QPushButton>

#include "BiText.h"
#include "ControlLookup.h"
#include "GuardedHandler.h"
#include "IControllerIntents.h"
#include "ParameterCaptions.h"
#include "Prompter.h"
#include "ResourceIds.h"
#include "SliderParameter.h"
#include "VoltText.h"
#include "ui_VoltagePage.h"

namespace {

constexpr BiText kCalibrationQuestion{
    "请先用万用表测出各电压的精确值，并将所得值输入相应的组框中,\r再点击按扭“校准”您的电池。"
    "您确定需要立即对电池的电压进行校准吗？",
    "First measure each voltage exactly with a multimeter and enter the values in their boxes,\r"
    "then press \"Calibrate\". Do you want to calibrate the battery voltages now?"};

// A cell box that holds no voltage.
constexpr BiText kNotAVoltage{"请输入电压，例如 4.05（伏）或 405（百分之一伏）。",
                              "Please enter a voltage, e.g. 4.05 (volts) or 405 (hundredths of a "
                              "volt)."};
// The cell boxes' tooltip (%1 the cell's number).
constexpr BiText kCellHelp{
    "电池%1的电压，用万用表测得，以伏为单位（例如 4.05），也可输入百分之一伏（405）。",
    "Cell %1's voltage as a multimeter reads it, in volts (e.g. 4.05); "
    "hundredths of a volt (405) are taken too."};

// The calibration frames carry four digits; a tap voltage of 10000 or more would lose its
// leading digit on the way to the controller.
constexpr qint64 kLargestTapValue = 9999;

PromptAnswer Tell(IPageHost& host, const QString& chinese, const QString& english) {
    const bool inEnglish = host.IsEnglish();
    return host.GetPrompter().Message(
        {inEnglish ? QStringLiteral("Velmora Mentioned:") : texts::kHintCaption.In(false),
         inEnglish ? english : chinese, PromptButtons::Ok, PromptIcon::Warning, PromptAnswer::Ok});
}

// The letters of the four cell voltage boxes, in box order.
constexpr char kCellLetters[] = {'4', '5', '6', '7'};

void FocusBox(QLineEdit* box) {
    box->setFocus();
    box->selectAll();
}

}  // namespace

CVoltagePage::CVoltagePage(IPageHost& host, QWidget* parent)
    : CSliderPage(host, CachePolicy::OnSend, parent), m_ui(std::make_unique<Ui::CVoltagePage>()) {
    m_ui->setupUi(this);
    setProperty("dialogTemplate", IDD_VOLTAGE_PAGE);

    AddParameter('L', IDC_VOLT_ALARM_SLIDER, IDC_VOLT_ALARM_EDIT);
    ParameterOf('L')->ShowInVolts();
    m_cellBoxes = {FindControlAs<QLineEdit>(this, IDC_VOLT_CELL1),
                   FindControlAs<QLineEdit>(this, IDC_VOLT_CELL2),
                   FindControlAs<QLineEdit>(this, IDC_VOLT_CELL3),
                   FindControlAs<QLineEdit>(this, IDC_VOLT_CELL4)};
    for (const char letter : kCellLetters)
        Host().Session().Cache().Watch(letter, this,
                                       [this, letter](int shown) { ShowReadBack(letter, shown); });
    SetLabelTexts({
        {IDC_VOLT_GROUP,
         {"电池电压校准与报警电压设置", "Battery Voltage Calibrate and Alarm Setup"}},
        {IDC_VOLT_CELL1_LABEL, captions::kCells[0]},
        {IDC_VOLT_CELL2_LABEL, captions::kCells[1]},
        {IDC_VOLT_CELL3_LABEL, captions::kCells[2]},
        {IDC_VOLT_CELL4_LABEL, captions::kCells[3]},
        {IDC_VOLT_ALARM_LABEL, captions::kAlarmVoltage},
        {IDC_VOLT_CALIBRATE, {"校  准", "Calibrate"}},
    });

    AddCaptionHelp('L', IDC_VOLT_ALARM_LABEL, captions::kAlarmVoltage);
    const int cellLabels[] = {IDC_VOLT_CELL1_LABEL, IDC_VOLT_CELL2_LABEL, IDC_VOLT_CELL3_LABEL,
                              IDC_VOLT_CELL4_LABEL};
    for (std::size_t i = 0; i < m_cellBoxes.size(); ++i)
        AddTooltip({FindControl(this, cellLabels[i]), m_cellBoxes[i]},
                   kCellHelp.In(false).arg(i + 1), kCellHelp.In(true).arg(i + 1));

    auto* calibrate = FindControlAs<QPushButton>(this, IDC_VOLT_CALIBRATE);
    connect(calibrate, &QPushButton::clicked, this,
            [this] { RunGuarded(Host().GetPrompter(), [this] { Calibrate(); }); });
}

CVoltagePage::~CVoltagePage() = default;

bool CVoltagePage::ShowReadBack(char letter, int shown) {
    for (std::size_t i = 0; i < m_cellBoxes.size(); ++i) {
        if (letter != kCellLetters[i]) continue;
        m_cellBoxes[i]->setText(VoltText(shown));
        return true;
    }
    return CSliderPage::ShowReadBack(letter, shown);
}

// Asks first, then checks the four cells and hands them to
// the session's calibration chain, which sends the first tap voltage.
void CVoltagePage::Calibrate() {
    const bool english = Host().IsEnglish();
    const PromptAnswer answer = Host().GetPrompter().Message(
        {texts::kHintCaption.In(english), kCalibrationQuestion.In(english), PromptButtons::OkCancel,
         PromptIcon::None, PromptAnswer::Cancel});
    if (answer != PromptAnswer::Ok) return;

    const std::optional<std::array<int, 4>> cells = ReadCells();
    if (!cells) return;
    Host().Session().Calibrate(*cells);
}

std::optional<std::array<int, 4>> CVoltagePage::ReadCells() {
    std::array<int, 4> cells{};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        // Typed in volts or in hundredths; the controller takes hundredths.
        const std::optional<int> voltage = ParseVoltage(m_cellBoxes[i]->text());
        if (!voltage) {
            Host().GetPrompter().Message({QStringLiteral("Vexa"),
                                          kNotAVoltage.In(Host().IsEnglish()), PromptButtons::Ok,
                                          PromptIcon::Warning, PromptAnswer::Ok});
            FocusBox(m_cellBoxes[i]);
            return std::nullopt;
        }
        cells[i] = *voltage;
    }
    qint64 tap = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] < 0) {
            Tell(Host(), QStringLiteral("电池电压不能为负数，请重新输入。"),
                 QStringLiteral("A cell voltage cannot be negative. Please enter it again."));
            FocusBox(m_cellBoxes[i]);
            return std::nullopt;
        }
        tap += cells[i];
        if (tap > kLargestTapValue) {
            Tell(Host(), QStringLiteral("各电池电压之和不能超过9999，请检查输入的数值。"),
                 QStringLiteral("The cell voltages must not add up to more than 9999. "
                                "Please check the values."));
            FocusBox(m_cellBoxes[i]);
            return std::nullopt;
        }
    }
    return cells;
}
