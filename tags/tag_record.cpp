#include "tags/tag_record.h"

#include "common/app_error.h"
#include "common/deadline.h"
#include "common/log.h"
#include "common/unique_fd.h"
#include "tags/ansi_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

const std::array<const char*, kGenreCount> GenreList = {
    "Blues",    "Classic Rock", "Country", "Dance",      "Disco",        "Funk",        "Grunge",
    "Hip -Hop", "Jazz",         "Metal",   "New Age",    "Oldies",       "Other",       "Pop",
    "R&b",      "Rap",          "Reggae",  "Rock",       "Techno",       "Industrial",  "Alternative",
    "Ska",      "Death Metal",  "Pranks",  "Soundtrack", "Euro -Techno", "Ambient",     "Trip -Hop",
    "Vocal",    "Jazz Funk",    "Fusion",  "Trance",     "Classical",    "Instrumental"};

namespace {
TagOpenFunction g_open;

int OpenForTag(const char* path, int flags) {
    flags |= O_CLOEXEC;
    if (g_open) return g_open(path, flags);
    return ::open(path, flags);
}

bool IsTag(const char* bytes) { return bytes[0] == 'T' && bytes[1] == 'A' && bytes[2] == 'G'; }

TagReadResult Unreadable(int number) {
    TagReadResult r;
    r.status = TagStatus::Unreadable;
    r.errorNumber = number;
    r.errorDescription = QString::fromStdString(StandardDescription(number));
    return r;
}

TagReadResult FromRecordBytes(const char* bytes) {
    TagReadResult r;
    if (!IsTag(bytes)) {
        r.status = TagStatus::NoTag;
        return r;
    }
    r.status = TagStatus::Found;
    std::memcpy(&r.record, bytes, sizeof(TagRecord));
    return r;
}

QString CutAtNul(const char* field, size_t width) {
    const void* nul = std::memchr(field, 0, width);
    size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : width;
    return FromAnsi(field, n);
}

QString TrimTrailingSpaces(QString s) {
    int n = static_cast<int>(s.size());
    while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
    s.truncate(n);
    return s;
}

bool WriteAll(int fd, const char* data, size_t size, off_t at) {
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size, at);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        at += n;
    }
    return true;
}
}  // namespace

void StoreField(char* field, size_t width, const QString& text) {
    const std::string bytes = ToAnsi(text, width);
    std::memset(field, ' ', width);
    std::memcpy(field, bytes.data(), bytes.size());
}

// Trailing spaces of the field go first; then the text ends before a NUL, so
// "Abc  " followed by NULs keeps its two spaces.
QString DisplayText(const char* field, size_t width) {
    while (width > 0 && field[width - 1] == ' ') --width;
    return CutAtNul(field, width);
}

QString GenreCodeText(uint8_t genre) { return QString::number(genre); }

TagRecord BuildTagRecord(const QString& title, const QString& artist, const QString& album, const QString& year,
                         const QString& comment, uint8_t genre) {
    TagRecord r{};
    std::memcpy(r.TagId, "TAG", 3);
    StoreField(r.Title, sizeof r.Title, title);
    StoreField(r.Artist, sizeof r.Artist, artist);
    StoreField(r.Album, sizeof r.Album, album);
    StoreField(r.Year, sizeof r.Year, year);
    StoreField(r.Comment, sizeof r.Comment, comment);
    r.Genre = genre;
    return r;
}

TagReadResult ParseTagBytes(const std::string& fileBytes) {
    if (fileBytes.size() < sizeof(TagRecord)) return Unreadable(ErrNo::InputPastEnd);
    return FromRecordBytes(fileBytes.data() + fileBytes.size() - sizeof(TagRecord));
}

TagReadResult ReadTagRecord(const std::string& path) {
    // Read-only and without waiting: a missing file is never created, and a
    // named pipe given as a path cannot hold the caller up.
    struct stat st {};
    UniqueFd fd;
    try {
        fd = OpenRegularFile(path, st, ErrNo::PathFileAccess);
    } catch (const AppError& e) {
        return Unreadable(e.number());
    }
    if (st.st_size < static_cast<off_t>(sizeof(TagRecord))) return Unreadable(ErrNo::InputPastEnd);
    char bytes[sizeof(TagRecord)];
    ssize_t n;
    do {
        n = ::pread(fd.get(), bytes, sizeof bytes, st.st_size - static_cast<off_t>(sizeof bytes));
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof bytes) ? FromRecordBytes(bytes) : Unreadable(ErrNo::DeviceIoError);
}

bool IsTooShortForATag(const TagReadResult& result) {
    return result.status == TagStatus::Unreadable && result.errorNumber == ErrNo::InputPastEnd;
}

namespace {
// Checks that the file open for writing (`written`) still ends in a tag at
// `tagAt`. The check reads through a descriptor of its own, so the writer
// keeps a write-only open; both must name the same file.
void CheckStillTagged(const std::string& path, const struct stat& written, off_t tagAt) {
    struct stat st {};
    UniqueFd fd = OpenForReading(path, st);
    if (st.st_dev != written.st_dev || st.st_ino != written.st_ino)
        throw AppError(ErrNo::PathFileAccess, "The file was replaced while its tag was saved");
    char id[3];
    ssize_t n;
    do {
        n = ::pread(fd.get(), id, sizeof id, tagAt);
    } while (n < 0 && errno == EINTR);
    if (n < 0) throw ErrorFromErrno(errno);
    if (n != static_cast<ssize_t>(sizeof id) || !IsTag(id))
        throw AppError(ErrNo::PathFileAccess, "The file no longer ends in a tag");
}
}  // namespace

void WriteTagRecord(const std::string& path, const TagRecord& record, bool fileHadTag) {
    // Write-only, never truncated, never created.
    UniqueFd fd(OpenForTag(path.c_str(), O_WRONLY | O_NONBLOCK));
    if (!fd.valid()) throw ErrorFromErrno(errno);
    struct stat st {};
    RequireRegularFile(fd.get(), st, ErrNo::PathFileAccess);
    const off_t size = st.st_size;
    const off_t tagSize = static_cast<off_t>(sizeof(TagRecord));
    off_t at = size;  // a file without a tag gets one appended
    if (fileHadTag) {
        // The tag found when the file was read is replaced in place; if the
        // file has changed since, its last bytes may be audio: leave them.
        if (size < tagSize) throw MakeError(ErrNo::InputPastEnd);
        at = size - tagSize;
        CheckStillTagged(path, st, at);
    }
    if (!WriteAll(fd.get(), reinterpret_cast<const char*>(&record), sizeof record, at)) {
        int e = errno ? errno : EIO;
        // A part-written new tag is taken off again, so the file keeps its
        // old length; nothing of the original bytes was touched.
        if (!fileHadTag && ::ftruncate(fd.get(), size) != 0) {
            // Nothing more can be done here; the error below is reported.
        }
        throw ErrorFromErrno(e);
    }
    if (fd.close() != 0) throw ErrorFromErrno(errno);
}

QString InformationLine(int16_t index, const TagRecord& record) {
    QString number = index >= 0 ? QStringLiteral(" ") + QString::number(index) : QString::number(index);
    return number + QStringLiteral(". - ") + TrimTrailingSpaces(CutAtNul(record.Title, sizeof record.Title)) +
           QStringLiteral(": ") + CutAtNul(record.Artist, sizeof record.Artist);
}

TagReadResult ReadTagRecordWithin(const std::string& path) {
    std::optional<TagReadResult> r = RunWithin<TagReadResult>(kFileDeadline, [path] { return ReadTagRecord(path); });
    if (r) return *r;
    qCInfo(lcFiles) << "reading the tag of" << QString::fromStdString(path) << "did not answer within"
                    << kFileDeadline.count() << "ms";
    return Unreadable(ErrNo::PathFileAccess);
}

QString CaptionForFile(int16_t index, const std::string& path) {
    TagReadResult r = ReadTagRecordWithin(path);
    return r.status == TagStatus::Found ? InformationLine(index, r.record) : QString();
}

void SetTagOpenFunctionForTesting(TagOpenFunction fn) { g_open = std::move(fn); }
