#pragma once
// What the program swallows (a failure a handler skips, a bus name that
// could not be taken, a secondary file that could not be saved) is logged in
// a category per layer. All are silent by default; switch them on with
// QT_LOGGING_RULES, e.g. QT_LOGGING_RULES="corvalle.*=true".
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)      // corvalle.media: the component and its engine
Q_DECLARE_LOGGING_CATEGORY(lcTransport)  // corvalle.transport
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)    // corvalle.desktop: MPRIS, one window, notifications, the inhibitor
Q_DECLARE_LOGGING_CATEGORY(lcWindow)     // corvalle.window: the windows' handlers
Q_DECLARE_LOGGING_CATEGORY(lcFiles)      // corvalle.files: the playlist, settings and tag files
