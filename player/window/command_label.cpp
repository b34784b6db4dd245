#include "window/command_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {
// A push button to assistive technologies: named by its caption as it is
// designed (not "Processing" while a button is held), with a Press action.
class AccessibleCommandLabel : public QAccessibleWidget {
public:
    explicit AccessibleCommandLabel(CommandLabel* label) : QAccessibleWidget(label, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return widget()->accessibleName();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const auto* label = static_cast<const CommandLabel*>(widget());
        s.checkable = label->isCheckable();
        s.checked = s.pressed = label->isCheckable() && label->isChecked();
        return s;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& name) override {
        if (name == pressAction())
            static_cast<CommandLabel*>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == pressAction()) return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(name);
    }
};

QAccessibleInterface* CommandLabelAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("CommandLabel") && object && object->isWidgetType())
        return new AccessibleCommandLabel(static_cast<CommandLabel*>(object));
    return nullptr;
}
}  // namespace

CommandLabel::CommandLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(CommandLabelAccessible);
        return true;
    }();
    (void)installed;
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(text);
}

void CommandLabel::setChecked(bool on) {
    if (on == checked_) return;
    checked_ = on;
    if (!checkable_) return;
    QAccessible::State changed;
    changed.checked = changed.pressed = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
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
