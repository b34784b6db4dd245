#include "common/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

const char* const kAppTitle = "Corvalle's MP3 Player";

void QtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon) {
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? QString::fromUtf8(kAppTitle) : title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    box.exec();
}

bool QtDialogs::Confirm(QWidget* parent, const QString& text) {
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromUtf8(kAppTitle));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString QtDialogs::GetOpenFileName(QWidget* parent) { return QFileDialog::getOpenFileName(parent); }

QString QtDialogs::GetSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& suffix) {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

namespace {
QtDialogs g_realDialogs;
Dialogs* g_dialogs = &g_realDialogs;
}  // namespace

Dialogs& AppDialogs() { return *g_dialogs; }
void SetAppDialogs(Dialogs* dialogs) { g_dialogs = dialogs ? dialogs : &g_realDialogs; }

void ShowErrorBox(QWidget* parent, const QString& description) {
    AppDialogs().MessageBox(parent, QStringLiteral("Error Found:  ") + description);
}
