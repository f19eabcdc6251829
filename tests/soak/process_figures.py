"""What /proc says of a Linux process that a soak samples."""

from pathlib import Path

STATUS_FIGURES = {"RssAnon:": "rss_anon", "RssShmem:": "rss_shmem"}


def unix_figures(pid):
    """Anonymous and shared resident memory (bytes) and open descriptors of a process; -1 for
    what cannot be read."""
    figures = {"rss_anon": -1, "rss_shmem": -1, "fds": -1}
    try:
        for line in Path(f"/proc/{pid}/status").read_text().splitlines():
            name = STATUS_FIGURES.get(line.split(" ", 1)[0].split("\t", 1)[0])
            if name:
                figures[name] = int(line.split()[1]) * 1024
        figures["fds"] = len(list(Path(f"/proc/{pid}/fd").iterdir()))
    except OSError:
        pass
    return figures
