// A drag source in a process of its own, as a file manager is. It shows a
// small window at the given place; a mouse button pressed on it drags the
// files named on the command line (a text/uri-list percent-encoded from the
// bytes of their names), offering Copy and Move and proposing Move, as a
// Shift+drag in a file manager does. It prints "ready" once shown,
// "dragging" when the drag starts, then the action the drop ended with
// ("copy", "move", "link" or "none"), and after a move deletes the files, as a
// file manager does. Like a file manager it stays on after the drop, serving
// the dropped data to the target, until its standard input is closed.
// usage: drag_source x y file... (each file's path percent-encoded, so that
// any bytes reach it through the command line)
#include <unistd.h>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>

namespace {
void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

class Source : public QWidget {
public:
    explicit Source(QByteArrayList files) : files_(std::move(files)) {}

protected:
    void showEvent(QShowEvent*) override { Say("ready"); }
    void mousePressEvent(QMouseEvent*) override {
        QByteArray list;
        for (const QByteArray& f : files_) list += "file://" + f.toPercentEncoding("/") + "\r\n";
        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("text/uri-list"), list);
        // On the heap: Qt keeps it, and the data, until the target has read them.
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        Say("dragging");
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        Say(done == Qt::CopyAction   ? "copy"
            : done == Qt::MoveAction ? "move"
            : done == Qt::LinkAction ? "link"
                                     : "none");
        if (done == Qt::MoveAction)
            for (const QByteArray& f : files_) ::unlink(f.constData());
    }

private:
    QByteArrayList files_;
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) return 2;
    QByteArrayList files;
    for (int i = 3; i < argc; ++i) files << QByteArray::fromPercentEncoding(argv[i]);
    Source source(files);
    source.setWindowFlags(Qt::FramelessWindowHint);
    source.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), 100, 100);
    source.show();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QApplication::quit();
        }
    });
    return app.exec();
}
