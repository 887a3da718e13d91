#include "CustomPage.h"

#include "ui_CustomPage.h"

CCustomPage::CCustomPage(IPageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::CCustomPage>()) {
    m_ui->setupUi(this);
}

CCustomPage::~CCustomPage() = default;

void CCustomPage::StopDisplayState() { m_bDisplayStopped = 1; }

void CCustomPage::RestoreIdleControls() { m_ui->btnDisplay->setText(QStringLiteral("显示数据")); }

void CCustomPage::SetEnglish(bool english) {
    m_ui->grpCustom->setTitle(english ? QStringLiteral("Custom") : QStringLiteral("自定义功能区"));
    m_ui->grpMonitor->setTitle(english ? QStringLiteral("Data Displaying Area")
                                       : QStringLiteral("数据显示区"));
    m_ui->btnDisplay->setText(english ? QStringLiteral("Data Display")
                                      : QStringLiteral("显示数据"));
}
