# A drive that stalls on purpose: an in-memory FUSE file system whose every lookup below Share waits DELAY
# seconds, and gives up when its caller is ended, as a network client's request does.
# Usage: /usr/bin/python3 scripts/slowfs.py MOUNTPOINT DELAY (in the foreground until SIGTERM); says "ready".
import errno
import os
import signal
import stat
import subprocess
import sys
import threading
import time

import fusepy  # Debian's python3-fusepy, on libfuse 2
from fusepy import FUSE, Operations, FuseOSError

mountpoint, delay = sys.argv[1], float(sys.argv[2])
DIRS = {'/': ['Share', 'Fast', 'Denied', 'Broken'], '/Share': ['Sub', 'Inner'], '/Share/Sub': ['Deeper'],
        '/Share/Sub/Deeper': [], '/Share/Inner': [], '/Fast': ['Child'], '/Fast/Child': [],
        '/Denied': ['Inner'], '/Denied/Inner': [], '/Broken': []}
# Answered at once: a folder we may not enter, and one whose device fails (Wine: ERROR_NOT_READY).
FAILING = {'/Denied/': errno.EACCES, '/Broken': errno.EIO}
armed = threading.Event()
START = int(time.time() * 1e9)


class SlowFS(Operations):
    use_ns = True

    def __call__(self, op, path, *args):
        for where, error in FAILING.items():
            if (path or '').startswith(where) and path != '/Denied':
                raise FuseOSError(error)
        if armed.is_set() and (path or '').startswith('/Share/'):
            # An ended caller (TerminateProcess, Ctrl+C) interrupts the request; without this answer its
            # thread, and so the whole process, would stay until the wait was over.
            for _ in range(int(delay / 0.02)):
                if fusepy._libfuse.fuse_interrupted():
                    raise FuseOSError(errno.EINTR)
                time.sleep(0.02)
        return super().__call__(op, path, *args)

    def getattr(self, path, fh=None):
        if path not in DIRS:
            raise FuseOSError(errno.ENOENT)
        return dict(st_mode=stat.S_IFDIR | 0o555, st_nlink=2, st_atime=START, st_mtime=START, st_ctime=START)

    def readdir(self, path, fh):
        return ['.', '..'] + DIRS[path]


def serve():
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM})  # the main thread unmounts
    # No kernel caches, so every lookup reaches us and waits; threads, so one wait holds up no other.
    FUSE(SlowFS(), mountpoint, foreground=True, nothreads=False, ro=True, fsname='slowfs', intr=True,
         entry_timeout=0, attr_timeout=0, negative_timeout=0)


def stop(signum, frame):
    # Lazily: a plain unmount fails while a caller sits in a wait.
    subprocess.run(['fusermount3', '-u', '-z', mountpoint], stderr=subprocess.DEVNULL)
    os._exit(0)


signal.signal(signal.SIGTERM, stop)
server = threading.Thread(target=serve, daemon=True)
server.start()
for _ in range(200):
    if os.path.ismount(mountpoint):
        break
    time.sleep(0.05)
# libfuse 2 holds a folder's lock through the first lookup of a name in it, so a stalled one would hold up
# a fast neighbour's: each name is looked up once while nothing waits.
for known in DIRS:
    if not known.startswith('/Denied/') and known != '/Broken':
        os.lstat(mountpoint + known)
armed.set()
print('ready', flush=True)
server.join()
