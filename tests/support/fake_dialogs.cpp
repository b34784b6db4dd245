#include "fake_dialogs.h"

FakeDialogs::FakeDialogs() { SetAppDialogs(this); }
FakeDialogs::~FakeDialogs() { SetAppDialogs(nullptr); }

void FakeDialogs::MessageBox(QWidget*, const QString& text, const QString& title, MsgIcon icon) {
    boxes.push_back(Box{text, title, icon});
}

bool FakeDialogs::Confirm(QWidget*, const QString& text) {
    questions << text;
    return nextConfirm;
}

QString FakeDialogs::GetSaveFileName(QWidget*, const QString& title, const QString& filter, const QString& suffix) {
    saveDialogs << title + QLatin1Char('|') + filter + QLatin1Char('|') + suffix;
    return nextSaveFileName;
}

QString FakeDialogs::GetOpenFileName(QWidget*) {
    ++fileDialogCalls;
    return nextFileName;
}

int FakeDialogs::Choose(QWidget*, const QString& text, const QStringList& answers) {
    questions << text + QLatin1Char('|') + answers.join(QLatin1Char('|'));
    return nextChoice;
}

QStringList FakeDialogs::GetOpenFileNames(QWidget*, const QString&, const QString&) {
    ++fileDialogCalls;
    return nextFileNames;
}
