// The main window driven through its real widgets, with a recording double
// of the media player component and of the message boxes.
#include "fake_dialogs.h"
#include "fake_media.h"
#include "common/file_util.h"
#include "window/command_label.h"
#include "search/frm_file_loader.h"
#include "window/frm_main.h"
#include "window/media_player_bar.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_model.h"
#include "window/playlist_view.h"
#include "test_support.h"
#include "transport/transport.h"
#include "volume/volume_controler.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <unistd.h>

using namespace testsupport;

namespace {
struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<ScopedCurrentDir> cd;
    FakeDialogs dialogs;
    FakeMediaComponent* media = nullptr;
    std::unique_ptr<frmMain> w;
    int exits = 0;

    explicit Fixture(const std::vector<std::string>& entries = {}, bool load = true) {
        cd = std::make_unique<ScopedCurrentDir>(dir.path());
        media = new FakeMediaComponent;
        w = std::make_unique<frmMain>(media);
        w->ExitProgram = [this] { ++exits; };
        if (!entries.empty()) {
            w->Playlist->clear();
            w->Playlist->addMany(entries);
        }
        if (load) w->Form_Load();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

QPoint Center(QWidget* w) { return w->rect().center(); }

void ClickRow(PlaylistView* list, int row, Qt::MouseButton button = Qt::LeftButton) {
    QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), button, Qt::NoModifier, r.center());
}
}  // namespace

class FrmMainTest : public QObject {
    Q_OBJECT
private slots:
    // The volume tests move the private sound server's master volume: leave
    // it full for the tests that record it.
    void cleanupTestCase() {
        if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) VolumeControler::SetMasterVolume(100);
    }
    void designedControlsAndMenus();
    void startWithoutStoredFiles();
    void startWithStoredPlaylist();
    void startWithEmptyOrUnreadablePlaylist();
    void playHandsTheSelectedEntryOver();
    void nextWrapsAndPrevStops();
    void transportOnAnEmptyList();
    void randomModeMakesOnePick();
    void randomLabelLook();
    void playErrorsShowTheErrorBox();
    void endOfFileRunsNext();
    void timeLabels();
    void buttonFeedback();
    void contextMenuOnRightButtonOnly();
    void removeEntryRemovesTheSelectedOne();
    void removeWithNothingSelectedDoesNothing();
    void failedSaveKeepsThePlaylist();
    void loadFilesSavesAfterTheWindowCloses();
    void editTagSetsThePath();
    void dropsAddFiles();
    void dropsPastTheLimit();
    void controlDropMovesIt();
    void playerBarToggle();
    void volumeLabelAndSlider();
    void themeChoiceAndAutosize();
    void themeThatCannotBeLoaded();
    void storedThemeIsShownAtStart();
    void pictureFollowsTheRightEdge();
    void exitEndsTheProgram();
    void keyboardReachesTheCommands();
    void selectionAndCurrentEntryAgree();
    void doubleClicksThatMustNotPlay();
    void reclickingTheSelectedEntryRebuildsTheCaption();
    void oversizedAndUnreadablePlaylists();
    void captionFollowsTheSelectedTag();
    void loadFilesThroughTheRealSearchWindow();
};

void FrmMainTest::designedControlsAndMenus() {
    Fixture f({}, false);
    frmMain* w = f.w.get();
    QCOMPARE(w->windowTitle(), QStringLiteral("Corvalle's MP3 Player"));
    QCOMPARE(w->size(), QSize(664, 307));
    struct Expect {
        QWidget* widget;
        QRect rect;
        QString text;
    };
    const std::vector<Expect> expected{
        {w->lblTotalTime, {40, 0, 97, 17}, "TotalTime: 00:00"},
        {w->lblElapsedTime, {168, 0, 121, 17}, "Remaining:"},
        {w->lblMessages, {344, 0, 305, 17}, ""},
        {w->HScroll_4_Volume, {0, 32, 65, 17}, QString()},
        {w->List1, {64, 24, 249, 212}, QString()},
        {w->lblVolume, {16, 56, 41, 17}, "Volume"},
        {w->lblPrev, {8, 72, 49, 17}, "Prev"},
        {w->lblPlay, {16, 88, 41, 17}, "Play"},
        {w->lblStop, {16, 104, 41, 17}, "Stop"},
        {w->lblNext, {8, 120, 49, 17}, "Next"},
        {w->lblRandom, {0, 136, 57, 17}, "Random"},
        {w->lblExit, {8, 152, 49, 17}, "Exit"},
        {w->imgTheme, {344, 24, 300, 210}, QString()},
        {w->imgMover, {296, 232, 15, 23}, QString()},
        {w->MediaPlayer1, {64, 256, 305, 41}, QString()},
    };
    for (const auto& e : expected) {
        QCOMPARE(e.widget->geometry(), e.rect);
        if (auto* l = qobject_cast<QLabel*>(e.widget); l && !e.text.isNull()) QCOMPARE(l->text(), e.text);
    }
    // The seven command captions form one right-aligned column ending at 855 twips.
    for (QLabel* l : {static_cast<QLabel*>(w->lblVolume), static_cast<QLabel*>(w->lblPrev),
                      static_cast<QLabel*>(w->lblPlay), static_cast<QLabel*>(w->lblStop),
                      static_cast<QLabel*>(w->lblNext), static_cast<QLabel*>(w->lblRandom),
                      static_cast<QLabel*>(w->lblExit)}) {
        QVERIFY(l->alignment() & Qt::AlignRight);
        QCOMPARE(l->geometry().right() + 1, 57);
        QCOMPARE(l->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        QVERIFY(!l->font().bold());
    }
    QVERIFY(w->lblTotalTime->alignment() & Qt::AlignLeft);
    QCOMPARE(w->lblRandom->toolTip(), QStringLiteral("Randomize"));
    QCOMPARE(w->imgMover->toolTip(), QStringLiteral("Expand"));
    QCOMPARE(w->List1->toolTip(), QStringLiteral("Drag and Drop Multimedia Files here"));
    QCOMPARE(w->imgTheme->pixmap().size(), QSize(300, 210));
    QCOMPARE(w->imgMover->pixmap().size(), QSize(15, 15));  // the whole 32 x 32 icon, scaled into its control
    QVERIFY(w->HScroll_4_Volume->isHidden());
    QCOMPARE(w->HScroll_4_Volume->maximum(), 100);
    QCOMPARE(w->HScroll_4_Volume->value(), 10);
    QVERIFY(w->MediaPlayer1->isHidden());
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 60);
    // Three design-time entries, two with a trailing blank, sorted.
    QCOMPARE(w->Playlist->count(), 3);
    int blanks = 0;
    for (int i = 0; i < 3; ++i) blanks += w->Playlist->at(i).back() == ' ';
    QCOMPARE(blanks, 2);
    QVERIFY(w->Playlist->at(0) < w->Playlist->at(1) && w->Playlist->at(1) < w->Playlist->at(2));

    QCOMPARE(w->mnuTagInfo->title(), QStringLiteral("File Info"));
    QStringList items;
    for (QAction* a : w->mnuTagInfo->actions()) items << a->text();
    QCOMPARE(items, (QStringList{"Remove Entry", "Load Files", "Edit Tag", "Hide Media Player Bar"}));
    QVERIFY(w->mnuMediaPlayerBar->isChecked());
    QCOMPARE(w->mnuSetTheme->title(), QStringLiteral("Set Theme"));
    items.clear();
    for (QAction* a : w->mnuSetTheme->actions()) items << a->text();
    QCOMPARE(items, (QStringList{"Theme", "Autosize"}));
    QVERIFY(w->mnuAutosize->isChecked());
    QCOMPARE(f.w->transport->RandomMode(), int16_t(0));
}

void FrmMainTest::startWithoutStoredFiles() {
    Fixture f;
    QCOMPARE(f.w->Playlist->count(), 3);
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    QCOMPARE(f.w->CurrentFile, f.w->Playlist->at(0));
    // The sample file does not exist: the caption is empty and nothing is created.
    QCOMPARE(f.w->windowTitle(), QString());
    QVERIFY(!QFile::exists(PathToText(f.w->Playlist->at(0))));
    QVERIFY(f.dialogs.boxes.empty());
}

void FrmMainTest::startWithStoredPlaylist() {
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    QVERIFY(WriteBytes(QStringLiteral("FileListing.dat"), "/m/b.mp3\r\n/m/C.mp3\r\n/m/a.mp3\r\n"));
    Fixture f;  // its own folder: no playlist there
    QCOMPARE(f.w->Playlist->count(), 3);
    QVERIFY(f.w->Playlist->at(0).rfind("/Data/Music/", 0) == 0);
    {
        ScopedCurrentDir back(dir.path());
        FakeMediaComponent* media = new FakeMediaComponent;
        frmMain w(media);
        w.Form_Load();
        QCOMPARE(w.Playlist->entries(), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3", "/m/C.mp3"}));
        QCOMPARE(w.ListIndex(), int16_t(0));
        QCOMPARE(w.CurrentFile, std::string("/m/a.mp3"));
    }
}

void FrmMainTest::startWithEmptyOrUnreadablePlaylist() {
    {
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        QVERIFY(WriteBytes(QStringLiteral("FileListing.dat"), "\r\nx\r\n"));
        FakeDialogs dialogs;
        frmMain w(new FakeMediaComponent);
        w.Form_Load();
        QCOMPARE(w.Playlist->count(), 0);
        QCOMPARE(w.ListIndex(), int16_t(-1));
        QVERIFY(dialogs.boxes.empty());
    }
    {
        // A folder of that name is no playlist: the samples stay.
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("FileListing.dat")));
        FakeDialogs dialogs;
        frmMain w(new FakeMediaComponent);
        w.Form_Load();
        QCOMPARE(w.Playlist->count(), 3);
        QVERIFY(dialogs.boxes.empty());
    }
}

void FrmMainTest::playHandsTheSelectedEntryOver() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    ClickRow(f.w->List1, 1);
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    f.media->calls.clear();
    QTest::mouseClick(f.w->lblPlay, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblPlay));
    QCOMPARE(f.media->calls, (QStringList{"enabled=1", "file=/m/b.mp3", "autostart=1", "play"}));
    f.media->calls.clear();
    QTest::mouseClick(f.w->lblStop, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblStop));
    QCOMPARE(f.media->calls, QStringList{"stop"});
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    QTest::mouseClick(f.w->lblPlay, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblPlay));
    QCOMPARE(f.media->files(), QStringList{"/m/b.mp3"});
    // A double-click plays the entry under the pointer.
    f.media->calls.clear();
    QRect r = f.w->List1->visualRect(f.w->Playlist->index(2, 0));
    QTest::mouseClick(f.w->List1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QCOMPARE(f.media->files(), QStringList{});
    QTest::mouseDClick(f.w->List1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QCOMPARE(f.w->ListIndex(), int16_t(2));
    QCOMPARE(f.media->files(), QStringList{"/m/c.mp3"});
    // A right click plays nothing.
    f.media->calls.clear();
    QTest::mouseClick(f.w->lblPlay, Qt::RightButton, Qt::NoModifier, Center(f.w->lblPlay));
    QVERIFY(f.media->calls.isEmpty());
}

void FrmMainTest::nextWrapsAndPrevStops() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    auto next = [&] { QTest::mouseClick(f.w->lblNext, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblNext)); };
    auto prev = [&] { QTest::mouseClick(f.w->lblPrev, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblPrev)); };
    next();
    next();
    next();  // wraps from the last entry to the first
    QCOMPARE(f.media->files(), (QStringList{"/m/b.mp3", "/m/c.mp3", "/m/a.mp3"}));
    QCOMPARE(f.media->count("play"), 3);
    f.media->calls.clear();
    prev();  // on entry 0: entry 0 again
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    QCOMPARE(f.media->files(), QStringList{"/m/a.mp3"});
    next();
    next();
    prev();
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    // With nothing selected Next and Prev both select entry 0.
    f.w->List1->selectionModel()->clear();
    QCOMPARE(f.w->ListIndex(), int16_t(-1));
    next();
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    f.w->List1->selectionModel()->clear();
    prev();
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    // One entry: Next stays on it.
    Fixture one({"/m/only.mp3"});
    QTest::mouseClick(one.w->lblNext, Qt::LeftButton, Qt::NoModifier, Center(one.w->lblNext));
    QCOMPARE(one.media->files(), QStringList{"/m/only.mp3"});
    QVERIFY(one.dialogs.boxes.empty());
}

void FrmMainTest::transportOnAnEmptyList() {
    Fixture f;
    f.w->Playlist->clear();
    f.media->calls.clear();
    // Play with nothing selected hands the empty path on.
    f.w->lblPlay_Click();
    QCOMPARE(f.media->files(), QStringList{QString()});
    f.media->calls.clear();
    f.w->lblPrev_Click();
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("Error Found:  Invalid property value"));
    QCOMPARE(f.dialogs.boxes[0].title, QString());
    f.w->lblNext_Click();
    QCOMPARE(f.dialogs.boxes.size(), size_t(2));
    QCOMPARE(f.dialogs.boxes[1].text, QStringLiteral("Error Found:  Invalid property value"));
    QVERIFY(f.media->calls.isEmpty());
    // Random mode on an empty list: the pick 0 has no entry.
    f.w->lblRandom_Click();
    f.w->lblPlay_Click();
    QCOMPARE(f.dialogs.boxes.size(), size_t(3));
    QVERIFY(f.media->calls.isEmpty());
    f.w->lblNext_Click();
    f.w->lblPrev_Click();
    QCOMPARE(f.dialogs.boxes.size(), size_t(5));
    QVERIFY(f.media->calls.isEmpty());
}

void FrmMainTest::randomModeMakesOnePick() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    QTest::mouseClick(f.w->lblRandom, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblRandom));
    QCOMPARE(f.w->transport->RandomMode(), int16_t(-1));
    QSet<QString> seen;
    for (int i = 0; i < 30; ++i) {
        for (auto* label : {f.w->lblNext, f.w->lblPrev, f.w->lblPlay}) {
            f.media->calls.clear();
            QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, Center(label));
            // One pick, the component started once, with the selected entry.
            QCOMPARE(f.media->count("play"), 1);
            QCOMPARE(f.media->files().size(), 1);
            QCOMPARE(f.media->files()[0], PathToText(f.w->Playlist->at(f.w->ListIndex())));
            seen.insert(f.media->files()[0]);
        }
    }
    QCOMPARE(seen.size(), 3);
    // End of file in random mode: one pick too.
    f.media->calls.clear();
    emit f.media->endReached();
    QCOMPARE(f.media->count("play"), 1);
    // One entry in random mode always plays it.
    Fixture one({"/m/only.mp3"});
    one.w->lblRandom_Click();
    one.w->lblNext_Click();
    one.w->lblPrev_Click();
    QCOMPARE(one.media->files(), (QStringList{"/m/only.mp3", "/m/only.mp3"}));
}

void FrmMainTest::randomLabelLook() {
    Fixture f;
    f.w->lblRandom_Click();
    QVERIFY(f.w->lblRandom->font().bold());
    QCOMPARE(f.w->lblRandom->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    f.w->lblRandom_Click();
    QVERIFY(!f.w->lblRandom->font().bold());
    QCOMPARE(f.w->lblRandom->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(f.w->transport->RandomMode(), int16_t(0));
    QCOMPARE(f.w->lblRandom->text(), QStringLiteral("Random"));
}

void FrmMainTest::playErrorsShowTheErrorBox() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    f.media->failFileName = true;
    f.w->lblNext_Click();
    // The new selection stays; the box names the failure; play was not reached.
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("Error Found:  File not found"));
    QCOMPARE(f.dialogs.boxes[0].icon, MsgIcon::None);
    QCOMPARE(f.media->count("play"), 0);
}

void FrmMainTest::endOfFileRunsNext() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    f.w->SelectEntry(1);
    emit f.media->endReached();
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    QCOMPARE(f.media->files(), QStringList{"/m/a.mp3"});
}

void FrmMainTest::timeLabels() {
    Fixture f;
    QCOMPARE(f.w->lblElapsedTime->text(), QStringLiteral("Remaining:"));
    QTRY_COMPARE(f.w->lblElapsedTime->text(), QStringLiteral("Elapsed Time: 00:00"));  // the timer runs
    QCOMPARE(f.w->lblTotalTime->text(), QStringLiteral("TotalTime: 00:00"));
    f.media->position = 61.5;
    f.w->Timer1_Timer();
    QCOMPARE(f.w->lblElapsedTime->text(), QStringLiteral("Elapsed Time: 01:01"));
    QCOMPARE(f.w->Minutes, int16_t(1));
    QCOMPARE(f.w->Seconds, int16_t(1));
    f.media->position = -1;
    f.w->Timer1_Timer();
    QCOMPARE(f.w->lblElapsedTime->text(), QStringLiteral("Elapsed Time: 00:00"));
    f.media->failPosition = true;
    f.w->Timer1_Timer();  // a failed reading leaves the label and goes on
    QCOMPARE(f.w->lblElapsedTime->text(), QStringLiteral("Elapsed Time: 00:00"));
    f.media->length = 6000;
    emit f.media->lengthKnown();
    QCOMPARE(f.w->lblTotalTime->text(), QStringLiteral("Total Time: 100:00"));
    f.media->length = 0;
    emit f.media->lengthKnown();
    QCOMPARE(f.w->lblTotalTime->text(), QStringLiteral("Total Time: 00:00"));
    f.media->length = 225;
    emit f.media->lengthKnown();
    QCOMPARE(f.w->lblTotalTime->text(), QStringLiteral("Total Time: 03:45"));
    f.w->lblStop_Click();
    QCOMPARE(f.w->lblTotalTime->text(), QStringLiteral("Total Time: 03:45"));
}

void FrmMainTest::buttonFeedback() {
    Fixture f;
    f.w->show();
    for (auto [label, caption] : {std::pair{f.w->lblPlay, "Play"}, std::pair{f.w->lblStop, "Stop"},
                                  std::pair{f.w->lblNext, "Next"}, std::pair{f.w->lblPrev, "Prev"}}) {
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(label, b, Qt::NoModifier, Center(label));
            QCOMPARE(label->text(), QStringLiteral("Processing"));
            QTest::mouseRelease(label, b, Qt::NoModifier, Center(label));
            QCOMPARE(label->text(), QString::fromLatin1(caption));
        }
    }
    // The command runs with the caption already back.
    QStringList seenCaption;
    f.w->Playlist->clear();
    f.w->Playlist->add("/m/a.mp3");
    f.w->SelectEntry(0);
    connect(f.media, &QObject::objectNameChanged, [] {});
    f.media->calls.clear();
    QTest::mouseClick(f.w->lblPlay, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblPlay));
    QCOMPARE(f.w->lblPlay->text(), QStringLiteral("Play"));
    for (QLabel* l : {static_cast<QLabel*>(f.w->lblRandom), static_cast<QLabel*>(f.w->lblExit),
                      static_cast<QLabel*>(f.w->lblVolume)}) {
        QString before = l->text();
        QTest::mousePress(l, Qt::RightButton, Qt::NoModifier, Center(l));
        QCOMPARE(l->text(), before);
        QTest::mouseRelease(l, Qt::RightButton, Qt::NoModifier, Center(l));
        QCOMPARE(l->text(), before);
    }
}

void FrmMainTest::contextMenuOnRightButtonOnly() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    ClickRow(f.w->List1, 1, Qt::LeftButton);
    QVERIFY(!f.w->mnuTagInfo->isVisible());
    ClickRow(f.w->List1, 0, Qt::MiddleButton);
    QVERIFY(!f.w->mnuTagInfo->isVisible());
    ClickRow(f.w->List1, 0, Qt::RightButton);
    QTRY_VERIFY(f.w->mnuTagInfo->isVisible());
    // The right click did not move the selection.
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    f.w->mnuTagInfo->hide();
    QTest::mouseClick(f.w->imgTheme, Qt::LeftButton, Qt::NoModifier, Center(f.w->imgTheme));
    QVERIFY(!f.w->mnuSetTheme->isVisible());
    QTest::mouseClick(f.w->imgTheme, Qt::RightButton, Qt::NoModifier, Center(f.w->imgTheme));
    QTRY_VERIFY(f.w->mnuSetTheme->isVisible());
    f.w->mnuSetTheme->hide();
}

void FrmMainTest::removeEntryRemovesTheSelectedOne() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    f.w->show();
    ClickRow(f.w->List1, 1);
    f.media->calls.clear();
    QString caption = f.w->windowTitle();
    ClickRow(f.w->List1, 2, Qt::RightButton);
    f.w->mnuTagInfo->hide();
    f.w->mnuRemoveEntry->trigger();
    QCOMPARE(f.w->Playlist->entries(), (std::vector<std::string>{"/m/a.mp3", "/m/c.mp3"}));
    QCOMPARE(f.w->ListIndex(), int16_t(-1));
    QVERIFY(f.w->List1->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string("/m/a.mp3\r\n/m/c.mp3\r\n"));
    QVERIFY(f.media->calls.isEmpty());  // playback untouched
    QCOMPARE(f.w->windowTitle(), caption);
}

void FrmMainTest::removeWithNothingSelectedDoesNothing() {
    Fixture f({"/m/a.mp3"});
    f.w->mnuRemoveEntry_Click();  // removes entry 0 (selected at start)
    QCOMPARE(f.w->Playlist->count(), 0);
    f.w->mnuRemoveEntry_Click();
    QCOMPARE(f.w->Playlist->count(), 0);
    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string());
}

void FrmMainTest::failedSaveKeepsThePlaylist() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    QVERIFY(WriteBytes(f.path("FileListing.dat"), "/old.mp3\r\n"));
    SetWriteFunctionForTesting([](int, const void*, size_t) -> ssize_t {
        errno = EACCES;
        return -1;
    });
    f.w->mnuRemoveEntry_Click();
    SetWriteFunctionForTesting({});
    QCOMPARE(f.w->Playlist->count(), 2);
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("Cannot save the playlist: Permission denied"));
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string("/old.mp3\r\n"));
}

void FrmMainTest::loadFilesSavesAfterTheWindowCloses() {
    Fixture f({"/m/b.mp3"});
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QStringLiteral("/m/d.mp3"))});
    f.w->List1_OLEDragDrop(&dropped);
    bool shown = false;
    f.w->ShowFileLoader = [&](QWidget* parent, const frmFileLoader::AddFunction& add) {
        shown = true;
        QCOMPARE(parent, static_cast<QWidget*>(f.w.get()));
        QVERIFY(!QFile::exists(f.path("FileListing.dat")));
        QCOMPARE(add({"/m/c.mp3", "/m/a.mp3"}), QString());
    };
    f.w->mnuLoadFiles_Click();
    QVERIFY(shown);
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string("/m/a.mp3\r\n/m/b.mp3\r\n/m/c.mp3\r\n/m/d.mp3\r\n"));
    // The selection stayed on its entry.
    QCOMPARE(f.w->CurrentFile, std::string("/m/b.mp3"));
    QCOMPARE(f.w->ListIndex(), int16_t(1));
}

void FrmMainTest::editTagSetsThePath() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    std::vector<std::string> handed;
    f.w->ShowTagEditor = [&](QWidget*, const std::string& path) { handed.push_back(path); };
    f.w->SelectEntry(1);
    f.w->mnuEditTag_Click();
    f.w->List1->selectionModel()->clear();
    f.w->mnuEditTag_Click();
    QCOMPARE(handed, (std::vector<std::string>{"/m/b.mp3", ""}));
}

void FrmMainTest::dropsAddFiles() {
    Fixture f({"/m/m.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    auto drop = [&](QMimeData* mime) {
        QPoint at = f.w->List1->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.w->List1->viewport(), &enter);
        QDropEvent dropEvent(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.w->List1->viewport(), &dropEvent);
    };
    QMimeData three;
    three.setUrls({QUrl::fromLocalFile("/x/z.txt"), QUrl::fromLocalFile("/x/a.MP3"), QUrl::fromLocalFile("/x/b.wav")});
    drop(&three);
    QCOMPARE(f.w->Playlist->entries(),
             (std::vector<std::string>{"/m/m.mp3", "/x/a.MP3", "/x/b.wav", "/x/z.txt"}));
    QMimeData folderAndDuplicate;
    folderAndDuplicate.setUrls({QUrl::fromLocalFile(f.dir.path()), QUrl::fromLocalFile("/m/m.mp3")});
    drop(&folderAndDuplicate);
    QCOMPARE(f.w->Playlist->count(), 6);
    int dups = 0;
    for (const auto& e : f.w->Playlist->entries()) dups += e == "/m/m.mp3";
    QCOMPARE(dups, 2);
    bool folder = false;
    for (const auto& e : f.w->Playlist->entries()) folder |= e == TextToPath(f.dir.path());
    QVERIFY(folder);
    QMimeData text;
    text.setText(QStringLiteral("/x/not-a-file.mp3"));
    drop(&text);
    QCOMPARE(f.w->Playlist->count(), 6);
    QVERIFY(f.dialogs.boxes.empty());

    // A source proposing a move (Shift+drag) gets a copy: a file manager
    // deletes the files of an accepted move. Move alone is refused.
    QMimeData moved;
    moved.setData(QStringLiteral("text/uri-list"),
                  "# a comment line\r\nfile:///x/%E9t%E9.mp3\r\nfile://localhost/x/two%20words.mp3\r\n"
                  "http://example.com/remote.mp3\r\nfile:/x/short.mp3\n");
    for (Qt::DropActions offered : {Qt::DropActions(Qt::CopyAction | Qt::MoveAction), Qt::DropActions(Qt::MoveAction)}) {
        const QPoint at = f.w->List1->viewport()->rect().center();
        QDragEnterEvent enter(at, offered, &moved, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(f.w->List1->viewport(), &enter);
        QDragMoveEvent move(at, offered, &moved, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(f.w->List1->viewport(), &move);
        QDropEvent dropEvent(at, offered, &moved, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(dropEvent.proposedAction(), Qt::MoveAction);
        QApplication::sendEvent(f.w->List1->viewport(), &dropEvent);
        const bool copyOffered = offered & Qt::CopyAction;
        for (QDropEvent* e : {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &dropEvent}) {
            QCOMPARE(e->isAccepted(), copyOffered);
            if (copyOffered) QCOMPARE(e->dropAction(), Qt::CopyAction);
        }
    }
    // Each local file once (the move-only drop added nothing), by the bytes of
    // its name: "%E9" is the Latin-1 byte, not U+FFFD.
    QCOMPARE(f.w->Playlist->count(), 9);
    const std::vector<std::string> entries = f.w->Playlist->entries();
    for (const char* added : {"/x/\xe9t\xe9.mp3", "/x/two words.mp3", "/x/short.mp3"})
        QCOMPARE(std::count(entries.begin(), entries.end(), std::string(added)), 1);
    // The selection and the playlist file are left alone.
    QCOMPARE(f.w->CurrentFile, std::string("/m/m.mp3"));
    QCOMPARE(f.w->Playlist->at(f.w->ListIndex()), std::string("/m/m.mp3"));
    QVERIFY(!QFile::exists(f.path("FileListing.dat")));
    QVERIFY(f.media->calls.isEmpty());
}

void FrmMainTest::dropsPastTheLimit() {
    Fixture f;
    f.w->Playlist->clear();
    std::vector<std::string> many;
    for (int i = 0; i < PlaylistModel::kMaxEntries - 5; ++i) many.push_back("/m/" + std::to_string(i));
    f.w->transport->AddEntries(many);
    QMimeData mime;
    QList<QUrl> urls;
    for (int i = 0; i < 10; ++i) urls << QUrl::fromLocalFile(QStringLiteral("/n/%1").arg(i));
    // A name with a line break could not be stored one per line: refused,
    // and told in the same message.
    urls << QUrl::fromLocalFile(QStringLiteral("/n/two\nlines.mp3")) << QUrl::fromLocalFile(QStringLiteral("/n/cr\r.mp3"));
    mime.setUrls(urls);
    f.w->List1_OLEDragDrop(&mime);
    QCOMPARE(f.w->Playlist->count(), PlaylistModel::kMaxEntries);
    QTRY_COMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text,
             QStringLiteral("The playlist holds at most 32767 entries: 5 entries were not added. 2 entries were not added: "
                            "a name holding a line break cannot be stored in the playlist."));
    QCOMPARE(f.w->Playlist->rowOf("/n/two\nlines.mp3"), -1);
}

void FrmMainTest::controlDropMovesIt() {
    Fixture f;
    QSize size = f.w->imgMover->size();
    f.w->Form_DragDrop(f.w->imgMover, 1500, 300);
    QCOMPARE(f.w->imgMover->geometry(), QRect(QPoint(100, 20), size));
}

void FrmMainTest::playerBarToggle() {
    Fixture f;
    f.w->show();
    f.media->calls.clear();
    f.w->mnuMediaPlayerBar->trigger();
    QVERIFY(f.w->MediaPlayer1->isVisible());
    QVERIFY(!f.w->mnuMediaPlayerBar->isChecked());
    f.w->mnuMediaPlayerBar->trigger();
    QVERIFY(!f.w->MediaPlayer1->isVisible());
    QVERIFY(f.w->mnuMediaPlayerBar->isChecked());
    QCOMPARE(f.w->mnuMediaPlayerBar->text(), QStringLiteral("Hide Media Player Bar"));
    QVERIFY(f.media->calls.isEmpty());
}

void FrmMainTest::volumeLabelAndSlider() {
    Fixture f;
    f.w->show();
    QVERIFY(f.w->HScroll_4_Volume->isHidden());
    QTest::mouseClick(f.w->lblVolume, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblVolume));
    QVERIFY(f.w->HScroll_4_Volume->isVisible());
    QCOMPARE(f.w->HScroll_4_Volume->value(), 10);
    QTest::mouseClick(f.w->lblVolume, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblVolume));
    QVERIFY(f.w->HScroll_4_Volume->isHidden());
    QCOMPARE(f.w->HScroll_4_Volume->value(), 10);
    // A drag reports once, on release.
    QSignalSpy changes(f.w->HScroll_4_Volume, &QScrollBar::valueChanged);
    f.w->HScroll_4_Volume->setSliderDown(true);
    f.w->HScroll_4_Volume->setSliderPosition(40);
    f.w->HScroll_4_Volume->setSliderPosition(60);
    QCOMPARE(changes.count(), 0);
    f.w->HScroll_4_Volume->setSliderDown(false);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(f.w->HScroll_4_Volume->value(), 60);

    // A click gives it the focus; Right and Up are a small step up, Left and
    // Down one down, the page keys a large step, each one completed change.
    QTest::mouseClick(f.w->lblVolume, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblVolume));
    f.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
    QScrollBar* slider = f.w->HScroll_4_Volume;
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() - 2, slider->height() / 2));
    QVERIFY(slider->hasFocus());
    slider->setValue(60);
    changes.clear();
    const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Right, 61}, {Qt::Key_Up, 62},       {Qt::Key_Left, 61},
                                            {Qt::Key_Down, 60},  {Qt::Key_PageUp, 70},   {Qt::Key_PageDown, 60}};
    for (const auto& [key, value] : keys) {
        QTest::keyClick(slider, key);
        QCOMPARE(slider->value(), value);
    }
    QCOMPARE(changes.count(), 6);
}

void FrmMainTest::themeChoiceAndAutosize() {
    Fixture f;
    QImage big(800, 600, QImage::Format_RGB32);
    big.fill(Qt::red);
    QString picture = f.path("sky, big.png");
    QVERIFY(big.save(picture));
    f.dialogs.nextFileName = QString();
    f.w->mnuTheme_Click();  // cancelled: nothing changes
    QVERIFY(!f.w->Stretch);
    QVERIFY(!QFile::exists(f.path("Settings.dat")));
    f.dialogs.nextFileName = picture;
    f.w->mnuTheme_Click();
    QVERIFY(f.w->Stretch);
    QCOMPARE(f.w->imgTheme->size(), QSize(300, 210));  // scaled into the area
    QVERIFY(f.w->imgTheme->hasScaledContents());
    QVERIFY(f.w->mnuAutosize->isChecked());  // the mark is not touched
    QCOMPARE(ReadBytes(f.path("Settings.dat")), TextToPath(picture) + "\r\n");
    // First Autosize click only clears the mark; the second shows the own size.
    f.w->mnuAutosize->trigger();
    QVERIFY(!f.w->mnuAutosize->isChecked());
    QVERIFY(f.w->Stretch);
    QCOMPARE(f.w->imgTheme->size(), QSize(300, 210));
    f.w->mnuAutosize->trigger();
    QVERIFY(f.w->mnuAutosize->isChecked());
    QVERIFY(!f.w->Stretch);
    QCOMPARE(f.w->imgTheme->size(), QSize(800, 600));
    f.w->mnuAutosize->trigger();
    QVERIFY(f.w->Stretch);
    QCOMPARE(f.w->imgTheme->size(), QSize(800, 600));
    // Choosing again rewrites the same line.
    QVERIFY(WriteBytes(f.path("Settings.dat"), "junk"));
    f.w->mnuTheme_Click();
    QCOMPARE(ReadBytes(f.path("Settings.dat")), TextToPath(picture) + "\r\n");
}

void FrmMainTest::themeThatCannotBeLoaded() {
    Fixture f;
    QVERIFY(WriteBytes(f.path("Settings.dat"), "/old.jpg\r\n"));
    QVERIFY(WriteBytes(f.path("not-a-picture.jpg"), "plain text"));
    f.dialogs.nextFileName = f.path("not-a-picture.jpg");
    f.w->mnuTheme_Click();
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QVERIFY(f.dialogs.boxes[0].text.startsWith(QStringLiteral("Cannot show the picture")));
    QCOMPARE(ReadBytes(f.path("Settings.dat")), std::string("/old.jpg\r\n"));
    QCOMPARE(f.w->imgTheme->pixmap().size(), QSize(300, 210));

    // A named pipe, chosen or stored, is refused at once: the window never
    // waits for a writer.
    const QString fifo = f.path("pipe.jpg");
    QVERIFY(MakeFifo(fifo));
    {
        UiWatchdog watchdog([fifo] { ReleaseFifoReader(fifo); });
        f.dialogs.nextFileName = fifo;
        f.w->mnuTheme_Click();
        QVERIFY(WriteBytes(f.path("Settings.dat"), TextToPath(fifo) + "\r\n"));
        f.w->LoadSettings();
        QVERIFY(!watchdog.stalled());
    }
    QCOMPARE(f.dialogs.boxes.size(), size_t(3));
    QCOMPARE(f.dialogs.boxes[1].text, QStringLiteral("Cannot show the picture %1: Invalid picture").arg(fifo));
    QCOMPARE(f.dialogs.boxes[2].text, QStringLiteral("Cannot show the theme picture %1: Invalid picture").arg(fifo));
    // A folder is called one; a picture too large to show gives its size.
    QVERIFY(WriteBytes(f.path("Settings.dat"), TextToPath(f.dir.path()) + "\r\n"));
    f.w->LoadSettings();
    QCOMPARE(f.dialogs.boxes.size(), size_t(4));
    QVERIFY2(f.dialogs.boxes[3].text.endsWith(QStringLiteral(": Path/File access error (Is a directory)")),
             qPrintable(f.dialogs.boxes[3].text));
    // A 30000 x 30000 PNG: its signature, header and an empty data chunk.
    auto be32 = [](std::string& out, uint32_t v) {
        for (int i = 3; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    auto chunk = [&be32](std::string& out, const std::string& typeAndData) {
        be32(out, static_cast<uint32_t>(typeAndData.size() - 4));
        out += typeAndData;
        uint32_t crc = 0xffffffffu;  // CRC-32 over the chunk's type and data
        for (unsigned char c : typeAndData) {
            crc ^= c;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        be32(out, ~crc);
    };
    std::string png("\x89PNG\r\n\x1a\n", 8), header("IHDR");
    be32(header, 30000);
    be32(header, 30000);
    header += std::string("\x08\x02\0\0\0", 5);  // 8-bit RGB
    chunk(png, header);
    chunk(png, "IDAT");
    chunk(png, "IEND");
    QVERIFY(WriteBytes(f.path("huge.png"), png));
    f.dialogs.nextFileName = f.path("huge.png");
    f.w->mnuTheme_Click();
    QCOMPARE(f.dialogs.boxes.size(), size_t(5));
    QVERIFY2(f.dialogs.boxes[4].text.contains(QStringLiteral("Picture too large (30000 x 30000 pixels")),
             qPrintable(f.dialogs.boxes[4].text));
}

void FrmMainTest::storedThemeIsShownAtStart() {
    Fixture f;
    QImage img(120, 80, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QVERIFY(img.save(f.path("a.png")));
    QVERIFY(img.scaled(60, 40).save(f.path("b.png")));
    QVERIFY(WriteBytes(f.path("Settings.dat"), TextToPath(f.path("a.png")) + "\r\n" + TextToPath(f.path("b.png")) + "\r\n"));
    f.w->LoadSettings();
    QVERIFY(!f.w->Stretch);
    QCOMPARE(f.w->imgTheme->size(), QSize(60, 40));  // the last one stays, at its own size
    QVERIFY(f.dialogs.boxes.empty());
    // An empty line clears the picture; a missing file is reported.
    QVERIFY(WriteBytes(f.path("Settings.dat"), "\r\n"));
    f.w->LoadSettings();
    QVERIFY(f.w->imgTheme->pixmap().isNull());
    QVERIFY(WriteBytes(f.path("Settings.dat"), "/no/such/picture.jpg\r\n"));
    f.w->LoadSettings();
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    // A damaged file of many items that name nothing is told in one message,
    // and the good item among them is still shown.
    const std::string damaged = "x\r\ny\r\nz\r\n" + TextToPath(f.path("a.png")) + "\r\n\x01\x02\r\nq\r\n";
    QVERIFY(WriteBytes(f.path("Settings.dat"), damaged));
    f.w->LoadSettings();
    QCOMPARE(f.w->imgTheme->size(), QSize(120, 80));
    QCOMPARE(f.dialogs.boxes.size(), size_t(2));
    QCOMPARE(f.dialogs.boxes[1].text,
             QStringLiteral("Cannot show the theme picture x: File not found\n"
                            "4 more items of Settings.dat name no picture that can be shown."));
}

void FrmMainTest::pictureFollowsTheRightEdge() {
    Fixture f;
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    int outer = f.w->frameGeometry().width();
    QCOMPARE(f.w->imgTheme->x(), outer - 300);
    QCOMPARE(f.w->ThemeLeftTwips(), (outer - 300) * 15.0);
    f.w->resize(800, 307);
    QTRY_COMPARE(f.w->imgTheme->x(), f.w->frameGeometry().width() - 300);
    f.w->resize(200, 307);  // narrower than the picture: a negative left edge
    QTRY_COMPARE(f.w->imgTheme->x(), f.w->frameGeometry().width() - 300);
    QVERIFY(f.w->imgTheme->x() < 0);
    QCOMPARE(f.w->imgTheme->y(), 24);
    QCOMPARE(f.w->List1->geometry(), QRect(64, 24, 249, 212));
    // The picture now lies under the list, which stays on top and usable.
    QCOMPARE(f.w->childAt(f.w->List1->geometry().center()), f.w->List1->viewport());
}

void FrmMainTest::exitEndsTheProgram() {
    Fixture f;
    f.w->show();
    QTest::mouseClick(f.w->lblExit, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblExit));
    QCOMPARE(f.exits, 1);
    QVERIFY(!f.w->isVisible());
    QVERIFY(!f.w->Timer1->isActive());
    QVERIFY(!QFile::exists(f.path("FileListing.dat")));
}

void FrmMainTest::keyboardReachesTheCommands() {
    Fixture f({"/m/a.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    f.w->lblPlay->setFocus();
    f.media->calls.clear();
    QTest::keyClick(f.w->lblPlay, Qt::Key_Space);
    QCOMPARE(f.media->count("play"), 1);
    QTest::keyClick(f.w->lblPlay, Qt::Key_Return);
    QCOMPARE(f.media->count("play"), 2);
    QCOMPARE(f.w->lblPlay->accessibleName(), QStringLiteral("Play"));

    // A label reached by Tab shows a focus mark, and only then.
    f.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
    f.w->lblPlay->setFocus();
    const QImage plain = f.w->lblStop->grab().toImage();
    QTest::keyClick(f.w->lblPlay, Qt::Key_Tab);
    QVERIFY(f.w->lblStop->hasFocus());
    QVERIFY(f.w->lblStop->grab().toImage() != plain);
    QTest::keyClick(f.w->lblStop, Qt::Key_Tab);
    QVERIFY(f.w->lblNext->hasFocus());
    QCOMPARE(f.w->lblStop->grab().toImage(), plain);

    // On the list: the Menu key and Shift+F10 open its menu at the current
    // entry, Return plays that entry, Delete removes it.
    f.w->List1->setFocus(Qt::TabFocusReason);
    const QRect entry = f.w->List1->visualRect(f.w->Playlist->index(0, 0));
    const QPoint under = f.w->List1->viewport()->mapToGlobal(entry.bottomLeft());
    for (auto [key, mods] : {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()}, std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        QTest::keyClick(f.w->List1, key, mods);
        QTRY_VERIFY(f.w->mnuTagInfo->isVisible());
        QVERIFY2((f.w->mnuTagInfo->pos() - under).manhattanLength() < 20,
                 qPrintable(QStringLiteral("menu at %1,%2").arg(f.w->mnuTagInfo->x()).arg(f.w->mnuTagInfo->y())));
        f.w->mnuTagInfo->hide();
    }
    f.media->calls.clear();
    QTest::keyClick(f.w->List1, Qt::Key_Return);
    QCOMPARE(f.media->files(), QStringList{"/m/a.mp3"});
    QCOMPARE(f.media->count("play"), 1);
    QTest::keyClick(f.w->List1, Qt::Key_Delete);
    QCOMPARE(f.w->Playlist->count(), 0);
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string());
}

void FrmMainTest::selectionAndCurrentEntryAgree() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    QRect r = f.w->List1->visualRect(f.w->Playlist->index(1, 0));
    QTest::mouseClick(f.w->List1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::mouseClick(f.w->List1->viewport(), Qt::LeftButton, Qt::ControlModifier, r.center());
    QTest::keyClick(f.w->List1, Qt::Key_Space, Qt::ControlModifier);
    // Whatever was pressed, the entry the commands act on is the highlighted one.
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    QCOMPARE(f.w->List1->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(f.w->List1->selectionModel()->selectedRows().first().row(), 1);
}

void FrmMainTest::doubleClicksThatMustNotPlay() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    QRect r = f.w->List1->visualRect(f.w->Playlist->index(0, 0));
    f.media->calls.clear();
    for (Qt::MouseButton b : {Qt::MiddleButton, Qt::RightButton}) {
        QTest::mouseClick(f.w->List1->viewport(), b, Qt::NoModifier, r.center());
        QTest::mouseDClick(f.w->List1->viewport(), b, Qt::NoModifier, r.center());
    }
    f.w->mnuTagInfo->hide();
    QVERIFY(f.media->calls.isEmpty());
    // A double-click on a label is one command, not two.
    QTest::mouseClick(f.w->lblNext, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblNext));
    QTest::mouseDClick(f.w->lblNext, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblNext));
    QCOMPARE(f.w->lblNext->text(), QStringLiteral("Processing"));
    QTest::mouseRelease(f.w->lblNext, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblNext));
    QCOMPARE(f.media->files(), QStringList{"/m/b.mp3"});
    QCOMPARE(f.w->lblNext->text(), QStringLiteral("Next"));
    QTest::mouseClick(f.w->lblRandom, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblRandom));
    QTest::mouseDClick(f.w->lblRandom, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblRandom));
    QTest::mouseRelease(f.w->lblRandom, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblRandom));
    QCOMPARE(f.w->transport->RandomMode(), int16_t(-1));
}

void FrmMainTest::reclickingTheSelectedEntryRebuildsTheCaption() {
    Fixture f({"/m/a.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    f.w->setWindowTitle(QStringLiteral("stale"));
    QRect r = f.w->List1->visualRect(f.w->Playlist->index(0, 0));
    QTest::mouseClick(f.w->List1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QCOMPARE(f.w->windowTitle(), QString());  // rebuilt: the file has no tag
}

void FrmMainTest::oversizedAndUnreadablePlaylists() {
    {
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        // Written by an editor elsewhere (a byte-order mark), with a 10 MB
        // line and a line holding a NUL, neither of which names a file.
        std::string lines = "\xEF\xBB\xBF/m/first\r\n" + std::string(10 << 20, 'x') + "\r\n/m/nul" + '\0' + ".mp3\r\n";
        for (int i = 0; i < PlaylistModel::kMaxEntries + 2; ++i) lines += "/m/" + std::to_string(i) + "\r\n";
        QVERIFY(WriteBytes(QStringLiteral("FileListing.dat"), lines));
        FakeDialogs dialogs;
        frmMain w(new FakeMediaComponent);
        w.Form_Load();
        QCOMPARE(w.Playlist->count(), PlaylistModel::kMaxEntries);
        QCOMPARE(w.Playlist->rowOf("/m/first"), PlaylistModel::kMaxEntries - 1);
        QTRY_COMPARE(dialogs.boxes.size(), size_t(1));
        QVERIFY2(dialogs.boxes[0].text.contains(QStringLiteral("3 entries were not added")), qPrintable(dialogs.boxes[0].text));
        QVERIFY(dialogs.boxes[0].text.contains(QStringLiteral("2 lines of FileListing.dat named no file")));
        // A removal saves: the shown entries, then the three that did not fit.
        w.Playlist->setCurrentRow(0);
        w.mnuRemoveEntry_Click();
        const std::vector<std::string> saved = ParseFileListing(ReadBytes(QStringLiteral("FileListing.dat")));
        QCOMPARE(saved.size(), size_t(PlaylistModel::kMaxEntries + 2));
        QCOMPARE(saved.back(), "/m/" + std::to_string(PlaylistModel::kMaxEntries + 1));
    }
    {
        // A playlist that cannot be read is reported and never overwritten.
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), QStringLiteral("FileListing.dat")));
        FakeDialogs dialogs;
        frmMain w(new FakeMediaComponent);
        w.Form_Load();
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QVERIFY(dialogs.boxes[0].text.startsWith(QStringLiteral("Cannot read the playlist FileListing.dat")));
        QCOMPARE(w.Playlist->count(), 3);
        w.mnuRemoveEntry_Click();
        QCOMPARE(dialogs.boxes.size(), size_t(2));
        QVERIFY(QFileInfo(QStringLiteral("FileListing.dat")).isSymLink());
    }
}

void FrmMainTest::captionFollowsTheSelectedTag() {
    Fixture f({}, false);
    auto tagged = [](const std::string& title, const std::string& artist) {
        std::string t = title, a = artist;
        t.resize(30, ' ');
        a.resize(30, ' ');
        return std::string(500, 'x') + "TAG" + t + a + std::string(64, ' ') + std::string(1, '\x01');
    };
    QVERIFY(WriteBytes(f.path("a.mp3"), tagged("Abc", "Xyz")));
    QVERIFY(WriteBytes(f.path("b.mp3"), std::string(500, 'x')));
    QVERIFY(WriteBytes(f.path("c.mp3"), tagged("Second", "Band")));
    f.w->Playlist->clear();
    f.w->Playlist->addMany({TextToPath(f.path("a.mp3")), TextToPath(f.path("b.mp3")), TextToPath(f.path("c.mp3")),
                            TextToPath(f.path("d-missing.mp3"))});
    f.w->Form_Load();
    QCOMPARE(f.w->windowTitle(), QStringLiteral(" 0. - Abc: Xyz") + QString(27, QLatin1Char(' ')));
    f.w->SelectEntry(2);
    QCOMPARE(f.w->windowTitle(), QStringLiteral(" 2. - Second: Band") + QString(26, QLatin1Char(' ')));
    f.w->SelectEntry(1);  // no tag
    QCOMPARE(f.w->windowTitle(), QString());
    f.w->SelectEntry(2);
    f.w->SelectEntry(3);  // missing: empty, not the previous tag, and not created
    QCOMPARE(f.w->windowTitle(), QString());
    QVERIFY(!QFile::exists(f.path("d-missing.mp3")));
}

void FrmMainTest::loadFilesThroughTheRealSearchWindow() {
    Fixture f({"/m/dropped.mp3"});
    QDir(f.dir.path()).mkpath(QStringLiteral("music/sub"));
    QVERIFY(WriteBytes(f.path("music/b.mp3"), "x"));
    QVERIFY(WriteBytes(f.path("music/sub/A.MP3"), "x"));
    QVERIFY(WriteBytes(f.path("music/notes.txt"), "x"));
    f.w->ShowFileLoader = [](QWidget* parent, const frmFileLoader::AddFunction& add) { frmFileLoader::Run(parent, add); };
    bool driven = false;
    std::function<void()> drive = [&] {
        auto* loader = qobject_cast<frmFileLoader*>(QApplication::activeModalWidget());
        if (!loader) {
            QTimer::singleShot(20, drive);
            return;
        }
        driven = true;
        loader->OpenFolder(f.path("music"));
        loader->cmdLoad_Click();
    };
    QTimer::singleShot(0, drive);
    f.w->mnuLoadFiles_Click();  // returns when the window has closed
    QVERIFY(driven);
    QCOMPARE(f.w->Playlist->count(), 3);
    QCOMPARE(ReadBytes(f.path("FileListing.dat")),
             "/m/dropped.mp3\r\n" + TextToPath(f.path("music/b.mp3")) + "\r\n" + TextToPath(f.path("music/sub/A.MP3")) + "\r\n");
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
