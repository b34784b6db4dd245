#pragma once
// The volume as the window shows it, 0 to 100: the one value the volume
// slider and the desktop's controls share. Setting it is one completed
// change; the window's handler then sets the master volume.
#include <QObject>

class VolumeLevel : public QObject {
    Q_OBJECT
public:
    explicit VolumeLevel(int value, QObject* parent = nullptr) : QObject(parent), value_(value) {}
    int value() const { return value_; }
    // Values outside 0 .. 100 are taken as the nearest end.
    void setValue(int value);

signals:
    void valueChanged(int value);

private:
    int value_;
};
