// Soak: the real window with the real player plays 200 very short generated
// files by itself (the end of each file runs Next), with random mode off and
// then on, while random clicks reach the transport labels. At the end nothing
// has crashed, no unexpected message box was shown and the player's threads
// are gone again.
#include "app/player.h"
#include "fake_dialogs.h"
#include "media/media_player.h"
#include "playlist/playlist_model.h"
#include "test_support.h"
#include "window/command_label.h"
#include "window/frm_main.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

namespace {
// Threads other than Qt's shared pool (which keeps idle threads a while).
int UnpooledThreadCount() {
    const QStringList names = ThreadNames();
    return static_cast<int>(names.size() - names.count(QStringLiteral("Thread (pooled)")));
}
}  // namespace

class SoakTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void threeFilesPlayOnAndWrap();
    void playsOnWithClicks_data();
    void playsOnWithClicks();

private:
    QTemporaryDir dir_;
    std::vector<std::string> files_;
};

void SoakTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("no private sound server (run under tests/with-pulse.sh)");
    QString master = dir_.filePath(QStringLiteral("master.mp3"));
    QVERIFY(GenerateMp3(master, 0.08, 660));

    for (int i = 0; i < 200; ++i) {
        QString p = dir_.filePath(QStringLiteral("t%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
        QVERIFY(QFile::copy(master, p));
        files_.push_back(p.toStdString());
    }
}

// Three short files play one after another by themselves and wrap to the first.
void SoakTest::threeFilesPlayOnAndWrap() {
    ScopedCurrentDir cd(dir_.path());
    FakeDialogs dialogs;
    std::vector<std::string> three;
    for (int i = 0; i < 3; ++i) {
        QString p = dir_.filePath(QStringLiteral("wrap%1.mp3").arg(i));
        QVERIFY(GenerateMp3(p, 0.4, 440 + 110 * i));
        three.push_back(p.toStdString());
    }
    Player player(new MediaPlayer, testsupport::TempPreferences());
    frmMain& w = player.window;
    player.playlist.clear();
    player.playlist.addMany(three);
    w.Form_Load();
    // Each file as it starts playing (its length may be told too late to
    // count: after the next has started).
    QStringList started;
    connect(player.media.get(), &MediaComponent::stateChanged, this, [&] {
        const QString name = QString::fromStdString(player.media->fileName());
        if (player.media->state() == MediaComponent::State::Playing && (started.isEmpty() || started.last() != name))
            started << name;
    });
    w.lblPlay_Click();
    QTRY_VERIFY_WITH_TIMEOUT(started.size() >= 4, 15000);
    QCOMPARE(started.mid(0, 4), (QStringList{QString::fromStdString(three[0]), QString::fromStdString(three[1]),
                                             QString::fromStdString(three[2]), QString::fromStdString(three[0])}));
    QCOMPARE(w.ListIndex(), int16_t(0));
    QVERIFY(w.lblTotalTime->text().startsWith(QStringLiteral("Total Time: 00:00")));
    w.lblStop_Click();
    QVERIFY(dialogs.boxes.empty());
}

void SoakTest::playsOnWithClicks_data() {
    QTest::addColumn<bool>("random");
    QTest::newRow("in order") << false;
    QTest::newRow("random mode") << true;
}

void SoakTest::playsOnWithClicks() {
    QFETCH(bool, random);
    ScopedCurrentDir cd(dir_.path());
    FakeDialogs dialogs;
    const int idleThreads = UnpooledThreadCount();
    {
        Player player(new MediaPlayer, testsupport::TempPreferences());
        frmMain& w = player.window;
        player.playlist.clear();
        player.playlist.addMany(files_);
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (random) w.lblRandom_Click();
        int ends = 0;
        connect(player.media.get(), &MediaComponent::endReached, this, [&] { ++ends; });
        w.lblPlay_Click();

        // Random clicks on the transport labels while it plays on.
        QRandomGenerator rng(random ? 7 : 11);
        CommandLabel* labels[] = {w.lblPlay, w.lblStop, w.lblNext, w.lblPrev};
        QTimer clicker;
        int clicks = 0;
        connect(&clicker, &QTimer::timeout, this, [&] {
            CommandLabel* l = labels[rng.bounded(4)];
            QTest::mouseClick(l, Qt::LeftButton, Qt::NoModifier, l->rect().center());
            ++clicks;
            if (player.media->state() != MediaComponent::State::Playing)
                w.lblPlay_Click();  // keep it going after a Stop
        });
        clicker.start(900);
        QTRY_VERIFY_WITH_TIMEOUT(ends >= 200, 120000);
        clicker.stop();
        QVERIFY(clicks > 5);
        w.lblStop_Click();
        QVERIFY(dialogs.boxes.empty());
        if (random) w.lblRandom_Click();
    }
    // The player's worker and the sound device's threads have ended. A thread
    // left winding down by the previous case may have gone too, hence <=.
    QTRY_VERIFY2_WITH_TIMEOUT(UnpooledThreadCount() <= idleThreads, qPrintable(ThreadNames().join(QLatin1Char(','))),
                              5000);
}

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
