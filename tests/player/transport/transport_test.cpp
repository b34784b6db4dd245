// The commands' rules without a window and without a sound device: the
// transport over a playlist and a recording double of the component.
#include "transport/transport.h"
#include "common/app_error.h"
#include "common/file_util.h"
#include "fake_dialogs.h"
#include "fake_media.h"
#include "playlist/playlist_model.h"
#include "settings/preferences.h"
#include "test_support.h"
#include "transport/resume_point.h"
#include "transport/sleep_timer.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Rig {
    FakeDialogs dialogs;
    PlaylistModel playlist;
    FakeMediaComponent media;
    Transport transport{playlist, media};
    QSignalSpy selections{&playlist, &PlaylistModel::currentRowSet};

    explicit Rig(const std::vector<std::string>& entries = {}) {
        playlist.addMany(entries);
        // As the window shows them.
        QObject::connect(&transport, &Transport::failed, [](const QString& d) { ShowErrorBox(nullptr, d); });
        QObject::connect(&transport, &Transport::message,
                         [](const QString& t) { AppDialogs().MessageBox(nullptr, t); });
    }
    int current() const { return playlist.currentRow(); }
    // The playing file ends (`unheard`: it broke off before anything was heard).
    void end(bool unheard) {
        media.failedUnheard = unheard;
        transport.EndReached();
    }
};
const QString kNoEntry = QStringLiteral("Error Found:  Invalid property value");
}  // namespace

class TransportTest : public QObject {
    Q_OBJECT
private slots:
    void nextWrapsPrevDoesNot();
    void emptyListsAreErrors();
    void randomModeMakesOnePick();
    void endOfFilePlaysOn();
    void resumeAndOpen();
    void playOnChoices();
    void playNextGoesFirst();
    void resumePoint();
};

void TransportTest::nextWrapsPrevDoesNot() {
    Rig r({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    // Nothing selected: Play hands the empty path on; Next and Prev start at 0.
    r.transport.Play();
    QCOMPARE(r.media.calls, (QStringList{"enabled=1", "file=", "autostart=1", "play"}));
    r.transport.Next();
    QCOMPARE(r.current(), 0);
    r.playlist.clearCurrentRow();
    r.transport.Prev();
    QCOMPARE(r.current(), 0);
    r.media.calls.clear();
    r.transport.Next();
    r.transport.Next();
    r.transport.Next();  // from the last entry to the first
    QCOMPARE(r.media.files(), (QStringList{"/m/b.mp3", "/m/c.mp3", "/m/a.mp3"}));
    r.media.calls.clear();
    r.transport.Prev();  // on the first entry: the first again, played again
    QCOMPARE(r.current(), 0);
    QCOMPARE(r.media.files(), QStringList{"/m/a.mp3"});
    // Every selection was announced before the entry was played.
    QCOMPARE(r.selections.count(), 6);
    // One entry: Next stays on it, and plays it again.
    Rig one({"/m/only.mp3"});
    one.transport.Next();
    one.transport.Next();
    QCOMPARE(one.media.files(), (QStringList{"/m/only.mp3", "/m/only.mp3"}));
    r.transport.Stop();
    QCOMPARE(r.media.calls.last(), QStringLiteral("stop"));
    QCOMPARE(r.current(), 0);
    QVERIFY(r.dialogs.boxes.empty());
}

void TransportTest::emptyListsAreErrors() {
    Rig r;
    r.transport.Prev();
    r.transport.Next();
    QCOMPARE(r.dialogs.boxes.size(), size_t(2));
    for (const auto& box : r.dialogs.boxes) {
        QCOMPARE(box.text, kNoEntry);
        QCOMPARE(box.title, QString());
        QCOMPARE(box.icon, MsgIcon::None);
    }
    r.transport.Random();
    r.transport.Play();  // the pick 0 has no entry
    QCOMPARE(r.dialogs.boxes.size(), size_t(3));
    QVERIFY(r.media.calls.isEmpty());
    // A failing component: the box, and the selection made stays.
    Rig f({"/m/a.mp3", "/m/b.mp3"});
    f.media.failFileName = true;
    f.transport.Next();
    QCOMPARE(f.current(), 0);
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("Error Found:  File not found\n/m/a.mp3"));
    QCOMPARE(f.media.count("play"), 0);
}

void TransportTest::randomModeMakesOnePick() {
    Rig r({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    QSignalSpy mode(&r.transport, &Transport::randomModeChanged);
    r.transport.Random();
    QCOMPARE(r.transport.RandomMode(), int16_t(-1));
    QSet<QString> seen;
    for (int i = 0; i < 40; ++i) {
        for (auto command : {&Transport::Next, &Transport::Prev, &Transport::Play}) {
            r.media.calls.clear();
            (r.transport.*command)();
            QCOMPARE(r.media.count("play"), 1);  // one pick, started once
            QCOMPARE(r.media.files(), QStringList{QString::fromStdString(r.playlist.at(r.current()))});
            seen.insert(r.media.files()[0]);
        }
    }
    QCOMPARE(seen.size(), 3);
    r.transport.Random();
    QCOMPARE(r.transport.RandomMode(), int16_t(0));
    QCOMPARE(mode.count(), 2);
    QCOMPARE(mode.at(1).at(0).toBool(), false);
    int32_t size = 1;
    for (int i = 0; i < 20; ++i) QCOMPARE(r.transport.Randomizer(size), 0);
    QCOMPARE(size, 1);
}

void TransportTest::endOfFilePlaysOn() {
    Rig r({"/m/a.mp3", "/m/b.mp3"});
    r.playlist.setCurrentRow(1);
    r.media.calls.clear();
    r.transport.EndReached();  // wraps to the first
    QCOMPARE(r.current(), 0);
    QCOMPARE(r.media.files(), QStringList{"/m/a.mp3"});

    // Files that break off unheard one after another: the play-on goes
    // round the list once (min(size, 10) of them) and stops with one message.
    QSignalSpy told(&r.transport, &Transport::message);
    r.media.calls.clear();
    r.end(true);
    QCOMPARE(r.media.files(), QStringList{"/m/b.mp3"});
    r.end(true);  // the second of two in a row
    QCOMPARE(r.media.files(), QStringList{"/m/b.mp3"});
    QCOMPARE(told.count(), 1);
    QCOMPARE(told.at(0).at(0).toString(),
             QStringLiteral("Playback stopped: 2 files could not be played one after another."));
    // The user's Play starts a new count; a file heard breaks the streak.
    r.transport.Play();
    r.end(true);
    r.end(false);
    r.end(true);
    QCOMPARE(told.count(), 1);
    QCOMPARE(r.media.files(), (QStringList{"/m/b.mp3", "/m/b.mp3", "/m/a.mp3", "/m/b.mp3", "/m/a.mp3"}));
    // Never more than ten in a row, however long the list.
    Rig many;
    for (int i = 0; i < 40; ++i)
        many.playlist.addMany({QStringLiteral("/m/%1.mp3").arg(i, 2, 10, QLatin1Char('0')).toStdString()});
    QSignalSpy manyTold(&many.transport, &Transport::message);
    many.transport.Play();
    for (int i = 0; i < Transport::kFailureStreak; ++i) many.end(true);
    QCOMPARE(manyTold.count(), 1);
    QCOMPARE(many.media.count("play"), Transport::kFailureStreak);

    // A sound device lost for good is no end: one failure is told, nothing
    // more is played and the selection stays for Play to resume it.
    QSignalSpy failed(&r.transport, &Transport::failed);
    r.playlist.setCurrentRow(1);
    r.media.calls.clear();
    emit r.media.deviceLost(QStringLiteral("No sound device is available (Connection refused)"));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("No sound device is available (Connection refused)"));
    QCOMPARE(r.current(), 1);
    QVERIFY(r.media.calls.isEmpty());

    r.transport.Shutdown();  // the program ends: nothing starts any more
    r.media.calls.clear();
    r.end(false);
    r.transport.Play();
    QCOMPARE(r.media.count("play"), 0);
}

void TransportTest::resumeAndOpen() {
    Rig r({"/m/b.mp3"});
    r.playlist.setCurrentRow(0);
    r.transport.PlayPause();  // stopped: plays the entry
    QCOMPARE(r.media.files(), QStringList{"/m/b.mp3"});
    r.transport.PlayPause();
    QCOMPARE(r.transport.state(), MediaComponent::State::Paused);
    r.media.calls.clear();
    r.transport.PlayOrResume();  // paused: resumes, the file is not handed again
    QCOMPARE(r.media.calls, QStringList{"play"});
    QCOMPARE(r.transport.state(), MediaComponent::State::Playing);

    // Opened files join as a drop does; the first of them is selected and played.
    QTemporaryDir dir;
    const std::string n = TextToPath(dir.path());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub/deep")));
    for (const char* name : {"a.mp3", "z.mp3", "sub/d.MP3", "sub/e.txt", "sub/deep/c.mp3"})
        QVERIFY(testsupport::WriteBytes(dir.filePath(QString::fromLatin1(name)), "x"));
    r.media.calls.clear();
    r.transport.Open({n + "/z.mp3", n + "/a.mp3"});
    QCOMPARE(r.playlist.entries(), (std::vector<std::string>{"/m/b.mp3", n + "/a.mp3", n + "/z.mp3"}));
    QCOMPARE(r.current(), 2);
    QCOMPARE(r.media.files(), QStringList{dir.filePath(QStringLiteral("z.mp3"))});
    // A listed file opened again is played where it stands: no new row, also
    // when it is named twice or by another spelling of its path.
    r.media.calls.clear();
    r.transport.Open({n + "/./a.mp3", n + "//x/../a.mp3", n + "/z.mp3"});
    QCOMPARE(r.playlist.entries(), (std::vector<std::string>{"/m/b.mp3", n + "/a.mp3", n + "/z.mp3"}));
    QCOMPARE(r.current(), 1);
    QCOMPARE(r.media.files(), QStringList{dir.filePath(QStringLiteral("a.mp3"))});
    // Past the limit: what did not fit is said once, after the handler.
    std::vector<std::string> many(PlaylistModel::kMaxEntries, "/f.mp3");
    r.transport.AddEntries(many);
    QVERIFY(r.dialogs.boxes.empty());
    QTRY_COMPARE(r.dialogs.boxes.size(), size_t(1));
    QCOMPARE(r.dialogs.boxes[0].text,
             QStringLiteral("The playlist holds at most 32767 entries: 3 entries were not added."));
    QCOMPARE(r.transport.Add({"/g.mp3"}),
             QStringLiteral("The playlist holds at most 32767 entries: 1 entry was not added."));

    // A playlist opened stands for its files: the first of them is selected
    // and played, and what it named but could not give is told once.
    QTemporaryDir lists;
    const std::string folder = TextToPath(lists.path());
    QVERIFY(testsupport::WriteBytes(lists.filePath(QStringLiteral("b.mp3")), "b"));
    QVERIFY(testsupport::WriteBytes(lists.filePath(QStringLiteral("a.mp3")), "a"));
    QVERIFY(
        testsupport::WriteBytes(lists.filePath(QStringLiteral("list.m3u")), "#EXTM3U\nb.mp3\nmissing.mp3\na.mp3\n"));
    Rig o({"/m/z.mp3"});
    o.transport.Open({folder + "/list.m3u"});
    QCOMPARE(o.playlist.entries(), (std::vector<std::string>{"/m/z.mp3", folder + "/a.mp3", folder + "/b.mp3"}));
    QCOMPARE(o.playlist.currentRow(), 2);
    QCOMPARE(o.media.files(), QStringList{lists.filePath(QStringLiteral("b.mp3"))});
    QTRY_COMPARE(o.dialogs.boxes.size(), size_t(1));
    QCOMPARE(o.dialogs.boxes[0].text, QStringLiteral("1 entry was not added: no such file."));
    // A playlist that gives nothing plays nothing.
    o.media.calls.clear();
    o.transport.Open({folder + "/none.m3u8"});
    QVERIFY(o.media.calls.isEmpty());
    QTRY_COMPARE(o.dialogs.boxes.size(), size_t(2));  // it could not be read
    // A name of no file is not added but told; a folder stands for the MP3
    // files below it; the first file added plays.
    Rig c({"/m/b.mp3"});
    c.transport.Open({n + "/gone.mp3", n + "/sub"});
    QCOMPARE(c.playlist.entries(), (std::vector<std::string>{"/m/b.mp3", n + "/sub/d.MP3", n + "/sub/deep/c.mp3"}));
    QCOMPARE(c.media.files(), QStringList{dir.filePath(QStringLiteral("sub/d.MP3"))});
    QTRY_COMPARE(c.dialogs.boxes.size(), size_t(1));
    QCOMPARE(c.dialogs.boxes[0].text, QStringLiteral("1 entry was not added: no such file."));
}

// Repeat list, track and none, stop after this track, and volume levelling
// as the preferences choose it (the file read back, bad values defaults).
void TransportTest::playOnChoices() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("preferences.conf"));
    Preferences preferences(file);
    Rig r({"/m/a.mp3", "/m/b.mp3"});
    r.transport.setPreferences(&preferences);
    QCOMPARE(r.media.levelling, QStringLiteral("0,0,0"));
    r.playlist.setCurrentRow(1);
    r.end(false);
    QCOMPARE(r.current(), 0);  // wraps
    QCOMPARE(r.media.files(), QStringList{"/m/a.mp3"});
    preferences.setRepeat(Preferences::Repeat::Track);
    r.media.calls.clear();
    r.end(false);
    QCOMPARE(r.current(), 0);
    QCOMPARE(r.media.files(), QStringList{"/m/a.mp3"});
    preferences.setRepeat(Preferences::Repeat::Off);
    r.end(false);
    QCOMPARE(r.current(), 1);
    r.media.calls.clear();
    r.end(false);  // the last entry: the play-on stops there
    QCOMPARE(r.current(), 1);
    QVERIFY(r.media.calls.isEmpty());
    preferences.setRepeat(Preferences::Repeat::List);
    QSignalSpy stopAfter(&r.transport, &Transport::stopAfterThisTrackChanged);
    r.transport.setStopAfterThisTrack(true);
    r.end(false);  // once
    QVERIFY(r.media.calls.isEmpty());
    QCOMPARE(stopAfter.count(), 2);
    QVERIFY(!r.transport.stopAfterThisTrack());
    r.end(false);
    QCOMPARE(r.current(), 0);

    // The sleep timer: once its minutes have passed the sound fades and the
    // player pauses.
    SleepTimer sleep(r.media, std::chrono::milliseconds(20));
    sleep.setMinutes(15);
    QCOMPARE(sleep.minutesLeft(), 15);
    QTRY_VERIFY(r.media.calls.contains(QStringLiteral("fade=10")));
    QCOMPARE(sleep.minutes(), 0);
    QCOMPARE(r.media.state(), MediaComponent::State::Paused);

    preferences.setLevelling(Preferences::Levelling::AlbumUnlessRandom, 3, -2);
    QCOMPARE(r.media.levelling, QStringLiteral("2,3,-2"));  // album
    r.transport.Random();
    QCOMPARE(r.media.levelling, QStringLiteral("1,3,-2"));  // track in random mode
    preferences.setResume(true);
    // The equalizer reaches the player, and is kept with a user's preset.
    EqualizerCurve eq;
    eq.enabled = eq.parametric = true;
    eq.preampDb = 2.5;
    eq.bandsDb = {1, 2, 3, 4, 5, -6, -7, 8, 9, -12};
    eq.parametricPreampDb = -6.2;
    eq.filters = {{EqualizerFilter::Type::Peak, 105, 4.4, 0.7}, {EqualizerFilter::Type::HighPass, 20, 0, 0.7071}};
    preferences.setEqualizer(eq, QStringLiteral("Mine"));
    preferences.saveUserPreset({QStringLiteral("Mine"), eq.bandsDb, 2.5});
    QVERIFY(r.media.equalizer == eq);

    Preferences again(file);
    QVERIFY(again.equalizer() == eq);
    QCOMPARE(again.equalizerPreset(), QStringLiteral("Mine"));
    QCOMPARE(again.userPresets().size(), 1);
    QVERIFY(again.userPresets()[0].bandsDb == eq.bandsDb);
    QCOMPARE(again.levelling(), Preferences::Levelling::AlbumUnlessRandom);
    QCOMPARE(again.preampDb(), 3.0);
    QCOMPARE(again.untaggedDb(), -2.0);
    QCOMPARE(again.repeat(), Preferences::Repeat::List);
    QVERIFY(again.resume());
    QVERIFY(testsupport::WriteBytes(file,
                                    "[replaygain]\nmode=loud\npreamp_db=99\nuntagged_db=x\n"
                                    "[playback]\nrepeat=sometimes\nresume=maybe\n"
                                    "[equalizer]\nenabled=yes\npreamp_db=13\nbands_db=1,2,3\nsource=parametric\n"
                                    "parametric_filters=PK 105 4.4 0.7, XX 1 2 3\n"));
    Preferences bad(file);
    QVERIFY(bad.equalizer() == EqualizerCurve{});  // off, flat, the bands
    QCOMPARE(bad.levelling(), Preferences::Levelling::Off);
    QCOMPARE(bad.preampDb(), 0.0);
    QCOMPARE(bad.untaggedDb(), 0.0);
    QCOMPARE(bad.repeat(), Preferences::Repeat::List);
    QVERIFY(!bad.resume());
}

// Entries asked to be played next play before the list's order, in the
// order asked, at Next and at a file's end, whatever the repeat and random
// mode; the list goes on from the last of them. One that leaves the list
// leaves the queue.
void TransportTest::playNextGoesFirst() {
    QTemporaryDir dir;
    Preferences preferences(dir.filePath(QStringLiteral("preferences.conf")));
    Rig r({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3", "/m/e.mp3"});
    r.transport.setPreferences(&preferences);
    r.playlist.setCurrentRow(0);
    for (int row : {3, 1, 3, 4}) r.playlist.playNext(row);
    QCOMPARE(r.playlist.placeInQueue(3), 1);
    QCOMPARE(r.playlist.placeInQueue(1), 2);
    QCOMPARE(r.playlist.placeInQueue(0), 0);
    r.playlist.removeAt(4);  // e leaves the list, and the queue
    QCOMPARE(r.playlist.queued(), 2);
    r.transport.Next();
    QCOMPARE(r.media.files(), QStringList{"/m/d.mp3"});
    preferences.setRepeat(Preferences::Repeat::Track);
    r.transport.Random();
    r.end(false);  // random and repeat track: the queue first
    QCOMPARE(r.media.files(), (QStringList{"/m/d.mp3", "/m/b.mp3"}));
    r.transport.Random();
    preferences.setRepeat(Preferences::Repeat::List);
    r.end(false);  // on from b
    QCOMPARE(r.current(), 2);
    QCOMPARE(r.playlist.queued(), 0);
    QCOMPARE(r.media.count("play"), 3);
}

// The point kept while playing and at exit, and going on from it.
void TransportTest::resumePoint() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("state/resume"));
    {
        Rig r({"/m/a.mp3", "/m/b.mp3"});
        ResumeKeeper keeper(r.media, r.transport, file);
        r.playlist.setCurrentRow(1);
        r.transport.Play();
        QCOMPARE(ReadResumePoint(file)->path, std::string("/m/b.mp3"));
        r.media.position = 12.5;
        r.transport.Pause();
        r.transport.Shutdown();  // Exit: the point before the component stops
        r.media.calls.clear();
    }
    const std::optional<ResumePoint> kept = ReadResumePoint(file);
    QVERIFY(kept && kept->paused);
    QCOMPARE(kept->seconds, 12.5);

    Rig n({"/m/0.mp3", "/m/a.mp3", "/m/b.mp3"});
    QVERIFY(n.transport.Resume(kept->path, kept->seconds, kept->paused));
    QCOMPARE(n.current(), 2);
    QCOMPARE(n.media.calls.mid(n.media.calls.indexOf("file=/m/b.mp3")),
             (QStringList{"file=/m/b.mp3", "start=12.5 paused", "autostart=1", "play"}));
    QCOMPARE(n.transport.state(), MediaComponent::State::Paused);
    QVERIFY(!n.transport.Resume("/m/gone.mp3", 1, false));
    for (const char* garbage : {"", "playing\n", "walking\n1\n/m/a.mp3\n", "playing\n-1\n/m/a.mp3\n",
                                "playing\nnan\n/m/a.mp3\n", "paused\n1\nrelative.mp3\n", "paused\n1\n/a\n/b\n"}) {
        QVERIFY(testsupport::WriteBytes(file, garbage));
        QVERIFY2(!ReadResumePoint(file), garbage);
    }
}

QTEST_MAIN(TransportTest)
#include "transport_test.moc"
