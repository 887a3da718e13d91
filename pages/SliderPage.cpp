#include "SliderPage.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSlider>

#include "BilingualCaption.h"
#include "CommError.h"
#include "ControlLookup.h"
#include "GuardedHandler.h"
#include "IControllerIntents.h"
#include "ParamTable.h"
#include "Prompter.h"
#include "SliderParameter.h"

namespace {
constexpr BiText kOutsideRange{"请输入%1到%2之间的整数。",
                               "Please enter a whole number from %1 to %2."};
constexpr BiText kVoltageOutsideRange{"请输入%1到%2之间的电压，例如 3.30 或 330（百分之一伏）。",
                                      "Please enter a voltage from %1 to %2, e.g. 3.30 or 330 "
                                      "(hundredths of a volt)."};
// The range a tooltip ends with.
constexpr BiText kRange{"范围：%1～%2", "Range: %1 to %2"};
}  // namespace

CSliderPage::CSliderPage(IPageHost& host, CachePolicy policy, QWidget* parent)
    : QWidget(parent), m_host(host), m_policy(policy) {}

void CSliderPage::AddParameter(char letter, int sliderId, int boxId) {
    // Only the gimbal ratios change their range with the firmware, and their sliders give
    // their own; every other slider covers what its letter can show.
    const std::optional<ShownRange> range = ShownRangeOf(letter, kGimbalOffsetLastVersion + 1);
    Q_ASSERT_X(range, "CSliderPage::AddParameter", "letter without a range");
    AddParameter(letter, sliderId, boxId, range->minimum, range->maximum);
}

void CSliderPage::AddParameter(char letter, int sliderId, int boxId, int minimum, int maximum) {
    auto* slider = FindControlAs<QSlider>(this, sliderId);
    auto* box = FindControlAs<QLineEdit>(this, boxId);
    Q_ASSERT_X(slider && box, "CSliderPage::AddParameter", "control id missing from the template");
    auto* parameter =
        new SliderParameter(letter, slider, box, minimum, maximum, m_host.Clock(), this);
    m_parameters.push_back(parameter);
    m_confirmed[letter] = parameter->Shown();
    // The slider shows every value the controller reports for its letter.
    m_host.Session().Cache().Watch(letter, this,
                                   [this, letter](int shown) { ShowReadBack(letter, shown); });
    connect(parameter, &SliderParameter::Committed, this, [this, parameter](int shown) {
        RunGuarded(m_host.GetPrompter(), [&] { Commit(*parameter, shown); });
    });
    // Queued: a box left with a wrong number is refused from inside the focus change, where
    // a message box must not open.
    connect(
        parameter, &SliderParameter::Refused, this,
        [this, parameter](int minimum, int maximum) { RefuseTyped(*parameter, minimum, maximum); },
        Qt::QueuedConnection);
}

void CSliderPage::RefuseTyped(const SliderParameter& parameter, int minimum, int maximum) {
    const bool english = m_host.IsEnglish();
    const QString text = parameter.InVolts() ? kVoltageOutsideRange.In(english).arg(
                                                   parameter.Text(minimum), parameter.Text(maximum))
                                             : kOutsideRange.In(english).arg(minimum).arg(maximum);
    m_host.GetPrompter().Message({texts::kMessageCaption.In(english), text, PromptButtons::Ok,
                                  PromptIcon::Warning, PromptAnswer::Ok});
}

SliderParameter* CSliderPage::ParameterOf(char letter) const {
    for (SliderParameter* parameter : m_parameters)
        if (parameter->Letter() == letter) return parameter;
    return nullptr;
}

bool CSliderPage::ShowReadBack(char letter, int shown) {
    SliderParameter* parameter = ParameterOf(letter);
    if (!parameter) return false;
    parameter->Show(shown);
    m_confirmed[letter] = shown;
    return true;
}

void CSliderPage::SetEnglish(bool english) {
    for (const LabelText& label : m_labels) {
        ShowCaption(FindControl(this, label.id), label.text, english);
        if (m_group.first) ShowCaption(m_group.first, m_group.second, english);
    }
    m_tooltips.Show(english);
}

void CSliderPage::AddHelp(char letter, int labelId, const QString& chinese,
                          const QString& english) {
    SliderParameter* parameter = ParameterOf(letter);
    Q_ASSERT_X(parameter, "CSliderPage::AddHelp", "letter without a slider");
    const auto withRange = [parameter](const QString& help, bool english) {
        const QString range = kRange.In(english)
                                  .arg(parameter->Text(parameter->Slider()->minimum()))
                                  .arg(parameter->Text(parameter->Slider()->maximum()));
        return help + QLatin1Char('\n') + range;
    };
    m_tooltips.Add({FindControl(this, labelId), parameter->Slider(), parameter->Box()},
                   withRange(chinese, false), withRange(english, true));
    m_tooltips.Show(false);
}

void CSliderPage::AddCaptionHelp(char letter, int labelId, const BiText& caption) {
    // The captions are spaced out to fill their buttons; the tooltip reads them plainly.
    const auto plain = [](const QString& text) {
        return text.simplified().remove(
            QRegularExpression(QStringLiteral("(?<=\\p{Han}) (?=\\p{Han})")));
    };
    AddHelp(letter, labelId, plain(caption.In(false)), plain(caption.In(true)));
}

// The value goes to the controller; the cache takes it only once it has been sent. When the port
// refuses it, the slider goes back to the value the controller holds and the error is shown.
void CSliderPage::Commit(SliderParameter& parameter, int shown) {
    const char letter = parameter.Letter();
    const auto update = m_policy == CachePolicy::ReadBackOnly
                            ? IControllerIntents::CacheUpdate::Keep
                            : IControllerIntents::CacheUpdate::Store;
    try {
        m_host.Session().SetParameter(letter, shown, update);
    } catch (const CommError&) {
        parameter.Show(m_confirmed[letter]);
        throw;
    }
    m_confirmed[letter] = shown;
}
