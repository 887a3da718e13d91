#include "GpsPage.h"

#include "ParameterCaptions.h"
#include "ResourceIds.h"
#include "ui_GpsPage.h"

CGpsPage::CGpsPage(IPageHost& host, QWidget* parent)
    : CSliderPage(host, CachePolicy::ReadBackOnly, parent), m_ui(std::make_unique<Ui::CGpsPage>()) {
    m_ui->setupUi(this);
    SetGroupTitle(m_ui->groupGps, {"GPS参数设置", "GPS Setup"});
    setProperty("dialogTemplate", IDD_GPS_PAGE);

    AddParameter('@', IDC_GPS_SLIDER_CENTRING, IDC_GPS_EDIT_CENTRING);
    AddParameter('#', IDC_GPS_SLIDER_WIND, IDC_GPS_EDIT_WIND);
    AddParameter('$', IDC_GPS_SLIDER_DAMPING, IDC_GPS_EDIT_DAMPING);
    AddParameter('!', IDC_GPS_SLIDER_HOME_SPEED, IDC_GPS_EDIT_HOME_SPEED);
    const std::vector<LabelText> labels = {
        {IDC_GPS_LABEL_CENTRING, captions::kCentring},
        {IDC_GPS_LABEL_WIND, captions::kAntiWind},
        {IDC_GPS_LABEL_DAMPING, captions::kPositionDamping},
        {IDC_GPS_LABEL_HOME_SPEED, captions::kHomeSpeed},
    };
    // In the order of the sliders above.
    const char letters[] = {'@', '#', '$', '!'};
    for (std::size_t i = 0; i < labels.size(); ++i)
        AddCaptionHelp(letters[i], labels[i].id, labels[i].text);
    SetLabelTexts(labels);
}

CGpsPage::~CGpsPage() = default;
