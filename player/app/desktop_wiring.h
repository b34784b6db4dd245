#pragma once
// The player on the desktop: media keys and desktop controls (MPRIS) over the
// window's transport, one window per session, a notification per new track
// and no suspend while playing.
class InstanceService;
class MprisService;
class Player;

// Offers them for `player` (quietly nothing without the services). `Open`
// of a later start joins its files to the playlist, plays the first and
// brings the window up. `instance` is the one-window service start-up has
// claimed the name for (none: one is made and registered here); the window
// takes it. Returns the MPRIS service (owned by the window, so gone before
// the parts it drives).
MprisService* ConnectToDesktop(Player& player, InstanceService* instance = nullptr);
