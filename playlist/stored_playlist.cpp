#include "playlist/stored_playlist.h"

#include "common/app_error.h"
#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "common/translation.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_formats.h"
#include "playlist/playlist_model.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <climits>
#include <iterator>

namespace {
// One message for all that was not added: past the limit, names that cannot
// be stored one per line, and what the playlists read named but no file.
QString NotAddedMessage(int full, int lineBreaks = 0, const SkippedEntries& skipped = {}) {
    QStringList parts;
    const int shown = std::min<int>(3, static_cast<int>(skipped.unreadable.size()));
    for (int i = 0; i < shown; ++i)
        parts << QCoreApplication::translate("Playlist", "Cannot read the playlist %1.").arg(skipped.unreadable[i]);
    if (skipped.unreadable.size() > shown)
        parts << Counted("Playlist", QT_TRANSLATE_N_NOOP("Playlist", "%n more playlists could not be read."),
                         "%n more playlist could not be read.", static_cast<int>(skipped.unreadable.size() - shown));
    if (skipped.urls > 0)
        parts << Counted(
            "Playlist",
            QT_TRANSLATE_N_NOOP("Playlist", "%n entries were not added: an address is not a file on this computer."),
            "%n entry was not added: an address is not a file on this computer.", skipped.urls);
    if (skipped.missing > 0)
        parts << Counted("Playlist", QT_TRANSLATE_N_NOOP("Playlist", "%n entries were not added: no such file."),
                         "%n entry was not added: no such file.", skipped.missing);
    if (skipped.unusable > 0)
        parts << Counted("Playlist",
                         QT_TRANSLATE_N_NOOP("Playlist",
                                             "%n entries were not added: a line longer than %1 bytes or "
                                             "holding a NUL byte names no file."),
                         "%n entry was not added: a line longer than %1 bytes or holding a NUL byte names no file.",
                         skipped.unusable)
                     .arg(PATH_MAX - 1);
    if (full > 0)
        parts << Counted("Playlist",
                         QT_TRANSLATE_N_NOOP("Playlist",
                                             "The playlist holds at most %1 entries: %n entries were not added."),
                         "The playlist holds at most %1 entries: %n entry was not added.", full)
                     .arg(PlaylistModel::kMaxEntries);
    if (lineBreaks > 0)
        parts << Counted("Playlist",
                         QT_TRANSLATE_N_NOOP("Playlist",
                                             "%n entries were not added: a name holding a line break cannot "
                                             "be stored in the playlist."),
                         "%n entry was not added: a name holding a line break cannot be stored in the playlist.",
                         lineBreaks);
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
                        QCoreApplication::translate("Playlist", " They stay in %1 and are saved with the playlist.")
                            .arg(QString::fromLatin1(kFileListingName));
        if (opened.unusable > 0)
            told << Counted("Playlist",
                            QT_TRANSLATE_N_NOOP("Playlist",
                                                "%n lines of %1 named no file (longer than %2 bytes or "
                                                "holding a NUL byte) and were left out; they will not be "
                                                "saved again."),
                            "%n line of %1 named no file (longer than %2 bytes or holding a NUL byte) and was left "
                            "out; they will not be saved again.",
                            opened.unusable)
                        .arg(QString::fromLatin1(kFileListingName))
                        .arg(PATH_MAX - 1);
        return told.join(QLatin1Char(' '));
    } catch (const std::exception& e) {
        problem = ErrorText(e);
    }
    // Saving now would replace the stored playlist with what the window holds.
    unreadable_ = true;
    return QCoreApplication::translate("Playlist",
                                       "Cannot read the playlist %1: %2. It is kept as it is and will not be "
                                       "overwritten in this session.")
        .arg(QString::fromLatin1(kFileListingName), problem);
}

QString StoredPlaylist::Save() {
    if (unreadable_)
        return QCoreApplication::translate("Playlist",
                                           "Cannot save the playlist: %1 could not be read at start-up and is kept "
                                           "as it is.")
            .arg(QString::fromLatin1(kFileListingName));
    try {
        SaveFileList(list_);
    } catch (const std::exception& e) {
        qCInfo(lcFiles) << "the playlist was not saved:" << ErrorText(e);
        return QCoreApplication::translate("Playlist", "Cannot save the playlist: ") + ErrorText(e);
    }
    return QString();
}
