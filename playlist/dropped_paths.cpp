#include "playlist/dropped_paths.h"

#include <unistd.h>
#include <QByteArray>
#include <QMimeData>
#include <QString>

namespace {
bool IsLocalHost(const QByteArray& host) {
    if (host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0) return true;
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 && host.compare(name, Qt::CaseInsensitive) == 0;
}
}  // namespace

// QUrl decodes a path's percent-escapes as UTF-8 and replaces the bytes that
// are not by U+FFFD, so the list is read here instead.
std::vector<std::string> LocalPathsFromUriList(const QByteArray& uriList) {
    std::vector<std::string> paths;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();  // the CR of CR LF, and stray blanks
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (line.size() < 5 || line.left(5).compare("file:", Qt::CaseInsensitive) != 0) continue;
        QByteArray rest = line.mid(5);
        qsizetype end = rest.size();  // a query or a fragment is no part of the path
        for (char mark : {'?', '#'}) {
            const qsizetype at = rest.indexOf(mark);
            if (at >= 0 && at < end) end = at;
        }
        rest.truncate(end);
        QByteArray prefix;
        if (rest.startsWith("//")) {
            qsizetype slash = rest.indexOf('/', 2);
            if (slash < 0) slash = rest.size();
            const QByteArray host = rest.mid(2, slash - 2);
            // A file on another host: the address's own form, as QUrl gives it.
            if (!IsLocalHost(host)) prefix = "//" + QByteArray::fromPercentEncoding(host);
            rest = rest.mid(slash);
        }
        const QByteArray path = prefix + QByteArray::fromPercentEncoding(rest);
        if (!path.isEmpty()) paths.push_back(path.toStdString());
    }
    return paths;
}

std::vector<std::string> DroppedPaths(const QMimeData& data) {
    if (!data.hasUrls()) return {};
    return LocalPathsFromUriList(data.data(QStringLiteral("text/uri-list")));
}
