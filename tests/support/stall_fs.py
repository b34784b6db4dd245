#!/usr/bin/python3
"""A share that stops answering, for tests: mirrors SOURCE at MOUNTPOINT; while
the file FLAG exists, every open and read of a file or folder waits (as a network share
whose server went away) until FLAG is gone, and makes the file FLAG.waited.
Runs in the foreground until it is unmounted (fusermount -u MOUNTPOINT) or
killed.

    stall_fs.py SOURCE MOUNTPOINT FLAG
"""
import errno
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class Stalling(Operations):
    def __init__(self, root, flag):
        self.root = root
        self.flag = flag

    def _path(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def _stall(self):
        if os.path.exists(self.flag):
            # Tells the test that someone waits on the share.
            open(self.flag + ".waited", "w").close()
        while os.path.exists(self.flag):
            time.sleep(0.02)

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._path(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {k: getattr(st, k) for k in ("st_mode", "st_size", "st_nlink", "st_uid", "st_gid",
                                              "st_atime", "st_mtime", "st_ctime")}

    def opendir(self, path):
        self._stall()
        return 0

    def readdir(self, path, fh):
        self._stall()
        return [".", ".."] + os.listdir(self._path(path))

    def open(self, path, flags):
        self._stall()
        try:
            return os.open(self._path(path), os.O_RDONLY)
        except OSError as e:
            raise FuseOSError(e.errno)

    def read(self, path, size, offset, fh):
        self._stall()
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    FUSE(Stalling(sys.argv[1], sys.argv[3]), sys.argv[2], foreground=True, nothreads=False, ro=True,
         direct_io=True)
