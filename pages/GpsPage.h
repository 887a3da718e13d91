#pragma once

#include <memory>

#include "SliderPage.h"

namespace Ui {
class CGpsPage;
}

// The GPS page (template 139): position-hold and go-home tuning, four sliders. Its cache
// entries change only through the read-back, never from the page.
class CGpsPage : public CSliderPage {
    Q_OBJECT

public:
    CGpsPage(IPageHost& host, QWidget* parent = nullptr);
    ~CGpsPage() override;

private:
    std::unique_ptr<Ui::CGpsPage> m_ui;
};
