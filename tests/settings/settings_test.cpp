// The settings file: the file lookup, the exact bytes written, the item rule
// of reading, and saves that fail part-way.
#include "common/app_error.h"
#include "common/file_util.h"
#include "settings/user_settings.h"
#include "test_support.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

using namespace testsupport;
using namespace UserSettings;

namespace {

using Items = std::vector<std::string>;

Items LoadItems() {
    Items applied;
    LoadSettings([&](const std::string& item) { applied.push_back(item); });
    return applied;
}

QStringList FolderEntries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Restores write(2) however a test ends.
struct WriteFunctionGuard {
    ~WriteFunctionGuard() { SetWriteFunctionForTesting({}); }
};

}  // namespace

Q_DECLARE_METATYPE(Items)

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void fileExistsFindsRegularFilesOnly();
    void saveWritesExactlyThePathAndCrLf();
    void saveReplacesTheWholeFile();
    void savedPathsReadBackWhole_data();
    void savedPathsReadBackWhole();
    void saveRefusesPathsThatWouldNotReadBack();
    void parseItems_data();
    void parseItems();
    void loadAppliesItemsInOrder();
    void loadWithoutAFileAppliesNothing();
    void loadOfAnUnreadableFileThrows();
    void interruptedSaveKeepsTheOldFile();
    void saveIntoAVanishedFolderThrows();
};

void SettingsTest::fileExistsFindsRegularFilesOnly() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    QVERIFY(!FileExists(kSettingsFileName));
    QVERIFY(!FileExists(""));

    QVERIFY(WriteBytes("Settings.dat", "x\r\n"));
    QVERIFY(FileExists(kSettingsFileName));
    QVERIFY(FileExists(dir.filePath("Settings.dat").toStdString()));
    QVERIFY(!FileExists("Settings.dat/"));
    // A literal name is looked up as it is.
    QVERIFY(!FileExists("settings.dat"));

    QVERIFY(WriteBytes(".x", ""));
    QVERIFY(FileExists(".x"));

    QVERIFY(WriteBytes("locked.dat", "y"));
    QVERIFY(::chmod("locked.dat", 0444) == 0);
    QVERIFY(FileExists("locked.dat"));

    QVERIFY(QDir().mkpath("sub/Settings.dat"));
    QVERIFY(!FileExists("sub/Settings.dat"));
    QVERIFY(!FileExists("sub"));

    QVERIFY(::symlink("Settings.dat", "link.dat") == 0);
    QVERIFY(::symlink("missing.dat", "dangling.dat") == 0);
    QVERIFY(::symlink("sub", "folderlink.dat") == 0);
    QVERIFY(FileExists("link.dat"));
    QVERIFY(!FileExists("dangling.dat"));
    QVERIFY(!FileExists("folderlink.dat"));
}

void SettingsTest::saveWritesExactlyThePathAndCrLf() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    const std::string path = "/pictures/a/sky.jpg";
    QCOMPARE(path.size(), size_t(19));
    SaveSettings(path);
    const std::string bytes = ReadBytes("Settings.dat");
    QCOMPARE(bytes.size(), size_t(21));
    QCOMPARE(bytes, path + "\r\n");
    QCOMPARE(FolderEntries(dir.path()), QStringList{"Settings.dat"});
}

void SettingsTest::saveReplacesTheWholeFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    QVERIFY(WriteBytes("Settings.dat", "/a/very/long/earlier/path/picture.jpg\r\n/second.jpg\r\n"));
    SaveSettings("/b.jpg");
    QCOMPARE(ReadBytes("Settings.dat"), std::string("/b.jpg\r\n"));
    QCOMPARE(LoadItems(), Items{"/b.jpg"});
}

void SettingsTest::savedPathsReadBackWhole_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("plain") << QByteArray("/home/user/Pictures/sky.jpg");
    QTest::newRow("comma") << QByteArray("/home/user/My, Pictures/a.jpg");
    QTest::newRow("two commas") << QByteArray("/p/a,b,,c.jpg");
    QTest::newRow("trailing blanks") << QByteArray("/p/a.jpg  ");
    QTest::newRow("quotes inside") << QByteArray("/p/say \"hi\", then.jpg");
    QTest::newRow("not UTF-8") << QByteArray("/p/\xe9t\xe9\xff.jpg");
    QTest::newRow("UTF-8") << QByteArray("/p/\xc3\xa9t\xc3\xa9.jpg");
    QTest::newRow("empty") << QByteArray("");
}

void SettingsTest::savedPathsReadBackWhole() {
    QFETCH(QByteArray, path);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    SaveSettings(path.toStdString());
    QCOMPARE(ReadBytes("Settings.dat"), path.toStdString() + "\r\n");
    QCOMPARE(LoadItems(), Items{path.toStdString()});
}

void SettingsTest::saveRefusesPathsThatWouldNotReadBack() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    const std::string old = "/old.jpg\r\n";
    QVERIFY(WriteBytes("Settings.dat", old));
    for (const std::string bad : {"/a\nb.jpg", "/a\rb.jpg", "/a.jpg\r\n", " /lead.jpg", "\"/quoted.jpg\""}) {
        try {
            SaveSettings(bad);
            QFAIL(("saved " + bad).c_str());
        } catch (const AppError& e) {
            QCOMPARE(e.number(), ErrNo::BadFileName);
        }
        QCOMPARE(ReadBytes("Settings.dat"), old);
    }
}

void SettingsTest::parseItems_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Items>("items");
    QTest::newRow("0 bytes") << QByteArray("") << Items{};
    QTest::newRow("one line") << QByteArray("/p/sky.jpg\r\n") << Items{"/p/sky.jpg"};
    QTest::newRow("no line end") << QByteArray("/p/sky.jpg") << Items{"/p/sky.jpg"};
    QTest::newRow("two lines in order") << QByteArray("/p/1.jpg\r\n/p/2.jpg\r\n") << Items{"/p/1.jpg", "/p/2.jpg"};
    QTest::newRow("LF lines") << QByteArray("/p/1.jpg\n/p/2.jpg\n") << Items{"/p/1.jpg", "/p/2.jpg"};
    QTest::newRow("lone CR") << QByteArray("/p/1.jpg\r/p/2.jpg") << Items{"/p/1.jpg", "/p/2.jpg"};
    QTest::newRow("mixed ends") << QByteArray("a\r\n\nb\rc") << Items{"a", "", "b", "c"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << Items{"a", "", "b"};
    QTest::newRow("empty line") << QByteArray("\r\n") << Items{""};
    QTest::newRow("empty line between") << QByteArray("a\r\n\r\nb\r\n") << Items{"a", "", "b"};
    QTest::newRow("empty last line") << QByteArray("a\r\n\r\n") << Items{"a", ""};
    QTest::newRow("blank line") << QByteArray("   \r\n") << Items{""};
    QTest::newRow("unquoted comma") << QByteArray("C:\\My, Pictures\\a.jpg\r\n") << Items{"C:\\My, Pictures\\a.jpg"};
    QTest::newRow("unquoted trailing comma") << QByteArray("/a.jpg,\r\n") << Items{"/a.jpg,"};
    QTest::newRow("quoted comma") << QByteArray("\"C:\\My, Pictures\\a.jpg\"\r\n") << Items{"C:\\My, Pictures\\a.jpg"};
    QTest::newRow("leading blanks") << QByteArray("  \t/a.jpg\r\n") << Items{"/a.jpg"};
    QTest::newRow("blanks before quote") << QByteArray("   \"/a b.jpg\"\r\n") << Items{"/a b.jpg"};
    QTest::newRow("trailing blanks kept") << QByteArray("/a.jpg \t \r\n") << Items{"/a.jpg \t "};
    QTest::newRow("quoted then rest") << QByteArray("\"/a.jpg\", /b.jpg, /c.jpg\r\n")
                                      << Items{"/a.jpg", "/b.jpg, /c.jpg"};
    QTest::newRow("two quoted") << QByteArray("\"/a.jpg\",\"/b.jpg\"\r\n") << Items{"/a.jpg", "/b.jpg"};
    QTest::newRow("quoted, nothing after comma") << QByteArray("\"/a.jpg\",\r\n") << Items{"/a.jpg", ""};
    QTest::newRow("text after quote dropped") << QByteArray("\"/a.jpg\" junk\r\n/b.jpg") << Items{"/a.jpg", "/b.jpg"};
    QTest::newRow("text before comma dropped") << QByteArray("\"/a.jpg\"x,y") << Items{"/a.jpg", "y"};
    QTest::newRow("unclosed quote ends at line end") << QByteArray("\"/a.jpg\r\n/b.jpg") << Items{"/a.jpg", "/b.jpg"};
    QTest::newRow("empty quotes") << QByteArray("\"\"\r\n") << Items{""};
    QTest::newRow("comma after unclosed quote line") << QByteArray("\"a\r\n,b") << Items{"a", ",b"};
}

void SettingsTest::parseItems() {
    QFETCH(QByteArray, bytes);
    QFETCH(Items, items);
    QCOMPARE(ParseSettingsItems(bytes.toStdString()), items);
}

void SettingsTest::loadAppliesItemsInOrder() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    QVERIFY(WriteBytes("Settings.dat", "/p/first.jpg\r\n\"/p/My, second.jpg\"\r\n\r\n/p/last, one.jpg\r\n"));
    QVERIFY(::chmod("Settings.dat", 0444) == 0);
    QCOMPARE(LoadItems(), (Items{"/p/first.jpg", "/p/My, second.jpg", "", "/p/last, one.jpg"}));
}

void SettingsTest::loadWithoutAFileAppliesNothing() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    QCOMPARE(LoadItems(), Items{});
    QVERIFY(WriteBytes("Settings.dat", ""));
    QCOMPARE(LoadItems(), Items{});
    QVERIFY(QFile::remove("Settings.dat"));
    QVERIFY(QDir().mkdir("Settings.dat"));
    QCOMPARE(LoadItems(), Items{});
}

void SettingsTest::loadOfAnUnreadableFileThrows() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    // Permissions do not stop root, but reading /proc/self/mem from offset 0
    // fails for anyone: a regular file that cannot be read.
    QVERIFY(::symlink("/proc/self/mem", "Settings.dat") == 0);
    QVERIFY(FileExists(kSettingsFileName));
    Items applied;
    try {
        LoadSettings([&](const std::string& item) { applied.push_back(item); });
        QFAIL("an unreadable file loaded");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrNo::DeviceIoError);
    }
    QVERIFY(applied.empty());
}

void SettingsTest::interruptedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScopedCurrentDir cd(dir.path());
    WriteFunctionGuard guard;
    const std::string old = "/old/theme.jpg\r\n";
    const std::string path = "/new/My, theme.jpg";
    const size_t size = path.size() + 2;
    for (size_t n = 0; n < size; ++n) {
        QVERIFY(WriteBytes("Settings.dat", old));
        size_t written = 0;
        // Writes at most 3 bytes per call and fails once n bytes are out.
        SetWriteFunctionForTesting([&](int fd, const void* data, size_t count) -> ssize_t {
            if (written >= n) {
                errno = ENOSPC;
                return -1;
            }
            const size_t take = std::min({count, n - written, size_t(3)});
            const ssize_t done = ::write(fd, data, take);
            if (done > 0) written += static_cast<size_t>(done);
            return done;
        });
        try {
            SaveSettings(path);
            QFAIL(qPrintable(QStringLiteral("no error after %1 bytes").arg(n)));
        } catch (const AppError& e) {
            QCOMPARE(e.number(), ErrNo::DiskFull);
        }
        QCOMPARE(written, n);
        QCOMPARE(ReadBytes("Settings.dat"), old);
        QCOMPARE(FolderEntries(dir.path()), QStringList{"Settings.dat"});
        QCOMPARE(LoadItems(), Items{"/old/theme.jpg"});
    }
    SetWriteFunctionForTesting({});
    SaveSettings(path);
    QCOMPARE(LoadItems(), Items{path});
}

void SettingsTest::saveIntoAVanishedFolderThrows() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("gone"));
    ScopedCurrentDir cd(dir.filePath("gone"));
    QVERIFY(::rmdir(dir.filePath("gone").toLocal8Bit().constData()) == 0);
    QVERIFY_THROWS_EXCEPTION(AppError, SaveSettings("/p/a.jpg"));
    QCOMPARE(FolderEntries(dir.path()), QStringList{});
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "settings_test.moc"
