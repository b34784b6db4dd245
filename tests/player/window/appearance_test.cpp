// The main window's appearance through its real widgets: the player bar,
// the volume slider, the theme picture and its menu, and the resize rule.
#include "common/deadline.h"
#include "common/translation.h"
#include "tags/frm_edit_tag_information.h"
#include "window/equalizer_window.h"
#include "window/levelling_dialog.h"
#include "window_fixture.h"

#include "common/twips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QXmlStreamReader>

class AppearanceTest : public QObject {
    Q_OBJECT
private slots:
    // The volume tests move the private sound server's master volume: leave
    // it full for the tests that record it.
    void cleanupTestCase() {
        if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) VolumeControler::SetMasterVolume(100);
    }
    void playerBarToggle();
    void volumeLabelAndSlider();
    void themeChoiceAndAutosize();
    void themeThatCannotBeLoaded();
    void storedThemeIsShownAtStart();
    void pictureFollowsTheRightEdge();
    void labelsReadableOnADarkPalette();
    void inTheUsersLanguage();
    void captionsFitInEveryLanguage();
    void sharpAtHighDensity();
};

namespace {
double Luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

// The highest contrast of any pixel of the label as the window shows it
// against the window's own colour: that of its text's fully drawn pixels.
double TextContrast(frmMain* w, QWidget* label) {
    const QImage shown = w->grab(label->geometry()).toImage();
    const double background = Luminance(w->palette().color(QPalette::Window).rgb());
    double best = 1;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const double l = Luminance(shown.pixel(x, y));
            best = std::max(best, (std::max(l, background) + 0.05) / (std::min(l, background) + 0.05));
        }
    return best;
}

// The captions of `window` that its controls cut (text wider than the
// control) or that stand outside it, as "language: caption".
QStringList CutCaptions(QWidget* window, const QString& language) {
    QStringList cut;
    const QRect inside = window->rect();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->isWindow()) continue;
        QString text;
        int needed = 0;
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            text = label->text();
            needed = label->wordWrap() ? 0 : label->sizeHint().width();
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
            // The text and the style's margins (a style may make a button
            // wider than that, which cuts nothing).
            text = push->text();
            needed = push->fontMetrics().horizontalAdvance(text) +
                     2 * push->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            needed = button->sizeHint().width();
        }
        if (text.isEmpty()) continue;
        const QRect at(w->mapTo(window, QPoint(0, 0)), w->size());
        if (needed > w->width() || !inside.contains(at))
            cut << QStringLiteral("%1 %2: \"%3\" needs %4 px, has %5 at %6,%7")
                       .arg(language, w->objectName(), text)
                       .arg(needed)
                       .arg(w->width())
                       .arg(at.x())
                       .arg(at.y());
    }
    return cut;
}

QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    p.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    return p;
}
}  // namespace

void AppearanceTest::labelsReadableOnADarkPalette() {
    const QPalette light = QApplication::palette();
    Fixture f;
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
    const std::vector<QWidget*> commands{f.w->lblVolume, f.w->lblPrev,   f.w->lblPlay, f.w->lblStop,
                                         f.w->lblNext,   f.w->lblRandom, f.w->lblExit};
    // As designed on a light palette: black, and blue for random mode.
    for (QWidget* l : commands) QCOMPARE(l->palette().color(QPalette::WindowText), QColor(Qt::black));
    f.w->lblRandom_Click();
    QCOMPARE(f.w->lblRandom->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    // The desktop turns dark while the window is open: every label, the
    // random mode's blue and "Processing" reach 4.5:1 against the window.
    QApplication::setPalette(DarkPalette());
    QTRY_VERIFY(f.w->palette().color(QPalette::Window) == QColor(0x35, 0x35, 0x35));
    std::vector<QWidget*> all = commands;
    all.insert(all.end(), {f.w->lblTotalTime, f.w->lblElapsedTime});
    for (QWidget* l : all)
        QVERIFY2(TextContrast(f.w, l) >= 4.5,
                 qPrintable(QStringLiteral("%1: %2:1").arg(l->objectName()).arg(TextContrast(f.w, l))));
    QTest::mousePress(f.w->lblPlay, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblPlay));
    QCOMPARE(f.w->lblPlay->text(), QStringLiteral("Processing"));
    QVERIFY(TextContrast(f.w, f.w->lblPlay) >= 4.5);
    QTest::mouseRelease(f.w->lblPlay, Qt::LeftButton, Qt::NoModifier, Center(f.w->lblPlay));
    f.w->lblRandom_Click();
    QVERIFY(TextContrast(f.w, f.w->lblRandom) >= 4.5);
    // And back to light: black again.
    QApplication::setPalette(light);
    QTRY_COMPARE(f.w->lblExit->palette().color(QPalette::WindowText), QColor(Qt::black));
}

void AppearanceTest::playerBarToggle() {
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

void AppearanceTest::volumeLabelAndSlider() {
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
    QVERIFY(QTest::qWaitForWindowActive(f.w));
    QScrollBar* slider = f.w->HScroll_4_Volume;
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() - 2, slider->height() / 2));
    QVERIFY(slider->hasFocus());
    slider->setValue(60);
    changes.clear();
    const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Right, 61}, {Qt::Key_Up, 62},     {Qt::Key_Left, 61},
                                            {Qt::Key_Down, 60},  {Qt::Key_PageUp, 70}, {Qt::Key_PageDown, 60}};
    for (const auto& [key, value] : keys) {
        QTest::keyClick(slider, key);
        QCOMPARE(slider->value(), value);
    }
    QCOMPARE(changes.count(), 6);
}

void AppearanceTest::themeChoiceAndAutosize() {
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

void AppearanceTest::themeThatCannotBeLoaded() {
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

    // A picture on a share that stops answering is one that cannot be
    // shown, told without waiting for the share; the stored choice stays.
    if (!StallingShare::missing().isEmpty()) QSKIP(qPrintable(StallingShare::missing()));
    StallingShare share;
    QVERIFY(share.mount());
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::red);
    QVERIFY(img.save(share.source(QStringLiteral("p.png"))));
    const std::string stored = ReadBytes(f.path("Settings.dat"));
    const QString shared = QFile::decodeName(QByteArray::fromStdString(share.shared(QStringLiteral("p.png"))));
    QVERIFY(share.stall());
    {
        UiWatchdog watchdog([&share] { share.answer(); }, 2 * kFileDeadline.count());
        f.dialogs.nextFileName = shared;
        f.w->mnuTheme_Click();
        QVERIFY(!watchdog.stalled());
    }
    share.answer();
    QCOMPARE(f.dialogs.boxes.size(), size_t(6));
    QVERIFY2(f.dialogs.boxes[5].text.startsWith(QStringLiteral("Cannot show the picture %1: ").arg(shared)),
             qPrintable(f.dialogs.boxes[5].text));
    QCOMPARE(ReadBytes(f.path("Settings.dat")), stored);
    QCOMPARE(f.w->imgTheme->pixmap().size(), QSize(300, 210));
}

void AppearanceTest::storedThemeIsShownAtStart() {
    Fixture f;
    QImage img(120, 80, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QVERIFY(img.save(f.path("a.png")));
    QVERIFY(img.scaled(60, 40).save(f.path("b.png")));
    QVERIFY(WriteBytes(f.path("Settings.dat"),
                       TextToPath(f.path("a.png")) + "\r\n" + TextToPath(f.path("b.png")) + "\r\n"));
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

void AppearanceTest::pictureFollowsTheRightEdge() {
    Fixture f;
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
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

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"

// Under LANG=de_DE.UTF-8 (ctest runs this case so, as appearance_test_de)
// no caption of the window, its menus, tips and boxes' title is left in
// English, and the quoted texts come back as they stand in a C locale.
void AppearanceTest::inTheUsersLanguage() {
    if (qgetenv("LANG") != "de_DE.UTF-8") QSKIP("runs under LANG=de_DE.UTF-8 (appearance_test_de)");
    QCOMPARE(InstallTranslations(), QStringLiteral("de"));
    // The program's English texts, and those German keeps as they are.
    QFile ts(QStringLiteral(CORVALLE_SOURCE_DIR "/translations/corvalle_de.ts"));
    QVERIFY(ts.open(QIODevice::ReadOnly));
    QSet<QString> english, same;
    QString source;
    for (QXmlStreamReader xml(&ts); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("source")) english << (source = xml.readElementText());
        if (xml.name() == QLatin1String("translation") &&
            xml.readElementText(QXmlStreamReader::IncludeChildElements) == source)
            same << source;
    }
    QVERIFY(english.size() > 100);
    Fixture f({}, false);  // not loaded: the title is the program's name
    f.w->MediaPlayer1->show();
    QStringList shown{f.w->windowTitle()};
    for (QWidget* child : f.w->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(child)) shown << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(child)) shown << button->text();
        shown << child->toolTip() << child->accessibleName();
    }
    for (QMenu* menu : f.w->findChildren<QMenu*>()) {
        shown << menu->title();
        for (QAction* a : menu->actions()) shown << a->text();
    }
    QStringList left;
    for (const QString& text : shown)
        if (english.contains(text) && !same.contains(text)) left << text;
    QVERIFY2(left.isEmpty(), qPrintable(left.join(QStringLiteral(" | "))));
    QCOMPARE(f.w->lblPlay->text(), QStringLiteral("Abspielen"));
    QCOMPARE(f.w->windowTitle(), QStringLiteral("Corvalles MP3-Player"));
    // The command labels keep their right edge; a longer caption widens them.
    QCOMPARE(f.w->lblPlay->geometry().right(), TwipsRect(240, 1320, 615, 255).right());
    QVERIFY(f.w->lblPlay->width() >= f.w->lblPlay->sizeHint().width());
    // Plural forms: Russian has three, German two; English is its own.
    f.player->playlist.clear();
    f.player->transport.Open({"/nowhere/a.mp3", "/nowhere/b.mp3"});
    QTRY_COMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, QStringLiteral("2 Einträge nicht hinzugefügt: Die Datei existiert nicht."));
}

// Every caption of every window (the main window with its control bar, the
// tag editor, the folder search, the levelling dialog, the equalizer) fits its control, and
// every control lies inside its window, in each language the program speaks.
void AppearanceTest::captionsFitInEveryLanguage() {
    QStringList cut;
    for (const QString language : {"en", "de", "fr", "es", "ru"}) {
        QTranslator translator;
        if (language != QLatin1String("en")) {
            QVERIFY(translator.load(QStringLiteral(":/i18n/corvalle_") + language));
            QCoreApplication::installTranslator(&translator);
        }
        Fixture f({}, false);
        f.w->MediaPlayer1->show();
        f.w->show();
        f.player->transport.Random();  // bold
        frmEditTagInformation editor;
        editor.show();
        frmFileLoader loader(nullptr);
        loader.show();
        QVERIFY(QTest::qWaitForWindowExposed(f.w) && QTest::qWaitForWindowExposed(&editor) &&
                QTest::qWaitForWindowExposed(&loader));
        cut << CutCaptions(f.w, language) << CutCaptions(&editor, language) << CutCaptions(&loader, language);
        QTimer::singleShot(0, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                cut << CutCaptions(dialog, language);
                dialog->close();
            }
        });
        EditLevelling(f.w, f.player->preferences);
        // With an imported correction shown, its boost lowering the gain.
        EqualizerCurve imported;
        imported.enabled = true;
        imported.parametric = true;
        imported.filters = {EqualizerFilter{EqualizerFilter::Type::Peak, 1000, 6, 1}};
        f.player->preferences.setEqualizer(imported, QString());
        EqualizerWindow equalizer(f.player->preferences, f.w);
        equalizer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&equalizer));
        QVERIFY(equalizer.lblLowered->isVisible());
        if (qEnvironmentVariableIsSet("CORVALLE_SHOTS"))
            equalizer.grab().save(qEnvironmentVariable("CORVALLE_SHOTS") +
                                  QStringLiteral("/equalizer_%1.png").arg(language));
        cut << CutCaptions(&equalizer, language);
        QCoreApplication::removeTranslator(&translator);
    }
    for (const QString& c : cut) qWarning("%s", qPrintable(c));
    QVERIFY2(cut.isEmpty(), "captions are cut, or stand outside their window");
}

// At QT_SCALE_FACTOR 1.5 and 2 (ctest runs this case so, as
// appearance_test_x1.5 and _x2): the designed geometry scales exactly, every
// edge of the list's frame is drawn, and the pictures come at the screen's
// own density.
void AppearanceTest::sharpAtHighDensity() {
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    if (scale <= 1) QSKIP("runs under QT_SCALE_FACTOR 1.5 or 2 (appearance_test_x1.5, _x2)");
    Fixture f({}, false);
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w));
    QCOMPARE(f.w->devicePixelRatioF(), scale);
    QCOMPARE(f.w->size(), TwipsSize(9960, 4605));
    QCOMPARE(f.w->List1->geometry(), TwipsRect(960, 360, 3735, 3180));
    // As the screen shows it (the window's own backing store), not as the
    // window would paint itself anew: once the list is drawn there.
    const QColor base = f.w->List1->palette().color(QPalette::Base);
    const QColor around = f.w->palette().color(QPalette::Window);
    const QPoint middle = (QPointF(f.w->List1->geometry().center()) * scale).toPoint();
    QImage window;
    QTRY_VERIFY_WITH_TIMEOUT((window = f.w->screen()->grabWindow(f.w->winId()).toImage()).rect().contains(middle) &&
                                 window.pixelColor(middle) == base,
                             5000);
    QVERIFY2(
        std::abs(window.width() - f.w->width() * scale) <= 1 && std::abs(window.height() - f.w->height() * scale) <= 1,
        qPrintable(QStringLiteral("%1 x %2").arg(window.width()).arg(window.height())));
    // The frame's four edges: from the middle of the list outwards, where
    // the list's own colour ends the frame's dark line follows within a
    // point (the style may draw a light line inside it).
    for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        QPoint p = middle;
        while (window.rect().contains(p + step) && window.pixelColor(p) == base) p += step;
        const QPoint end = p;
        for (int k = 0; k < int(scale + 1) && window.pixelColor(p).lightness() >= around.lightness() - 20; ++k)
            if (window.rect().contains(p + step)) p += step;
        QVERIFY2(window.pixelColor(p).lightness() < around.lightness() - 20,
                 qPrintable(QStringLiteral("no frame line at %1,%2").arg(end.x()).arg(end.y())));
    }
    // The theme picture and the mover: drawn for this density, not enlarged.
    QVERIFY(f.w->imgTheme->pixmap().devicePixelRatio() >= scale);
    QCOMPARE(f.w->imgTheme->size(), QSize(300, 210));
    QCOMPARE(f.w->imgMover->pixmap().devicePixelRatio(), scale);
}
