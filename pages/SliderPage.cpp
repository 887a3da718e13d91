#include "SliderPage.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "ControlLookup.h"
#include "GuardedHandler.h"
#include "ParamTable.h"
#include "ProtocolState.h"
#include "SliderParameter.h"

CSliderPage::CSliderPage(IPageHost& host, CachePolicy policy, SendExchange exchange,
                         QWidget* parent)
    : QWidget(parent), m_host(host), m_policy(policy), m_exchange(exchange) {}

void CSliderPage::StoreShown(char letter, int value) {
    StoreInCache(letter, value, m_host.State().m_nParamCache);
}

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
    auto* parameter = new SliderParameter(letter, slider, box, minimum, maximum, this);
    m_parameters.push_back(parameter);
    connect(parameter, &SliderParameter::Changing, this,
            [this, parameter](int shown) { Changing(*parameter, shown); });
    connect(parameter, &SliderParameter::Committed, this, [this, parameter](int shown) {
        RunGuarded(m_host.GetPrompter(), [&] { Commit(*parameter, shown); });
    });
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
    return true;
}

void CSliderPage::SetEnglish(bool english) {
    for (const LabelText& label : m_labels) {
        if (QWidget* control = FindControl(this, label.id))
            SetControlText(control, label.text.In(english));
    }
    m_tooltips.Show(english);
}

void CSliderPage::AddHelp(char letter, int labelId, const QString& chinese,
                          const QString& english) {
    SliderParameter* parameter = ParameterOf(letter);
    Q_ASSERT_X(parameter, "CSliderPage::AddHelp", "letter without a slider");
    m_tooltips.Add({FindControl(this, labelId), parameter->Slider(), parameter->Box()}, chinese,
                   english);
    m_tooltips.Show(false);
}

void CSliderPage::Changing(const SliderParameter& parameter, int shown) {
    if (m_policy == CachePolicy::FollowThumb) StoreShown(parameter.Letter(), shown);
}

void CSliderPage::Commit(const SliderParameter& parameter, int shown) {
    const char letter = parameter.Letter();
    const int version = m_host.State().m_nFwVersion;
    if (m_policy != CachePolicy::ReadBackOnly)
        StoreShown(letter, CachedAfterSend(letter, shown, version));
    m_host.SendSetCommand(letter, WireFromShown(letter, shown, version),
                          ProtocolState::kModeReadBack,
                          m_exchange == SendExchange::MainWindow ? IPageHost::Exchange::MainWindow
                                                                 : IPageHost::Exchange::None);
}
