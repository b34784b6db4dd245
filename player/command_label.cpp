#include "command_label.h"

#include <QKeyEvent>
#include <QMouseEvent>

CommandLabel::CommandLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(text);
}

void CommandLabel::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button());
    event->accept();
}

void CommandLabel::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(event->button());
    bool swallow = swallowClick_;
    swallowClick_ = false;
    if (!swallow && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    event->accept();
}

void CommandLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    emit mouseDown(event->button());
    swallowClick_ = true;
    event->accept();
}

void CommandLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat()) emit clicked();
        event->accept();
        return;
    default: QLabel::keyPressEvent(event);
    }
}
