#pragma once
// A plain text label that acts as a button: it reports mouse-button presses
// and releases (any button) and a click (the left button released over it).
// It takes the keyboard focus too (Tab), shows the focus mark around its
// caption then, and Space or Return click it. Assistive technologies see it
// as a push button named by its caption, whose Press action clicks it; one
// that shows an on/off state (checkable) tells that state as a checkable
// button does (checked and pressed while on).
#include <QLabel>

class CommandLabel : public QLabel {
    Q_OBJECT
public:
    explicit CommandLabel(const QString& text, QWidget* parent = nullptr);
    // What a click runs, as a Press of an assistive technology does.
    void click() { emit clicked(); }
    void setCheckable(bool on) { checkable_ = on; }
    bool isCheckable() const { return checkable_; }
    // The state it shows; its owner sets it (a click does not).
    void setChecked(bool on);
    bool isChecked() const { return checked_; }

signals:
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The second press of a double-click is a press, not a second click.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool swallowClick_ = false;
    bool checkable_ = false;
    bool checked_ = false;
};
