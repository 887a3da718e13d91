#include "CustomPage.h"

#include <QGroupBox>
#include <QPushButton>

#include "ResourceIds.h"

CCustomPage* g_pCustomPage = nullptr;

namespace {
QWidget* Tagged(QWidget* widget, int id) {
    widget->setProperty("controlId", id);
    return widget;
}
}  // namespace

CCustomPage::CCustomPage(QWidget* parent) : QWidget(parent) {
    g_pCustomPage = this;
    setProperty("dialogTemplate", IDD_CUSTOM_PAGE);
    m_grpCustom = new QGroupBox(QStringLiteral("自定义功能区"), this);
    m_grpCustom->setGeometry(6, 4, 380, 384);
    Tagged(m_grpCustom, IDC_CUSTOM_GROUP);
    m_grpMonitor = new QGroupBox(QStringLiteral("数据显示区"), this);
    m_grpMonitor->setGeometry(392, 4, 390, 384);
    Tagged(m_grpMonitor, IDC_MONITOR_GROUP);
    m_btnDisplay = new QPushButton(QStringLiteral("显 示 数 据"), m_grpMonitor);
    m_btnDisplay->setGeometry(140, 340, 110, 28);
    m_btnDisplay->setAutoDefault(false);
    Tagged(m_btnDisplay, IDC_DISPLAY_TOGGLE);
}

CCustomPage::~CCustomPage() {
    if (g_pCustomPage == this) g_pCustomPage = nullptr;
}

void CCustomPage::StopDisplayState() { m_bDisplayStopped = 1; }

void CCustomPage::RestoreIdleControls() { m_btnDisplay->setText(QStringLiteral("显示数据")); }

void CCustomPage::SetEnglish(bool english) {
    m_grpCustom->setTitle(english ? QStringLiteral("Custom") : QStringLiteral("自定义功能区"));
    m_grpMonitor->setTitle(english ? QStringLiteral("Data Displaying Area") : QStringLiteral("数据显示区"));
    m_btnDisplay->setText(english ? QStringLiteral("Data Display") : QStringLiteral("显示数据"));
}
