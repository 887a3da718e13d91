#pragma once

#include <memory>

#include "SliderPage.h"

namespace Ui {
class CBasicPage;
}

// The basic setup page (template 137): the ten stability gains, each a slider with its number
// box and a label button that shows the gain's hint. The cache follows the thumb.
class CBasicPage : public CSliderPage {
    Q_OBJECT

public:
    CBasicPage(IPageHost& host, QWidget* parent = nullptr);
    ~CBasicPage() override;

private:
    void ShowHint(int labelIndex);

    std::unique_ptr<Ui::CBasicPage> m_ui;
};
