#include "folder_listing.h"

#include "app_error.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

FolderListing ListFolder(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) throw ErrorFromErrno(errno);
    FolderListing listing;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            type = ::fstatat(fd, e->d_name, &st, 0) != 0 ? DT_UNKNOWN
                   : S_ISREG(st.st_mode)                  ? DT_REG
                   : S_ISDIR(st.st_mode)                  ? DT_DIR
                                                          : DT_UNKNOWN;
        }
        if (type == DT_REG)
            listing.files.emplace_back(e->d_name);
        else if (type == DT_DIR)
            listing.folders.emplace_back(e->d_name);
    }
    ::closedir(dir);
    return listing;
}
