"""Reading the lists a preview run with --lists ends with."""


def gone_lists(report):
    """{"key": ..., "file": ..., "device": ...}: lower-cased names, one set each."""
    gone = {"key": set(), "file": set(), "device": set()}
    for line in report.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[0] == "gone" and parts[1] in gone:
            gone[parts[1]].add(parts[2].lower())
    return gone


def gone_files(gone, windows_directory="c:\\windows\\"):
    """The files said to go, relative to the Windows directory."""
    return {f[len(windows_directory):] for f in gone["file"] if f.startswith(windows_directory)}
