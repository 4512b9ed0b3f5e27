"""Compares what a run showed and left with a scenario's expect lines."""
import re

_ESCAPES = {"\\": "\\", "n": "\n", "r": "\r", "t": "\t"}


def unescape(text):
    return re.sub(r"\\(.)", lambda m: _ESCAPES.get(m.group(1), "\\" + m.group(1)), text)


def expected_forms(argument):
    """The expect format writes a line feed as \\n; a Windows path may hold \\n
    literally (c:\\windows\\net.inf), so both readings are accepted."""
    return {argument, argument.replace("\\n", "\n")}


class Outcome:
    """What the user stand-in saw, and what the probe found afterwards."""

    def __init__(self):
        self.boxes = []          # (caption, text)
        self.dialog = None       # caption when first shown
        self.texts = {}          # control id -> final text
        self.shown = {}          # control id -> visible at the end
        self.progress = None
        self.actions = []
        self.unused = []
        self.exit_code = None
        self.timed_out = False
        self.windows = []        # other visible windows of the program: "class|title"
        self.log = None          # the lines of the run's /log file, when one was written

    def read_results(self, path):
        with open(path, encoding="cp1252", errors="replace") as f:
            for line in f:
                keyword, _, rest = line.rstrip("\r\n").partition(" ")
                if keyword == "box":
                    caption, _, text = rest.partition("|")
                    self.boxes.append((unescape(caption), unescape(text)))
                elif keyword == "dialog":
                    self.dialog = unescape(rest)
                elif keyword in ("text", "shown"):
                    ident, _, value = rest.partition(" ")
                    target = self.texts if keyword == "text" else self.shown
                    target[int(ident)] = unescape(value) if keyword == "text" else value == "1"
                elif keyword == "progress":
                    self.progress = int(rest)
                elif keyword == "action":
                    self.actions.append(rest)
                elif keyword == "unused":
                    self.unused.append(rest)
                elif keyword == "exit":
                    self.exit_code = int(rest)
                elif keyword == "timeout":
                    self.timed_out = True
                elif keyword == "window":
                    self.windows.append(unescape(rest))



def read_answers(path):
    """The probe's answers: (kind, argument) -> result."""
    answers = {}
    with open(path, encoding="cp1252", errors="replace") as f:
        for line in f:
            parts = line.rstrip("\r\n").split("\t")
            if len(parts) == 3:
                answers[(parts[0], parts[1])] = parts[2]
    return answers


def questions_for(expect):
    """Probe questions that the expect lines need answered."""
    asked = []
    for _, keyword, arg in expect:
        if keyword in ("key-present", "key-absent"):
            asked.append(("key", arg))
        elif keyword in ("value", "multi", "value-absent"):
            path, _, rest = arg.partition("|")
            name = rest.partition("|")[0]
            asked.append(("value", path + "|" + name))
        elif keyword in ("file-present", "file-absent"):
            asked.append(("file", arg))
        elif keyword == "attributes":
            asked.append(("file", arg.partition("|")[0]))
        elif keyword in ("process-alive", "process-gone"):
            asked.append(("process", arg))
        elif keyword in ("window-alive", "window-gone"):
            asked.append(("window", arg))
    return asked


def _show(text):
    return '"' + (text if text is not None else "").replace("\n", "\\n") + '"'


def check(expect, outcome, answers):
    """Failure messages, one per expect line that does not hold."""
    failures = []
    box_lines = [(n, arg) for n, kw, arg in expect if kw == "box"]
    if box_lines:
        shown = outcome.boxes
        for index, (number, arg) in enumerate(box_lines):
            caption, _, text = arg.partition("|")
            if index >= len(shown):
                failures.append("line %d: box %d never shown: %s | %s" % (number, index + 1, _show(caption), _show(text)))
                continue
            got_caption, got_text = shown[index]
            if got_caption not in expected_forms(caption) or got_text not in expected_forms(text):
                failures.append("line %d: box %d was %s | %s, expected %s | %s" % (
                    number, index + 1, _show(got_caption), _show(got_text), _show(caption), _show(text)))
        for extra in shown[len(box_lines):]:
            failures.append("an unexpected box was shown: %s | %s" % (_show(extra[0]), _show(extra[1])))

    for number, keyword, arg in expect:
        problem = _check_line(keyword, arg, outcome, answers)
        if problem:
            failures.append("line %d: %s %s: %s" % (number, keyword, arg, problem))
    return failures


def _check_line(keyword, arg, outcome, answers):
    if keyword in ("box", "known-difference"):
        return None
    if keyword == "no-box":
        return None if not outcome.boxes else "boxes were shown: " + ", ".join(_show(t) for _, t in outcome.boxes)
    if keyword == "dialog":
        if outcome.dialog is None:
            return "the dialog was never shown"
        return None if outcome.dialog in expected_forms(arg) else "its caption was " + _show(outcome.dialog)
    if keyword == "no-window":
        seen = ([_show(outcome.dialog)] if outcome.dialog is not None else []) + \
            [_show(t) for _, t in outcome.boxes] + [_show(w) for w in outcome.windows]
        return None if not seen else "windows appeared: " + ", ".join(seen)
    if keyword == "exit":
        return None if outcome.exit_code == int(arg) else "the exit code was %s" % outcome.exit_code
    if keyword == "log":
        if outcome.log is None:
            return "no log was written"
        return None if arg in outcome.log else "the log has no such line"
    if keyword == "no-dialog":
        return None if outcome.dialog is None else "the dialog was shown: " + _show(outcome.dialog)
    if keyword == "text":
        ident, _, text = arg.partition(" ")
        if outcome.dialog is None:
            return "the dialog was never shown"
        got = outcome.texts.get(int(ident))
        return None if got in expected_forms(text) else "it was " + _show(got)
    if keyword == "progress":
        return None if outcome.progress == int(arg) else "it was %s" % outcome.progress
    if keyword in ("key-present", "key-absent"):
        got = answers.get(("key", arg))
        want = "present" if keyword == "key-present" else "absent"
        return None if got == want else "the key is %s" % got
    if keyword == "value":
        path, _, rest = arg.partition("|")
        name, _, text = rest.partition("|")
        got = answers.get(("value", path + "|" + name))
        if got is None or not got.startswith("sz:"):
            return "the value is %s" % got
        value = unescape(got[3:])
        return None if value in expected_forms(text) else "it is " + _show(value)
    if keyword == "multi":
        path, _, rest = arg.partition("|")
        name, _, names = rest.partition("|")
        got = answers.get(("value", path + "|" + name))
        return None if got == "multi:" + names else "the value is %s" % got
    if keyword == "value-absent":
        path, _, name = arg.partition("|")
        got = answers.get(("value", path + "|" + name))
        return None if got == "absent" else "the value is %s" % got
    if keyword in ("file-present", "file-absent"):
        got = answers.get(("file", arg))
        present = got is not None and got.startswith("attr:")
        return None if present == (keyword == "file-present") else "the file is %s" % got
    if keyword == "attributes":
        path, _, want = arg.partition("|")
        got = answers.get(("file", path))
        return None if got == "attr:" + want.strip().lower() else "the file is %s" % got
    if keyword in ("process-alive", "process-gone"):
        got = answers.get(("process", arg))
        alive = got is not None and got.isdigit() and int(got) > 0
        return None if alive == (keyword == "process-alive") else "running copies: %s" % got
    if keyword in ("window-alive", "window-gone"):
        got = answers.get(("window", arg))
        return None if (got == "present") == (keyword == "window-alive") else "the window is %s" % got
    return "unknown expect keyword"
