// The ID3v1 record: layout against a tag written by lame, text rules, genre
// bytes, writing without harm to the audio, and the information line.
#include "tags/tag_record.h"
#include "common/app_error.h"
#include "tags/ansi_text.h"
#include "tags/track_info.h"
#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>

using namespace testsupport;

namespace {
std::string Field(const char* f, size_t n) { return std::string(f, n); }

// A file of `audio` bytes followed by a 128-byte record built from parts.
std::string WithTag(const std::string& audio, const std::string& title, const std::string& artist, uint8_t genre,
                    char pad = ' ') {
    auto padded = [pad](std::string s, size_t w) {
        s.resize(w, pad);
        return s;
    };
    return audio + "TAG" + padded(title, 30) + padded(artist, 30) + padded("Album", 30) + padded("1999", 4) +
           padded("Comment", 30) + std::string(1, static_cast<char>(genre));
}
}  // namespace

class TagRecordTest : public QObject {
    Q_OBJECT
private slots:
    void layoutOfATagWrittenByLame();
    void tagMarkIsCaseSensitive();
    void shortMissingAndExactFiles();
    void textRules();
    void codePages();
    void genreBytes();
    void readThenWriteIsByteIdentical();
    void appendingGivesANewTagAndKeepsTheAudio();
    void refusedAndVanishedWrites();
    void changedSinceReadIsNotWrittenOver();
    void shortFilesGetATagAppended();
    void pipesDoNotHang();
    void informationLines();
    void trackInfoFromEveryId3v2();
};

void TagRecordTest::layoutOfATagWrittenByLame() {
    if (!HaveProgram(QStringLiteral("lame"))) QSKIP("lame is not installed");
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("tagged.mp3"));
    QVERIFY(GenerateMp3(path, 0.3, 440,
                        {"--id3v1-only", "--tt", "Title", "--ta", "Artist", "--tl", "Album", "--ty", "1999", "--tc",
                         "Comment", "--tg", "Rock"}));
    TagReadResult r = ReadTagRecord(path.toStdString());
    QCOMPARE(r.status, TagStatus::Found);
    QCOMPARE(Field(r.record.TagId, 3), std::string("TAG"));
    QCOMPARE(Field(r.record.Title, 5), std::string("Title"));
    QCOMPARE(r.record.Title[5], '\0');  // lame pads with NULs
    QCOMPARE(DisplayText(r.record.Title, 30), QStringLiteral("Title"));
    QCOMPARE(DisplayText(r.record.Artist, 30), QStringLiteral("Artist"));
    QCOMPARE(DisplayText(r.record.Album, 30), QStringLiteral("Album"));
    QCOMPARE(DisplayText(r.record.Year, 4), QStringLiteral("1999"));
    QVERIFY(DisplayText(r.record.Comment, 30).startsWith(QStringLiteral("Comment")));
    QCOMPARE(int(r.record.Genre), 17);
    QCOMPARE(QString::fromLatin1(GenreList[17]), QStringLiteral("Rock"));
    // The same bytes, found by offset from the end of the file.
    std::string bytes = ReadBytes(path);
    QCOMPARE(bytes.substr(bytes.size() - 128, 3), std::string("TAG"));
    QCOMPARE(bytes.substr(bytes.size() - 128 + 33, 6), std::string("Artist"));
    QCOMPARE(static_cast<uint8_t>(bytes.back()), uint8_t(17));
    // NUL padding does not hide the artist in the information line.
    QCOMPARE(CaptionForFile(0, path.toStdString()), QStringLiteral(" 0. - Title: Artist"));
}

void TagRecordTest::tagMarkIsCaseSensitive() {
    for (const char* mark : {"tag", "Tag", "TAg"}) {
        std::string bytes = WithTag(std::string(300, 'x'), "T", "A", 1);
        bytes.replace(300, 3, mark);
        QCOMPARE(ParseTagBytes(bytes).status, TagStatus::NoTag);
    }
    QCOMPARE(ParseTagBytes(WithTag(std::string(300, 'x'), "T", "A", 1)).status, TagStatus::Found);
}

void TagRecordTest::shortMissingAndExactFiles() {
    QTemporaryDir dir;
    QString missing = dir.filePath(QStringLiteral("gone.mp3"));
    TagReadResult r = ReadTagRecord(missing.toStdString());
    QCOMPARE(r.status, TagStatus::Unreadable);
    QCOMPARE(r.errorNumber, ErrNo::FileNotFound);
    QVERIFY(!QFile::exists(missing));  // reading never creates a file
    QString shortFile = dir.filePath(QStringLiteral("short.mp3"));
    QVERIFY(WriteBytes(shortFile, "TAGabc"));
    QCOMPARE(ReadTagRecord(shortFile.toStdString()).status, TagStatus::Unreadable);
    QString exact = dir.filePath(QStringLiteral("exact.mp3"));
    QVERIFY(WriteBytes(exact, WithTag("", "Only", "Tag", 2)));
    r = ReadTagRecord(exact.toStdString());
    QCOMPARE(r.status, TagStatus::Found);
    QCOMPARE(DisplayText(r.record.Title, 30), QStringLiteral("Only"));
    QCOMPARE(ReadTagRecord(dir.path().toStdString()).status, TagStatus::Unreadable);  // a folder
}

void TagRecordTest::textRules() {
    char f[30];
    StoreField(f, 30, QString(30, QLatin1Char('a')));
    QCOMPARE(Field(f, 30), std::string(30, 'a'));
    StoreField(f, 30, QString(31, QLatin1Char('b')));
    QCOMPARE(Field(f, 30), std::string(30, 'b'));
    StoreField(f, 30, QString());
    QCOMPARE(Field(f, 30), std::string(30, ' '));
    char y[4];
    StoreField(y, 4, QStringLiteral("99"));
    QCOMPARE(Field(y, 4), std::string("99  "));
    StoreField(y, 4, QStringLiteral("19999"));
    QCOMPARE(Field(y, 4), std::string("1999"));
    // Shown up to the first NUL, trailing spaces removed (only spaces).
    std::string abc = "Abc" + std::string(27, ' ');
    QCOMPARE(DisplayText(abc.data(), 30), QStringLiteral("Abc"));
    std::string abcNul = std::string("Abc  ") + std::string(25, '\0');
    QCOMPARE(DisplayText(abcNul.data(), 30), QStringLiteral("Abc  "));
    std::string comment = std::string("Nice") + std::string(24, ' ') + std::string("\0\x07", 2);
    QCOMPARE(DisplayText(comment.data(), 30), QStringLiteral("Nice") + QString(24, QLatin1Char(' ')));
    std::string tab = "A\t";
    tab.resize(30, ' ');
    QCOMPARE(DisplayText(tab.data(), 30), QStringLiteral("A\t"));
}

void TagRecordTest::codePages() {
    // The locale's language picks the page; the first variable set wins.
    const std::pair<const char*, int> pages[] = {
        {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251}, {"sr_RS", 1251},      {"sr_RS@latin", 1250}, {"pl_PL.UTF-8", 1250},
        {"cs", 1250},          {"el_GR", 1253}, {"tr_TR", 1254},      {"he_IL", 1255},       {"fa_IR", 1256},
        {"lv_LV", 1257},       {"vi_VN", 1258}, {"th_TH", 874},       {"ja_JP.eucJP", 932},  {"zh_CN.GB18030", 936},
        {"zh_SG", 936},        {"ko_KR", 949},  {"zh_TW.UTF-8", 950}, {"zh_HK", 950},        {"de_DE@euro", 1252},
        {"C", 1252},           {"POSIX", 1252}, {"en_US.UTF-8", 1252}};
    for (const auto& [locale, page] : pages) QCOMPARE(AnsiCodePageOf(locale), page);
    {
        testsupport::ScopedLocale none(nullptr);
        QCOMPARE(AnsiCodePage(), 1252);
        qputenv("LC_ALL", "");  // set but empty: the next one counts
        qputenv("LC_CTYPE", "el_GR.UTF-8");
        QCOMPARE(AnsiCodePage(), 1253);
        qputenv("LC_ALL", "ru_RU.UTF-8");
        QCOMPARE(AnsiCodePage(), 1251);
    }

    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    {
        testsupport::ScopedLocale en("en_US.UTF-8");
        QCOMPARE(ToAnsi(FromAnsi(all.data(), all.size())), all);
        QCOMPARE(FromAnsi("\xe9\x80\x99", 3), QStringLiteral("é€™"));
        QCOMPARE(ToAnsi(QStringLiteral("Café €")), std::string("Caf\xe9 \x80"));
        QCOMPARE(ToAnsi(QStringLiteral("日本")), std::string("??"));
        // The five bytes 1252 leaves undefined stand for the control characters of the same value.
        for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
            const char byte = static_cast<char>(b);
            QCOMPARE(FromAnsi(&byte, 1), QString(QChar(b)));
        }
        QCOMPARE(ToAnsi(QString(QChar(0x80))), std::string("?"));  // U+0080 has no byte: 0x80 is the euro sign
        QCOMPARE(ToAnsi(QString::fromUtf8("\xf0\x9f\x8e\xb5")), std::string("?"));  // one character, one byte
        QCOMPARE(FromAnsi("\xca\xe8\xed\xee", 4), QStringLiteral("Êèíî"));
    }
    {
        testsupport::ScopedLocale ru("ru_RU.UTF-8");
        QCOMPARE(FromAnsi("\xca\xe8\xed\xee", 4), QStringLiteral("Кино"));
        QCOMPARE(ToAnsi(QStringLiteral("Кино é")), std::string("\xca\xe8\xed\xee ?"));
        // 0x98 is the one byte 1251 leaves undefined; every other byte round-trips.
        std::string defined = all;
        defined.erase(defined.find('\x98'), 1);
        QCOMPARE(ToAnsi(FromAnsi(defined.data(), defined.size())), defined);
    }
    {
        // Double-byte: a field is cut between characters, never inside one.
        testsupport::ScopedLocale ja("ja_JP.UTF-8");
        QCOMPARE(ToAnsi(QStringLiteral("日本")), std::string("\x93\xfa\x96\x7b"));
        QCOMPARE(ToAnsi(QStringLiteral("日本"), 3), std::string("\x93\xfa"));
        QCOMPARE(FromAnsi("\x93\xfa\x96\x7b", 4), QStringLiteral("日本"));
        // Half a character at a field's end stays its byte through a save.
        QCOMPARE(ToAnsi(FromAnsi("A\x93", 2)), std::string("A\x93"));
        char field[5];
        StoreField(field, sizeof field, QStringLiteral("日本語"));
        QCOMPARE(std::string(field, sizeof field), std::string("\x93\xfa\x96\x7b "));
    }
}

void TagRecordTest::genreBytes() {
    QCOMPARE(QString::fromLatin1(GenreList[0]), QStringLiteral("Blues"));
    QCOMPARE(QString::fromLatin1(GenreList[7]), QStringLiteral("Hip -Hop"));
    QCOMPARE(QString::fromLatin1(GenreList[14]), QStringLiteral("R&b"));
    QCOMPARE(QString::fromLatin1(GenreList[25]), QStringLiteral("Euro -Techno"));
    QCOMPARE(QString::fromLatin1(GenreList[27]), QStringLiteral("Trip -Hop"));
    QCOMPARE(QString::fromLatin1(GenreList[32]), QStringLiteral("Classical"));
    QCOMPARE(QString::fromLatin1(GenreList[33]), QStringLiteral("Instrumental"));
    for (int g : {0, 32, 33, 34, 255}) {
        TagReadResult r = ParseTagBytes(WithTag("xx", "T", "A", static_cast<uint8_t>(g)));
        QCOMPARE(int(r.record.Genre), g);  // never trimmed: 32 is a genre, not a blank
        QCOMPARE(GenreCodeText(r.record.Genre), QString::number(g));
    }
}

void TagRecordTest::readThenWriteIsByteIdentical() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("a.mp3"));
    const std::string original = WithTag(std::string(5000, '\x55'), "Abc", "Xyz", 9);
    QVERIFY(WriteBytes(path, original));
    TagReadResult r = ReadTagRecord(path.toStdString());
    QCOMPARE(r.status, TagStatus::Found);
    TagRecord again = BuildTagRecord(DisplayText(r.record.Title, 30), DisplayText(r.record.Artist, 30),
                                     DisplayText(r.record.Album, 30), DisplayText(r.record.Year, 4),
                                     DisplayText(r.record.Comment, 30), r.record.Genre);
    WriteTagRecord(path.toStdString(), again, true);
    QCOMPARE(ReadBytes(path), original);
    TagRecord changed = BuildTagRecord(QStringLiteral("New"), QStringLiteral("Who"), {}, {}, {}, 0);
    WriteTagRecord(path.toStdString(), changed, true);
    std::string now = ReadBytes(path);
    QCOMPARE(now.size(), original.size());
    QCOMPARE(now.substr(0, 5000), original.substr(0, 5000));
    QCOMPARE(now.substr(5000, 6), std::string("TAGNew"));
}

void TagRecordTest::appendingGivesANewTagAndKeepsTheAudio() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("plain.mp3"));
    const std::string audio(3000, '\x33');
    QVERIFY(WriteBytes(path, audio));
    WriteTagRecord(path.toStdString(), BuildTagRecord(QStringLiteral("T"), QStringLiteral("A"), {}, {}, {}, 255),
                   false);
    std::string now = ReadBytes(path);
    QCOMPARE(now.size(), audio.size() + 128);
    QCOMPARE(now.substr(0, audio.size()), audio);
    QCOMPARE(ReadTagRecord(path.toStdString()).status, TagStatus::Found);
    // A file that was tagged when read but no longer is: nothing is written.
    QVERIFY(WriteBytes(path, audio));
    QVERIFY_THROWS_EXCEPTION(AppError, WriteTagRecord(path.toStdString(), TagRecord{}, true));
    QCOMPARE(ReadBytes(path), audio);
}

void TagRecordTest::refusedAndVanishedWrites() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("a.mp3"));
    const std::string original = WithTag(std::string(400, 'z'), "T", "A", 1);
    QVERIFY(WriteBytes(path, original));
    int flagsSeen = 0;
    SetTagOpenFunctionForTesting([&](const char*, int flags) {
        flagsSeen = flags;
        errno = EACCES;
        return -1;
    });
    try {
        WriteTagRecord(path.toStdString(), BuildTagRecord({}, {}, {}, {}, {}, 0), true);
        QFAIL("the refused write did not fail");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrNo::PermissionDenied);
        QCOMPARE(e.description(), std::string("Permission denied"));
    }
    SetTagOpenFunctionForTesting({});
    // Write-only, never created, never truncated.
    QCOMPARE(flagsSeen & O_ACCMODE, O_WRONLY);
    QCOMPARE(flagsSeen & (O_CREAT | O_TRUNC | O_APPEND), 0);
    QCOMPARE(ReadBytes(path), original);
    QString gone = dir.filePath(QStringLiteral("gone.mp3"));
    try {
        WriteTagRecord(gone.toStdString(), TagRecord{}, false);
        QFAIL("a missing file was written");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrNo::FileNotFound);
    }
    QVERIFY(!QFile::exists(gone));
    // No descriptor is left open by any of this.
    int before = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
    for (int i = 0; i < 20; ++i) {
        try {
            WriteTagRecord(path.toStdString(), TagRecord{}, true);
        } catch (const AppError&) {
        }
        ReadTagRecord(gone.toStdString());
    }
    QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), before);
}

void TagRecordTest::changedSinceReadIsNotWrittenOver() {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("a.mp3"));
    const TagRecord record = BuildTagRecord(QStringLiteral("New"), {}, {}, {}, {}, 0);
    // Tagged when read, shorter than a tag now.
    QVERIFY(WriteBytes(path, "TAG tiny"));
    try {
        WriteTagRecord(path.toStdString(), record, true);
        QFAIL("a file shorter than a tag was overwritten");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrNo::InputPastEnd);
    }
    QCOMPARE(ReadBytes(path), std::string("TAG tiny"));
    // Tagged when read, replaced by untagged audio of any length since.
    const std::string audio(1000, '\x77');
    QVERIFY(WriteBytes(path, audio));
    try {
        WriteTagRecord(path.toStdString(), record, true);
        QFAIL("audio was written over");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrNo::PathFileAccess);
        QVERIFY(!e.description().empty());
    }
    QCOMPARE(ReadBytes(path), audio);
}

void TagRecordTest::shortFilesGetATagAppended() {
    QTemporaryDir dir;
    for (const std::string& content : {std::string(), std::string("TAG"), std::string(127, 'k')}) {
        QString path = dir.filePath(QStringLiteral("short.mp3"));
        QVERIFY(WriteBytes(path, content));
        TagReadResult r = ReadTagRecord(path.toStdString());
        QCOMPARE(r.status, TagStatus::Unreadable);  // no bytes of the start taken as a tag
        QVERIFY(IsTooShortForATag(r));
        WriteTagRecord(path.toStdString(), BuildTagRecord(QStringLiteral("S"), {}, {}, {}, {}, 255), false);
        std::string now = ReadBytes(path);
        QCOMPARE(now.size(), content.size() + 128);
        QCOMPARE(now.substr(0, content.size()), content);
        QCOMPARE(ReadTagRecord(path.toStdString()).status, TagStatus::Found);
    }
    // Missing, a folder: unreadable, but not "too short".
    QVERIFY(!IsTooShortForATag(ReadTagRecord(dir.filePath(QStringLiteral("none")).toStdString())));
    QVERIFY(!IsTooShortForATag(ReadTagRecord(dir.path().toStdString())));
}

void TagRecordTest::pipesDoNotHang() {
    // A named pipe with nobody at the other end would block a plain open.
    QTemporaryDir dir;
    std::string fifo = dir.filePath(QStringLiteral("pipe.mp3")).toStdString();
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    QCOMPARE(ReadTagRecord(fifo).status, TagStatus::Unreadable);
    QCOMPARE(CaptionForFile(1, fifo), QString());
    QVERIFY_THROWS_EXCEPTION(AppError, WriteTagRecord(fifo, TagRecord{}, false));
    QVERIFY_THROWS_EXCEPTION(AppError, WriteTagRecord(fifo, TagRecord{}, true));

    // A share that stops answering (a FUSE mirror whose opens and reads wait
    // while a flag file exists): the selection's read gives up, the file
    // counts as unreadable, and the read left behind ends once it answers.
    if (!StallingShare::missing().isEmpty()) QSKIP(qPrintable(StallingShare::missing()));
    StallingShare share;
    QVERIFY(share.mount());
    QVERIFY(WriteBytes(share.source(QStringLiteral("a.mp3")), WithTag(std::string(400, 'z'), "Title", "Artist", 1)));
    const std::string shared = share.shared(QStringLiteral("a.mp3"));
    QCOMPARE(CaptionForFile(0, shared), QStringLiteral(" 0. - Title: Artist") + QString(24, QLatin1Char(' ')));
    QVERIFY(share.stall());
    QCOMPARE(CaptionForFile(0, shared), QString());  // returns although the share still hangs
    QCOMPARE(ReadTrackInfoWithin(shared, std::string()).title, QStringLiteral("a.mp3"));  // its name only
    QTRY_VERIFY_WITH_TIMEOUT(share.waitedOn(), 10000);
    share.answer();
    QCOMPARE(CaptionForFile(0, shared), QStringLiteral(" 0. - Title: Artist") + QString(24, QLatin1Char(' ')));
    QCOMPARE(ReadTrackInfoWithin(shared, std::string()).artist, QStringLiteral("Artist"));
}

void TagRecordTest::informationLines() {
    TagRecord r = BuildTagRecord(QStringLiteral("Abc"), QStringLiteral("Xyz"), {}, {}, {}, 0);
    QCOMPARE(InformationLine(3, r), QStringLiteral(" 3. - Abc: Xyz") + QString(27, QLatin1Char(' ')));
    QVERIFY(InformationLine(0, r).startsWith(QStringLiteral(" 0. - ")));
    QVERIFY(InformationLine(12, r).startsWith(QStringLiteral(" 12. - ")));
    QVERIFY(InformationLine(-1, r).startsWith(QStringLiteral("-1. - ")));
    TagRecord blank = BuildTagRecord(QString(30, QLatin1Char(' ')), QStringLiteral("X"), {}, {}, {}, 0);
    QVERIFY(InformationLine(1, blank).startsWith(QStringLiteral(" 1. - : X")));
    // NUL-padded fields, as most taggers write them: the artist still shows.
    TagReadResult nul = ParseTagBytes(WithTag("x", "Song", "Band", 1, '\0'));
    QCOMPARE(InformationLine(0, nul.record), QStringLiteral(" 0. - Song: Band"));

    QTemporaryDir dir;
    QString tagged = dir.filePath(QStringLiteral("t.mp3")), plain = dir.filePath(QStringLiteral("p.mp3")),
            shortFile = dir.filePath(QStringLiteral("s.mp3")), missing = dir.filePath(QStringLiteral("m.mp3"));
    QVERIFY(WriteBytes(tagged, WithTag(std::string(200, 'a'), "Abc", "Xyz", 3)));
    QVERIFY(WriteBytes(plain, WithTag(std::string(200, 'a'), "Abc", "Xyz", 3).replace(200, 3, "tag")));
    QVERIFY(WriteBytes(shortFile, "TAG"));
    QCOMPARE(CaptionForFile(2, tagged.toStdString()), QStringLiteral(" 2. - Abc: Xyz") + QString(27, QLatin1Char(' ')));
    QCOMPARE(CaptionForFile(2, plain.toStdString()), QString());
    QCOMPARE(CaptionForFile(2, shortFile.toStdString()), QString());
    QCOMPARE(CaptionForFile(2, missing.toStdString()), QString());
    QVERIFY(!QFile::exists(missing));
}

namespace {
std::string BigEndian(uint32_t v, int bytes, bool syncsafe) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(syncsafe ? (v >> (7 * i)) & 0x7f : (v >> (8 * i)) & 0xff);
    return out;
}

// An ID3v2 tag of `version` (2, 3 or 4) holding a title and an artist frame
// with the text encoding `encoding` (0 Latin-1, 1 UTF-16 with BOM, 3 UTF-8),
// texts given as their encoded bytes.
std::string Id3v2(int version, char encoding, const std::string& title, const std::string& artist) {
    std::string frames;
    for (const auto& [id, text] :
         {std::pair{version == 2 ? "TT2" : "TIT2", title}, std::pair{version == 2 ? "TP1" : "TPE1", artist}}) {
        const std::string body = encoding + text;
        if (version == 2)
            frames += std::string(id) + BigEndian(static_cast<uint32_t>(body.size()), 3, false) + body;
        else
            frames += std::string(id) + BigEndian(static_cast<uint32_t>(body.size()), 4, version == 4) +
                      std::string(2, '\0') + body;
    }
    return std::string("ID3") + static_cast<char>(version) + '\0' + '\0' +
           BigEndian(static_cast<uint32_t>(frames.size()), 4, true) + frames;
}

std::string Utf16(const QString& text) {
    std::string out("\xff\xfe", 2);
    for (QChar c : text) out += std::string{static_cast<char>(c.unicode() & 0xff), static_cast<char>(c.unicode() >> 8)};
    return out;
}
}  // namespace

// What the desktop's controls show comes from the ID3v2 tag of any version
// and text encoding before the ID3v1 tag, whose 30-character fields it
// completes; the file's name when neither says anything.
void TagRecordTest::trackInfoFromEveryId3v2() {
    QTemporaryDir dir;
    const QString audio = dir.filePath(QStringLiteral("audio.mp3"));
    QVERIFY(testsupport::GenerateMp3(audio, 0.3, 440));
    const std::string frames = testsupport::ReadBytes(audio);
    const QString title = QStringLiteral("Überlänge: a title longer than thirty characters");
    const QString artist = QStringLiteral("Ärzte");
    const struct {
        int version;
        char encoding;
        std::string title, artist;
    } cases[] = {
        {2, 0, title.toLatin1().toStdString(), artist.toLatin1().toStdString()},
        {3, 1, Utf16(title), Utf16(artist)},
        {4, 3, title.toUtf8().toStdString(), artist.toUtf8().toStdString()},
    };
    const std::string v1 = "TAG" + std::string("Cut v1 title") + std::string(18, ' ') + std::string(30, ' ') +
                           "V1 Album" + std::string(22, ' ') + std::string(34, ' ') + '\x08';
    for (const auto& c : cases) {
        const QString file = dir.filePath(QStringLiteral("v2.%1.mp3").arg(c.version));
        QVERIFY(testsupport::WriteBytes(file, Id3v2(c.version, c.encoding, c.title, c.artist) + frames + v1));
        const TrackInfo info = ReadTrackInfo(QFile::encodeName(file).toStdString(), std::string());
        QCOMPARE(info.title, title);
        QCOMPARE(info.artist, artist);
        QCOMPARE(info.album, QStringLiteral("V1 Album"));  // what ID3v2 leaves empty
    }
    const TrackInfo plain = ReadTrackInfo(QFile::encodeName(audio).toStdString(), std::string());
    QCOMPARE(plain.title, QStringLiteral("audio.mp3"));
}

QTEST_GUILESS_MAIN(TagRecordTest)
#include "tag_record_test.moc"
