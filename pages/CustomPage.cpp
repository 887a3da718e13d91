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
    auto* custom = new QGroupBox(QStringLiteral("自定义功能区"), this);
    custom->setGeometry(6, 4, 380, 384);
    Tagged(custom, IDC_CUSTOM_GROUP);
    auto* monitor = new QGroupBox(QStringLiteral("数据显示区"), this);
    monitor->setGeometry(392, 4, 390, 384);
    Tagged(monitor, IDC_MONITOR_GROUP);
    m_btnDisplay = new QPushButton(QStringLiteral("显 示 数 据"), monitor);
    m_btnDisplay->setGeometry(140, 340, 110, 28);
    m_btnDisplay->setAutoDefault(false);
    Tagged(m_btnDisplay, IDC_DISPLAY_TOGGLE);
}

CCustomPage::~CCustomPage() {
    if (g_pCustomPage == this) g_pCustomPage = nullptr;
}

void CCustomPage::StopDisplayState() { m_bDisplayStopped = 1; }

void CCustomPage::RestoreIdleControls() { m_btnDisplay->setText(QStringLiteral("显示数据")); }
