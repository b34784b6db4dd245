#pragma once
// The local files of a drop: the paths of the "file:" addresses in its
// "text/uri-list", as the bytes of their names.
#include <string>
#include <vector>

class QByteArray;
class QMimeData;

// Lines of a "text/uri-list" end at CR LF (or a lone LF); a line starting with
// "#" is a comment. Each "file:" address gives the percent-decoded bytes of
// its path, so a name that is not UTF-8 stays byte for byte what it is on
// disk; "file://localhost/x" and "file:/x" give "/x". Other addresses (http:,
// sftp:, ...) give nothing.
std::vector<std::string> LocalPathsFromUriList(const QByteArray& uriList);
// The same for the drop's data; text and other data give nothing.
std::vector<std::string> DroppedPaths(const QMimeData& data);
