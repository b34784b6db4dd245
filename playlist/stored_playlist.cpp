#include "playlist/stored_playlist.h"

#include "common/app_error.h"
#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_formats.h"
#include "playlist/playlist_model.h"

#include <QStringList>
#include <algorithm>
#include <climits>
#include <iterator>

namespace {
QString Entries(int n) { return n == 1 ? QStringLiteral("1 entry was") : QStringLiteral("%1 entries were").arg(n); }

// One message for all that was not added: past the limit, names that cannot
// be stored one per line, and what the playlists read named but no file.
QString NotAddedMessage(int full, int lineBreaks = 0, const SkippedEntries& skipped = {}) {
    QStringList parts;
    const int shown = std::min<int>(3, static_cast<int>(skipped.unreadable.size()));
    for (int i = 0; i < shown; ++i) parts << QStringLiteral("Cannot read the playlist %1.").arg(skipped.unreadable[i]);
    if (skipped.unreadable.size() > shown)
        parts << QStringLiteral("%1 more playlists could not be read.").arg(skipped.unreadable.size() - shown);
    if (skipped.urls > 0)
        parts << QStringLiteral("%1 not added: an address is not a file on this computer.").arg(Entries(skipped.urls));
    if (skipped.missing > 0) parts << QStringLiteral("%1 not added: no such file.").arg(Entries(skipped.missing));
    if (skipped.unusable > 0)
        parts << QStringLiteral("%1 not added: a line longer than %2 bytes or holding a NUL byte names no file.")
                     .arg(Entries(skipped.unusable))
                     .arg(PATH_MAX - 1);
    if (full > 0)
        parts << QStringLiteral("The playlist holds at most %1 entries: %2 not added.")
                     .arg(PlaylistModel::kMaxEntries)
                     .arg(Entries(full));
    if (lineBreaks > 0)
        parts << QStringLiteral("%1 not added: a name holding a line break cannot be stored in the playlist.")
                     .arg(Entries(lineBreaks));
    return parts.join(QLatin1Char(' '));
}

bool HoldsLineBreak(const std::string& name) { return name.find_first_of("\r\n") != std::string::npos; }
}  // namespace

QString AddWithinLimit(PlaylistModel& list, const std::vector<std::string>& entries, const SkippedEntries& skipped) {
    const auto lineBreaks = std::count_if(entries.begin(), entries.end(), HoldsLineBreak);
    if (lineBreaks == 0) return NotAddedMessage(list.addMany(entries), 0, skipped);
    std::vector<std::string> storable;
    storable.reserve(entries.size());
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(storable),
                 [](const std::string& e) { return !HoldsLineBreak(e); });
    return NotAddedMessage(list.addMany(storable), static_cast<int>(lineBreaks), skipped);
}

QString StoredPlaylist::Load() {
    if (!IsRegularFile(kFileListingName)) return QString();
    QString problem;
    try {
        const OpenedFileList opened = OpenFileList(list_);
        QStringList told;
        if (opened.notAdded > 0)
            told << NotAddedMessage(opened.notAdded) +
                        QStringLiteral(" They stay in %1 and are saved with the playlist.")
                            .arg(QString::fromLatin1(kFileListingName));
        if (opened.unusable > 0)
            told << QStringLiteral(
                        "%1 of %2 named no file (longer than %3 bytes or holding a NUL byte) and %4 "
                        "left out; they will not be saved again.")
                        .arg(opened.unusable == 1 ? QStringLiteral("1 line")
                                                  : QStringLiteral("%1 lines").arg(opened.unusable),
                             QString::fromLatin1(kFileListingName))
                        .arg(PATH_MAX - 1)
                        .arg(opened.unusable == 1 ? QStringLiteral("was") : QStringLiteral("were"));
        return told.join(QLatin1Char(' '));
    } catch (const std::exception& e) {
        problem = ErrorText(e);
    }
    // Saving now would replace the stored playlist with what the window holds.
    unreadable_ = true;
    return QStringLiteral(
               "Cannot read the playlist %1: %2. It is kept as it is and will not be "
               "overwritten in this session.")
        .arg(QString::fromLatin1(kFileListingName), problem);
}

QString StoredPlaylist::Save() {
    if (unreadable_)
        return QStringLiteral("Cannot save the playlist: %1 could not be read at start-up and is kept as it is.")
            .arg(QString::fromLatin1(kFileListingName));
    try {
        SaveFileList(list_);
    } catch (const std::exception& e) {
        qCInfo(lcFiles) << "the playlist was not saved:" << ErrorText(e);
        return QStringLiteral("Cannot save the playlist: ") + ErrorText(e);
    }
    return QString();
}
