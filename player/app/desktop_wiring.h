#pragma once
// The player on the desktop's session bus: media keys and desktop controls
// (MPRIS) over the window's transport, and one window per session.
class frmMain;
class MprisService;

// Offers both for `window` (quietly nothing without a session bus). `Open`
// of a later start joins its files to the playlist, plays the first and
// brings the window up. Returns the MPRIS service (owned by the window).
MprisService* ConnectToDesktop(frmMain* window);
