// An idle reference: the least a Qt window can be that refreshes a label
// every 60 ms, as the player's window does while it plays. It shows a label
// and sets the same text on every tick, which Qt ignores. The player's idle
// window, whose timer sleeps, is compared with it.
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Elapsed Time: 00:00"));
    label.resize(640, 300);
    label.show();
    QTimer timer;
    timer.setInterval(60);
    QObject::connect(&timer, &QTimer::timeout, &label,
                     [&label] { label.setText(QStringLiteral("Elapsed Time: 00:00")); });
    timer.start();
    return app.exec();
}
