#pragma once
// The tag editor: shows the ID3v1 tag of one playlist entry (the path handed
// over in EditTagPath) and writes it back on "Save Tag".
#include "tags/tag_record.h"

#include <QDialog>
#include <string>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

class frmEditTagInformation : public QDialog {
    Q_OBJECT
public:
    explicit frmEditTagInformation(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtArtist = nullptr;
    QLineEdit* txtAlbum = nullptr;
    QLineEdit* txtYear = nullptr;
    QLineEdit* txtComment = nullptr;
    QComboBox* Combo1 = nullptr;
    QLineEdit* txtGenreCode = nullptr;
    QPushButton* cmdWriteTag = nullptr;
    QPushButton* cmdClose = nullptr;

    // The full path (bytes) of the file whose tag is shown; empty when no
    // entry was selected. Read on loading and on every save.
    std::string EditTagPath;

    // Runs on every opening, before the window is shown: empties the
    // controls, fills the genre list and reads the tag.
    void Form_Load();

    // The single editor window, created on first use (as a child of
    // `parent`) and reused; ShowModal hands it the path, runs Form_Load,
    // then exec().
    static void ShowModal(QWidget* parent, const std::string& path);
    static frmEditTagInformation* Instance(QWidget* parent);

public slots:
    void cmdWriteTag_Click();
    void cmdClose_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ResetControls();
    void ReportSaveFailure(const QString& text);  // "Cancel", then the box

    TagRecord tag_{};
    bool fileHadTag_ = false;  // the file ended in a tag when it was read
    bool readable_ = false;    // the tag (or its absence) could be read
};
