// The main window's playlist through its real widgets: the list's menu
// (remove, load files, edit tag), drops onto the list and the stored
// playlist they save.
#include "window/equalizer_window.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <QDir>
#include <QElapsedTimer>

class PlaylistMenuTest : public QObject {
    Q_OBJECT
private slots:
    void contextMenuOnRightButtonOnly();
    void removeEntryRemovesTheSelectedOne();
    void removeWithNothingSelectedDoesNothing();
    void failedSaveKeepsThePlaylist();
    void loadFilesSavesAfterTheWindowCloses();
    void loadFilesThroughTheRealSearchWindow();
    void editTagSetsThePath();
    void dropsAddFiles();
    void dropsPastTheLimit();
    void playlistsInAndOut();
    void controlDropMovesIt();
    void cleaningCommandsOnRealFiles();
    void equalizerByKeysPresetsAndImport();
    void outputsListedAndChosen();
};

void PlaylistMenuTest::contextMenuOnRightButtonOnly() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
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

void PlaylistMenuTest::removeEntryRemovesTheSelectedOne() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    f.w->show();
    ClickRow(f.w->List1, 1);
    f.media->calls.clear();
    QString caption = f.w->windowTitle();
    ClickRow(f.w->List1, 2, Qt::RightButton);
    f.w->mnuTagInfo->hide();
    f.w->mnuRemoveEntry->trigger();
    QCOMPARE(f.player->playlist.entries(), (std::vector<std::string>{"/m/a.mp3", "/m/c.mp3"}));
    QCOMPARE(f.w->ListIndex(), int16_t(-1));
    QVERIFY(f.w->List1->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string("/m/a.mp3\r\n/m/c.mp3\r\n"));
    QVERIFY(f.media->calls.isEmpty());  // playback untouched
    QCOMPARE(f.w->windowTitle(), caption);
}

void PlaylistMenuTest::removeWithNothingSelectedDoesNothing() {
    Fixture f({"/m/a.mp3"});
    f.w->mnuRemoveEntry_Click();  // removes entry 0 (selected at start)
    QCOMPARE(f.player->playlist.count(), 0);
    f.w->mnuRemoveEntry_Click();
    QCOMPARE(f.player->playlist.count(), 0);
    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string());
}

void PlaylistMenuTest::failedSaveKeepsThePlaylist() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    QVERIFY(WriteBytes(f.path("FileListing.dat"), "/old.mp3\r\n"));
    SetWriteFunctionForTesting([](int, const void*, size_t) -> ssize_t {
        errno = EACCES;
        return -1;
    });
    f.w->mnuRemoveEntry_Click();
    SetWriteFunctionForTesting({});
    QCOMPARE(f.player->playlist.count(), 2);
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("Cannot save the playlist: Permission denied"));
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string("/old.mp3\r\n"));
}

void PlaylistMenuTest::loadFilesSavesAfterTheWindowCloses() {
    Fixture f({"/m/b.mp3"});
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QStringLiteral("/m/d.mp3"))});
    f.w->List1_OLEDragDrop(&dropped);
    bool shown = false;
    f.w->ShowFileLoader = [&](QWidget* parent, const frmFileLoader::AddFunction& add) {
        shown = true;
        QCOMPARE(parent, static_cast<QWidget*>(f.w));
        QVERIFY(!QFile::exists(f.path("FileListing.dat")));
        QCOMPARE(add({"/m/c.mp3", "/m/a.mp3"}), QString());
    };
    f.w->mnuLoadFiles_Click();
    QVERIFY(shown);
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string("/m/a.mp3\r\n/m/b.mp3\r\n/m/c.mp3\r\n/m/d.mp3\r\n"));
    // The selection stayed on its entry.
    QCOMPARE(f.w->CurrentFile, std::string("/m/b.mp3"));
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    // ... and in view, when a load sorts many entries before it.
    f.w->show();
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i) many.push_back("/m/a" + std::to_string(1000 + i) + ".mp3");
    f.w->ShowFileLoader = [&](QWidget*, const frmFileLoader::AddFunction& add) { add(many); };
    f.w->mnuLoadFiles_Click();
    QCOMPARE(f.w->CurrentFile, std::string("/m/b.mp3"));
    QTRY_VERIFY(f.w->List1->viewport()->rect().intersects(
        f.w->List1->visualRect(f.player->playlist.index(f.w->ListIndex(), 0))));
}

void PlaylistMenuTest::loadFilesThroughTheRealSearchWindow() {
    Fixture f({"/m/dropped.mp3"});
    QDir(f.dir.path()).mkpath(QStringLiteral("music/sub"));
    QVERIFY(WriteBytes(f.path("music/b.mp3"), "x"));
    QVERIFY(WriteBytes(f.path("music/sub/A.MP3"), "x"));
    QVERIFY(WriteBytes(f.path("music/notes.txt"), "x"));
    f.w->ShowFileLoader = [](QWidget* parent, const frmFileLoader::AddFunction& add) {
        frmFileLoader::Run(parent, add);
    };
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
    QCOMPARE(f.player->playlist.count(), 3);
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), "/m/dropped.mp3\r\n" + TextToPath(f.path("music/b.mp3")) + "\r\n" +
                                                       TextToPath(f.path("music/sub/A.MP3")) + "\r\n");
}

void PlaylistMenuTest::editTagSetsThePath() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    std::vector<std::string> handed;
    f.w->ShowTagEditor = [&](QWidget*, const std::string& path) { handed.push_back(path); };
    f.w->SelectEntry(1);
    f.w->mnuEditTag_Click();
    f.w->List1->selectionModel()->clear();
    f.w->mnuEditTag_Click();
    QCOMPARE(handed, (std::vector<std::string>{"/m/b.mp3", ""}));
}

void PlaylistMenuTest::dropsAddFiles() {
    Fixture f({"/m/m.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
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
    QCOMPARE(f.player->playlist.entries(), (std::vector<std::string>{"/m/m.mp3", "/x/a.MP3", "/x/b.wav", "/x/z.txt"}));
    QMimeData folderAndDuplicate;
    folderAndDuplicate.setUrls({QUrl::fromLocalFile(f.dir.path()), QUrl::fromLocalFile("/m/m.mp3")});
    drop(&folderAndDuplicate);
    QCOMPARE(f.player->playlist.count(), 6);
    int dups = 0;
    for (const auto& e : f.player->playlist.entries()) dups += e == "/m/m.mp3";
    QCOMPARE(dups, 2);
    bool folder = false;
    for (const auto& e : f.player->playlist.entries()) folder |= e == TextToPath(f.dir.path());
    QVERIFY(folder);
    QMimeData text;
    text.setText(QStringLiteral("/x/not-a-file.mp3"));
    drop(&text);
    QCOMPARE(f.player->playlist.count(), 6);
    QVERIFY(f.dialogs.boxes.empty());

    // A source proposing a move (Shift+drag) gets a copy: a file manager
    // deletes the files of an accepted move. Move alone is refused.
    QMimeData moved;
    moved.setData(QStringLiteral("text/uri-list"),
                  "# a comment line\r\nfile:///x/%E9t%E9.mp3\r\nfile://localhost/x/two%20words.mp3\r\n"
                  "http://example.com/remote.mp3\r\nfile:/x/short.mp3\n");
    for (Qt::DropActions offered :
         {Qt::DropActions(Qt::CopyAction | Qt::MoveAction), Qt::DropActions(Qt::MoveAction)}) {
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
    QCOMPARE(f.player->playlist.count(), 9);
    const std::vector<std::string> entries = f.player->playlist.entries();
    for (const char* added : {"/x/\xe9t\xe9.mp3", "/x/two words.mp3", "/x/short.mp3"})
        QCOMPARE(std::count(entries.begin(), entries.end(), std::string(added)), 1);
    // The selection and the playlist file are left alone.
    QCOMPARE(f.w->CurrentFile, std::string("/m/m.mp3"));
    QCOMPARE(f.player->playlist.at(f.w->ListIndex()), std::string("/m/m.mp3"));
    QVERIFY(!QFile::exists(f.path("FileListing.dat")));
    QVERIFY(f.media->calls.isEmpty());
}

void PlaylistMenuTest::dropsPastTheLimit() {
    Fixture f;
    f.player->playlist.clear();
    std::vector<std::string> many;
    for (int i = 0; i < PlaylistModel::kMaxEntries - 5; ++i) many.push_back("/m/" + std::to_string(i));
    f.player->transport.AddEntries(many);
    QMimeData mime;
    QList<QUrl> urls;
    for (int i = 0; i < 10; ++i) urls << QUrl::fromLocalFile(QStringLiteral("/n/%1").arg(i));
    // A name with a line break could not be stored one per line: refused,
    // and told in the same message.
    urls << QUrl::fromLocalFile(QStringLiteral("/n/two\nlines.mp3"))
         << QUrl::fromLocalFile(QStringLiteral("/n/cr\r.mp3"));
    mime.setUrls(urls);
    f.w->List1_OLEDragDrop(&mime);
    QCOMPARE(f.player->playlist.count(), PlaylistModel::kMaxEntries);
    QTRY_COMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(
        f.dialogs.boxes[0].text,
        QStringLiteral("The playlist holds at most 32767 entries: 5 entries were not added. 2 entries were not added: "
                       "a name holding a line break cannot be stored in the playlist."));
    QCOMPARE(f.player->playlist.rowOf("/n/two\nlines.mp3"), -1);
}

void PlaylistMenuTest::playlistsInAndOut() {
    Fixture f({"/m/m.mp3"});
    QVERIFY(WriteBytes(f.path(QStringLiteral("x.mp3")), "x"));
    QVERIFY(WriteBytes(f.path(QStringLiteral("y.mp3")), "y"));
    QVERIFY(WriteBytes(f.path(QStringLiteral("in.m3u8")), "#EXTM3U\n#EXTINF:-1,X\nx.mp3\ny.mp3\nhttp://a.example/s\n"));
    // A dropped playlist gives its files, not a row of its own.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(f.path(QStringLiteral("in.m3u8")))});
    f.w->List1_OLEDragDrop(&mime);
    const std::string x = TextToPath(f.path(QStringLiteral("x.mp3")));
    const std::string y = TextToPath(f.path(QStringLiteral("y.mp3")));
    QCOMPARE(f.player->playlist.entries(), (std::vector<std::string>{"/m/m.mp3", x, y}));
    QTRY_COMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text,
             QStringLiteral("1 entry was not added: an address is not a file on this computer."));
    QVERIFY(f.media->calls.isEmpty());

    // "Export Playlist..." writes what reads back as the same list; a cancel
    // writes nothing, a failure is told and keeps the old file.
    f.dialogs.boxes.clear();
    f.w->mnuExportPlaylist->trigger();
    QCOMPARE(f.dialogs.saveDialogs, QStringList{"Export Playlist|Playlists (*.m3u8)|m3u8"});
    f.dialogs.nextSaveFileName = f.path(QStringLiteral("out.m3u8"));
    f.w->mnuExportPlaylist->trigger();
    const std::string written = ReadBytes(f.path(QStringLiteral("out.m3u8")));
    QCOMPARE(written,
             "#EXTM3U\n#EXTINF:-1,m.mp3\n/m/m.mp3\n#EXTINF:-1,x.mp3\n" + x + "\n#EXTINF:-1,y.mp3\n" + y + "\n");
    f.player->playlist.removeAt(0);
    f.player->playlist.removeAt(0);
    f.player->transport.AddEntries({TextToPath(f.dialogs.nextSaveFileName)});
    QCOMPARE(f.player->playlist.entries(), (std::vector<std::string>{x, y, y}));
    SetWriteFunctionForTesting([](int, const void*, size_t) -> ssize_t {
        errno = EIO;
        return -1;
    });
    f.w->mnuExportPlaylist->trigger();
    SetWriteFunctionForTesting({});
    QTRY_COMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("Cannot export the playlist: Device I/O error"));
    QCOMPARE(ReadBytes(f.path(QStringLiteral("out.m3u8"))), written);
    QVERIFY(!QFile::exists(f.path(QStringLiteral("FileListing.dat"))));
}

void PlaylistMenuTest::controlDropMovesIt() {
    Fixture f;
    QSize size = f.w->imgMover->size();
    f.w->Form_DragDrop(f.w->imgMover, 1500, 300);
    QCOMPARE(f.w->imgMover->geometry(), QRect(QPoint(100, 20), size));
}

// Remove Missing Entries and Remove Duplicates on real files, looked at off
// the window's thread: a file gone from its folder goes; one in a folder
// that vanished or on a share that stalls stays, unless the one question
// says so; entries naming one file (".", "..", "//", a link) are kept once;
// the list is saved after each.
void PlaylistMenuTest::cleaningCommandsOnRealFiles() {
    using testsupport::StallingShare;
    if (!StallingShare::missing().isEmpty()) QSKIP(qPrintable(StallingShare::missing()));
    StallingShare share;
    QVERIFY(share.mount());
    QVERIFY(WriteBytes(share.source(QStringLiteral("s.mp3")), "mp3"));
    QTemporaryDir music;
    const std::string m = QFile::encodeName(music.path()).toStdString();
    for (const char* name : {"keep.mp3", "gone.mp3", "other.mp3", "vanished/x.mp3"}) {
        QVERIFY(QDir().mkpath(music.filePath(QStringLiteral("vanished"))) &&
                QDir().mkpath(music.filePath(QStringLiteral("sub"))));
        QVERIFY(WriteBytes(music.filePath(QString::fromLatin1(name)), "mp3"));
    }
    QVERIFY(QFile::link(music.filePath(QStringLiteral("keep.mp3")), music.filePath(QStringLiteral("link.mp3"))));
    Fixture f({m + "/keep.mp3", m + "/gone.mp3", m + "/other.mp3", m + "/vanished/x.mp3", m + "/link.mp3",
               m + "/./keep.mp3", m + "/sub/..//other.mp3", share.shared(QStringLiteral("s.mp3"))});
    QVERIFY(QFile::remove(music.filePath(QStringLiteral("gone.mp3"))));
    QVERIFY(QDir(music.filePath(QStringLiteral("vanished"))).removeRecursively());
    QVERIFY(share.stall());
    QElapsedTimer returned;
    returned.start();
    f.dialogs.nextChoice = 0;  // those gone only
    f.w->mnuRemoveMissing_Click();
    QVERIFY2(returned.elapsed() < 200, qPrintable(QString::number(returned.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.questions.size(), qsizetype(1), 10000);
    QCOMPARE(f.dialogs.questions[0],
             QStringLiteral("1 entry names a file that is gone.\n2 entries are in folders that are not there or do "
                            "not answer (an unplugged drive, a share): they are kept unless you remove them too."
                            "|Remove Those Gone|Remove All 3"));
    QCOMPARE(f.player->playlist.count(), 7);
    QVERIFY(!ReadBytes(f.path("FileListing.dat")).empty());
    QCOMPARE(f.player->playlist.rowOf(m + "/gone.mp3"), -1);
    share.answer();
    f.w->mnuRemoveMissing_Click();  // only the vanished folder's now: removed too
    QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.questions.size(), qsizetype(2), 10000);
    QCOMPARE(f.player->playlist.count(), 6);
    f.w->mnuRemoveDuplicates_Click();
    QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.boxes.size(), size_t(1), 10000);
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("3 duplicate entries removed."));
    // The first of each in the list's order (".", then the link, sort first).
    std::vector<std::string> left = f.player->playlist.entries(),
                             kept{m + "/./keep.mp3", m + "/other.mp3", share.shared(QStringLiteral("s.mp3"))};
    std::sort(left.begin(), left.end());
    std::sort(kept.begin(), kept.end());
    QCOMPARE(left, kept);
    std::string saved;
    for (const std::string& e : f.player->playlist.entries()) saved += e + "\r\n";
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), saved);
}

// The equalizer's window, opened from the menu: reached by keys, its
// presets chosen and saved, a correction imported (one of another kind
// refused, naming its line) and left for the bands again. The player hears
// each change.
void PlaylistMenuTest::equalizerByKeysPresetsAndImport() {
    Fixture f;
    f.w->show();
    f.w->mnuEqualizer->trigger();
    EqualizerWindow* eq = f.w->frmEqualizer;
    QVERIFY(eq && eq->isVisible());
    const Preferences& prefs = f.player->preferences;
    eq->chkEnabled->setFocus();
    QTest::keyClick(eq->chkEnabled, Qt::Key_Space);
    QVERIFY(prefs.equalizer().enabled);
    eq->sldBands[5]->setFocus();
    QTest::keyClick(eq->sldBands[5], Qt::Key_Up);
    QTest::keyClick(eq->sldBands[5], Qt::Key_PageUp);
    QCOMPARE(prefs.equalizer().bandsDb[5], 2.5);
    QCOMPARE(eq->lblGains[6]->text(), QStringLiteral("+2.5 dB"));
    QCOMPARE(f.media->equalizer.bandsDb[5], 2.5);
    QCOMPARE(eq->sldBands[5]->accessibleName(), QStringLiteral("1000 Hz"));

    eq->cboPreset->setCurrentIndex(1);
    emit eq->cboPreset->activated(1);  // Bass Boost
    QCOMPARE(prefs.equalizer().bandsDb[0], 6.0);
    QCOMPARE(prefs.equalizerPreset(), QStringLiteral("Bass Boost"));
    // The boost is taken off the pre-amplification, and the window says so.
    QVERIFY2(eq->lblLowered->isVisible() && eq->lblLowered->text().contains(QStringLiteral("7.1 dB")),
             qPrintable(eq->lblLowered->text()));
    eq->cboPreset->setEditText(QStringLiteral("Flat"));
    QTest::mouseClick(eq->cmdSavePreset, Qt::LeftButton);
    QVERIFY(f.dialogs.boxes.back().text.contains(QStringLiteral("built-in")));
    eq->cboPreset->setEditText(QStringLiteral("Mine"));
    QTest::mouseClick(eq->cmdSavePreset, Qt::LeftButton);
    QCOMPARE(prefs.userPresets().size(), 1);
    QCOMPARE(eq->cboPreset->currentText(), QStringLiteral("Mine"));

    const QString wrong = f.path(QStringLiteral("wrong.txt")), right = f.path(QStringLiteral("right.txt"));
    QVERIFY(testsupport::WriteBytes(wrong, "Preamp: -6 dB\nChannel: L\n"));
    QVERIFY(testsupport::WriteBytes(right, "Preamp: -6.2 dB\nFilter 1: ON LSC Fc 105 Hz Gain 5.5 dB Q 0.71\n"));
    f.dialogs.nextFileNames = {wrong};
    QTest::mouseClick(eq->cmdImport, Qt::LeftButton);
    QVERIFY2(f.dialogs.boxes.back().text.contains(QStringLiteral("line 2")), qPrintable(f.dialogs.boxes.back().text));
    QVERIFY(!prefs.equalizer().parametric);
    f.dialogs.nextFileNames = {right};
    QTest::mouseClick(eq->cmdImport, Qt::LeftButton);
    QVERIFY(prefs.equalizer().parametric && f.media->equalizer.parametric);
    QVERIFY(eq->lblImported->isVisible() && !eq->sldBands[0]->isEnabled());
    // No preset plays meanwhile, and its pre-amplification leaves room.
    QVERIFY(!eq->cboPreset->isEnabled() && eq->cboPreset->currentText().isEmpty() && !eq->lblLowered->isVisible());
    QTest::mouseClick(eq->cmdUseBands, Qt::LeftButton);
    QVERIFY(!prefs.equalizer().parametric && eq->sldBands[0]->isEnabled() && eq->cboPreset->isEnabled());
    QCOMPARE(prefs.equalizer().bandsDb[0], 6.0);  // the bands as they were
}

// The Output menu: "Follow the System" first, then the outputs as listed
// (asked for when the Playback menu opens), the one chosen checked and
// kept, also while it is not there; the player is told.
void PlaylistMenuTest::outputsListedAndChosen() {
    Fixture f;
    f.w->show();
    emit f.w->mnuPlayback->aboutToShow();
    QCOMPARE(f.media->listings, 1);
    auto captions = [&] {
        QStringList c;
        for (QAction* a : f.w->mnuOutput->actions())
            c << a->text() + (a->isChecked() ? QStringLiteral("*") : QString());
        return c;
    };
    QCOMPARE(captions(), QStringList{"Follow the System*"});
    emit f.media->outputsListed({"hdmi", "usb"}, {"HDMI Audio", "USB Headset"});
    QCOMPARE(captions(), (QStringList{"Follow the System*", "HDMI Audio", "USB Headset"}));
    f.w->mnuOutput->actions()[2]->trigger();
    QCOMPARE(f.player->preferences.outputSink(), QStringLiteral("usb"));
    QCOMPARE(f.media->device, QStringLiteral("usb"));
    // The volume goes to the output chosen, set only when the slider moves.
    f.w->HScroll_4_Volume->setValue(40);
    using Set = std::vector<std::pair<int, std::string>>;
    QTRY_VERIFY(!f.volumes->all().empty());
    QCOMPARE(f.volumes->all(), (Set{{40, "usb"}}));
    emit f.media->outputsListed({"hdmi"}, {"HDMI Audio"});  // unplugged
    QCOMPARE(captions(), (QStringList{"Follow the System", "HDMI Audio", "usb (not there)*"}));
    QCOMPARE(Preferences(f.path(QStringLiteral("preferences.conf"))).outputSink(), QStringLiteral("usb"));
    f.w->mnuOutput->actions()[0]->trigger();
    QCOMPARE(f.media->device, QString());
}

QTEST_MAIN(PlaylistMenuTest)
#include "playlist_menu_test.moc"
