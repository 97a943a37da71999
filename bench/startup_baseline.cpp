// The yardstick for the start-up benchmark: the least a Qt program with Remarkist's window
// shape does, a 640 × 480 window holding a tab control with four (empty) tabs.
#include <QApplication>
#include <QTabWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QTabWidget tabs;
    for (const char *caption : {"関数", "クラス", "ファイル", "設定"})
        tabs.addTab(new QWidget, QString::fromUtf8(caption));
    tabs.setWindowTitle(QStringLiteral("Baseline"));
    tabs.setFixedSize(640, 480);
    tabs.show();
    return app.exec();
}
