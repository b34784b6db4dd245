#include "common/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QString InstallTranslations() {
    auto* own = new QTranslator(QCoreApplication::instance());
    // QLocale() follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG, in its order
    // of languages; the first one there is a translation for wins.
    if (!own->load(QLocale(), QStringLiteral("corvalle"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete own;
        return QString();
    }
    QCoreApplication::installTranslator(own);
    const QString language = own->language().section(QLatin1Char('_'), 0, 0);
    // Qt's own texts (the file dialog, the message boxes' buttons).
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return language;
}

QString Counted(const char* context, const char* plural, const char* one, int n) {
    const QString translated = QCoreApplication::translate(context, plural, nullptr, n);
    const QString number = QString::number(n);
    if (n == 1 && translated == QString::fromUtf8(plural).replace(QLatin1String("%n"), number))
        return QString::fromUtf8(one).replace(QLatin1String("%n"), number);
    return translated;
}
