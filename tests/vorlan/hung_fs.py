# A FUSE volume of one empty folder whose statfs (what measuring a drive asks)
# answers as a control file says, while every other call answers at once:
#   no file      at once
#   "hang"       not until the file says otherwise
#   N (a number) the next statfs after N seconds, then the file goes
# Usage: hung_fs.py MOUNT_POINT CONTROL_FILE
import errno
import os
import stat
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class HungVolume(Operations):
    def __init__(self, control):
        self.control = control

    def order(self):
        try:
            with open(self.control) as f:
                return f.read().strip()
        except OSError:
            return ""

    def getattr(self, path, fh=None):
        if path != "/":
            raise FuseOSError(errno.ENOENT)
        now = time.time()
        return dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2, st_ctime=now, st_mtime=now, st_atime=now)

    def readdir(self, path, fh):
        return [".", ".."]

    def statfs(self, path):
        while self.order() == "hang":
            time.sleep(0.05)
        delay = self.order()
        if delay.isdigit():
            time.sleep(int(delay))
            try:
                os.unlink(self.control)
            except OSError:
                pass
        return dict(f_bsize=4096, f_frsize=4096, f_blocks=2621440, f_bfree=655360, f_bavail=655360,
                    f_files=65536, f_ffree=65000, f_favail=65000, f_namemax=255)


if __name__ == "__main__":
    FUSE(HungVolume(sys.argv[2]), sys.argv[1], foreground=True, nothreads=False)
