// The baseline of the start-up and memory benchmarks: a bare Qt Widgets program with one empty
// dialog of the main window's size (810 x 650 unless "--size WxH" says otherwise), shown and run
// modally as vexa runs its main window.
#include <QApplication>
#include <QDialog>

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
    dialog.show();
    return dialog.exec();
}
