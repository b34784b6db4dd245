// The sorted playlist and its stored file.
#include "common/app_error.h"
#include "common/file_util.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_formats.h"
#include "playlist/playlist_model.h"
#include "playlist/stored_playlist.h"
#include "test_support.h"

#include <sys/stat.h>
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
    void findsByFileName();
    void readsOtherPlayersPlaylists();
    void exportReadsBackAsTheSameList();
    void hostilePlaylists();
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

namespace {
// A file at `path` (made with its folders) ending in an ID3v1 tag when
// `title` or `artist` is given.
std::string MakeFile(const QString& path, const char* title = nullptr, const char* artist = nullptr) {
    QDir().mkpath(QFileInfo(path).path());
    std::string bytes(200, 'x');
    if (title || artist) {
        std::string tag = "TAG";
        auto field = [&tag](const char* text, size_t width) {
            std::string f = text ? text : "";
            f.resize(width, ' ');
            tag += f;
        };
        field(title, 30);
        field(artist, 30);
        field("", 30 + 4 + 30);
        tag += '\xff';
        bytes += tag;
    }
    WriteBytes(path, bytes);
    return TextToPath(path);
}

// A file under a name that need not be UTF-8 (Qt would alter its bytes).
std::string MakeRawFile(ScopedPaths& made, const std::string& path) {
    made.add(path);
    if (FILE* f = std::fopen(path.c_str(), "w")) std::fclose(f);
    return path;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}
}  // namespace

void PlaylistTest::findsByFileName() {
    PlaylistModel m;
    m.addMany({"/b/Zebra.mp3", "/a/zulu/Alpha.mp3", "/c/alpine.mp3", "/z/ÉTÉ.mp3", "no-folder.mp3"});
    // Sorted: /a/zulu/Alpha, /b/Zebra, /c/alpine, /z/ÉTÉ, no-folder.
    QCOMPARE(m.findByName(QStringLiteral("z"), 0), 1);  // the name, not the folder "zulu"
    QCOMPARE(m.findByName(QStringLiteral("AL"), 1), 2);
    QCOMPARE(m.findByName(QStringLiteral("al"), 3), 0);  // wraps past the last
    QCOMPARE(m.findByName(QStringLiteral("alpi"), 0), 2);
    QCOMPARE(m.findByName(QStringLiteral("été"), 0), 3);
    QCOMPARE(m.findByName(QStringLiteral("no-"), 0), 4);
    QCOMPARE(m.findByName(QStringLiteral("/"), 0), -1);
    QCOMPARE(m.findByName(QStringLiteral("alpha.mp3x"), 0), -1);
    QCOMPARE(PlaylistModel().findByName(QStringLiteral("a"), 0), -1);
}

void PlaylistTest::readsOtherPlayersPlaylists() {
    QTemporaryDir dir;
    ScopedPaths made;
    const QString root = dir.path();
    const std::string a = MakeFile(root + QStringLiteral("/music/a.mp3"));
    const std::string b = MakeFile(root + QStringLiteral("/music/sub/b b.mp3"));
    const std::string c = MakeFile(root + QStringLiteral("/other/c.mp3"));
    const std::string cafe = MakeFile(root + QStringLiteral("/music/café.mp3"));
    const std::string rootBytes = TextToPath(root);
    // Comments and #EXT lines skipped; relative names from the playlist's own
    // folder; a "file:" address is a local file; other addresses and missing
    // files are counted; CR LF and a byte-order mark are no part of a name.
    const std::string m3u =
        "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:123,Artist - A\r\na.mp3\r\n# a comment\r\n\r\n"
        "sub/b b.mp3\r\n../other/c.mp3\r\nfile://" +
        rootBytes +
        "/music/sub/b%20b.mp3\r\nhttp://radio.example/stream\r\n"
        "missing.mp3\r\n" +
        c;
    QVERIFY(WriteBytes(root + QStringLiteral("/music/list.m3u8"), m3u));
    ExpandedPaths got = ExpandPlaylists({rootBytes + "/music/list.m3u8", "/not/a/playlist.mp3"});
    QCOMPARE(got.paths,
             (std::vector<std::string>{a, b, rootBytes + "/music/../other/c.mp3", b, c, "/not/a/playlist.mp3"}));
    QCOMPARE(got.skipped.urls, 1);
    QCOMPARE(got.skipped.missing, 1);
    QVERIFY(got.skipped.unreadable.isEmpty());

    // .pls: the FileN lines only; any case of the extension.
    QVERIFY(WriteBytes(root + QStringLiteral("/music/list.PLS"),
                       "[playlist]\nFile1=a.mp3\nTitle1=A\nLength1=-1\nfile2=" + c +
                           "\nFile3=https://x.example/a.mp3\nFilename=a.mp3\nNumberOfEntries=3\nVersion=2\n"));
    got = ExpandPlaylists({rootBytes + "/music/list.PLS"});
    QCOMPARE(got.paths, (std::vector<std::string>{a, c}));
    QCOMPARE(got.skipped.urls, 1);

    // .m3u names in the Windows code page of the locale; the same bytes in an
    // .m3u8 are UTF-8 and name no file. A name that is a file as it stands
    // is kept whatever its bytes.
    {
        ScopedLocale locale("de_DE.UTF-8");
        const std::string latin1 = MakeRawFile(made, rootBytes + "/music/raw\xe9.mp3");
        QVERIFY(WriteBytes(root + QStringLiteral("/music/win.m3u"), "caf\xe9.mp3\r\nraw\xe9.mp3\r\n"));
        QVERIFY(WriteBytes(root + QStringLiteral("/music/win.m3u8"), "caf\xe9.mp3\r\nraw\xe9.mp3\r\n"));
        got = ExpandPlaylists({rootBytes + "/music/win.m3u"});
        QCOMPARE(got.paths, (std::vector<std::string>{cafe, latin1}));
        got = ExpandPlaylists({rootBytes + "/music/win.m3u8"});
        QCOMPARE(got.paths, (std::vector<std::string>{latin1}));
        QCOMPARE(got.skipped.missing, 1);
    }

    // What was not added is said in the one message, after the limit.
    PlaylistModel m;
    got = ExpandPlaylists({rootBytes + "/music/list.m3u8", rootBytes + "/gone.m3u"});
    QCOMPARE(AddWithinLimit(m, got.paths, got.skipped),
             QStringLiteral("Cannot read the playlist %1/gone.m3u: File not found. 1 entry was not added: an address "
                            "is not a file on this computer. 1 entry was not added: no such file.")
                 .arg(root));
    QCOMPARE(m.count(), 5);
}

void PlaylistTest::exportReadsBackAsTheSameList() {
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    ScopedPaths made;
    const QString root = dir.path();
    const std::string r = TextToPath(root);
    PlaylistModel m;
    m.addMany({MakeFile(root + QStringLiteral("/Tagged.mp3"), "A Title", "An Artist"),
               MakeFile(root + QStringLiteral("/title-only.mp3"), "Only Title"),
               MakeFile(root + QStringLiteral("/untagged, with comma.mp3")),
               MakeFile(root + QStringLiteral("/#hash.mp3")), MakeRawFile(made, r + "/bytes\xff.mp3"),
               "sub/relative.mp3"});
    MakeFile(root + QStringLiteral("/sub/relative.mp3"));
    const std::string out = r + "/out.m3u8";
    ExportPlaylist(m.entries(), out);
    const std::string written = ReadBytes(PathToText(out));
    QCOMPARE(written, "#EXTM3U\n#EXTINF:-1,#hash.mp3\n" + r + "/#hash.mp3\n#EXTINF:-1,bytes\xef\xbf\xbd.mp3\n" + r +
                          "/bytes\xff.mp3\n#EXTINF:-1,An Artist - A Title\n" + r +
                          "/Tagged.mp3\n#EXTINF:-1,Only Title\n" + r +
                          "/title-only.mp3\n#EXTINF:-1,untagged, with comma.mp3\n" + r +
                          "/untagged, with comma.mp3\n#EXTINF:-1,relative.mp3\n" + r + "/sub/relative.mp3\n");
    // Read back: the same entries, the relative one made full.
    PlaylistModel back;
    const ExpandedPaths got = ExpandPlaylists({out});
    QVERIFY(got.skipped.empty());
    back.addMany(got.paths);
    std::vector<std::string> expected = m.entries();
    std::replace(expected.begin(), expected.end(), std::string("sub/relative.mp3"), r + "/sub/relative.mp3");
    QCOMPARE(Sorted(back.entries()), Sorted(expected));

    // A failed write leaves the old file whole.
    SetWriteFunctionForTesting([](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    });
    QVERIFY_THROWS_EXCEPTION(AppError, ExportPlaylist({"/x.mp3"}, out));
    SetWriteFunctionForTesting({});
    QCOMPARE(ReadBytes(PathToText(out)), written);
}

void PlaylistTest::hostilePlaylists() {
    QTemporaryDir dir;
    const QString root = dir.path();
    const std::string r = TextToPath(root);
    const std::string a = MakeFile(root + QStringLiteral("/a.mp3"));
    // A 10 MB line and a NUL (also one an address decodes to) are no names;
    // the lines around them still count.
    QVERIFY(WriteBytes(root + QStringLiteral("/long.m3u"),
                       "a.mp3\n" + std::string(10 << 20, 'x') + "\nfile:///" + std::string(10 << 20, 'x') + "\n" +
                           std::string("a\0.mp3\nfile:///a%00.mp3\n", 24) + "a.mp3"));
    ExpandedPaths got = ExpandPlaylists({r + "/long.m3u"});
    QCOMPARE(got.paths, (std::vector<std::string>{a, a}));
    QCOMPARE(got.skipped.unusable, 4);

    // Playlists naming themselves or each other are each read once.
    QVERIFY(WriteBytes(root + QStringLiteral("/self.m3u"), "self.m3u\na.mp3\nloop.m3u8\n"));
    QVERIFY(WriteBytes(root + QStringLiteral("/loop.m3u8"), "self.m3u\n" + r + "/./loop.m3u8\na.mp3\n"));
    got = ExpandPlaylists({r + "/self.m3u", r + "/loop.m3u8"});
    QCOMPARE(got.paths, (std::vector<std::string>{a, a}));
    QVERIFY(got.skipped.empty());
    // A chain deeper than the limit ends there, told.
    for (int i = 0; i <= kMaxPlaylistDepth + 1; ++i)
        QVERIFY(WriteBytes(root + QStringLiteral("/chain%1.m3u").arg(i),
                           QStringLiteral("chain%1.m3u\na.mp3\n").arg(i + 1).toStdString()));
    got = ExpandPlaylists({r + "/chain0.m3u"});
    QCOMPARE(int(got.paths.size()), kMaxPlaylistDepth + 1);
    QCOMPARE(got.skipped.unreadable.size(), 1);

    // A named pipe given as a playlist is refused unread (no wait for a
    // writer); one named in a playlist is an entry like any file.
    QVERIFY(::mkfifo((r + "/pipe.m3u").c_str(), 0600) == 0);
    QVERIFY(::mkfifo((r + "/pipe.mp3").c_str(), 0600) == 0);
    QVERIFY(WriteBytes(root + QStringLiteral("/names-pipes.m3u"), "pipe.mp3\npipe.m3u\n"));
    got = ExpandPlaylists({r + "/pipe.m3u", r + "/names-pipes.m3u", r});
    QCOMPARE(got.paths, (std::vector<std::string>{r + "/pipe.mp3", r}));
    QCOMPARE(got.skipped.unreadable.size(), 2);
    QVERIFY(got.skipped.unreadable[0].endsWith(QStringLiteral("Path/File access error")));

    // A file past the size limit is refused without being read.
    QFile huge(root + QStringLiteral("/huge.m3u"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(kMaxPlaylistBytes) + 1));
    huge.close();
    got = ExpandPlaylists({r + "/huge.m3u"});
    QVERIFY(got.paths.empty());
    QVERIFY(got.skipped.unreadable.value(0).contains(QStringLiteral("more than 64 MB")));

    // 100 000 entries: what fits joins, the rest is counted in the one message.
    std::string many;
    for (int i = 0; i < 100000; ++i) many += "a.mp3\n";
    QVERIFY(WriteBytes(root + QStringLiteral("/many.m3u8"), many));
    got = ExpandPlaylists({r + "/many.m3u8"});
    QCOMPARE(int(got.paths.size()), 100000);
    PlaylistModel m;
    QCOMPARE(AddWithinLimit(m, got.paths, got.skipped),
             QStringLiteral("The playlist holds at most 32767 entries: 67233 entries were not added."));
    QCOMPARE(m.count(), PlaylistModel::kMaxEntries);
}

QTEST_GUILESS_MAIN(PlaylistTest)
#include "playlist_test.moc"
