#include "media_player.h"

MediaPlayer::MediaPlayer(QWidget* parent) : MediaComponent(parent) {}
MediaPlayer::~MediaPlayer() = default;
void MediaPlayer::setComponentEnabled(bool) {}
void MediaPlayer::setFileName(const std::string& path) { fileName_ = path; }
std::string MediaPlayer::fileName() const { return fileName_; }
void MediaPlayer::setAutoStart(bool) {}
void MediaPlayer::play() {}
void MediaPlayer::stop() {}
double MediaPlayer::currentPosition() const { return 0; }
double MediaPlayer::duration() const { return 0; }
