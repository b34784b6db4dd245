#include "app/player.h"

#include "media/media_component.h"

Player::Player(MediaComponent* component) : media(component) {}

// The window goes first (its handlers are cut off), then the commands, and
// the component last, which stops and releases its threads and device.
Player::~Player() = default;
