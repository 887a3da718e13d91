#pragma once

#include <memory>

#include "SliderPage.h"

namespace Ui {
class CGimbalPage;
}

// The gimbal page (template 140): stabilisation scale, servo centre and angle limit of the
// three gimbal axes. The wire encoding of each letter (offsets, and for some letters the
// firmware version) comes from the parameter table; the cache changes on send and read-back.
class CGimbalPage : public CSliderPage {
    Q_OBJECT

public:
    CGimbalPage(IPageHost& host, QWidget* parent = nullptr);
    ~CGimbalPage() override;

private:
    std::unique_ptr<Ui::CGimbalPage> m_ui;
};
