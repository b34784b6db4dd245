// The tag editor window driven through its widgets.
#include "common/app_error.h"
#include "common/deadline.h"
#include "common/twips.h"
#include "fake_dialogs.h"
#include "tags/frm_edit_tag_information.h"
#include "tags/tag_record.h"
#include "test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <functional>
#include <vector>

using namespace testsupport;

namespace {
std::string SpaceTag(const std::string& audio, uint8_t genre) {
    auto pad = [](std::string s, size_t w) {
        s.resize(w, ' ');
        return s;
    };
    return audio + "TAG" + pad("Abc", 30) + pad("Xyz", 30) + pad("Alb", 30) + pad("1999", 4) + pad("Note", 30) +
           std::string(1, static_cast<char>(genre));
}

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center()); }

// Records each message box together with whether the editor window was
// already on screen when it came up.
class OrderDialogs final : public Dialogs {
public:
    OrderDialogs() { SetAppDialogs(this); }
    ~OrderDialogs() override { SetAppDialogs(nullptr); }
    void MessageBox(QWidget* parent, const QString& text, const QString&, MsgIcon) override {
        texts << text;
        parentShown.push_back(parent && parent->isVisible());
    }
    bool Confirm(QWidget*, const QString&) override { return true; }
    int Choose(QWidget*, const QString&, const QStringList&) override { return -1; }
    QString GetOpenFileName(QWidget*) override { return {}; }
    QStringList GetOpenFileNames(QWidget*, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QStringList texts;
    std::vector<bool> parentShown;
};

// Runs `inside` once the modal editor is up, then closes it with its button.
// A second timer ends any modal window left open, so a fault cannot hang the test.
void WhileModal(std::function<void(frmEditTagInformation*)> inside) {
    QTimer::singleShot(0, [inside] {
        auto* w = qobject_cast<frmEditTagInformation*>(QApplication::activeModalWidget());
        if (!w) return;
        inside(w);
        Click(w->cmdClose);
    });
    QTimer::singleShot(10000, [] {
        if (QWidget* m = QApplication::activeModalWidget()) m->close();
    });
}
}  // namespace

class TagEditorTest : public QObject {
    Q_OBJECT
private slots:
    void designedWindow();
    void emptyPathShowsNothingAndWritesNothing();
    void escapeDoesNotClose();
    void showTagEditorReusesOneWindowAndResetsIt();
    void noTagBoxComesBeforeTheWindow();
    void shortFileIsReportedAndGetsATag();
    void fileChangedSinceOpeningIsNotWrittenOver();
    void editSaveAndReopenALameTag();
    void untaggedFileGainsATag();
    void genreRules();
    void refusedWriteAndLaterSuccess();
    void immutableFileIsRefused();
    void missingOrStalledFileIsNotWritten();
    void textsFollowTheLocalesCodePage();
};

void TagEditorTest::designedWindow() {
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath.clear();
    w.Form_Load();
    QCOMPARE(w.windowTitle(), QStringLiteral("MP3 Tag Information "));
    QCOMPARE(w.size(), TwipsSize(5655, 3630));
    QCOMPARE(w.Label1->text(), QStringLiteral("Title"));
    QCOMPARE(w.Label6->text(), QStringLiteral("Genre"));
    QVERIFY(w.Label5->alignment() & Qt::AlignHCenter);
    const char* labels[] = {"Title", "Artist", "Album", "Year", "Comment", "Genre"};
    QLabel* labelWidgets[] = {w.Label1, w.Label2, w.Label3, w.Label4, w.Label5, w.Label6};
    QLineEdit* boxes[] = {w.txtTitle, w.txtArtist, w.txtAlbum, w.txtYear, w.txtComment};
    const char* boxNames[] = {"txtTitle", "txtArtist", "txtAlbum", "txtYear", "txtComment"};
    for (int i = 0; i < 6; ++i) {
        const int top = 240 + 360 * i;
        QCOMPARE(labelWidgets[i]->text(), QString::fromLatin1(labels[i]));
        QCOMPARE(labelWidgets[i]->objectName(), QStringLiteral("Label%1").arg(i + 1));
        QCOMPARE(labelWidgets[i]->geometry(), TwipsRect(840, top, 855, 255));
        QCOMPARE(labelWidgets[i]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        if (i < 5) {
            QCOMPARE(boxes[i]->objectName(), QString::fromLatin1(boxNames[i]));
            QCOMPARE(boxes[i]->geometry(), TwipsRect(1680, top, 2535, 285));
            QVERIFY(boxes[i]->maxLength() >= 32767);  // no length limit: excess is cut when saving
        }
    }
    QCOMPARE(w.Combo1->objectName(), QStringLiteral("Combo1"));
    QCOMPARE(w.txtGenreCode->objectName(), QStringLiteral("txtGenreCode"));
    QCOMPARE(w.cmdWriteTag->objectName(), QStringLiteral("cmdWriteTag"));
    QCOMPARE(w.cmdClose->objectName(), QStringLiteral("cmdClose"));
    QCOMPARE(w.objectName(), QStringLiteral("frmEditTagInformation"));
    QCOMPARE(w.Combo1->geometry(), TwipsRect(1680, 2040, 1575, 315));
    QCOMPARE(w.txtGenreCode->geometry(), TwipsRect(3360, 2040, 855, 285));
    QCOMPARE(w.cmdWriteTag->geometry(), TwipsRect(1680, 2520, 1095, 375));
    QCOMPARE(w.cmdClose->geometry(), TwipsRect(3000, 2520, 1095, 375));
    QCOMPARE(w.cmdWriteTag->text(), QStringLiteral("Save Tag"));
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Cancel"));
    QVERIFY(!w.cmdWriteTag->isDefault() && !w.cmdClose->isDefault());
    QVERIFY(w.Combo1->isEditable());
    QCOMPARE(w.Combo1->count(), 34);
    QCOMPARE(w.Combo1->itemText(0), QStringLiteral("Blues"));
    QCOMPARE(w.Combo1->itemText(33), QStringLiteral("Instrumental"));
    for (int i = 0; i < 34; ++i) QCOMPARE(w.Combo1->itemText(i), QString::fromLatin1(GenreList[i]));  // unsorted
    w.show();
    QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.cmdWriteTag));  // tab index 0
    // Tab order: Save Tag, the genre list, the code, then the boxes bottom up, Cancel last.
    QWidget* order[] = {w.cmdWriteTag, w.Combo1,    w.txtGenreCode, w.txtComment, w.txtYear,
                        w.txtAlbum,    w.txtArtist, w.txtTitle,     w.cmdClose};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
        if (order[i] == w.Combo1) continue;  // the editable combo's line edit sits in between
        QCOMPARE(next, order[i + 1]);
    }
}

void TagEditorTest::emptyPathShowsNothingAndWritesNothing() {
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath.clear();
    w.Form_Load();
    QVERIFY(dialogs.boxes.empty());
    QCOMPARE(w.Combo1->currentIndex(), -1);
    QVERIFY(w.txtTitle->text().isEmpty());
    QCOMPARE(w.Combo1->count(), 34);
    QVERIFY(w.Combo1->currentText().isEmpty());
    w.txtTitle->setText(QStringLiteral("typed"));
    w.Combo1->setCurrentIndex(3);
    Click(w.cmdWriteTag);
    QVERIFY(dialogs.boxes.empty());
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Cancel"));
}

void TagEditorTest::escapeDoesNotClose() {
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath.clear();
    w.Form_Load();
    w.show();
    QTest::keyClick(w.txtTitle, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QTest::keyClick(w.txtTitle, Qt::Key_Return);  // no default button either
    QVERIFY(w.isVisible());
    QCOMPARE(w.result(), 0);
}

void TagEditorTest::showTagEditorReusesOneWindowAndResetsIt() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("song.mp3"));
    QVERIFY(WriteBytes(path, SpaceTag(std::string(300, 'q'), 2)));
    FakeDialogs dialogs;
    QWidget parent;
    frmEditTagInformation* first = nullptr;
    QString titleShown, closeAfterSave;
    WhileModal([&](frmEditTagInformation* w) {
        first = w;
        titleShown = w->txtTitle->text();
        w->txtTitle->setText(QStringLiteral("Saved"));
        Click(w->cmdWriteTag);
        closeAfterSave = w->cmdClose->text();
        w->txtArtist->setText(QStringLiteral("Not saved"));
        w->Combo1->setCurrentIndex(9);
    });
    frmEditTagInformation::ShowModal(&parent, path.toStdString());
    QVERIFY(first);
    QCOMPARE(titleShown, QStringLiteral("Abc"));
    QCOMPARE(closeAfterSave, QStringLiteral("Close"));
    QVERIFY(!first->isVisible());
    // Opened again: the same window, loaded afresh from the file.
    frmEditTagInformation* second = nullptr;
    QString title, artist, closeText, genre;
    WhileModal([&](frmEditTagInformation* w) {
        second = w;
        title = w->txtTitle->text();
        artist = w->txtArtist->text();
        closeText = w->cmdClose->text();
        genre = w->Combo1->currentText();
    });
    frmEditTagInformation::ShowModal(&parent, path.toStdString());
    QCOMPARE(second, first);
    QCOMPARE(title, QStringLiteral("Saved"));
    QCOMPARE(artist, QStringLiteral("Xyz"));
    QCOMPARE(closeText, QStringLiteral("Cancel"));
    QCOMPARE(genre, QStringLiteral("Country"));
    QVERIFY(dialogs.boxes.empty());
}

void TagEditorTest::noTagBoxComesBeforeTheWindow() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("plain.mp3"));
    QVERIFY(WriteBytes(path, std::string(500, 'p')));
    OrderDialogs dialogs;
    QWidget parent;
    bool opened = false;
    QString title;
    WhileModal([&](frmEditTagInformation* w) {
        opened = true;
        title = w->txtTitle->text();
    });
    frmEditTagInformation::ShowModal(&parent, path.toStdString());
    QVERIFY(opened);
    QCOMPARE(dialogs.texts, QStringList{QStringLiteral("No tag")});
    QCOMPARE(dialogs.parentShown, std::vector<bool>{false});
    QVERIFY(title.isEmpty());
    QCOMPARE(ReadBytes(path), std::string(500, 'p'));  // closing writes nothing
}

void TagEditorTest::shortFileIsReportedAndGetsATag() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("tiny.mp3"));
    QVERIFY(WriteBytes(path, "TAGxyz"));
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    w.Form_Load();
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QVERIFY(dialogs.boxes[0].text != QStringLiteral("No tag"));
    QVERIFY(dialogs.boxes[0].text.contains(path));
    QVERIFY(w.txtTitle->text().isEmpty());  // no bytes of the start taken as a tag
    w.txtTitle->setText(QStringLiteral("Tiny"));
    Click(w.cmdWriteTag);
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Close"));
    std::string bytes = ReadBytes(path);
    QCOMPARE(bytes.size(), size_t(6 + 128));
    QCOMPARE(bytes.substr(0, 6), std::string("TAGxyz"));
    QCOMPARE(bytes.substr(6, 7), std::string("TAGTiny"));
}

void TagEditorTest::fileChangedSinceOpeningIsNotWrittenOver() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("a.mp3"));
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    const std::string tail = " while the file is opened";
    for (const std::string& since : {std::string(100, 'c'), std::string(1000, 'c')}) {
        QVERIFY(WriteBytes(path, SpaceTag(std::string(300, 'q'), 1)));
        w.Form_Load();
        QVERIFY(WriteBytes(path, since));  // shorter than a tag, or untagged audio
        dialogs.boxes.clear();
        Click(w.cmdWriteTag);
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].title, QStringLiteral("Tag Update Failed"));
        QCOMPARE(dialogs.boxes[0].icon, MsgIcon::Critical);
        QVERIFY(dialogs.boxes[0].text.startsWith(QLatin1Char(' ')));
        QVERIFY(dialogs.boxes[0].text.endsWith(QStringLiteral(" occurred and you cannot edit ") + path +
                                               QString::fromStdString(tail)));
        QCOMPARE(w.cmdClose->text(), QStringLiteral("Cancel"));
        QCOMPARE(ReadBytes(path), since);
    }
}

void TagEditorTest::editSaveAndReopenALameTag() {
    if (!HaveProgram(QStringLiteral("lame"))) QSKIP("lame is not installed");
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("song.mp3"));
    QVERIFY(GenerateMp3(path, 0.3, 440, {"--id3v1-only", "--tt", "Title", "--ta", "Artist", "--tg", "Jazz"}));
    const qint64 length = QFileInfo(path).size();
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    w.Form_Load();
    w.show();
    QVERIFY(dialogs.boxes.empty());
    QCOMPARE(w.txtTitle->text(), QStringLiteral("Title"));
    QCOMPARE(w.txtArtist->text(), QStringLiteral("Artist"));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("Jazz"));
    QCOMPARE(w.txtGenreCode->text(), QStringLiteral("8"));
    w.txtTitle->clear();
    QTest::keyClicks(w.txtTitle, QStringLiteral("A much longer title than thirty characters"));
    w.txtYear->setText(QStringLiteral("99"));
    w.Combo1->setCurrentIndex(33);
    Click(w.cmdWriteTag);
    QVERIFY(dialogs.boxes.empty());
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Close"));
    QCOMPARE(QFileInfo(path).size(), length);
    std::string bytes = ReadBytes(path);
    QCOMPARE(bytes.substr(bytes.size() - 125, 30), std::string("A much longer title than thirt"));
    QCOMPARE(bytes.substr(bytes.size() - 35, 4), std::string("99  "));
    QCOMPARE(static_cast<uint8_t>(bytes.back()), uint8_t(33));
    // Reopened: the texts without their padding, the saved genre with its code.
    w.Form_Load();
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Cancel"));
    QCOMPARE(w.txtYear->text(), QStringLiteral("99"));
    QCOMPARE(w.txtArtist->text(), QStringLiteral("Artist"));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("Instrumental"));
    QCOMPARE(w.txtGenreCode->text(), QStringLiteral("33"));
    Click(w.cmdClose);
    QVERIFY(!w.isVisible());
}

void TagEditorTest::untaggedFileGainsATag() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("plain.mp3"));
    const std::string audio(2000, '\x42');
    QVERIFY(WriteBytes(path, audio));
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    w.Form_Load();
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QCOMPARE(dialogs.boxes[0].text, QStringLiteral("No tag"));
    QCOMPARE(dialogs.boxes[0].title, QString());
    QCOMPARE(dialogs.boxes[0].icon, MsgIcon::None);
    QVERIFY(w.txtTitle->text().isEmpty());
    w.txtTitle->setText(QStringLiteral("New"));
    Click(w.cmdWriteTag);
    std::string bytes = ReadBytes(path);
    QCOMPARE(bytes.size(), audio.size() + 128);
    QCOMPARE(bytes.substr(0, audio.size()), audio);
    QCOMPARE(static_cast<uint8_t>(bytes.back()), uint8_t(255));  // no genre chosen
    // A second save overwrites the new tag instead of appending another.
    Click(w.cmdWriteTag);
    QCOMPARE(ReadBytes(path).size(), audio.size() + 128);
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Close"));
}

void TagEditorTest::genreRules() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("a.mp3"));
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    for (uint8_t read : {uint8_t(0), uint8_t(32), uint8_t(34), uint8_t(255)}) {
        QVERIFY(WriteBytes(path, SpaceTag(std::string(300, 'q'), read)));
        w.Form_Load();
        QCOMPARE(w.txtGenreCode->text(), QString::number(read));
        QCOMPARE(w.Combo1->currentIndex(), read < 34 ? int(read) : -1);
        // The typed code is never read; no selection keeps the byte read.
        w.txtGenreCode->clear();
        QTest::keyClicks(w.txtGenreCode, QStringLiteral("17"));
        Click(w.cmdWriteTag);
        QCOMPARE(static_cast<uint8_t>(ReadBytes(path).back()), read);
    }
    // Chosen with the keyboard: up from "Classic Rock" to "Blues".
    w.Combo1->setCurrentIndex(1);
    QTest::keyClick(w.Combo1, Qt::Key_Up);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("Blues"));
    Click(w.cmdWriteTag);
    QCOMPARE(static_cast<uint8_t>(ReadBytes(path).back()), uint8_t(0));
    // A genre name typed over the chosen one is no choice: the byte stays.
    w.Combo1->setCurrentIndex(5);
    w.Combo1->lineEdit()->selectAll();
    QTest::keyClicks(w.Combo1->lineEdit(), QStringLiteral("Polka"));
    Click(w.cmdWriteTag);
    QCOMPARE(static_cast<uint8_t>(ReadBytes(path).back()), uint8_t(0));
    // A read-then-save of a space-padded tag leaves the file as it was.
    const std::string original = SpaceTag(std::string(300, 'q'), 5);
    QVERIFY(WriteBytes(path, original));
    w.Form_Load();
    Click(w.cmdWriteTag);
    QCOMPARE(ReadBytes(path), original);
}

void TagEditorTest::refusedWriteAndLaterSuccess() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("busy.mp3"));
    QVERIFY(WriteBytes(path, SpaceTag(std::string(300, 'q'), 1)));
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    w.Form_Load();
    Click(w.cmdWriteTag);
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Close"));
    QString seenCaption;
    SetTagOpenFunctionForTesting([](const char*, int) {
        errno = EACCES;
        return -1;
    });
    w.txtTitle->setText(QStringLiteral("Refused"));
    Click(w.cmdWriteTag);
    SetTagOpenFunctionForTesting({});
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QCOMPARE(dialogs.boxes[0].text,
             QStringLiteral("Cannot edit ") + path + QStringLiteral(" while the file is opened"));
    QCOMPARE(dialogs.boxes[0].title, QStringLiteral("Tag Update Failed"));
    QCOMPARE(dialogs.boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Cancel"));
    QVERIFY(ReadBytes(path).find("Refused") == std::string::npos);
    Click(w.cmdWriteTag);
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Close"));
}

void TagEditorTest::immutableFileIsRefused() {
    // Root may write a read-only file; an immutable one is refused to everybody.
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("locked.mp3"));
    const std::string original = SpaceTag(std::string(300, 'q'), 1);
    QVERIFY(WriteBytes(path, original));
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) != 0)
        QSKIP("chattr +i is not available on this file system");
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    w.Form_Load();
    w.txtTitle->setText(QStringLiteral("Changed"));
    Click(w.cmdWriteTag);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QCOMPARE(dialogs.boxes[0].text,
             QStringLiteral("Cannot edit ") + path + QStringLiteral(" while the file is opened"));
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Cancel"));
    QCOMPARE(ReadBytes(path), original);
}

void TagEditorTest::missingOrStalledFileIsNotWritten() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("gone.mp3"));
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = path.toStdString();
    w.Form_Load();
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QVERIFY(dialogs.boxes[0].text != QStringLiteral("No tag"));
    QVERIFY(!QFile::exists(path));
    Click(w.cmdWriteTag);
    QCOMPARE(dialogs.boxes.size(), size_t(2));
    QCOMPARE(dialogs.boxes[1].text, QStringLiteral(" 53 File not found occurred and you cannot edit ") + path +
                                        QStringLiteral(" while the file is opened"));
    QVERIFY(!QFile::exists(path));
    // A file that vanishes after it was read is not created by the save either.
    QVERIFY(WriteBytes(path, SpaceTag(std::string(300, 'q'), 1)));
    w.Form_Load();
    QFile::remove(path);
    Click(w.cmdWriteTag);
    QCOMPARE(dialogs.boxes.size(), size_t(3));
    QVERIFY(dialogs.boxes[2].text.startsWith(QStringLiteral(" 53 File not found")));
    QVERIFY(!QFile::exists(path));

    // A file on a share that stops answering: the window opens with the
    // file counted as unreadable, and a save neither waits nor writes.
    if (!StallingShare::missing().isEmpty()) QSKIP(qPrintable(StallingShare::missing()));
    StallingShare share;
    QVERIFY(share.mount());
    const std::string tagged = SpaceTag(std::string(300, 'q'), 1);
    QVERIFY(WriteBytes(share.source(QStringLiteral("s.mp3")), tagged));
    w.EditTagPath = share.shared(QStringLiteral("s.mp3"));
    QVERIFY(share.stall());
    {
        UiWatchdog watchdog([&share] { share.answer(); }, 2 * kFileDeadline.count());
        w.Form_Load();
        QVERIFY(!watchdog.stalled());
        QCOMPARE(dialogs.boxes.size(), size_t(4));
        QVERIFY2(dialogs.boxes[3].text.startsWith(QStringLiteral("Cannot read the tag of ")),
                 qPrintable(dialogs.boxes[3].text));
        w.txtTitle->setText(QStringLiteral("New"));
        Click(w.cmdWriteTag);
        QCOMPARE(dialogs.boxes.size(), size_t(5));
        QVERIFY2(dialogs.boxes[4].text.endsWith(QStringLiteral(" while the file is opened")),
                 qPrintable(dialogs.boxes[4].text));
        QVERIFY(!watchdog.stalled());
    }
    share.answer();
    QCOMPARE(ReadBytes(share.source(QStringLiteral("s.mp3"))), tagged);
}

// A Russian user's tags are cp1251, a Polish user's cp1250: shown in the
// caption and the editor as such, and saved back byte for byte. Under an
// English locale the same bytes read as Windows-1252.
void TagEditorTest::textsFollowTheLocalesCodePage() {
    QTemporaryDir dir;
    auto field = [](std::string s, size_t w) {
        s.resize(w, ' ');
        return s;
    };
    auto tagged = [&](const QString& name, const std::string& title, const std::string& artist) {
        const QString path = dir.filePath(name);
        const std::string bytes = std::string(300, '\x55') + "TAG" + field(title, 30) + field(artist, 30) +
                                  field("", 30) + field("2001", 4) + field("", 30) + std::string(1, '\x11');
        if (!WriteBytes(path, bytes)) return std::pair<QString, std::string>();
        return std::pair{path, bytes};
    };
    const auto [russian, russianBytes] = tagged("ru.mp3", "\xca\xe8\xed\xee", "\xd6\xee\xe9");  // Кино, Цой
    const auto [polish, polishBytes] = tagged("pl.mp3",
                                              "\xa3\xf3"
                                              "d\x9f",
                                              "\x8cl\xb9ski");  // Łódź, Śląski
    QVERIFY(!russian.isEmpty() && !polish.isEmpty());

    struct Case {
        const char* lang;
        QString path;
        std::string bytes;
        QString title, artist;
    };
    const Case cases[] = {
        {"ru_RU.UTF-8", russian, russianBytes, QStringLiteral("Кино"), QStringLiteral("Цой")},
        {"pl_PL.UTF-8", polish, polishBytes, QStringLiteral("Łódź"), QStringLiteral("Śląski")},
        {"en_US.UTF-8", russian, russianBytes, QStringLiteral("Êèíî"), QStringLiteral("Öîé")},
    };
    for (const Case& c : cases) {
        ScopedLocale locale(c.lang);
        QCOMPARE(CaptionForFile(3, c.path.toStdString()), QStringLiteral(" 3. - ") + c.title + QStringLiteral(": ") +
                                                              c.artist +
                                                              QString(30 - c.artist.size(), QLatin1Char(' ')));
        FakeDialogs dialogs;
        frmEditTagInformation w;
        w.EditTagPath = c.path.toStdString();
        w.Form_Load();
        QVERIFY(dialogs.boxes.empty());
        QCOMPARE(w.txtTitle->text(), c.title);
        QCOMPARE(w.txtArtist->text(), c.artist);
        Click(w.cmdWriteTag);
        QVERIFY(dialogs.boxes.empty());
        QVERIFY(dialogs.questions.isEmpty());
        QCOMPARE(ReadBytes(c.path), c.bytes);
    }

    // Text the code page cannot hold: the user is asked first, naming the
    // fields; Cancel writes nothing, OK saves "?" for what is lost.
    ScopedLocale locale("en_US.UTF-8");
    FakeDialogs dialogs;
    frmEditTagInformation w;
    w.EditTagPath = russian.toStdString();
    w.Form_Load();
    w.txtTitle->setText(QStringLiteral("北京"));
    w.txtAlbum->setText(QStringLiteral("Café"));
    w.txtComment->setText(QStringLiteral("Кино"));
    dialogs.nextConfirm = false;
    Click(w.cmdWriteTag);
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY2(
        dialogs.questions[0].contains(QStringLiteral("(Windows-1252) cannot hold some characters of Title, Comment:")),
        qPrintable(dialogs.questions[0]));
    QCOMPARE(ReadBytes(russian), russianBytes);
    dialogs.nextConfirm = true;
    Click(w.cmdWriteTag);
    QCOMPARE(dialogs.questions.size(), 2);
    QVERIFY(dialogs.boxes.empty());
    const std::string saved = ReadBytes(russian);
    QCOMPARE(saved.substr(saved.size() - 125, 4), std::string("??  "));
    QCOMPARE(saved.substr(saved.size() - 65, 5), std::string("Caf\xe9 "));
}

QTEST_MAIN(TagEditorTest)
#include "tag_editor_test.moc"
