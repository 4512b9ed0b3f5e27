"""The text hook's record (texthook.dll, started by texthooker.exe): every text
the program set on its dialog and every progress message, in order. Polling
from the user stand-in misses texts set and replaced within one handler; the
record does not."""
import os

TOOLS = ("texthooker.exe", "texthook.dll")
LOG = "textlog.txt"


def available(tools_dir):
    return all(os.path.exists(os.path.join(tools_dir, t)) for t in TOOLS)


def hooked(harness_win, command):
    """The command, run with the hook in every GUI thread it starts."""
    return [harness_win + "\\texthooker.exe", harness_win + "\\texthook.dll", harness_win + "\\" + LOG] + command


def read(harness_dir):
    """(texts, progress): texts as [(control id, text)], progress as
    [(message, wParam, lParam, position after)], both in the order sent."""
    texts, progress = [], []
    path = os.path.join(harness_dir, LOG)
    if not os.path.exists(path):
        return texts, progress
    for line in open(path, encoding="cp1252", errors="replace").read().splitlines():
        kind, _, rest = line.partition(" ")
        if kind == "text":
            ident, _, text = rest.partition(" ")
            texts.append((int(ident), text))
        elif kind == "progress":
            parts = rest.split(" ")
            if len(parts) == 4:
                progress.append((parts[0], parts[1], parts[2], int(parts[3])))
    return texts, progress


def apply(outcome, harness_dir, unescape):
    """Each control's final text and the bar's final position, as the
    program last set them, over what the stand-in saw."""
    texts, progress = read(harness_dir)
    for ident, text in texts:
        outcome.texts[ident] = unescape(text)
    if progress:
        outcome.progress = progress[-1][3]
