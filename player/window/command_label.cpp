#include "window/command_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

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

void CommandLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect =
        style()->itemTextRect(fontMetrics(), contentsRect(), alignment(), isEnabled(), text()).adjusted(-1, 0, 1, 0);
    option.backgroundColor = palette().color(backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
