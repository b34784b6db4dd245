// The main window driven through its real widgets, with a recording double
// of the media player component and of the message boxes: its controls,
// start-up, the transport labels, the selection and its caption, the time
// labels and the keyboard.
#include "window_fixture.h"

#include "common/time_format.h"

class FrmMainTest : public QObject {
    Q_OBJECT
private slots:
    void designedControlsAndMenus();
    void startWithoutStoredFiles();
    void startWithStoredPlaylist();
    void startWithEmptyOrUnreadablePlaylist();
    void oversizedAndUnreadablePlaylists();
    void playHandsTheSelectedEntryOver();
    void labelsReachTheTransport();
    void randomLabelLook();
    void timeLabels();
    void buttonFeedback();
    void exitEndsTheProgram();
    void keyboardReachesTheCommands();
    void keysPauseAndSeekFromAnyControl();
    void selectionAndCurrentEntryAgree();
    void doubleClicksThatMustNotPlay();
    void reclickingTheSelectedEntryRebuildsTheCaption();
    void captionFollowsTheSelectedTag();
};

void FrmMainTest::designedControlsAndMenus() {
    Fixture f({}, false);
    frmMain* w = f.w;
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
    for (QLabel* l :
         {static_cast<QLabel*>(w->lblVolume), static_cast<QLabel*>(w->lblPrev), static_cast<QLabel*>(w->lblPlay),
          static_cast<QLabel*>(w->lblStop), static_cast<QLabel*>(w->lblNext), static_cast<QLabel*>(w->lblRandom),
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
    QCOMPARE(f.player->playlist.count(), 3);
    int blanks = 0;
    for (int i = 0; i < 3; ++i) blanks += f.player->playlist.at(i).back() == ' ';
    QCOMPARE(blanks, 2);
    QVERIFY(f.player->playlist.at(0) < f.player->playlist.at(1) && f.player->playlist.at(1) < f.player->playlist.at(2));

    QCOMPARE(w->mnuTagInfo->title(), QStringLiteral("File Info"));
    QStringList items;
    for (QAction* a : w->mnuTagInfo->actions()) items << a->text();
    // The player's own items stand between the designed ones; the designed
    // last item stays last.
    QCOMPARE(items, (QStringList{"Remove Entry", "Load Files", "Edit Tag", "", "Play Next", "Add Files...",
                                 "Remove Missing Entries", "Remove Duplicates", "Export Playlist...", "Playback", "",
                                 "Hide Media Player Bar"}));
    QVERIFY(w->mnuMediaPlayerBar->isChecked());
    items.clear();
    for (QAction* a : w->mnuPlayback->actions()) items << a->text() + (a->isChecked() ? "*" : "");
    QCOMPARE(items, (QStringList{"Repeat List*", "Repeat Track", "No Repeat", "", "Stop After This Track",
                                 "Resume on Start", "", "Volume Levelling...", "Equalizer...", "Output", "", "Sleep Timer"}));
    items.clear();
    for (QAction* a : w->mnuSleepTimer->actions()) items << a->text() + (a->isChecked() ? "*" : "");
    QCOMPARE(items, (QStringList{"Off*", "15 Minutes", "30 Minutes", "45 Minutes", "60 Minutes", "90 Minutes"}));
    w->mnuSleepTimer->actions().at(2)->trigger();
    QCOMPARE(w->mnuSleepTimer->title(), QStringLiteral("Sleep Timer (30 min left)"));
    QVERIFY(w->mnuSleepTimer->actions().at(2)->isChecked());
    QCOMPARE(w->mnuSetTheme->title(), QStringLiteral("Set Theme"));
    items.clear();
    for (QAction* a : w->mnuSetTheme->actions()) items << a->text();
    QCOMPARE(items, (QStringList{"Theme", "Autosize"}));
    QVERIFY(w->mnuAutosize->isChecked());
    QCOMPARE(f.player->transport.RandomMode(), int16_t(0));
}

void FrmMainTest::startWithoutStoredFiles() {
    Fixture f;
    QCOMPARE(f.player->playlist.count(), 3);
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    QCOMPARE(f.w->CurrentFile, f.player->playlist.at(0));
    // The sample file does not exist: the caption is empty and nothing is created.
    QCOMPARE(f.w->windowTitle(), QString());
    QVERIFY(!QFile::exists(PathToText(f.player->playlist.at(0))));
    QVERIFY(f.dialogs.boxes.empty());
}

void FrmMainTest::startWithStoredPlaylist() {
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    QVERIFY(WriteBytes(QStringLiteral("FileListing.dat"), "/m/b.mp3\r\n/m/C.mp3\r\n/m/a.mp3\r\n"));
    Fixture f;  // its own folder: no playlist there
    QCOMPARE(f.player->playlist.count(), 3);
    QVERIFY(f.player->playlist.at(0).rfind("/Data/Music/", 0) == 0);
    {
        ScopedCurrentDir back(dir.path());
        FakeMediaComponent* media = new FakeMediaComponent;
        Player player(media, testsupport::TempPreferences());
        frmMain& w = player.window;
        w.Form_Load();
        QCOMPARE(player.playlist.entries(), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3", "/m/C.mp3"}));
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
        Player player(new FakeMediaComponent, testsupport::TempPreferences());
        frmMain& w = player.window;
        w.Form_Load();
        QCOMPARE(player.playlist.count(), 0);
        QCOMPARE(w.ListIndex(), int16_t(-1));
        QVERIFY(dialogs.boxes.empty());
    }
    {
        // A folder of that name is no playlist: the samples stay.
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("FileListing.dat")));
        FakeDialogs dialogs;
        Player player(new FakeMediaComponent, testsupport::TempPreferences());
        frmMain& w = player.window;
        w.Form_Load();
        QCOMPARE(player.playlist.count(), 3);
        QVERIFY(dialogs.boxes.empty());
    }
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
        Player player(new FakeMediaComponent, testsupport::TempPreferences());
        frmMain& w = player.window;
        w.Form_Load();
        QCOMPARE(player.playlist.count(), PlaylistModel::kMaxEntries);
        QCOMPARE(player.playlist.rowOf("/m/first"), PlaylistModel::kMaxEntries - 1);
        QTRY_COMPARE(dialogs.boxes.size(), size_t(1));
        QVERIFY2(dialogs.boxes[0].text.contains(QStringLiteral("3 entries were not added")),
                 qPrintable(dialogs.boxes[0].text));
        QVERIFY(dialogs.boxes[0].text.contains(QStringLiteral("2 lines of FileListing.dat named no file")));
        // A removal saves: the shown entries, then the three that did not fit.
        player.playlist.setCurrentRow(0);
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
        Player player(new FakeMediaComponent, testsupport::TempPreferences());
        frmMain& w = player.window;
        w.Form_Load();
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QVERIFY(dialogs.boxes[0].text.startsWith(QStringLiteral("Cannot read the playlist FileListing.dat")));
        QCOMPARE(player.playlist.count(), 3);
        w.mnuRemoveEntry_Click();
        QCOMPARE(dialogs.boxes.size(), size_t(2));
        QVERIFY(QFileInfo(QStringLiteral("FileListing.dat")).isSymLink());
    }
}

void FrmMainTest::playHandsTheSelectedEntryOver() {
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
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
    QRect r = f.w->List1->visualRect(f.player->playlist.index(2, 0));
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

void FrmMainTest::labelsReachTheTransport() {
    // The commands' own rules are the transport's (its tests); here each
    // label, the list and the component's end event reach it, and a failure
    // is shown in the error box.
    Fixture f({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    auto click = [&](CommandLabel* l) { QTest::mouseClick(l, Qt::LeftButton, Qt::NoModifier, Center(l)); };
    click(f.w->lblNext);
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    click(f.w->lblPrev);
    QCOMPARE(f.w->ListIndex(), int16_t(0));
    QCOMPARE(f.media->files(), (QStringList{"/m/b.mp3", "/m/a.mp3"}));
    f.media->calls.clear();
    emit f.media->endReached();  // plays on
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    QCOMPARE(f.media->files(), QStringList{"/m/b.mp3"});
    click(f.w->lblRandom);
    QCOMPARE(f.player->transport.RandomMode(), int16_t(-1));
    f.media->calls.clear();
    click(f.w->lblNext);  // one pick, started once
    QCOMPARE(f.media->count("play"), 1);
    QCOMPARE(f.media->files(), QStringList{PathToText(f.player->playlist.at(f.w->ListIndex()))});
    click(f.w->lblRandom);
    QVERIFY(f.dialogs.boxes.empty());
    // A failure: the new selection stays, the box names it, play is not reached.
    f.media->calls.clear();
    f.media->failFileName = true;
    f.w->SelectEntry(0);
    click(f.w->lblNext);
    QCOMPARE(f.w->ListIndex(), int16_t(1));
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text,
             QStringLiteral("Error Found:  File not found\n") + PathToText(f.player->playlist.at(1)));
    QCOMPARE(f.dialogs.boxes[0].title, QString());
    QCOMPARE(f.dialogs.boxes[0].icon, MsgIcon::None);
    QCOMPARE(f.media->count("play"), 0);
    // An empty list: Next and Prev have no entry to select.
    Fixture empty;
    empty.player->playlist.clear();
    empty.w->lblNext_Click();
    QCOMPARE(empty.dialogs.boxes.size(), size_t(1));
    QCOMPARE(empty.dialogs.boxes[0].text, QStringLiteral("Error Found:  Invalid property value"));
}

void FrmMainTest::randomLabelLook() {
    Fixture f;
    f.w->lblRandom_Click();
    QVERIFY(f.w->lblRandom->font().bold());
    QCOMPARE(f.w->lblRandom->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    f.w->lblRandom_Click();
    QVERIFY(!f.w->lblRandom->font().bold());
    QCOMPARE(f.w->lblRandom->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(f.player->transport.RandomMode(), int16_t(0));
    QCOMPARE(f.w->lblRandom->text(), QStringLiteral("Random"));
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

    // Timer1 runs only while the elapsed time runs on; every other change of
    // the position is reported and shown at once, as a tick would show it.
    Fixture g;
    QLabel* elapsed = g.w->lblElapsedTime;
    auto shows = [&](const char* time) {
        // What a tick shows now: the component's position, in whole seconds.
        const QString tick = QStringLiteral("Elapsed Time: ") + FormatTime(g.media->currentPosition());
        return tick == QStringLiteral("Elapsed Time: ") + QLatin1String(time) && elapsed->text() == tick;
    };
    QTRY_VERIFY(shows("00:00"));
    QVERIFY(!g.w->Timer1->isActive());  // idle: its first tick put it to sleep
    g.w->lblPlay_Click();
    QVERIFY(g.w->Timer1->isActive());
    g.media->position = 2.5;
    QTRY_VERIFY(shows("00:02"));
    g.media->position = 3.2;
    g.media->pause();  // from the control bar, say
    QVERIFY(shows("00:03"));
    QVERIFY(!g.w->Timer1->isActive());
    g.media->seek(65);
    QVERIFY(shows("01:05"));
    QVERIFY(!g.w->Timer1->isActive());
    g.w->lblStop_Click();  // back to 0
    QVERIFY(shows("00:00"));
    QVERIFY(!g.w->Timer1->isActive());
    // The place kept after a lost sound device, then a new file (at 0).
    g.w->lblPlay_Click();
    g.media->loseDevice(7.4);
    QVERIFY(shows("00:07"));
    QVERIFY(!g.w->Timer1->isActive());
    g.media->position = 0;
    g.media->setFileName("/m/other.mp3");
    QVERIFY(shows("00:00"));
    QVERIFY(!g.w->Timer1->isActive());
    // An end handed over to the next file plays on.
    g.w->lblPlay_Click();
    g.media->finish();
    QVERIFY(g.media->state() == MediaComponent::State::Playing);
    QVERIFY(g.w->Timer1->isActive());
    // An end with no next file (it cannot be opened): stopped, while its
    // last moments are still heard and counted, and then back at 0.
    g.media->position = 224.6;
    g.media->failFileName = true;
    g.media->tailPlays = true;
    g.media->finish();
    QVERIFY(g.media->state() == MediaComponent::State::Stopped);
    QVERIFY(g.w->Timer1->isActive());
    g.media->position = 225.3;
    QTRY_VERIFY(shows("03:45"));
    g.media->tailPlays = false;
    g.media->position = 0;
    emit g.media->positionJumped();
    QVERIFY(shows("00:00"));
    QVERIFY(!g.w->Timer1->isActive());
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
    f.player->playlist.clear();
    f.player->playlist.add("/m/a.mp3");
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
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
    f.w->lblPlay->setFocus();
    f.media->calls.clear();
    QTest::keyClick(f.w->lblPlay, Qt::Key_Space);
    QCOMPARE(f.media->count("play"), 1);
    QTest::keyClick(f.w->lblPlay, Qt::Key_Return);
    QCOMPARE(f.media->count("play"), 2);
    QCOMPARE(f.w->lblPlay->accessibleName(), QStringLiteral("Play"));

    // A label reached by Tab shows a focus mark, and only then.
    f.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.w));
    f.w->lblPlay->setFocus();
    const QImage plain = f.w->lblStop->grab().toImage();
    QTest::keyClick(f.w->lblPlay, Qt::Key_Tab);
    QVERIFY(f.w->lblStop->hasFocus());
    QVERIFY(f.w->lblStop->grab().toImage() != plain);
    QTest::keyClick(f.w->lblStop, Qt::Key_Tab);
    QVERIFY(f.w->lblNext->hasFocus());
    QCOMPARE(f.w->lblStop->grab().toImage(), plain);
    // So does the list.
    f.w->lblExit->setFocus();
    const QImage list = f.w->List1->grab().toImage();
    QTest::keyClick(f.w->lblExit, Qt::Key_Tab);
    QVERIFY(f.w->List1->hasFocus());
    // A mark that is seen: along most of its edges, not a dotted line.
    const QImage marked = f.w->List1->grab().toImage();
    int changed = 0;
    for (int x = 0; x < list.width(); ++x)
        for (int y = 0; y < list.height(); ++y)
            if (qGray(list.pixel(x, y)) - qGray(marked.pixel(x, y)) > 40) ++changed;
    QVERIFY2(changed > list.width() + list.height(), qPrintable(QString::number(changed)));

    // On the list: the Menu key and Shift+F10 open its menu at the current
    // entry, Return plays that entry, Delete removes it.
    f.w->List1->setFocus(Qt::TabFocusReason);
    const QRect entry = f.w->List1->visualRect(f.player->playlist.index(0, 0));
    const QPoint under = f.w->List1->viewport()->mapToGlobal(entry.bottomLeft());
    for (auto [key, mods] : {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
                             std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
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
    QCOMPARE(f.player->playlist.count(), 0);
    QCOMPARE(ReadBytes(f.path("FileListing.dat")), std::string());

    // Typing finds by file name, without regard to case, and the selection
    // handler runs for the entry found; the same letter again steps on.
    f.player->playlist.addMany({"/music/zulu/Beta.mp3", "/music/alpha/Zeta one.mp3", "/music/alpha/zeta two.mp3",
                                "/music/alpha/Zebra.mp3", "/music/b/Alpine.mp3"});
    f.w->SelectEntry(0);  // Zebra, Zeta one, zeta two, Alpine, Beta
    int handled = 0;
    QObject::connect(&f.player->playlist, &PlaylistModel::currentRowSet, [&handled] { ++handled; });
    auto current = [&f] { return f.player->playlist.at(f.w->ListIndex()); };
    QTest::keyClicks(f.w->List1, QStringLiteral("be"));
    QCOMPARE(current(), std::string("/music/zulu/Beta.mp3"));
    QCOMPARE(handled, 1);
    QCOMPARE(f.w->CurrentFile, current());
    QCOMPARE(f.w->List1->currentIndex().row(), f.w->ListIndex());
    QTest::keyClicks(f.w->List1, QStringLiteral("x"));  // no name begins "bex": the selection stays
    QCOMPARE(current(), std::string("/music/zulu/Beta.mp3"));
    QCOMPARE(handled, 1);
    f.w->List1->typingPause = 0;  // each key a new search, after the current entry
    QTest::keyClicks(f.w->List1, QStringLiteral("z"));
    QCOMPARE(current(), std::string("/music/alpha/Zebra.mp3"));
    QTest::keyClicks(f.w->List1, QStringLiteral("z"));
    QCOMPARE(current(), std::string("/music/alpha/Zeta one.mp3"));
    f.w->List1->typingPause = 60 * 1000;
    QTest::keyClicks(f.w->List1, QStringLiteral("Z"));  // "zZ": still stepping
    QCOMPARE(current(), std::string("/music/alpha/zeta two.mp3"));
}

// Space pauses and resumes, Left and Right seek 5 s (30 s with Shift),
// whichever control has the focus, unless it takes the key itself: a label
// runs on Space, the volume slider moves with the arrows.
void FrmMainTest::keysPauseAndSeekFromAnyControl() {
    Fixture f({"/m/a.mp3"});
    f.w->show();
    f.w->HScroll_4_Volume->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
    f.media->length = 65;
    f.w->lblPlay_Click();
    f.media->position = 20;
    struct Row {
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QString call;  // what the component was asked, or "" for nothing
    };
    const Row rows[] = {
        {f.w->List1, Qt::Key_Space, Qt::NoModifier, "pause"},
        {f.w->List1, Qt::Key_Space, Qt::NoModifier, "play"},
        {f.w->List1, Qt::Key_Right, Qt::NoModifier, "seek=25"},
        {f.w->lblExit, Qt::Key_Left, Qt::ShiftModifier, "seek=0"},
        {f.w->HScroll_4_Volume, Qt::Key_Space, Qt::NoModifier, "pause"},
        {f.w->HScroll_4_Volume, Qt::Key_Left, Qt::NoModifier, ""},
        {f.w->List1, Qt::Key_Right, Qt::ShiftModifier, "seek=30"},
        {f.w->lblStop, Qt::Key_Space, Qt::NoModifier, "stop"},
        {f.w->List1, Qt::Key_Right, Qt::NoModifier, ""},
    };
    for (const Row& row : rows) {
        row.focus->setFocus();
        f.media->calls.clear();
        QTest::keyClick(row.focus, row.key, row.mods);
        QCOMPARE(f.media->calls.join(QLatin1Char(' ')), row.call);
    }
    QCOMPARE(f.w->HScroll_4_Volume->value(), 9);
}

void FrmMainTest::selectionAndCurrentEntryAgree() {
    Fixture f({"/m/a.mp3", "/m/b.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
    QRect r = f.w->List1->visualRect(f.player->playlist.index(1, 0));
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
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
    QRect r = f.w->List1->visualRect(f.player->playlist.index(0, 0));
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
    QCOMPARE(f.player->transport.RandomMode(), int16_t(-1));
}

void FrmMainTest::reclickingTheSelectedEntryRebuildsTheCaption() {
    Fixture f({"/m/a.mp3"});
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
    f.w->setWindowTitle(QStringLiteral("stale"));
    QRect r = f.w->List1->visualRect(f.player->playlist.index(0, 0));
    QTest::mouseClick(f.w->List1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QCOMPARE(f.w->windowTitle(), QString());  // rebuilt: the file has no tag
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
    f.player->playlist.clear();
    f.player->playlist.addMany({TextToPath(f.path("a.mp3")), TextToPath(f.path("b.mp3")), TextToPath(f.path("c.mp3")),
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

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
