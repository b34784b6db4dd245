// The sorted playlist and its stored file.
#include "common/app_error.h"
#include "common/file_util.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_model.h"
#include "test_support.h"

#include <unistd.h>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <climits>

using namespace testsupport;

class PlaylistTest : public QObject {
    Q_OBJECT
private slots:
    void sortsWithoutRegardToCase();
    void addManyMatchesOneByOne();
    void currentEntryFollowsItsEntry();
    void refusesPastTheLimit();
    void formatWritesCrLfLines();
    void parseLineRules_data();
    void parseLineRules();
    void roundTripThroughTheFile();
    void loadReplacesAndSorts();
    void interruptedSaveKeepsTheOldFile();
    void missingFileLeavesListUntouched();
};

void PlaylistTest::sortsWithoutRegardToCase() {
    PlaylistModel m;
    m.add("b.mp3");
    m.add("A.mp3");
    m.add("c.mp3");
    m.add("a.mp3");  // equal to "A.mp3" without case: goes after it
    QCOMPARE(m.count(), 4);
    QCOMPARE(m.at(0), std::string("A.mp3"));
    QCOMPARE(m.at(1), std::string("a.mp3"));
    QCOMPARE(m.at(2), std::string("b.mp3"));
    QCOMPARE(m.at(3), std::string("c.mp3"));
    PlaylistModel u;
    u.add("/m/éclair.mp3");
    u.add("/m/zebra.mp3");
    u.add("/m/Éclair.mp3");  // folds to the first entry: stands right after it
    QCOMPARE(u.at(0), std::string("/m/zebra.mp3"));
    QCOMPARE(u.at(1), std::string("/m/éclair.mp3"));
    QCOMPARE(u.at(2), std::string("/m/Éclair.mp3"));
}

void PlaylistTest::addManyMatchesOneByOne() {
    std::vector<std::string> base{"m", "C", "x", "b", "B"}, more;
    for (int i = 0; i < 200; ++i)
        more.push_back(std::string(1, static_cast<char>('a' + (i * 7) % 26)) + std::to_string(i % 3));
    more.push_back("b");
    PlaylistModel one, many;
    for (auto& e : base) one.add(e);
    for (auto& e : more) one.add(e);
    many.addMany(base);
    many.addMany(more);
    QCOMPARE(many.entries(), one.entries());
}

void PlaylistTest::currentEntryFollowsItsEntry() {
    PlaylistModel m;
    m.addMany({"d", "f", "h"});
    QSignalSpy set(&m, &PlaylistModel::currentRowSet);
    QSignalSpy changed(&m, &PlaylistModel::currentRowChanged);
    m.setCurrentRow(1);  // "f"
    m.setCurrentRow(1);  // selected again: announced again, no change
    QCOMPARE(set.count(), 2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(testsupport::ErrorNumberOf([&] { m.setCurrentRow(3); }), ErrNo::InvalidPropertyValue);
    QCOMPARE(testsupport::ErrorNumberOf([&] { m.setCurrentRow(-1); }), ErrNo::InvalidPropertyValue);
    QCOMPARE(m.currentRow(), 1);
    m.add("a");
    QCOMPARE(m.currentRow(), 2);
    std::vector<std::string> batch;
    for (int i = 0; i < 20; ++i) batch.push_back(i % 2 ? "b" : "z");
    m.addMany(batch);  // a reset: the row is announced again for a view to restore
    QCOMPARE(m.at(m.currentRow()), std::string("f"));
    QCOMPARE(changed.last().first().toInt(), m.currentRow());
    m.removeAt(0);
    QCOMPARE(m.at(m.currentRow()), std::string("f"));
    m.removeAt(m.currentRow());
    QCOMPARE(m.currentRow(), -1);
    QCOMPARE(changed.last().first().toInt(), -1);
    QCOMPARE(set.count(), 2);  // moving with its entry is no new selection
}

void PlaylistTest::refusesPastTheLimit() {
    PlaylistModel m;
    std::vector<std::string> many(PlaylistModel::kMaxEntries - 2, "/x.mp3");
    QCOMPARE(m.addMany(many), 0);
    QCOMPARE(m.addMany({"a1", "a2", "a3", "a4", "a5"}), 3);
    QCOMPARE(m.count(), PlaylistModel::kMaxEntries);
    QCOMPARE(m.add("z"), -1);
    QCOMPARE(m.count(), PlaylistModel::kMaxEntries);
}

void PlaylistTest::formatWritesCrLfLines() {
    QCOMPARE(FormatFileListing({}), std::string());
    QCOMPARE(FormatFileListing({"/a.mp3", " b ", "c"}), std::string("/a.mp3\r\n b \r\nc\r\n"));
}

void PlaylistTest::parseLineRules_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("unusable");
    QTest::newRow("empty file") << QByteArray() << QStringList{} << 0;
    QTest::newRow("crlf lines") << QByteArray("ab\r\ncd\r\n") << QStringList{"ab", "cd"} << 0;
    QTest::newRow("last line without end") << QByteArray("ab\r\ncd") << QStringList{"ab", "cd"} << 0;
    QTest::newRow("lone cr") << QByteArray("ab\rcd\r") << QStringList{"ab", "cd"} << 0;
    QTest::newRow("lone lf") << QByteArray("ab\ncd\n") << QStringList{"ab", "cd"} << 0;
    QTest::newRow("short lines skipped") << QByteArray("\r\nx\r\nab\r\n\r\ny") << QStringList{"ab"} << 0;
    QTest::newRow("trailing blanks kept") << QByteArray(" /a b \r\n") << QStringList{" /a b "} << 0;
    QTest::newRow("one utf-8 character is short")
        << QByteArray("\xc3\xa9\r\n\xc3\xa9\xc3\xa9") << QStringList{"éé"} << 0;
    QTest::newRow("leading byte-order mark skipped")
        << QByteArray("\xef\xbb\xbf/a.mp3\r\n/b.mp3") << QStringList{"/a.mp3", "/b.mp3"} << 0;
    QTest::newRow("only a leading mark is skipped")
        << QByteArray("/a\r\n\xef\xbb\xbf/b") << QStringList{"/a", "\uFEFF/b"} << 0;
    QTest::newRow("line with a NUL skipped")
        << QByteArray("/a.mp3\r\n/b\0.mp3\r\n/c.mp3", 23) << QStringList{"/a.mp3", "/c.mp3"} << 1;
    QTest::newRow("line longer than a path skipped")
        << (QByteArray("/a\r\n/") + QByteArray(PATH_MAX - 1, 'x') + "\r\n/" + QByteArray(PATH_MAX - 2, 'y') + "\r\n/c")
        << QStringList{"/a", QStringLiteral("/") + QString(PATH_MAX - 2, QLatin1Char('y')), "/c"} << 1;
}

void PlaylistTest::parseLineRules() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(int, unusable);
    QStringList got;
    size_t skipped = 0;
    const std::vector<std::string> parsed = ParseFileListing(bytes.toStdString(), &skipped);
    for (const auto& l : parsed) got << QString::fromStdString(l);
    QCOMPARE(got, lines);
    QCOMPARE(skipped, size_t(unusable));
    // What is written reads back the same, a first entry with its own mark too.
    if (!parsed.empty()) {
        std::vector<std::string> marked = parsed;
        marked.front().insert(0, "\xef\xbb\xbf");
        QCOMPARE(ParseFileListing(FormatFileListing(marked)), marked);
    }
}

void PlaylistTest::roundTripThroughTheFile() {
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    PlaylistModel m;
    SaveFileList(m);
    QCOMPARE(ReadBytes(QStringLiteral("FileListing.dat")), std::string());
    m.addMany({"/music/b.mp3 ", "/music/A.mp3", std::string("/music/\xff\xfe raw.mp3")});
    SaveFileList(m);
    QCOMPARE(ReadBytes(QStringLiteral("FileListing.dat")),
             std::string("/music/A.mp3\r\n/music/b.mp3 \r\n/music/\xff\xfe raw.mp3\r\n"));
    PlaylistModel back;
    OpenFileList(back);
    QCOMPARE(back.entries(), m.entries());
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void PlaylistTest::loadReplacesAndSorts() {
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    QVERIFY(WriteBytes(QStringLiteral("FileListing.dat"), "/z.mp3\r\n/B.mp3\n/a.mp3"));
    PlaylistModel m;
    m.addMany({"/old1", "/old2"});
    OpenFileList(m);
    QCOMPARE(m.entries(), (std::vector<std::string>{"/a.mp3", "/B.mp3", "/z.mp3"}));

    // A stored playlist longer than the list: what did not fit is written
    // back after the shown entries on every save, never dropped.
    std::string big;
    for (int i = 0; i < PlaylistModel::kMaxEntries + 5; ++i) big += "/f" + std::to_string(100000 + i) + ".mp3\r\n";
    QVERIFY(WriteBytes(QStringLiteral("FileListing.dat"), big));
    const OpenedFileList opened = OpenFileList(m);
    QCOMPARE(opened.notAdded, 5);
    QCOMPARE(m.count(), PlaylistModel::kMaxEntries);
    QCOMPARE(m.heldBack().size(), size_t(5));
    m.removeAt(0);
    SaveFileList(m);
    const std::vector<std::string> saved = ParseFileListing(ReadBytes(QStringLiteral("FileListing.dat")));
    QCOMPARE(saved.size(), size_t(PlaylistModel::kMaxEntries + 4));
    QCOMPARE(saved.back(), "/f" + std::to_string(100000 + PlaylistModel::kMaxEntries + 4) + ".mp3");
    QCOMPARE(saved.front(), std::string("/f100001.mp3"));
}

void PlaylistTest::interruptedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    const std::string old = "/old/one.mp3\r\n/old/two.mp3\r\n";
    QVERIFY(WriteBytes(QStringLiteral("FileListing.dat"), old));
    PlaylistModel m;
    m.addMany({"/new/a.mp3", "/new/b.mp3", "/new/c.mp3"});
    const size_t total = FormatFileListing(m.entries()).size();
    for (size_t n = 0; n < total; ++n) {
        size_t written = 0;
        SetWriteFunctionForTesting([&](int fd, const void* data, size_t size) -> ssize_t {
            if (written >= n) {
                errno = ENOSPC;
                return -1;
            }
            size_t chunk = std::min(size, n - written);
            ssize_t r = ::write(fd, data, chunk);
            if (r > 0) written += static_cast<size_t>(r);
            return r;
        });
        bool threw = false;
        try {
            SaveFileList(m);
        } catch (const AppError& e) {
            threw = true;
            QCOMPARE(e.number(), ErrNo::DiskFull);
        }
        SetWriteFunctionForTesting({});
        QVERIFY2(threw, qPrintable(QStringLiteral("no error after %1 bytes").arg(n)));
        QCOMPARE(ReadBytes(QStringLiteral("FileListing.dat")), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
    SaveFileList(m);
    QCOMPARE(ReadBytes(QStringLiteral("FileListing.dat")).size(), total);

    // Through a chain of symbolic links (one relative, one absolute) the last
    // target is replaced and both links stay links; a link to a file not yet
    // there creates that file.
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("store/deep")));
    QVERIFY(QFile::remove(QStringLiteral("FileListing.dat")));
    QVERIFY(WriteBytes(QStringLiteral("store/deep/list.dat"), old));
    QVERIFY(::symlink((TextToPath(dir.path()) + "/store/deep/list.dat").c_str(), "store/hop") == 0);
    QVERIFY(::symlink("store/hop", "FileListing.dat") == 0);
    SaveFileList(m);
    QVERIFY(QFileInfo(QStringLiteral("FileListing.dat")).isSymLink());
    QVERIFY(QFileInfo(QStringLiteral("store/hop")).isSymLink());
    QCOMPARE(ReadBytes(QStringLiteral("store/deep/list.dat")).size(), total);
    QVERIFY(QFile::remove(QStringLiteral("store/deep/list.dat")));
    SaveFileList(m);
    QCOMPARE(ReadBytes(QStringLiteral("store/deep/list.dat")).size(), total);
    QVERIFY(QFileInfo(QStringLiteral("FileListing.dat")).isSymLink());
}

void PlaylistTest::missingFileLeavesListUntouched() {
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    PlaylistModel m;
    m.add("/keep.mp3");
    try {
        OpenFileList(m);
        QFAIL("no error for a missing file");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrNo::FileNotFound);
    }
    QCOMPARE(m.count(), 1);
    // A save into a folder that does not exist fails and reports it.
    QVERIFY_THROWS_EXCEPTION(AppError, WriteFileAtomically("/nonexistent-dir/FileListing.dat", "x"));
    // A read-only file system is named as such, not as a lack of permission.
    QCOMPARE(ErrorFromErrno(EROFS).description(), std::string("Read-only file system"));
    QCOMPARE(ErrorFromErrno(EACCES).description(), std::string("Permission denied"));
}

QTEST_GUILESS_MAIN(PlaylistTest)
#include "playlist_test.moc"
