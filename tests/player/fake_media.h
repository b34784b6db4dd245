#pragma once
// A media player component double: records every call in order, answers
// position and duration with preset values and keeps the state the calls
// give (play: playing, pause: paused, stop: stopped at 0). It reports as the
// component does: stateChanged for each of those calls and for a file set,
// positionJumped for a seek and a stop.
#include "common/app_error.h"
#include "media/media_component.h"

#include <QStringList>

class FakeMediaComponent : public MediaComponent {
    Q_OBJECT
public:
    using MediaComponent::MediaComponent;
    void setComponentEnabled(bool enabled) override {
        calls << QStringLiteral("enabled=%1").arg(enabled);
        enabled_ = enabled;
    }
    bool componentEnabled() const override { return enabled_; }
    bool endFailedUnheard() const override { return failedUnheard; }
    void setFileName(const std::string& path) override {
        calls << QStringLiteral("file=") + QString::fromStdString(path);
        file = path;
        emit stateChanged();
        if (failFileName) throw AppError(ErrNo::FileNotFound, "File not found");
    }
    std::string fileName() const override { return file; }
    void setAutoStart(bool on) override { calls << QStringLiteral("autostart=%1").arg(on); }
    void play() override {
        calls << QStringLiteral("play");
        setState(startPaused ? State::Paused : State::Playing);
        startPaused = false;
    }
    void stop() override {
        calls << QStringLiteral("stop");
        position = 0;
        setState(State::Stopped);
        emit positionJumped();
    }
    void pause() override {
        calls << QStringLiteral("pause");
        if (current == State::Playing) setState(State::Paused);
    }
    void setStartPosition(double seconds, bool paused) override {
        calls << QStringLiteral("start=%1%2").arg(seconds).arg(paused ? QStringLiteral(" paused") : QString());
        position = seconds;
        startPaused = paused;
    }
    void setLevelling(const Decoder::Levelling& l) override {
        levelling = QStringLiteral("%1,%2,%3").arg(static_cast<int>(l.mode)).arg(l.preampDb).arg(l.untaggedDb);
    }
    void setEqualizer(const EqualizerCurve& c) override { equalizer = c; }
    void setOutputDevice(const std::string& name) override { device = QString::fromStdString(name); }
    void listOutputs() override { ++listings; }
    void seek(double seconds) override {
        calls << QStringLiteral("seek=%1").arg(seconds);
        if (current != State::Stopped) position = seconds;
        emit positionJumped();
    }
    void fadeOutAndPause(double seconds) override {
        calls << QStringLiteral("fade=%1").arg(seconds);
        if (current == State::Playing) setState(State::Paused);
    }
    State state() const override { return current; }
    QString levelling;         // the last levelling set: mode, pre-amplification, untagged gain
    EqualizerCurve equalizer;  // the last set
    QString device;            // the output last chosen
    int listings = 0;
    bool startPaused = false;
    bool positionRuns() const override { return current == State::Playing || tailPlays; }
    // The file ended by itself: stopped, and the end event.
    void finish() {
        setState(State::Stopped);
        emit endReached();
    }
    // The sound device was lost: stopped, keeping `at` for the resume.
    void loseDevice(double at) {
        position = at;
        setState(State::Stopped);
        emit deviceLost(QStringLiteral("No sound device is available (Connection refused)"));
    }
    double currentPosition() const override {
        if (failPosition) throw AppError(ErrNo::DecoderFailure, "broken");
        return position;
    }
    double duration() const override { return length; }

    // The files handed over, in order.
    QStringList files() const {
        QStringList out;
        for (const auto& c : calls)
            if (c.startsWith(QLatin1String("file="))) out << c.mid(5);
        return out;
    }
    int count(const QString& call) const { return static_cast<int>(calls.count(call)); }

    QStringList calls;
    std::string file;
    double position = 0;
    double length = 0;
    bool failFileName = false;
    bool failPosition = false;
    bool failedUnheard = false;
    bool tailPlays = false;  // the last moments of an ended file are still heard
    State current = State::Stopped;

private:
    bool enabled_ = true;
    void setState(State s) {
        current = s;
        emit stateChanged();
    }
};
