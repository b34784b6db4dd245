#pragma once
// The program in the user's language: its own translations (embedded, from
// translations/*.ts) and Qt's (its dialogs' buttons), chosen as usual by
// LANGUAGE, LC_ALL, LC_MESSAGES and LANG; an unknown language is English.
#include <QString>

// Installs the translators for the user's language (call once, after the
// application object is made). Returns the language taken ("de", "fr" ...;
// empty for English).
QString InstallTranslations();

// A message about `n` things: `plural` (with %n) in the user's language,
// whose translations have a form for each number. Without one (English),
// `one` is the text for n == 1. Mark `plural` for lupdate with
// QT_TRANSLATE_N_NOOP(context, ...).
QString Counted(const char* context, const char* plural, const char* one, int n);
