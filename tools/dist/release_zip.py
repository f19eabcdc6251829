"""Writes a zip whose bytes depend only on its entries: they go in the order given, each with
the same fixed time, plain file permissions and no extra fields, so that two builds of the
same commit give the same file."""

import time
import zipfile

FILE_MODE = 0o100644  # a regular file, rw-r--r--, whatever the build tree's umask


def zip_time(epoch):
    """The zip's local-time stamp for a Unix time, read as UTC and kept to the zip range
    (1980-2107, even seconds)."""
    year, month, day, hour, minute, second = time.gmtime(epoch)[:6]
    if year < 1980:
        return (1980, 1, 1, 0, 0, 0)
    return (min(year, 2107), month, day, hour, minute, second - second % 2)


def write_zip(path, entries, epoch):
    """`entries`: (name inside the zip, bytes) pairs, in the order they are to be stored."""
    stamp = zip_time(epoch)
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the mode below is read as such
            info.external_attr = FILE_MODE << 16
            archive.writestr(info, data, compresslevel=9)
