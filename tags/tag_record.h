#pragma once
// The ID3v1 tag: the last 128 bytes of an MP3 file, its genre table, the
// text of its fields (in the code page of the user's locale, see ansi_text.h)
// and the information line built from it.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

struct TagRecord {
    char TagId[3];
    char Title[30];
    char Artist[30];
    char Album[30];
    char Year[4];
    char Comment[30];
    uint8_t Genre;
};
static_assert(sizeof(TagRecord) == 128, "an ID3v1 tag is 128 bytes");

constexpr int kGenreCount = 34;
// The genre names; a name's position is its genre code.
extern const std::array<const char*, kGenreCount> GenreList;

enum class TagStatus {
    Found,       // the record was read
    NoTag,       // the file's last 128 bytes are not a tag
    Unreadable,  // missing, cannot be opened or read, or shorter than 128 bytes
};

struct TagReadResult {
    TagStatus status = TagStatus::Unreadable;
    TagRecord record{};
    int errorNumber = 0;  // for Unreadable
    QString errorDescription;
};

// Reads the tag at the end of a file: one read-only open, one read of its
// last 128 bytes, one close. A missing file is never created. Unreadable
// carries the error: 53 for a missing file, 62 for a file shorter than 128
// bytes, 75 for a folder or other non-regular file, 70 when reading is refused.
TagReadResult ReadTagRecord(const std::string& path);
// True for the Unreadable result of a file too short to hold a tag: it has
// no tag, and saving one appends it.
bool IsTooShortForATag(const TagReadResult& result);
// The same check on the last 128 bytes of a file already in memory.
TagReadResult ParseTagBytes(const std::string& fileBytes);

// Writes the record. With `fileHadTag` (the file ended in a tag when it was
// read) the last 128 bytes are overwritten and the file keeps its length;
// they must still be a tag, else nothing is written (error 62 when the file
// has become shorter than 128 bytes, 75 when it no longer ends in a tag).
// Without it the record is appended and no byte of the file is overwritten.
// The file is opened write-only, never truncated and never created (53 when
// missing). Throws AppError: 70 when writing is refused. The file is closed
// on every path.
void WriteTagRecord(const std::string& path, const TagRecord& record, bool fileHadTag);

// Stores text into a field: padded with spaces or cut to the width (between
// two characters, where one takes more than a byte).
void StoreField(char* field, size_t width, const QString& text);
// The text shown for a field: trailing spaces removed, then up to its first NUL.
QString DisplayText(const char* field, size_t width);
QString GenreCodeText(uint8_t genre);
// A record with "TAG", the five texts stored by the pad-or-cut rule and the genre.
TagRecord BuildTagRecord(const QString& title, const QString& artist, const QString& album, const QString& year,
                         const QString& comment, uint8_t genre);

// The information line: index with a sign position, ". - ", the title (cut at
// its first NUL, trailing blanks removed), ": ", the artist (cut at its first
// NUL, otherwise as read).
QString InformationLine(int16_t index, const TagRecord& record);
// ReadTagRecord for the window: off its thread, and a file that does not
// answer within kFileDeadline (a stalled share) is told as unreadable
// (ErrNo::PathFileAccess); its read, left behind, is dropped when it ends.
TagReadResult ReadTagRecordWithin(const std::string& path);
// The information line for a file; empty when it has no readable tag (read
// with ReadTagRecordWithin).
QString CaptionForFile(int16_t index, const std::string& path);

// For tests: replaces open(2) in the tag writer.
using TagOpenFunction = std::function<int(const char* path, int flags)>;
void SetTagOpenFunctionForTesting(TagOpenFunction fn);
