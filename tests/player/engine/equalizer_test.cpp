// The equalizer's curve (its filters, their response, the import of a
// headphone correction) and the stage the worker runs: what it does to
// tones, that the way frames are cut into calls changes nothing, and that
// going back re-runs exactly what was run.
#include "engine/equalizer.h"

#include <QTest>
#include <cmath>
#include <random>

namespace {
constexpr int kRate = 44100;

std::vector<int16_t> Tone(double hz, double dbfs, int frames) {
    std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
    const double amp = 32767 * std::pow(10.0, dbfs / 20);
    for (int i = 0; i < frames; ++i)
        s[2 * static_cast<size_t>(i)] = s[2 * static_cast<size_t>(i) + 1] =
            static_cast<int16_t>(std::lround(amp * std::sin(2 * M_PI * hz * i / kRate)));
    return s;
}

// The level of the left channel's second half, in dB of full scale (RMS of
// a sine counted as its peak).
double LevelDb(const std::vector<int16_t>& s) {
    double sum = 0;
    const size_t frames = s.size() / 2;
    for (size_t i = frames / 2; i < frames; ++i) sum += double(s[2 * i]) * s[2 * i];
    return 20 * std::log10(std::sqrt(2 * sum / double(frames - frames / 2)) / 32767);
}

EqualizerCurve Bands(std::initializer_list<std::pair<int, double>> set, double preamp = 0) {
    EqualizerCurve c;
    c.enabled = true;
    c.preampDb = preamp;
    for (auto [band, db] : set) c.bandsDb[static_cast<size_t>(band)] = db;
    return c;
}

std::vector<int16_t> Noise(int frames) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> sample(-12000, 12000);
    std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
    for (int16_t& v : s) v = static_cast<int16_t>(sample(random));
    return s;
}
}  // namespace
Q_DECLARE_METATYPE(EqualizerCurve)

class EqualizerTest : public QObject {
    Q_OBJECT
private slots:
    void importsCorrections_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("filters");  // -1: refused
        QTest::addColumn<int>("faultLine");
        QTest::addRow("as published") << "Preamp: -6.2 dB\r\nFilter 1: ON PK Fc 105 Hz Gain 4.4 dB Q 0.70\n"
                                         "Filter 2: ON LSC Fc 105 Hz Gain 5.5 dB Q 0.71\n"
                                         "Filter 3: OFF PK Fc 0 Hz Gain 0.0 dB Q 0.000\n"
                                         "# note\n\nFilter 4: ON HP Fc 20 Hz\nFilter: ON HS Fc 9000 Hz Gain -2dB\n"
                                      << 4 << 0;
        QTest::addRow("another format") << "Preamp: -6.2 dB\nDevice: Speakers\n" << -1 << 2;
        QTest::addRow("no Q for a peak") << "Filter 1: ON PK Fc 105 Hz Gain 4.4 dB\n" << -1 << 1;
        QTest::addRow("frequency out of range") << "Filter 1: ON PK Fc 0 Hz Gain 4.4 dB Q 1\n" << -1 << 1;
        QTest::addRow("no filter") << "Preamp: -3 dB\n" << -1 << 0;
        QTest::addRow("a picture") << QString::fromLatin1("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << -1 << 1;
        QString many;
        for (int i = 1; i <= 17; ++i) many += QStringLiteral("Filter %1: ON PK Fc 100 Hz Gain 1 dB Q 1\n").arg(i);
        QTest::addRow("seventeen filters") << many << -1 << 17;
    }
    void importsCorrections() {
        QFETCH(QString, text);
        QFETCH(int, filters);
        QFETCH(int, faultLine);
        ParametricFault fault;
        const std::optional<ParametricImport> got = ParseParametric(text.toStdString(), fault);
        QCOMPARE(got ? int(got->filters.size()) : -1, filters);
        if (!got) {
            QCOMPARE(fault.line, faultLine);
            return;
        }
        QCOMPARE(got->preampDb, -6.2);
        QCOMPARE(got->filters[1].type, EqualizerFilter::Type::LowShelf);
        QCOMPARE(got->filters[3].q, 0.7071);  // a shelf without its Q
        // As the preferences keep them.
        for (const EqualizerFilter& f : got->filters) QCOMPARE(FilterFromWords(FilterWords(f)), f);
    }

    // What is heard is what the window draws, and a boost never clips.
    void tonesFollowTheCurve_data() {
        QTest::addColumn<EqualizerCurve>("curve");
        QTest::addColumn<double>("hz");
        QTest::addRow("+6 dB at 1 kHz, at 1 kHz") << Bands({{5, 6}}) << 1000.0;
        QTest::addRow("+6 dB at 1 kHz, at 125 Hz") << Bands({{5, 6}}) << 125.0;
        QTest::addRow("every band, at 31 Hz")
            << Bands({{0, 9}, {1, -4}, {2, 3}, {3, -2}, {4, 5}, {5, -6}, {6, 2}, {7, -3}, {8, 4}, {9, 12}}) << 31.0;
        QTest::addRow("every band, at 4 kHz")
            << Bands({{0, 9}, {1, -4}, {2, 3}, {3, -2}, {4, 5}, {5, -6}, {6, 2}, {7, -3}, {8, 4}, {9, 12}}) << 4000.0;
        QTest::addRow("cut, pre-amplified, at 250 Hz") << Bands({{3, -12}}, 3) << 250.0;
        EqualizerCurve imported;
        imported.enabled = imported.parametric = true;
        imported.parametricPreampDb = -4;
        imported.filters = {{EqualizerFilter::Type::LowShelf, 105, 5.5, 0.71},
                            {EqualizerFilter::Type::HighPass, 40, 0, 0.7071},
                            {EqualizerFilter::Type::Peak, 3000, -3, 2}};
        QTest::addRow("imported, at 62 Hz") << imported << 62.0;
    }
    void tonesFollowTheCurve() {
        QFETCH(EqualizerCurve, curve);
        QFETCH(double, hz);
        const EqualizerDesign design = DesignEqualizer(curve, kRate);
        QVERIFY(design.gainDb <= curve.heardPreampDb());
        std::vector<int16_t> s = Tone(hz, -10, kRate / 2);
        Equalizer eq;
        eq.setFormat(kRate, 2);
        eq.setCurve(curve);
        eq.process(s.data(), s.size() / 2);
        QVERIFY2(std::abs(LevelDb(s) + 10 - ResponseDb(design, hz, kRate)) < 0.1,
                 qPrintable(
                     QStringLiteral("%1 dB heard, %2 drawn").arg(LevelDb(s) + 10).arg(ResponseDb(design, hz, kRate))));
        // The curve's highest point is 0 dB or below.
        std::vector<int16_t> loud = Tone(1000, -1, kRate / 4);
        eq.setCurve(Bands({{5, 12}}));
        eq.process(loud.data(), loud.size() / 2);
        QVERIFY(*std::max_element(loud.begin(), loud.end()) < 32767);
    }

    // How the frames come in pieces, and going back over them, changes
    // nothing: the filters carry their state over every cut.
    void cutsAndGoingBackChangeNothing() {
        const EqualizerCurve curve = Bands({{0, 12}, {2, -6}, {5, 4}, {7, 8}, {9, -12}}, 2);
        const EqualizerCurve other = Bands({{1, 6}, {6, -9}});
        const std::vector<int16_t> input = Noise(kRate * 2);
        const size_t change = 50000;  // where `other` takes over
        auto straight = input;
        Equalizer eq;
        eq.setFormat(kRate, 2);
        eq.setCurve(curve);
        eq.process(straight.data(), change);
        eq.setCurve(other);
        eq.process(straight.data() + 2 * change, input.size() / 2 - change);

        auto cut = input;
        Equalizer second;
        second.setFormat(kRate, 2);
        second.setCurve(curve);
        size_t at = 0;
        for (size_t piece : {1, 2, 7, 4095, 4097, 9000, 12000}) {
            second.process(cut.data() + 2 * at, piece);
            at += piece;
        }
        // Further than the change, then back to it, as a device gives back.
        second.process(cut.data() + 2 * at, 70000 - at);
        QVERIFY(second.rewind(70000 - change));
        second.setCurve(other);
        std::copy(input.begin() + 2 * change, input.end(), cut.begin() + 2 * change);
        second.process(cut.data() + 2 * change, input.size() / 2 - change);
        QVERIFY(cut == straight);
        // Further back than it keeps: it starts afresh.
        std::vector<int16_t> more = Noise(kRate * 3);
        second.process(more.data(), more.size() / 2);
        QVERIFY(!second.rewind(kRate * 3 + 1));
    }
};

QTEST_APPLESS_MAIN(EqualizerTest)
#include "equalizer_test.moc"
