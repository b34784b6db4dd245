// The folder search window driven through its real widgets: layout as
// designed, browsing, loading into a playlist, cancelling and refusals.
#include "search/frm_file_loader.h"
#include "common/deadline.h"
#include "common/twips.h"
#include "fake_dialogs.h"
#include "playlist/playlist_model.h"
#include "search/collect_files.h"
#include "search/folder_tree_model.h"
#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {
// Adds to `list` as the player does; a refusal is said as "<n> not added".
frmFileLoader::AddFunction AddTo(PlaylistModel& list) {
    return [&list](const std::vector<std::string>& paths) {
        const int refused = list.addMany(paths);
        return refused > 0 ? QStringLiteral("%1 not added").arg(refused) : QString();
    };
}

void Touch(const QString& path) { QVERIFY(testsupport::WriteBytes(path, "x")); }

template <typename T>
T* Child(QWidget& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}

// A tree with five MP3 files (one in capitals) and things that must not load.
void MakeMusicTree(const QString& root) {
    QVERIFY(QDir(root).mkpath("Albums/First"));
    QVERIFY(QDir(root).mkpath(".cache"));
    Touch(root + "/top.mp3");
    Touch(root + "/cover.jpg");
    Touch(root + "/.hidden.mp3");
    Touch(root + "/.cache/c.mp3");
    Touch(root + "/Albums/LOUD.MP3");
    Touch(root + "/Albums/b.mp3");
    Touch(root + "/Albums/First/a.mp3");
    Touch(root + "/Albums/First/z.mp3");
    Touch(root + "/Albums/First/z.mp3.txt");
}

// The colour drawn at a point of a widget, taken from the whole window's image.
QColor PixelAt(QWidget* w, QPoint p) {
    QWidget* top = w->window();
    return top->grab().toImage().pixelColor(w->mapTo(top, p));
}
}  // namespace

class FrmFileLoaderTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetOpenDirFunctionForTesting({}); }

    void windowAsDesigned() {
        frmFileLoader w(nullptr);
        QCOMPARE(w.windowTitle(), QStringLiteral("Find & Load MP3 Files"));
        QCOMPARE(w.size(), TwipsSize(8625, 4020));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        Qt::WindowFlags f = w.windowFlags();
        QVERIFY(f & Qt::MSWindowsFixedSizeDialogHint);
        QVERIFY(f & Qt::WindowCloseButtonHint);
        QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(f & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w.windowIcon().isNull() || !QFile::exists(":/data/icon32.png"));

        struct Expect {
            const char* name;
            QRect rect;
            QString text;
        } expected[] = {
            {"lblTitle", TwipsRect(120, 120, 8295, 375),
             "Browse and Select The Directory Where  There May Be Some MP3 Files"},
            {"Label1", TwipsRect(120, 480, 3735, 255), "Drives & Folders"},
            {"Label2", TwipsRect(4200, 480, 3735, 255), "Contents Preview"},
            {"Drive1", TwipsRect(120, 720, 3975, 315), {}},
            {"Dir1", TwipsRect(120, 1080, 3975, 2115), {}},
            {"File1", TwipsRect(4200, 720, 4335, 2430), {}},
            {"cmdLoad", TwipsRect(2160, 3480, 1575, 375), "Load Directory List"},
            {"cmdClose", TwipsRect(3960, 3480, 1695, 375), "Close"},
        };
        for (const Expect& e : expected) {
            QWidget* c = Child<QWidget>(w, e.name);
            QVERIFY2(c, e.name);
            QCOMPARE(c->geometry(), e.rect);
            if (auto* l = qobject_cast<QLabel*>(c)) QCOMPARE(l->text(), e.text);
            if (auto* b = qobject_cast<QPushButton*>(c)) {
                QCOMPARE(b->text(), e.text);
                // The caption is not cut at the designed width.
                QVERIFY2(b->sizeHint().width() <= b->width(), e.name);
            }
        }
        QLabel* title = Child<QLabel>(w, "lblTitle");
        QVERIFY(title->font().bold());
        QCOMPARE(title->font().pointSizeF(), 8.25);
        QVERIFY(qobject_cast<QComboBox*>(Child<QWidget>(w, "Drive1")));
        QVERIFY(qobject_cast<QTreeView*>(Child<QWidget>(w, "Dir1")));
        QVERIFY(qobject_cast<QListWidget*>(Child<QWidget>(w, "File1")));

        // Background colours as drawn (sampled away from text and frames).
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* dir1 = Child<QTreeView>(w, "Dir1");
        auto* file1 = Child<QListWidget>(w, "File1");
        file1->clear();
        QCOMPARE(PixelAt(dir1->viewport(), QPoint(3, dir1->viewport()->height() - 3)), QColor(255, 224, 192));
        QCOMPARE(PixelAt(file1->viewport(), QPoint(3, file1->viewport()->height() - 3)), QColor(255, 192, 192));
        auto* drive1 = Child<QComboBox>(w, "Drive1");
        QCOMPARE(PixelAt(drive1, QPoint(drive1->width() / 2, drive1->height() - 3)), QColor(255, 255, 192));

        // Tab order: Dir1, Drive1, File1, cmdLoad, cmdClose (the label takes no focus).
        QStringList order;
        QWidget* x = dir1;
        do {
            if (x->focusPolicy() & Qt::TabFocus) order << x->objectName();
            x = x->nextInFocusChain();
        } while (x != dir1 && order.size() < 6);
        QCOMPARE(order.mid(0, 5), (QStringList{"Dir1", "Drive1", "File1", "cmdLoad", "cmdClose"}));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dir1));
    }

    void everyOpeningStartsAtRoot() {
        QTemporaryDir d;
        {
            frmFileLoader w(nullptr);
            QCOMPARE(w.OpenedFolder(), QStringLiteral("/"));
            auto* drive1 = Child<QComboBox>(w, "Drive1");
            QCOMPARE(drive1->currentIndex(), 0);
            QCOMPARE(drive1->currentText(), QStringLiteral("/"));
            w.OpenFolder(d.path());
            QCOMPARE(w.OpenedFolder(), d.path());
        }
        frmFileLoader again(nullptr);
        QCOMPARE(again.OpenedFolder(), QStringLiteral("/"));
        QCOMPARE(Child<QComboBox>(again, "Drive1")->currentText(), QStringLiteral("/"));
    }

    void previewAndUnreadableFolder() {
        QTemporaryDir d;
        MakeMusicTree(d.path());
        FakeDialogs dialogs;
        frmFileLoader w(nullptr);
        w.OpenFolder(d.path() + "/");
        QCOMPARE(w.OpenedFolder(), d.path());
        auto* file1 = Child<QListWidget>(w, "File1");
        QStringList shown;
        for (int i = 0; i < file1->count(); ++i) shown << file1->item(i)->text();
        // Every ordinary file, not only MP3 files; no folders, nothing hidden.
        QCOMPARE(shown, (QStringList{"cover.jpg", "top.mp3"}));
        QVERIFY(dialogs.boxes.empty());

        w.OpenFolder(d.path() + "/no-such-folder");
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].title, QStringLiteral("MP3 File Loader"));
        QCOMPARE(dialogs.boxes[0].icon, MsgIcon::Critical);
        QCOMPARE(w.OpenedFolder(), d.path());
        QCOMPARE(file1->count(), 2);
    }

    void doubleClickOpensHighlightDoesNot() {
        QTemporaryDir d;
        MakeMusicTree(d.path());
        // A folder whose name is not UTF-8 (Latin-1 "été"), with a file in it.
        const std::string root = QFile::encodeName(d.path()).toStdString();
        const std::string latin1 = root + "/\xe9t\xe9";
        testsupport::ScopedPaths made;
        QVERIFY(::mkdir(made.add(latin1).c_str(), 0755) == 0);
        QVERIFY(::close(::creat(made.add(latin1 + "/\xe9.mp3").c_str(), 0644)) == 0);
        PlaylistModel list;
        frmFileLoader w(AddTo(list));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.OpenFolder(d.path());
        auto* dir1 = Child<QTreeView>(w, "Dir1");
        auto* folders = qobject_cast<FolderTreeModel*>(dir1->model());
        QVERIFY(folders);
        const QModelIndex albums = folders->indexOf(root + "/Albums");
        QVERIFY(albums.isValid());
        dir1->scrollTo(albums);
        // Hidden folders are not offered; the one that is not UTF-8 is.
        const QModelIndex top = folders->indexOf(root);
        QCOMPARE(folders->rowCount(top), 2);
        QCOMPARE(folders->index(1, 0, top).data().toString(), QStringLiteral("\uFFFDt\uFFFD"));

        // A single click only highlights: the opened folder and preview stay.
        QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, dir1->visualRect(albums).center());
        QCOMPARE(dir1->currentIndex(), albums);
        QCOMPARE(w.OpenedFolder(), d.path());
        // Enter opens the highlighted folder.
        QTest::keyClick(dir1, Qt::Key_Return);
        QCOMPARE(w.OpenedFolder(), d.path() + "/Albums");
        QVERIFY(w.isVisible());
        QCOMPARE(Child<QListWidget>(w, "File1")->count(), 2);  // LOUD.MP3, b.mp3

        // A double-click opens a folder.
        const QModelIndex first = folders->indexOf(root + "/Albums/First");
        QVERIFY(first.isValid());
        dir1->scrollTo(first);
        QPoint p = dir1->visualRect(first).center();
        QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(w.OpenedFolder(), d.path() + "/Albums/First");

        // The folder that is not UTF-8 opens and loads with its bytes intact.
        const QModelIndex odd = folders->index(1, 0, top);
        dir1->scrollTo(odd);
        p = dir1->visualRect(odd).center();
        QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(w.OpenedFolderPath(), latin1);
        QCOMPARE(Child<QListWidget>(w, "File1")->count(), 1);
        QTest::mouseClick(Child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(list.entries(), std::vector<std::string>{latin1 + "/\xe9.mp3"});
    }

    void loadAddsSortedAndCloses() {
        QTemporaryDir d;
        MakeMusicTree(d.path());
        FakeDialogs dialogs;
        PlaylistModel list;
        const QString r = d.path();
        std::vector<std::string> expected;
        for (const QString& f : {r + "/Albums/b.mp3", r + "/Albums/First/a.mp3", r + "/Albums/First/z.mp3",
                                 r + "/Albums/LOUD.MP3", r + "/top.mp3"})
            expected.push_back(f.toStdString());
        for (int round = 1; round <= 2; ++round) {
            frmFileLoader w(AddTo(list));
            w.show();
            w.OpenFolder(r);
            QTest::mouseClick(Child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
            QTRY_VERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QCOMPARE(list.count(), 5 * round);
        }
        // Loaded twice: every file twice, in the playlist's sorted order.
        std::vector<std::string> twice;
        for (const auto& e : expected) twice.insert(twice.end(), {e, e});
        std::vector<std::string> got = list.entries();
        std::vector<std::string> sortedTwice = twice;
        std::sort(sortedTwice.begin(), sortedTwice.end(), [](const std::string& a, const std::string& b) {
            return PlaylistModel::SortKey(a) < PlaylistModel::SortKey(b);
        });
        QCOMPARE(got, sortedTwice);
        QVERIFY(dialogs.boxes.empty());

        // A folder without MP3 files adds nothing and still closes.
        QTemporaryDir empty;
        Touch(empty.path() + "/notes.txt");
        frmFileLoader w(AddTo(list));
        w.show();
        w.OpenFolder(empty.path());
        QTest::mouseClick(Child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(list.count(), 10);
    }

    void closeAddsNothing() {
        QTemporaryDir d;
        MakeMusicTree(d.path());
        PlaylistModel list;
        frmFileLoader w(AddTo(list));
        w.show();
        w.OpenFolder(d.path());
        QTest::mouseClick(Child<QPushButton>(w, "cmdClose"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        frmFileLoader w2(AddTo(list));
        w2.show();
        w2.OpenFolder(d.path());
        w2.close();  // the title bar's close
        QVERIFY(!w2.isVisible());
        QCOMPARE(list.count(), 0);
    }

    void fullPlaylistRefusesWithOneMessage() {
        QTemporaryDir d;
        MakeMusicTree(d.path());
        FakeDialogs dialogs;
        PlaylistModel list;
        std::vector<std::string> filler;
        for (int i = 0; i < PlaylistModel::kMaxEntries - 2; ++i) filler.push_back("/filler/" + std::to_string(i));
        list.replaceAll(filler);
        QCOMPARE(list.count(), 32765);
        frmFileLoader w(AddTo(list));
        w.show();
        w.OpenFolder(d.path());
        QTest::mouseClick(Child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
        QTRY_COMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].title, QStringLiteral("MP3 File Loader"));
        QCOMPARE(dialogs.boxes[0].icon, MsgIcon::Critical);
        QCOMPARE(dialogs.boxes[0].text, QStringLiteral("3 not added"));
        QVERIFY(w.isVisible());
        QCOMPARE(list.count(), PlaylistModel::kMaxEntries);
        QCOMPARE(Child<QPushButton>(w, "cmdClose")->text(), QStringLiteral("Close"));
        QVERIFY(Child<QPushButton>(w, "cmdLoad")->isEnabled());
    }

    void runShowsModallyAndReturnsOnClose() {
        QTemporaryDir d;
        MakeMusicTree(d.path());
        PlaylistModel list;
        QString openedSeen;
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<frmFileLoader*>(QApplication::activeModalWidget());
            if (!w) return;
            wasModal = w->isModal();
            openedSeen = w->OpenedFolder();
            w->OpenFolder(d.path());
            QTest::mouseClick(Child<QPushButton>(*w, "cmdClose"), Qt::LeftButton);
        });
        QTimer::singleShot(5000, [] {  // never leave a modal loop hanging
            if (QWidget* m = QApplication::activeModalWidget()) m->close();
        });
        frmFileLoader::Run(nullptr, AddTo(list));
        QVERIFY(wasModal);
        QCOMPARE(openedSeen, QStringLiteral("/"));
        QCOMPARE(list.count(), 0);
    }

    // A share that stops answering: the preview gives its box at the
    // deadline, and a search stuck in it is left to itself once cancelled.
    void stalledShareHoldsNothingUp() {
        using testsupport::StallingShare;
        if (!StallingShare::missing().isEmpty()) QSKIP(qPrintable(StallingShare::missing()));
        StallingShare share;
        QVERIFY(share.mount());
        QVERIFY(QDir().mkpath(share.source("music/inner")));
        Touch(share.source("music/a.mp3"));
        FakeDialogs dialogs;
        PlaylistModel list;
        frmFileLoader w(AddTo(list));
        w.show();
        const QString music = QString::fromStdString(share.shared("music"));
        w.OpenFolder(music);
        QCOMPARE(w.OpenedFolder(), music);
        QVERIFY(share.stall());
        {
            testsupport::UiWatchdog watchdog([&share] { share.answer(); }, 2 * kFileDeadline.count());
            w.OpenFolder(music + "/inner");
            QCOMPARE(dialogs.boxes.size(), size_t(1));
            QVERIFY2(dialogs.boxes[0].text.endsWith("(the folder did not answer)"), qPrintable(dialogs.boxes[0].text));
            QCOMPARE(w.OpenedFolder(), music);
            QVERIFY(share.stall());  // marks the search's own wait
            QTest::mouseClick(Child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
            QTRY_VERIFY(share.waitedOn());
            QTest::mouseClick(Child<QPushButton>(w, "cmdClose"), Qt::LeftButton);
            QTRY_VERIFY(!w.IsSearching());
            QVERIFY(!watchdog.stalled());
        }
        share.answer();
        QCOMPARE(list.count(), 0);
        QVERIFY(w.isVisible());
    }

    void cancelWhileSearching() {
        QTemporaryDir d;
        MakeMusicTree(d.path());
        PlaylistModel list;
        // Holds the search inside one folder until released.
        auto release = std::make_shared<std::atomic<bool>>(false);
        auto entered = std::make_shared<std::atomic<bool>>(false);
        std::string held = d.path().toStdString() + "/Albums/";
        SetOpenDirFunctionForTesting([=](const char* path) -> DIR* {
            if (held == path) {
                *entered = true;
                while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return ::opendir(path);
        });
        struct Release {
            std::shared_ptr<std::atomic<bool>> flag;
            ~Release() { *flag = true; }
        } guard{release};

        frmFileLoader w(AddTo(list));
        w.show();
        w.OpenFolder(d.path());
        auto* cmdClose = Child<QPushButton>(w, "cmdClose");
        QTest::mouseClick(Child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
        QTRY_VERIFY(entered->load());
        QCOMPARE(cmdClose->text(), QStringLiteral("Cancel"));
        QVERIFY(!Child<QPushButton>(w, "cmdLoad")->isEnabled());
        QTRY_VERIFY(Child<QLabel>(w, "lblTitle")->text().startsWith("Searching: "));
        QTest::mouseClick(cmdClose, Qt::LeftButton);
        *release = true;
        QTRY_VERIFY(!w.IsSearching());
        QTRY_COMPARE(cmdClose->text(), QStringLiteral("Close"));
        QVERIFY(w.isVisible());
        QCOMPARE(list.count(), 0);
        QCOMPARE(Child<QLabel>(w, "lblTitle")->text(),
                 QStringLiteral("Browse and Select The Directory Where  There May Be Some MP3 Files"));

        // Closing by the title bar while searching stops and closes; nothing added.
        *release = false;
        *entered = false;
        QTest::mouseClick(Child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
        QTRY_VERIFY(entered->load());
        w.close();
        *release = true;
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(list.count(), 0);
    }
};

QTEST_MAIN(FrmFileLoaderTest)
#include "frm_file_loader_test.moc"
