// The master volume: the mapping rule, the order of the mixer steps with the
// mixer always closed, and the real mixer of "default" through PulseAudio.
#include "volume/volume_controler.h"

#include <dirent.h>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>
#include <string>
#include <vector>

using namespace VolumeControler;

namespace {

// Records every mixer call; fails the chosen step. A failing open() still
// counts as holding a handle, as a partly opened alsa mixer does.
class RecordingMixer final : public Mixer {
public:
    enum class Step { None, Open, Find, Range, Set };
    Step failAt = Step::None;
    long min = 0;
    long max = 65535;
    std::vector<std::string> calls;
    int opens = 0;
    int closes = 0;
    bool held = false;

    bool open(const std::string& device) override {
        calls.push_back("open " + device);
        ++opens;
        held = true;
        return failAt != Step::Open;
    }
    bool findElement() override {
        calls.push_back("find");
        return failAt != Step::Find;
    }
    bool range(long& lo, long& hi) override {
        calls.push_back("range");
        lo = min;
        hi = max;
        return failAt != Step::Range;
    }
    bool setVolume(long value) override {
        calls.push_back("set " + std::to_string(value));
        return failAt != Step::Set;
    }
    void close() override {
        calls.push_back("close");
        ++closes;
        held = false;
    }
};

using Calls = std::vector<std::string>;

int OpenFdCount() {
    DIR* d = ::opendir("/proc/self/fd");
    if (!d) return -1;
    int n = 0;
    while (::readdir(d)) ++n;
    ::closedir(d);
    return n;
}

// The percentages pactl prints for the sink's channels.
QStringList SinkPercentages(const QString& sink) {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("get-sink-volume"), sink});
    if (!pactl.waitForFinished(10000) || pactl.exitCode() != 0) return {};
    const QString out = QString::fromUtf8(pactl.readAllStandardOutput());
    QStringList percents;
    auto it = QRegularExpression(QStringLiteral("(\\d+)%")).globalMatch(out);
    while (it.hasNext()) percents << it.next().captured(1);
    return percents;
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace

Q_DECLARE_METATYPE(RecordingMixer::Step)

class VolumeTest : public QObject {
    Q_OBJECT
private slots:
    // Later audio tests share the sink: leave it at full volume.
    void cleanupTestCase() {
        if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) VolumeControler::SetMasterVolume(100);
    }
    void mapping_data();
    void mapping();
    void clampToRange();
    void stepsInOrderAndClosed();
    void everyFailureClosesTheMixer_data();
    void everyFailureClosesTheMixer();
    void minimumNotConsulted();
    void outOfRangeOpensNothing_data();
    void outOfRangeOpensNothing();
    void realMixerSetsTheSinkVolume();
    void outputVolumeGoesWhereTheSoundGoes();
    void cardMixerOfADevice();
    void noSoundServerFailsAndLeavesNothingOpen();
    void missingDeviceFails();
};

void VolumeTest::mapping_data() {
    QTest::addColumn<int>("volume");
    QTest::addColumn<qlonglong>("max");
    QTest::addColumn<qlonglong>("expected");
    // The table for a 16-bit control, halves going to the even neighbour.
    QTest::newRow("100 of 65535") << 100 << 65535LL << 65535LL;
    QTest::newRow("50 of 65535 (32767.5)") << 50 << 65535LL << 32768LL;
    QTest::newRow("30 of 65535 (19660.5)") << 30 << 65535LL << 19660LL;
    QTest::newRow("10 of 65535 (6553.5)") << 10 << 65535LL << 6554LL;
    QTest::newRow("1 of 65535") << 1 << 65535LL << 655LL;
    QTest::newRow("0 of 65535") << 0 << 65535LL << 0LL;
    // PulseAudio's "Master" runs 0..65536.
    QTest::newRow("30 of 65536") << 30 << 65536LL << 19661LL;
    QTest::newRow("100 of 65536") << 100 << 65536LL << 65536LL;
    // Small ranges show the halves plainly.
    QTest::newRow("50 of 1 (0.5)") << 50 << 1LL << 0LL;
    QTest::newRow("50 of 3 (1.5)") << 50 << 3LL << 2LL;
    QTest::newRow("50 of 5 (2.5)") << 50 << 5LL << 2LL;
    QTest::newRow("49 of 3 (1.47)") << 49 << 3LL << 1LL;
    QTest::newRow("51 of 1 (0.51)") << 51 << 1LL << 1LL;
    // Past the reach of a 32-bit product.
    QTest::newRow("100 of 21474837") << 100 << 21474837LL << 21474837LL;
    QTest::newRow("77 of 2^40") << 77 << (1LL << 40) << 846623953388LL;  // 846623953387.52
    QTest::newRow("100 of LONG_MAX") << 100 << static_cast<qlonglong>(LONG_MAX) << static_cast<qlonglong>(LONG_MAX);
    QTest::newRow("50 of LONG_MAX") << 50 << static_cast<qlonglong>(LONG_MAX) << 4611686018427387904LL;
    // A range entirely below 0 (halves still to even).
    QTest::newRow("50 of -65535") << 50 << -65535LL << -32768LL;
    QTest::newRow("30 of -65535") << 30 << -65535LL << -19660LL;
}

void VolumeTest::mapping() {
    QFETCH(int, volume);
    QFETCH(qlonglong, max);
    QFETCH(qlonglong, expected);
    QCOMPARE(static_cast<qlonglong>(MapVolume(volume, static_cast<long>(max))), expected);
}

void VolumeTest::clampToRange() {
    QCOMPARE(ClampToRange(0, 100, 65535), 100L);
    QCOMPARE(ClampToRange(70000, 0, 65536), 65536L);
    QCOMPARE(ClampToRange(-5, -10, 10), -5L);
    QCOMPARE(ClampToRange(0, -60, -10), -10L);
}

void VolumeTest::stepsInOrderAndClosed() {
    RecordingMixer mixer;
    QVERIFY(SetMasterVolume(30, mixer));
    QCOMPARE(mixer.calls, (Calls{"open default", "find", "range", "set 19660", "close"}));
    QVERIFY(!mixer.held);

    // Nothing is kept between calls: each opens and closes afresh, and the
    // device name is passed on as given.
    RecordingMixer other;
    QVERIFY(SetMasterVolume(100, other, "hw:3"));
    QVERIFY(SetMasterVolume(10, other, "hw:3"));
    QCOMPARE(other.calls, (Calls{"open hw:3", "find", "range", "set 65535", "close", "open hw:3", "find", "range",
                                 "set 6554", "close"}));
}

void VolumeTest::everyFailureClosesTheMixer_data() {
    QTest::addColumn<RecordingMixer::Step>("failAt");
    QTest::addColumn<Calls>("expected");
    QTest::newRow("open") << RecordingMixer::Step::Open << Calls{"open default", "close"};
    QTest::newRow("no element") << RecordingMixer::Step::Find << Calls{"open default", "find", "close"};
    QTest::newRow("no range") << RecordingMixer::Step::Range << Calls{"open default", "find", "range", "close"};
    QTest::newRow("value refused") << RecordingMixer::Step::Set
                                   << Calls{"open default", "find", "range", "set 32768", "close"};
}

void VolumeTest::everyFailureClosesTheMixer() {
    QFETCH(RecordingMixer::Step, failAt);
    QFETCH(Calls, expected);
    RecordingMixer mixer;
    mixer.failAt = failAt;
    QVERIFY(!SetMasterVolume(50, mixer));
    QCOMPARE(mixer.calls, expected);
    QCOMPARE(mixer.opens, 1);
    QCOMPARE(mixer.closes, 1);
    QVERIFY(!mixer.held);
}

void VolumeTest::minimumNotConsulted() {
    RecordingMixer mixer;
    mixer.min = 100;
    QVERIFY(SetMasterVolume(0, mixer));
    QCOMPARE(mixer.calls.at(3), std::string("set 0"));
    mixer.calls.clear();
    mixer.min = -6000;
    mixer.max = 600;
    QVERIFY(SetMasterVolume(50, mixer));
    QCOMPARE(mixer.calls.at(3), std::string("set 300"));
}

void VolumeTest::outOfRangeOpensNothing_data() {
    QTest::addColumn<int>("volume");
    QTest::newRow("101") << 101;
    QTest::newRow("-1") << -1;
    QTest::newRow("INT32_MAX") << INT32_MAX;
    QTest::newRow("INT32_MIN") << INT32_MIN;
}

void VolumeTest::outOfRangeOpensNothing() {
    QFETCH(int, volume);
    RecordingMixer mixer;
    QVERIFY(!SetMasterVolume(volume, mixer));
    QVERIFY(mixer.calls.empty());
    QCOMPARE(mixer.opens, 0);
    // Nor through the real mixer.
    const int fds = OpenFdCount();
    QVERIFY(!SetMasterVolume(volume));
    QCOMPARE(OpenFdCount(), fds);
}

void VolumeTest::realMixerSetsTheSinkVolume() {
    if (!qEnvironmentVariableIsSet("PULSE_SERVER")) QSKIP("no PulseAudio daemon (run under tests/with-pulse.sh)");
    const QString sink = qEnvironmentVariable("CORVALLE_TEST_SINK", QStringLiteral("corvalle_null"));
    const int fds = OpenFdCount();
    QVERIFY(SetMasterVolume(30));
    QCOMPARE(OpenFdCount(), fds);
    QStringList percents = SinkPercentages(sink);
    QVERIFY2(!percents.isEmpty(), "pactl get-sink-volume printed no volume");
    for (const QString& p : percents) QCOMPARE(p, QStringLiteral("30"));

    QVERIFY(SetMasterVolume(100));
    percents = SinkPercentages(sink);
    QVERIFY(!percents.isEmpty());
    for (const QString& p : percents) QCOMPARE(p, QStringLiteral("100"));

    // Refused volumes leave the sink as it was.
    QVERIFY(!SetMasterVolume(101));
    QVERIFY(!SetMasterVolume(-1));
    percents = SinkPercentages(sink);
    QVERIFY(!percents.isEmpty());
    for (const QString& p : percents) QCOMPARE(p, QStringLiteral("100"));

    QVERIFY(SetMasterVolume(0));
    percents = SinkPercentages(sink);
    QVERIFY(!percents.isEmpty());
    for (const QString& p : percents) QCOMPARE(p, QStringLiteral("0"));

    // alsa-lib would drop a value outside the range and still report success:
    // the real mixer sets the nearest end instead.
    {
        AlsaMixer mixer;
        long lo = 0, hi = 0;
        QVERIFY(mixer.open("default") && mixer.findElement() && mixer.range(lo, hi));
        QVERIFY(mixer.setVolume(hi + 1000));
        percents = SinkPercentages(sink);
        QVERIFY(!percents.isEmpty());
        for (const QString& p : percents) QCOMPARE(p, QStringLiteral("100"));
        QVERIFY(mixer.setVolume(lo - 1000));
        percents = SinkPercentages(sink);
        QVERIFY(!percents.isEmpty());
        for (const QString& p : percents) QCOMPARE(p, QStringLiteral("0"));
    }
    QCOMPARE(OpenFdCount(), fds);
}

// A sink chosen gets the volume, the default's is left; once the sink is
// gone, the default (where the sound went) gets it; none chosen, the default.
void VolumeTest::outputVolumeGoesWhereTheSoundGoes() {
    if (!qEnvironmentVariableIsSet("PULSE_SERVER")) QSKIP("no PulseAudio daemon (run under tests/with-pulse.sh)");
    const QString sink = qEnvironmentVariable("CORVALLE_TEST_SINK", QStringLiteral("corvalle_null"));
    const QString other = QStringLiteral("corvalle_volume_b");
    auto pactl = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("pactl"), args);
        return p.waitForFinished(10000) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()).trimmed()
                                                             : QString();
    };
    const QString module = pactl(
        {QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + other});
    QVERIFY(!module.isEmpty());
    auto unload = qScopeGuard([&] { pactl({QStringLiteral("unload-module"), module}); });
    const int fds = OpenFdCount();
    QVERIFY(SetOutputVolume(100, std::string()));
    QVERIFY(QTest::qWaitFor([&] { return !SinkPercentages(other).isEmpty(); }, 5000));
    QVERIFY(SetOutputVolume(30, other.toStdString()));
    QCOMPARE(SinkPercentages(other), QStringList(2, QStringLiteral("30")));
    QCOMPARE(SinkPercentages(sink), QStringList(2, QStringLiteral("100")));
    unload.dismiss();
    pactl({QStringLiteral("unload-module"), module});
    QVERIFY(QTest::qWaitFor([&] { return SinkPercentages(other).isEmpty(); }, 5000));
    QVERIFY(SetOutputVolume(40, other.toStdString()));
    QCOMPARE(SinkPercentages(sink), QStringList(2, QStringLiteral("40")));
    QVERIFY(SetOutputVolume(100, std::string()));
    QCOMPARE(SinkPercentages(sink), QStringList(2, QStringLiteral("100")));
    QCOMPARE(OpenFdCount(), fds);
}

void VolumeTest::cardMixerOfADevice() {
    QCOMPARE(CardMixerOf("plughw:CARD=PCH,DEV=0"), std::string("hw:CARD=PCH"));
    QCOMPARE(CardMixerOf("sysdefault:CARD=Headset"), std::string("hw:CARD=Headset"));
    QCOMPARE(CardMixerOf("pulse"), std::string("default"));
    QCOMPARE(CardMixerOf("hw:CARD=,DEV=0"), std::string("default"));
}

void VolumeTest::noSoundServerFailsAndLeavesNothingOpen() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray missing = "unix:" + QFile::encodeName(dir.filePath(QStringLiteral("no-such-socket")));
    ScopedEnv server("PULSE_SERVER", missing);
    const int fds = OpenFdCount();
    AlsaMixer mixer;
    QVERIFY(!SetMasterVolume(30, mixer));
    QVERIFY(!mixer.isOpen());
    QVERIFY(!SetMasterVolume(30));
    // A device chosen: its card's mixer, then "default"; neither is there.
    QVERIFY(!SetOutputVolume(30, "plughw:CARD=corvalle_none,DEV=0"));
    QCOMPARE(OpenFdCount(), fds);
}

void VolumeTest::missingDeviceFails() {
    const int fds = OpenFdCount();
    AlsaMixer mixer;
    QVERIFY(!SetMasterVolume(30, mixer, "corvalle_no_such_device"));
    QVERIFY(!mixer.isOpen());
    // A mixer that was never opened has nothing to find or set.
    QVERIFY(!mixer.findElement());
    long lo = 0, hi = 0;
    QVERIFY(!mixer.range(lo, hi));
    QVERIFY(!mixer.setVolume(0));
    QCOMPARE(OpenFdCount(), fds);
}

QTEST_GUILESS_MAIN(VolumeTest)
#include "volume_test.moc"
