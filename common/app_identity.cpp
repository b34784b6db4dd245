#include "common/app_identity.h"

#include <QCoreApplication>

QString AppTitle() { return QCoreApplication::translate("Application", kAppName); }

// For lupdate: the name is translated where it is shown.
[[maybe_unused]] static const char* const kTitleForTranslation =
    QT_TRANSLATE_NOOP("Application", "Corvalle's MP3 Player");
