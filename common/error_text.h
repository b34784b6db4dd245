#pragma once
// The text of a caught failure, for a message box or the log, and the one
// way a handler swallows a failure: logged.
#include <QLoggingCategory>
#include <QString>
#include <exception>

// An error value's description (its standard part and the program's own
// details in the user's language), or what any other exception says.
QString ErrorText(const std::exception& e);
// A description as ErrorText shows it.
QString TranslatedDescription(QString description);

// Runs a handler body so that no failure leaves it: an error value or any
// other exception ends the handler quietly and is logged in `category`.
template <typename F>
void Guarded(const QLoggingCategory& (*category)(), const char* handler, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        qCInfo(category) << handler << "skipped:" << ErrorText(e);
    } catch (...) {
        qCInfo(category) << handler << "skipped: an unknown failure";
    }
}
