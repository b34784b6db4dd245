#pragma once
// A Dialogs double: records every message box and answers the file dialog
// with a preset name, so windows can be driven without a modal box.
#include "common/dialogs.h"

#include <QString>
#include <QStringList>
#include <vector>

class FakeDialogs final : public Dialogs {
public:
    struct Box {
        QString text;
        QString title;  // as passed (empty = application title)
        MsgIcon icon;
    };
    FakeDialogs();            // installs itself as AppDialogs()
    ~FakeDialogs() override;  // restores the real dialogs

    void MessageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon) override;
    bool Confirm(QWidget* parent, const QString& text) override;
    int Choose(QWidget* parent, const QString& text, const QStringList& answers) override;
    QString GetOpenFileName(QWidget* parent) override;
    QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& filter) override;
    QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& suffix) override;

    std::vector<Box> boxes;
    QStringList questions;      // the texts of Confirm, in order
    bool nextConfirm = true;    // its answer
    int nextChoice = -1;        // the answer of Choose (its questions are recorded as Confirm's), -1: Cancel
    QStringList nextFileNames;  // the answer of the next dialogs for several files
    QString nextFileName;       // the answer of the next file dialogs
    int fileDialogCalls = 0;
    QString nextSaveFileName;  // the answer of the next save dialogs
    QStringList saveDialogs;   // the title, filter and suffix each save dialog was shown with
};
