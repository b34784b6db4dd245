#include "common/dialogs.h"

#include "common/app_identity.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {
// A box opened while its window is still being made (the tag editor's
// messages at its start) is placed over the nearest window that is shown,
// else the active one; otherwise it would sit in the screen's corner.
QWidget* Anchor(QWidget* parent) {
    QWidget* w = parent;
    while (w && !w->isVisible()) w = w->parentWidget();
    return w ? w : QApplication::activeWindow();
}

// Wide enough that the window manager need not cut the title short (a short
// text would make a narrow box); the room for the title bar's buttons is a
// guess that fits the usual themes.
void FitTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
                  grid->columnCount());
}
}  // namespace

void QtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon) {
    QMessageBox box(Anchor(parent));
    box.setWindowTitle(title.isEmpty() ? AppTitle() : title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    FitTitle(box);
    box.exec();
}

bool QtDialogs::Confirm(QWidget* parent, const QString& text) {
    QMessageBox box(Anchor(parent));
    box.setWindowTitle(AppTitle());
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    FitTitle(box);
    return box.exec() == QMessageBox::Ok;
}

int QtDialogs::Choose(QWidget* parent, const QString& text, const QStringList& answers) {
    QMessageBox box(Anchor(parent));
    box.setWindowTitle(AppTitle());
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Question);
    QList<QAbstractButton*> buttons;
    for (const QString& answer : answers) buttons << box.addButton(answer, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    FitTitle(box);
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

QString QtDialogs::GetOpenFileName(QWidget* parent) { return QFileDialog::getOpenFileName(parent); }

QStringList QtDialogs::GetOpenFileNames(QWidget* parent, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
}

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
    AppDialogs().MessageBox(parent, QCoreApplication::translate("Dialogs", "Error Found:  ") + description);
}
