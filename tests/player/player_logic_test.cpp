// Time strings and the random pick.
#include "common/time_format.h"
#include "common/twips.h"
#include "transport/randomizer.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <set>

class PlayerLogicTest : public QObject {
    Q_OBJECT
private slots:
    void timeStrings_data();
    void timeStrings();
    void randomPicksStayInRange();
    void twipsConvertAtFifteenPerPixel();
};

void PlayerLogicTest::timeStrings_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0.0 << "00:00";
    QTest::newRow("5.9") << 5.9 << "00:05";
    QTest::newRow("45") << 45.0 << "00:45";
    QTest::newRow("59.99") << 59.99 << "00:59";
    QTest::newRow("60") << 60.0 << "01:00";
    QTest::newRow("61") << 61.0 << "01:01";
    QTest::newRow("225") << 225.0 << "03:45";
    QTest::newRow("6000") << 6000.0 << "100:00";
    QTest::newRow("negative") << -3.0 << "00:00";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "00:00";
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "00:00";
    QTest::newRow("beyond 32767 minutes") << 32768.0 * 60 + 7 << "32768:07";
}

void PlayerLogicTest::timeStrings() {
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(FormatTime(seconds), text);
}

void PlayerLogicTest::randomPicksStayInRange() {
    RandomPicker picker;
    QCOMPARE(picker.Pick(0), 0);
    for (int i = 0; i < 100; ++i) QCOMPARE(picker.Pick(1), 0);
    std::set<int> seen;
    for (int i = 0; i < 300; ++i) {
        int k = picker.Pick(3);
        QVERIFY(k >= 0 && k <= 2);
        seen.insert(k);
    }
    QCOMPARE(seen.size(), size_t(3));
    // Reseeding with the same size must not make the picks repeat.
    std::set<int> wide;
    for (int i = 0; i < 50; ++i) wide.insert(picker.Pick(32767));
    QVERIFY(wide.size() > 40);
    QVERIFY(picker.Pick(32767) < 32767);
}

void PlayerLogicTest::twipsConvertAtFifteenPerPixel() {
    QCOMPARE(TwipsToPixels(855), 57);
    QCOMPARE(TwipsRect(5160, 360, 4500, 3150), QRect(344, 24, 300, 210));
    QCOMPARE(PixelsToTwips(300), 4500.0);
}

QTEST_GUILESS_MAIN(PlayerLogicTest)
#include "player_logic_test.moc"
