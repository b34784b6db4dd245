#pragma once
// The real media player component (placeholder until the engine lands).
#include "media_component.h"

class MediaPlayer : public MediaComponent {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;
    void setComponentEnabled(bool enabled) override;
    void setFileName(const std::string& path) override;
    std::string fileName() const override;
    void setAutoStart(bool autoStart) override;
    void play() override;
    void stop() override;
    double currentPosition() const override;
    double duration() const override;

private:
    std::string fileName_;
};
