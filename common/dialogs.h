#pragma once
// Message boxes and the file dialog go through this interface, so that the
// windows can be driven without blocking on a modal box.
#include <QString>
#include <QStringList>

class QWidget;

enum class MsgIcon { None, Critical };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal box with an OK button only; an empty title shows the
    // application's title (AppTitle()).
    virtual void MessageBox(QWidget* parent, const QString& text, const QString& title = QString(),
                            MsgIcon icon = MsgIcon::None) = 0;
    // A modal question with OK and Cancel: true for OK.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // A modal question with a button for each of `answers` and Cancel: the
    // index of the answer chosen, -1 for Cancel (the default button).
    virtual int Choose(QWidget* parent, const QString& text, const QStringList& answers) = 0;
    // The open-file dialog: the chosen full path, or the empty text on cancel.
    virtual QString GetOpenFileName(QWidget* parent) = 0;
    // The open-file dialog for several files, with its title and name filter
    // ("MP3 files (*.mp3);;..."): the chosen full paths, none on cancel.
    virtual QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& filter) = 0;
    // The save-file dialog with its title and name filter ("Playlists
    // (*.m3u8)"); a name typed without a suffix gets `suffix`, and the dialog
    // asks before an existing file is replaced. The chosen full path, or the
    // empty text on cancel.
    virtual QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& suffix) = 0;
};

class QtDialogs final : public Dialogs {
public:
    void MessageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon) override;
    bool Confirm(QWidget* parent, const QString& text) override;
    int Choose(QWidget* parent, const QString& text, const QStringList& answers) override;
    QString GetOpenFileName(QWidget* parent) override;
    QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& filter) override;
    QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& suffix) override;
};

// The dialogs the running program uses (a QtDialogs unless replaced).
Dialogs& AppDialogs();
void SetAppDialogs(Dialogs* dialogs);  // nullptr restores the real one

// The error message box of the commands: OK only, the application's title,
// "Error Found:  " and the failure's description.
void ShowErrorBox(QWidget* parent, const QString& description);
