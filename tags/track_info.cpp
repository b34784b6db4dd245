#include "tags/track_info.h"

#include "common/deadline.h"
#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "tags/tag_record.h"

#include <sys/stat.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <QCryptographicHash>
#include <QDir>

namespace {
QString FromTagLib(const TagLib::String& s) { return QString::fromStdString(s.to8Bit(true)).trimmed(); }

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writes the picture of the tag's front cover (else its first picture) into
// the cover folder, once; returns its path or the empty text.
std::string SaveCover(TagLib::ID3v2::Tag* tag, const std::string& path, const std::string& coverFolder) {
    const TagLib::ID3v2::FrameList& frames = tag->frameListMap()["APIC"];
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (!picture || picture->picture().isEmpty()) continue;
        if (!chosen || picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) chosen = picture;
        if (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) break;
    }
    if (!chosen || coverFolder.empty()) return std::string();
    const bool png = chosen->mimeType().find("png") >= 0;
    const std::string name =
        QCryptographicHash::hash(QByteArray::fromStdString(path), QCryptographicHash::Md5).toHex().toStdString() +
        (png ? ".png" : ".jpg");
    const std::string cover = coverFolder + "/" + name;
    if (IsRegularFile(cover)) return cover;
    try {
        if (!QDir().mkpath(PathToText(coverFolder))) return std::string();
        const TagLib::ByteVector& bytes = chosen->picture();
        WriteFileAtomically(cover, std::string(bytes.data(), bytes.size()));
    } catch (const std::exception& e) {
        qCInfo(lcFiles) << "the cover of" << PathToText(path) << "was not saved:" << ErrorText(e);
        return std::string();
    }
    return cover;
}
}  // namespace

TrackInfo ReadTrackInfo(const std::string& path, const std::string& coverFolder) {
    TrackInfo info;
    // The richest tag first: ID3v2 (any version and text encoding, through
    // TagLib), then the ID3v1 tag for what it leaves empty, then the name.
    // Only a regular file is handed to TagLib, whose open would wait on a
    // named pipe.
    if (IsRegularFile(path)) {
        TagLib::MPEG::File file(path.c_str(), false);
        TagLib::ID3v2::Tag* tag = file.isValid() && file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
        if (tag) {
            info.title = FromTagLib(tag->title());
            info.artist = FromTagLib(tag->artist());
            info.album = FromTagLib(tag->album());
            info.coverPath = SaveCover(tag, path, coverFolder);
        }
    }
    if (info.title.isEmpty() || info.artist.isEmpty() || info.album.isEmpty()) {
        const TagReadResult v1 = ReadTagRecord(path);
        if (v1.status == TagStatus::Found) {
            const auto fill = [](QString& field, const char* bytes, size_t size) {
                if (field.isEmpty()) field = DisplayText(bytes, size).trimmed();
            };
            fill(info.title, v1.record.Title, sizeof v1.record.Title);
            fill(info.artist, v1.record.Artist, sizeof v1.record.Artist);
            fill(info.album, v1.record.Album, sizeof v1.record.Album);
        }
    }
    if (info.title.isEmpty()) info.title = PathToText(FileName(path));
    return info;
}

TrackInfo ReadTrackInfoWithin(const std::string& path, const std::string& coverFolder) {
    std::optional<TrackInfo> info =
        RunWithin<TrackInfo>(kFileDeadline, [path, coverFolder] { return ReadTrackInfo(path, coverFolder); });
    if (info) return *info;
    qCInfo(lcFiles) << "reading the track information of" << PathToText(path) << "did not answer within"
                    << kFileDeadline.count() << "ms";
    TrackInfo named;
    named.title = PathToText(FileName(path));
    return named;
}
