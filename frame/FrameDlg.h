#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CFrameDlg;
}

// The frame parameters dialog (template 130) for a custom frame. The object lives as long as
// the main window; its window is shown on demand from the upper panel's edit button.
class CFrameDlg : public QDialog {
    Q_OBJECT

public:
    explicit CFrameDlg(QWidget* parent = nullptr);
    ~CFrameDlg() override;

private:
    std::unique_ptr<Ui::CFrameDlg> m_ui;
};
