// The baseline of the start-up and memory benchmarks: a bare Qt Widgets program with one empty
// dialog of the main window's size (810 x 650 unless "--size WxH" says otherwise), shown and run
// modally as vexa runs its main window. With "--text" the dialog shows one line of Chinese
// text, so that it also loads the fonts (Latin and Chinese) that any text needs.
#include <QApplication>
#include <QDialog>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QSize size(810, 650);
    const QStringList arguments = QApplication::arguments();
    const qsizetype at = arguments.indexOf(QStringLiteral("--size"));
    if (at > 0 && at + 1 < arguments.size()) {
        const QStringList parts = arguments[at + 1].split(QLatin1Char('x'));
        if (parts.size() == 2) size = QSize(parts[0].toInt(), parts[1].toInt());
    }
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Vexa"));
    dialog.setFixedSize(size);
    if (arguments.contains(QStringLiteral("--text"))) {
        auto* label = new QLabel(QStringLiteral("串口已打开 COM3"), &dialog);
        label->move(10, 10);
    }
    dialog.show();
    return dialog.exec();
}
