#include "common/log.h"

// Silent by default: only what QT_LOGGING_RULES switches on is written.
Q_LOGGING_CATEGORY(lcMedia, "corvalle.media", QtFatalMsg)
Q_LOGGING_CATEGORY(lcTransport, "corvalle.transport", QtFatalMsg)
Q_LOGGING_CATEGORY(lcDesktop, "corvalle.desktop", QtFatalMsg)
Q_LOGGING_CATEGORY(lcWindow, "corvalle.window", QtFatalMsg)
Q_LOGGING_CATEGORY(lcFiles, "corvalle.files", QtFatalMsg)
