// The recursive file search on generated folder trees, and the wildcard
// rules it relies on.
#include "search/collect_files.h"
#include "search/wildcard.h"
#include "test_support.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

using Paths = std::vector<std::string>;

namespace {
void Touch(const QString& path) { QVERIFY(testsupport::WriteBytes(path, "x")); }
std::string P(const QTemporaryDir& d, const char* rel) { return d.path().toStdString() + "/" + rel; }
QString Show(const Paths& p) {
    QStringList l;
    for (const auto& s : p) l << QString::fromStdString(s);
    return l.join('\n');
}
}  // namespace

class CollectFilesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetOpenDirFunctionForTesting({}); }

    void ownFilesComeBeforeSubfolders() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkpath("a/deep"));
        QVERIFY(QDir(d.path()).mkpath("b"));
        Touch(d.path() + "/z.mp3");  // sorts after the subfolder "a"
        Touch(d.path() + "/a/a1.mp3");
        Touch(d.path() + "/a/deep/d.mp3");
        Touch(d.path() + "/b/b1.mp3");
        Touch(d.path() + "/note.txt");
        Paths r = CollectFiles(d.path().toStdString(), "*.mp3", true);
        QCOMPARE(r.size(), size_t(4));
        QCOMPARE(r[0], P(d, "z.mp3"));
        // Each subfolder's complete result (a, then everything below a) stays together.
        auto pos = [&](const char* rel) { return std::find(r.begin(), r.end(), P(d, rel)) - r.begin(); };
        QVERIFY2(pos("a/a1.mp3") < pos("a/deep/d.mp3"), qPrintable(Show(r)));
        bool aFirst = pos("a/a1.mp3") < pos("b/b1.mp3");
        if (aFirst)
            QVERIFY2(pos("a/deep/d.mp3") < pos("b/b1.mp3"), qPrintable(Show(r)));
        else
            QVERIFY2(pos("b/b1.mp3") == 1, qPrintable(Show(r)));
    }

    void trailingSlashAndRecursionOff() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkpath("sub"));
        Touch(d.path() + "/one.mp3");
        Touch(d.path() + "/sub/two.mp3");
        Paths a = CollectFiles(d.path().toStdString(), "*.mp3", true);
        Paths b = CollectFiles(d.path().toStdString() + "/", "*.mp3", true);
        QCOMPARE(a, b);
        QCOMPARE(a.size(), size_t(2));
        for (const auto& p : a) QVERIFY2(p.find("//") == std::string::npos, p.c_str());
        Paths flat = CollectFiles(d.path().toStdString(), "*.mp3", false);
        QCOMPARE(flat, Paths{P(d, "one.mp3")});
        // Nothing matching, no subfolder: empty.
        QTemporaryDir empty;
        Touch(empty.path() + "/readme.txt");
        QVERIFY(CollectFiles(empty.path().toStdString(), "*.mp3", true).empty());
        // A missing folder is not an error either.
        QVERIFY(CollectFiles(d.path().toStdString() + "/missing", "*.mp3", true).empty());
    }

    void matchingAndDuplicates() {
        QTemporaryDir d;
        Touch(d.path() + "/LOUD.MP3");
        Touch(d.path() + "/song.mp3.txt");
        Touch(d.path() + "/a.mp3");
        Touch(d.path() + "/b.wav");
        QVERIFY(QDir(d.path()).mkdir("folder.mp3"));  // a folder is never a match
        Paths r = CollectFiles(d.path().toStdString(), "*.mp3", false);
        std::sort(r.begin(), r.end());
        QCOMPARE(r, (Paths{P(d, "LOUD.MP3"), P(d, "a.mp3")}));

        // Two patterns matching one file: once, where the first pattern put it.
        Paths two = CollectFiles(d.path().toStdString(), "*.wav;*.mp3;a.*", false);
        QCOMPARE(two.size(), size_t(3));
        QCOMPARE(two[0], P(d, "b.wav"));
        QCOMPARE(std::count(two.begin(), two.end(), P(d, "a.mp3")), 1);
        // Blanks around ";" belong to the patterns, so " *.wav" matches nothing here.
        QCOMPARE(CollectFiles(d.path().toStdString(), "*.mp3 ; *.wav", false).size(), size_t(0));
        // An empty piece matches nothing.
        QCOMPARE(CollectFiles(d.path().toStdString(), ";", false).size(), size_t(0));
    }

    void hiddenEntriesAreSkipped() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkpath(".hidden/inner"));
        QVERIFY(QDir(d.path()).mkpath("shown"));
        Touch(d.path() + "/.secret.mp3");
        Touch(d.path() + "/.hidden/h.mp3");
        Touch(d.path() + "/.hidden/inner/i.mp3");
        Touch(d.path() + "/shown/s.mp3");
        QCOMPARE(CollectFiles(d.path().toStdString(), "*", true), Paths{P(d, "shown/s.mp3")});
    }

    void symlinksAndLoops() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkpath("a/b"));
        Touch(d.path() + "/a/b/f.mp3");
        Touch(d.path() + "/real.mp3");
        // A link back up the tree, a link to a file and a broken link.
        QVERIFY(::symlink(d.path().toLocal8Bit().constData(), (d.path() + "/a/b/up").toLocal8Bit().constData()) == 0);
        QVERIFY(::symlink("real.mp3", (d.path() + "/link.mp3").toLocal8Bit().constData()) == 0);
        QVERIFY(::symlink("nowhere", (d.path() + "/broken.mp3").toLocal8Bit().constData()) == 0);
        // Links into the kernel's views, which are never entered: /proc
        // reaches this folder again (the working folder, and "/" as the root)
        // under false names, and /sys holds no music.
        testsupport::ScopedCurrentDir cd(d.path());
        QVERIFY(::symlink("/proc/self", (d.path() + "/proc").toLocal8Bit().constData()) == 0);
        QVERIFY(::symlink("/sys/class", (d.path() + "/sys").toLocal8Bit().constData()) == 0);
        Paths r = CollectFiles(d.path().toStdString(), "*.mp3", true);
        std::sort(r.begin(), r.end());
        QCOMPARE(r, (Paths{P(d, "a/b/f.mp3"), P(d, "link.mp3"), P(d, "real.mp3")}));

        // A linked folder reached first through its link is searched there, once.
        QTemporaryDir other;
        Touch(other.path() + "/o.mp3");
        QVERIFY(::symlink(other.path().toLocal8Bit().constData(), (d.path() + "/a/other").toLocal8Bit().constData()) ==
                0);
        QVERIFY(::symlink(other.path().toLocal8Bit().constData(),
                          (d.path() + "/a/b/other2").toLocal8Bit().constData()) == 0);
        Paths withLink = CollectFiles(d.path().toStdString(), "o.mp3", true);
        QCOMPARE(withLink.size(), size_t(1));
    }

    void unreadableFolderIsSkipped() {
        QTemporaryDir d;
        for (const char* sub : {"a", "b", "c"}) QVERIFY(QDir(d.path()).mkpath(QString(sub) + "/x"));
        for (const char* f : {"a/a.mp3", "b/b.mp3", "b/x/bx.mp3", "c/c.mp3", "top.mp3"}) Touch(d.path() + "/" + f);
        std::string blocked = P(d, "b/");
        SetOpenDirFunctionForTesting([blocked](const char* path) -> DIR* {
            if (std::string(path) == blocked) {
                errno = EACCES;
                return nullptr;
            }
            return ::opendir(path);
        });
        Paths r = CollectFiles(d.path().toStdString(), "*.mp3", true);
        std::sort(r.begin(), r.end());
        QCOMPARE(r, (Paths{P(d, "a/a.mp3"), P(d, "c/c.mp3"), P(d, "top.mp3")}));
        // The start folder unreadable: empty result.
        std::string start = P(d, "a/");
        SetOpenDirFunctionForTesting([start](const char* path) -> DIR* {
            if (std::string(path) == start) return errno = EACCES, nullptr;
            return ::opendir(path);
        });
        QVERIFY(CollectFiles(P(d, "a"), "*.mp3", true).empty());
    }

    void caseInsensitiveKeysAndProgress() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkpath("sub"));
        Touch(d.path() + "/x.mp3");
        Touch(d.path() + "/sub/y.mp3");
        std::atomic<bool> cancel{false};
        size_t lastFolders = 0, lastFiles = 0;
        CollectOptions options;
        options.cancel = &cancel;
        options.progress = [&](size_t folders, size_t files) {
            lastFolders = folders;
            lastFiles = files;
        };
        Paths r = CollectFiles(d.path().toStdString(), "*.mp3;X.MP3", true, options);
        QCOMPARE(r.size(), size_t(2));
        QCOMPARE(lastFolders, size_t(2));
        QCOMPARE(lastFiles, size_t(2));
        cancel = true;
        QVERIFY(CollectFiles(d.path().toStdString(), "*.mp3", true, options).empty());

        // Letters beyond ASCII fold as the playlist sorts them (\u00C9 and \u00E9
        // are one key), while names that are not UTF-8 keep bytes of their own:
        // 0xE9 and 0xE8 are two files, not one.
        QTemporaryDir u;
        testsupport::ScopedPaths made;
        const std::string folder = u.path().toStdString() + "/";
        for (const char* name : {"\xC3\x89.mp3", "\xC3\xA9.mp3", "\xE9.mp3", "\xE8.mp3"})
            QVERIFY(::close(::creat(made.add(folder + name).c_str(), 0644)) == 0);
        r = CollectFiles(folder, "*.mp3", false);
        QCOMPARE(r.size(), size_t(3));
        int accented = 0;
        for (const auto& p : r) accented += p == folder + "\xC3\x89.mp3" || p == folder + "\xC3\xA9.mp3";
        QCOMPARE(accented, 1);
        QVERIFY(std::count(r.begin(), r.end(), folder + "\xE9.mp3") == 1);
        QVERIFY(std::count(r.begin(), r.end(), folder + "\xE8.mp3") == 1);
    }

    void wildcardRules() {
        QVERIFY(WildcardMatch("*", "anything.at.all"));
        QVERIFY(WildcardMatch("*", ""));
        QVERIFY(WildcardMatch("?.mp3", "a.mp3"));
        QVERIFY(!WildcardMatch("?.mp3", "ab.mp3"));
        QVERIFY(!WildcardMatch("?.mp3", ".mp3"));
        QVERIFY(WildcardMatch("*.mp3", "Song.MP3"));
        QVERIFY(WildcardMatch("*.MP3", "song.mp3"));
        QVERIFY(!WildcardMatch("*.mp3", "song.mp3.txt"));
        QVERIFY(!WildcardMatch("*.mp3", "xsong.mp"));
        QVERIFY(!WildcardMatch(" *.mp3", "song.mp3"));
        QVERIFY(!WildcardMatch("*.mp3 ", "song.mp3"));
        QVERIFY(WildcardMatch("a*b*c", "aXXbYYc"));
        QVERIFY(!WildcardMatch("a*b*c", "aXXbYYcd"));
    }
};

QTEST_GUILESS_MAIN(CollectFilesTest)
#include "collect_files_test.moc"
