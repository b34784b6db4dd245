#pragma once
// How the program names itself to the desktop: its name, and the id its
// desktop entry, icon and bus name share.
inline constexpr char kAppName[] = "Corvalle's MP3 Player";
inline constexpr char kAppId[] = "org.corvalle.Mp3Player";
