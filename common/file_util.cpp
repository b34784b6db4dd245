#include "common/file_util.h"

#include "common/app_error.h"
#include "common/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {
WriteFunction g_write;

ssize_t DoWrite(int fd, const void* data, size_t size) {
    if (g_write) return g_write(fd, data, size);
    return ::write(fd, data, size);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return path.substr(0, slash + 1);
}

// The file a save replaces: the path itself or, through symbolic links (a
// chain of them too), the file the last one names, a relative target read
// from its link's folder. The links stay links. Qt's QSaveFile resolves links
// through QString, which alters a target whose name is not UTF-8, hence our
// own: names here are bytes.
std::string SaveTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        for (;;) {
            ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
            if (n < 0) throw ErrorFromErrno(errno);
            if (static_cast<size_t>(n) < target.size()) {
                target.resize(static_cast<size_t>(n));
                break;
            }
            target.resize(target.size() * 2);  // the link changed meanwhile: read it again
        }
        current = (!target.empty() && target[0] == '/') ? target : FolderOf(current) + target;
    }
    throw ErrorFromErrno(ELOOP);
}
}  // namespace

QString PathToText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string TextToPath(const QString& text) { return QFile::encodeName(text).toStdString(); }

std::string AbsolutePath(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char* here = ::getcwd(nullptr, 0);
        absolute = std::string(here ? here : "/") + "/" + path;
        std::free(here);
    }
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= absolute.size()) {
        size_t slash = absolute.find('/', pos);
        if (slash == std::string::npos) slash = absolute.size();
        std::string part = absolute.substr(pos, slash - pos);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        pos = slash + 1;
    }
    std::string clean;
    for (const std::string& part : parts) clean += "/" + part;
    return clean.empty() ? std::string("/") : clean;
}

std::string ReadWholeFile(const std::string& path) {
    struct stat st {};
    // A folder, a named pipe or a device is no stored file (and a pipe could
    // keep the reader waiting for ever).
    UniqueFd fd = OpenRegularFile(path, st, ErrNo::PathFileAccess);
    std::string out;
    if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ErrorFromErrno(errno);
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

void WriteFileAtomically(const std::string& name, const std::string& bytes) {
    const std::string path = SaveTarget(name);
    std::string tmpl = FolderOf(path) + ".corvalle-save-XXXXXX";
    std::string tmp = tmpl;
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) throw ErrorFromErrno(errno);
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw ErrorFromErrno(e);
    };
    // Keep the old file's permissions where there is one; a new file gets the usual 0666 & ~umask.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = DoWrite(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (n == 0) fail(EIO);
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throw ErrorFromErrno(e);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throw ErrorFromErrno(e);
    }
}

void SetWriteFunctionForTesting(WriteFunction fn) { g_write = std::move(fn); }

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
