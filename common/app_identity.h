#pragma once
// How the program names itself to the desktop: its name, and the id its
// desktop entry, icon and bus name share.
inline constexpr char kAppName[] = "Corvalle's MP3 Player";
inline constexpr char kAppId[] = "org.corvalle.Mp3Player";

#include <QString>

// The name as shown to the user (the window's title, the boxes' titles, the
// desktop's controls): kAppName in the user's language.
QString AppTitle();
