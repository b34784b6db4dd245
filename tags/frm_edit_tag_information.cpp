#include "tags/frm_edit_tag_information.h"
#include "common/error_text.h"
#include "common/fit_caption.h"

#include "common/app_error.h"
#include "common/dialogs.h"
#include "common/file_util.h"
#include "common/twips.h"
#include "tags/ansi_text.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <utility>

namespace {
QPointer<frmEditTagInformation> g_instance;
const char* const kFailedTitle = QT_TRANSLATE_NOOP("frmEditTagInformation", "Tag Update Failed");
}  // namespace

frmEditTagInformation::frmEditTagInformation(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditTagInformation"));
    setWindowTitle(tr("MP3 Tag Information "));
    setWindowIcon(QIcon(QStringLiteral(":/data/icon32.png")));
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);
    resize(TwipsSize(5655, 3630));

    auto label = [this](const char* name, const char* text, int top) {
        auto* l = new QLabel(tr(text), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        l->setGeometry(TwipsRect(840, top, 855, 255));
        // A longer caption (a translation) widens it to the left, next to
        // its box as designed.
        FitCaption(l, Qt::LeftEdge, 4);
        return l;
    };
    Label1 = label("Label1", QT_TR_NOOP("Title"), 240);
    Label2 = label("Label2", QT_TR_NOOP("Artist"), 600);
    Label3 = label("Label3", QT_TR_NOOP("Album"), 960);
    Label4 = label("Label4", QT_TR_NOOP("Year"), 1320);
    Label5 = label("Label5", QT_TR_NOOP("Comment"), 1680);
    Label6 = label("Label6", QT_TR_NOOP("Genre"), 2040);

    auto box = [this](const char* name, QRect r) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(r);
        return e;
    };
    txtTitle = box("txtTitle", TwipsRect(1680, 240, 2535, 285));
    txtArtist = box("txtArtist", TwipsRect(1680, 600, 2535, 285));
    txtAlbum = box("txtAlbum", TwipsRect(1680, 960, 2535, 285));
    txtYear = box("txtYear", TwipsRect(1680, 1320, 2535, 285));
    txtComment = box("txtComment", TwipsRect(1680, 1680, 2535, 285));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setGeometry(TwipsRect(1680, 2040, 1575, 315));
    txtGenreCode = box("txtGenreCode", TwipsRect(3360, 2040, 855, 285));

    cmdWriteTag = new QPushButton(tr("Save Tag"), this);
    cmdWriteTag->setObjectName(QStringLiteral("cmdWriteTag"));
    cmdWriteTag->setGeometry(TwipsRect(1680, 2520, 1095, 375));
    cmdClose = new QPushButton(tr("Cancel"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(TwipsRect(3000, 2520, 1095, 375));
    // Longer captions widen the buttons outward, away from each other.
    FitCaption(cmdWriteTag, Qt::LeftEdge, 4);
    FitCaption(cmdClose, Qt::RightEdge, width() - 5);
    // Neither button is the default or the cancel button.
    for (QPushButton* b : {cmdWriteTag, cmdClose}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(cmdWriteTag, &QPushButton::clicked, this, &frmEditTagInformation::cmdWriteTag_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmEditTagInformation::cmdClose_Click);

    // Tab order: Save Tag first, Cancel last.
    QWidget* order[] = {cmdWriteTag, Combo1,    txtGenreCode, txtComment, txtYear,
                        txtAlbum,    txtArtist, txtTitle,     cmdClose};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

frmEditTagInformation* frmEditTagInformation::Instance(QWidget* parent) {
    if (!g_instance) g_instance = new frmEditTagInformation(parent);
    return g_instance;
}

void frmEditTagInformation::ShowModal(QWidget* parent, const std::string& path) {
    frmEditTagInformation* w = Instance(parent);
    w->EditTagPath = path;
    w->Form_Load();
    w->exec();
}

void frmEditTagInformation::keyPressEvent(QKeyEvent* event) {
    // Neither button is the cancel button: Escape does not close the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmEditTagInformation::ResetControls() {
    for (QLineEdit* e : {txtTitle, txtArtist, txtAlbum, txtYear, txtComment, txtGenreCode}) e->clear();
    cmdClose->setText(tr("Cancel"));
    Combo1->clear();
    for (const char* name : GenreList) Combo1->addItem(QString::fromLatin1(name));
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QString());
    cmdWriteTag->setFocus();
    tag_ = TagRecord{};
    tag_.Genre = 255;  // a new tag names no genre unless one is chosen
    fileHadTag_ = false;
    readable_ = false;
}

void frmEditTagInformation::Form_Load() {
    try {
        ResetControls();
        const std::string& path = EditTagPath;
        if (path.empty()) return;
        TagReadResult r = ReadTagRecordWithin(path);
        if (IsTooShortForATag(r)) {
            // Too short for a tag: "Save Tag" appends one.
            readable_ = true;
            AppDialogs().MessageBox(this,
                                    PathToText(path) + QStringLiteral(" is shorter than 128 bytes and has no tag"));
            return;
        }
        if (r.status == TagStatus::Unreadable) {
            AppDialogs().MessageBox(
                this,
                tr("Cannot read the tag of %1: %2").arg(PathToText(path), TranslatedDescription(r.errorDescription)));
            return;
        }
        readable_ = true;
        if (r.status == TagStatus::NoTag) {
            AppDialogs().MessageBox(this, tr("No tag"));
            return;
        }
        fileHadTag_ = true;
        tag_ = r.record;
        txtTitle->setText(DisplayText(tag_.Title, sizeof tag_.Title));
        txtArtist->setText(DisplayText(tag_.Artist, sizeof tag_.Artist));
        txtAlbum->setText(DisplayText(tag_.Album, sizeof tag_.Album));
        txtYear->setText(DisplayText(tag_.Year, sizeof tag_.Year));
        txtComment->setText(DisplayText(tag_.Comment, sizeof tag_.Comment));
        txtGenreCode->setText(GenreCodeText(tag_.Genre));
        // Codes past the table select nothing; the list's text part stays empty.
        Combo1->setCurrentIndex(tag_.Genre < kGenreCount ? tag_.Genre : -1);
        if (tag_.Genre >= kGenreCount) Combo1->setEditText(QString());
    } catch (const std::exception& e) {
        AppDialogs().MessageBox(this, ErrorText(e));
    } catch (...) {
        AppDialogs().MessageBox(this, tr("The tag could not be read"));
    }
}

void frmEditTagInformation::ReportSaveFailure(const QString& text) {
    cmdClose->setText(tr("Cancel"));
    AppDialogs().MessageBox(this, text, tr(kFailedTitle), MsgIcon::Critical);
}

void frmEditTagInformation::cmdWriteTag_Click() {
    const std::string path = EditTagPath;
    const QString shownPath = PathToText(path);
    try {
        // The genre is the entry chosen in the list; with none chosen (or its
        // text typed over) the byte read is kept.
        uint8_t genre = tag_.Genre;
        int chosen = Combo1->currentIndex();
        if (chosen >= 0 && chosen < kGenreCount && Combo1->currentText() == Combo1->itemText(chosen))
            genre = static_cast<uint8_t>(chosen);
        TagRecord record = BuildTagRecord(txtTitle->text(), txtArtist->text(), txtAlbum->text(), txtYear->text(),
                                          txtComment->text(), genre);
        if (path.empty()) return;
        // Characters the tag's code page has no bytes for would be saved as
        // "?": the user is told which fields, and may keep editing instead.
        QStringList lossy;
        const std::pair<QLabel*, QLineEdit*> fields[] = {
            {Label1, txtTitle}, {Label2, txtArtist}, {Label3, txtAlbum}, {Label4, txtYear}, {Label5, txtComment}};
        for (const auto& [label, box] : fields)
            if (!AnsiHolds(box->text())) lossy << label->text();
        if (!lossy.isEmpty() &&
            !AppDialogs().Confirm(this, tr("The tag's code page (Windows-%1) cannot hold some characters of %2: "
                                           "they will be saved as \"?\". Save anyway?")
                                            .arg(AnsiCodePage())
                                            .arg(lossy.join(QStringLiteral(", ")))))
            return;
        if (!readable_) {
            // The file could not be read when the window opened: find out now
            // whether it ends in a tag, so that no audio is written over.
            TagReadResult again = ReadTagRecordWithin(path);
            if (again.status == TagStatus::Unreadable && !IsTooShortForATag(again))
                throw AppError(again.errorNumber, again.errorDescription.toStdString());
            fileHadTag_ = again.status == TagStatus::Found;
            readable_ = true;
        }
        WriteTagRecord(path, record, fileHadTag_);
        fileHadTag_ = true;  // a new tag was appended: the next save overwrites it
        tag_ = record;
        cmdClose->setText(tr("Close"));
    } catch (const AppError& e) {
        if (e.number() == ErrNo::PermissionDenied) {
            ReportSaveFailure(tr("Cannot edit %1 while the file is opened").arg(shownPath));
        } else {
            QString number = (e.number() >= 0 ? QStringLiteral(" ") : QString()) + QString::number(e.number());
            ReportSaveFailure(number + QStringLiteral(" ") + ErrorText(e) +
                              QStringLiteral(" occurred and you cannot edit ") + shownPath +
                              QStringLiteral(" while the file is opened"));
        }
    } catch (const std::exception& e) {
        ReportSaveFailure(ErrorText(e));
    } catch (...) {
        ReportSaveFailure(tr("The tag could not be saved to %1").arg(shownPath));
    }
}

void frmEditTagInformation::cmdClose_Click() { reject(); }
