// The user stand-in: starts the program, watches its dialog and message boxes,
// records what they show and presses what the script says. It polls with a
// deadline and ends the program itself when the deadline passes, so a test
// never hangs on a program that waits for input nobody gives.
//
//   userstandin.exe RESULTS SECONDS "ACTIONS" PROGRAM [SHOTDIR] [--args-file=FILE]
//   ACTIONS: blank-separated ok | esc | close | box-ok, taken as
//   tests/scenarios/README.md says: a box takes box-ok (and is closed with OK
//   before any other action), a waiting dialog takes ok, esc and close and
//   uses up a box-ok without effect, a busy dialog takes nothing; with no
//   action left a box gets OK and a dialog Esc. A script with any other word
//   is refused before the program starts.
//   SHOTDIR: where to save pictures of the screen: dialog.bmp just before the
//   first action on the dialog, removal.bmp the dialog as last seen after OK
//   (the program hides it before its final box), boxN.bmp while the Nth
//   message box is up.
//   FILE: holds the program's command line after its name, as it stands
//   (quotes and blanks would not pass through Wine's command line intact).
//   Any other visible top-level window of the program is recorded as
//   "window CLASS|TITLE", so a run that must show nothing can be held to it.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "screenshot.h"
#include "harness/record_text.h"

namespace {

const int kControlIds[] = {0, 1004, 1003, 1002, 1001, IDOK, 1000};
const DWORD kPollMs = 40;
const DWORD kSettleMs = 300;     // let the dialog finish painting its texts before acting
// A dialog still up this long after an action that did not end it waits
// for the user again.
const DWORD kBusyMs = 10000;
const DWORD kAnswerMs = 200;
const char* const kActions[] = {"ok", "esc", "close", "box-ok"};

struct Windows {
    HWND dialog = NULL;
    std::vector<HWND> boxes;
    std::vector<HWND> others;  // visible, neither the dialog nor a box
};

struct DialogState {
    bool seen = false;
    std::string firstCaption;
    std::string texts[sizeof(kControlIds) / sizeof(kControlIds[0])];
    int shown[sizeof(kControlIds) / sizeof(kControlIds[0])] = {};
    long progress = -1;
};

DWORD g_pid = 0;
// The program and the programs it started: the 32-bit build on 64-bit Windows
// shows nothing itself and hands the run to the 64-bit program it carries.
std::vector<DWORD> g_family;

void RefreshFamily() {
    g_family.assign(1, g_pid);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == g_pid && entry.th32ProcessID != g_pid)
            g_family.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
}

bool InFamily(DWORD pid) {
    for (DWORD member : g_family)
        if (member == pid) return true;
    return false;
}

void EndChildren() {
    for (size_t i = 1; i < g_family.size(); ++i) {
        HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, g_family[i]);
        if (child == NULL)
            continue;
        TerminateProcess(child, 255);
        CloseHandle(child);
    }
}

std::string TextOf(HWND w) {
    char buf[1024] = "";
    // Reads the text the window system keeps: no message, so a busy program cannot block us.
    GetWindowTextA(w, buf, sizeof(buf));
    return buf;
}

bool IsDialogClass(HWND w) {
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof(cls));
    return strcmp(cls, "#32770") == 0;
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (!InFamily(pid))
        return TRUE;
    Windows* found = reinterpret_cast<Windows*>(lp);
    if (!IsDialogClass(w)) {
        if (IsWindowVisible(w)) found->others.push_back(w);
        return TRUE;
    }
    if (GetDlgItem(w, 0xFFFF) != NULL)
        found->boxes.push_back(w);
    else if (GetWindow(w, GW_OWNER) == NULL && GetDlgItem(w, 1001) != NULL)
        found->dialog = w;
    return TRUE;
}

Windows FindProgramWindows() {
    RefreshFamily();
    Windows found;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Snapshot(HWND dialog, DialogState& state) {
    for (size_t i = 0; i < sizeof(kControlIds) / sizeof(kControlIds[0]); ++i) {
        HWND w = kControlIds[i] == 0 ? dialog : GetDlgItem(dialog, kControlIds[i]);
        if (w == NULL)
            continue;
        state.texts[i] = TextOf(w);
        // The control's own flag: once the dialog has ended, its window is hidden as a whole.
        state.shown[i] = (GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0;
    }
    HWND bar = GetDlgItem(dialog, 1000);
    DWORD_PTR pos = 0;
    // The program's thread may be busy removing; a short bounded wait keeps the last value.
    if (bar != NULL && SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &pos) != 0)
        state.progress = static_cast<long>(pos);
}

std::vector<std::string> SplitActions(const char* text) {
    std::vector<std::string> actions;
    std::string cur;
    for (const char* p = text; ; ++p) {
        if (*p == ' ' || *p == '\t' || *p == '\0') {
            if (!cur.empty()) actions.push_back(cur);
            cur.clear();
            if (*p == '\0') break;
        } else {
            cur += *p;
        }
    }
    return actions;
}

bool IsKnownAction(const std::string& action) {
    for (const char* known : kActions)
        if (action == known) return true;
    return false;
}

// The dialog's thread is back in its message loop: it answers at once.
bool Answers(HWND dialog) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &result) != 0;
}

void PressOnDialog(HWND dialog, const std::string& action) {
    if (action == "ok") {
        HWND button = GetDlgItem(dialog, IDOK);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    } else if (action == "esc") {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

// The dialog and, when one is up, its box: the part of the screen a user looks at.
RECT AreaOf(HWND dialog, HWND box) {
    RECT area = {0, 0, 0, 0};
    if (dialog != NULL && IsWindowVisible(dialog))
        GetWindowRect(dialog, &area);
    if (box != NULL) {
        RECT r;
        GetWindowRect(box, &r);
        UnionRect(&area, &area, &r);
    }
    return area;
}

void Shoot(const std::string& dir, const std::string& name, HWND dialog, HWND box, std::vector<std::string>& log) {
    std::string path = dir + "\\" + name + ".bmp";
    RECT area = AreaOf(dialog, box);
    bool saved = SaveScreenRect(area, path.c_str());
    char where[64];
    wsprintfA(where, " %d,%d,%d,%d", static_cast<int>(area.left), static_cast<int>(area.top),
              static_cast<int>(area.right), static_cast<int>(area.bottom));
    log.push_back(std::string(saved ? "shot " : "shot-failed ") + name + where);
}

bool Contains(const std::vector<HWND>& list, HWND w) {
    for (HWND x : list)
        if (x == w) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::string shotDir;
    std::string programArgs;
    for (int i = 5; i < argc; ++i) {
        if (strncmp(argv[i], "--args-file=", 12) != 0) {
            shotDir = argv[i];
            continue;
        }
        FILE* in = fopen(argv[i] + 12, "rb");
        if (in == NULL) {
            fprintf(stderr, "userstandin: cannot read %s\n", argv[i] + 12);
            return 2;
        }
        char buffer[2048];
        size_t got = fread(buffer, 1, sizeof(buffer) - 1, in);
        fclose(in);
        programArgs.assign(buffer, got);
    }
    if (argc < 5 || argc > 7) {
        fprintf(stderr, "usage: userstandin RESULTS SECONDS ACTIONS PROGRAM [SHOTDIR] [--args-file=FILE]\n");
        return 2;
    }
    std::vector<std::string> actions = SplitActions(argv[3]);
    for (const std::string& action : actions) {
        if (!IsKnownAction(action)) {
            fprintf(stderr, "userstandin: unknown action \"%s\" (known: ok esc close box-ok); nothing was run\n",
                    action.c_str());
            return 2;
        }
    }
    DWORD limitMs = static_cast<DWORD>(atoi(argv[2])) * 1000;
    std::vector<std::string> log;

    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    std::string cmd = std::string("\"") + argv[4] + "\"";
    if (!programArgs.empty())
        cmd += " " + programArgs;
    if (!CreateProcessA(argv[4], &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "cannot start %s: error %lu\n", argv[4], GetLastError());
        return 3;
    }
    g_pid = pi.dwProcessId;

    DialogState dialog;
    std::vector<HWND> boxesSeen;
    std::vector<HWND> othersSeen;
    size_t next = 0;
    DWORD start = GetTickCount();
    DWORD dialogSince = 0;
    DWORD lastAct = start;
    bool timedOut = false;
    DWORD boxSince = 0;
    HWND boxShot = NULL;
    bool dialogShot = false;
    bool okPressed = false;
    bool dialogBusy = false;  // an action was posted to it and it has not come back
    for (;;) {
        bool ended = WaitForSingleObject(pi.hProcess, kPollMs) == WAIT_OBJECT_0;
        DWORD now = GetTickCount();
        Windows found = FindProgramWindows();
        HWND openBox = NULL;
        for (HWND box : found.boxes) {
            if (!IsWindowVisible(box))
                continue;
            if (!Contains(boxesSeen, box)) {
                boxesSeen.push_back(box);
                HWND text = GetDlgItem(box, 0xFFFF);
                log.push_back("box " + harness::EscapeText(TextOf(box)) + "|" + harness::EscapeText(TextOf(text)));
                boxSince = now;
            }
            openBox = box;
        }
        for (HWND other : found.others) {
            if (Contains(othersSeen, other))
                continue;
            othersSeen.push_back(other);
            char cls[64] = "";
            GetClassNameA(other, cls, sizeof(cls));
            log.push_back(std::string("window ") + cls + "|" + harness::EscapeText(TextOf(other)));
        }
        // Asked once per round: the dialog may become visible between two calls.
        bool dialogVisible = found.dialog != NULL && IsWindowVisible(found.dialog);
        if (!shotDir.empty() && okPressed && dialogVisible && openBox == NULL) {
            // Overwritten every round: what stays is the dialog's last look.
            Shoot(shotDir, "removal", found.dialog, NULL, log);
        }
        if (found.dialog != NULL) {
            if (!dialog.seen && dialogVisible) {
                dialog.seen = true;
                dialog.firstCaption = TextOf(found.dialog);
                log.push_back("dialog " + harness::EscapeText(dialog.firstCaption));
                dialogSince = now;
            }
            Snapshot(found.dialog, dialog);
        }
        if (ended)
            break;
        if (now - start > limitMs) {
            timedOut = true;
            break;
        }
        std::string want = next < actions.size() ? actions[next] : "";
        if (openBox != NULL && !shotDir.empty() && openBox != boxShot) {
            // Give the box time to paint before it is photographed and closed.
            if (now - boxSince < kSettleMs)
                continue;
            Shoot(shotDir, "box" + std::to_string(boxesSeen.size()), found.dialog, openBox, log);
            boxShot = openBox;
        }
        if (openBox != NULL) {
            // A box only offers OK; one the script did not foresee is still closed, so the run ends.
            log.push_back(want == "box-ok" ? "action box-ok" : "action box-ok unscripted");
            if (want == "box-ok") ++next;
            PostMessageA(openBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            lastAct = now;
            Sleep(kPollMs);
            continue;
        }
        if (dialogBusy && dialogVisible && now - lastAct > kBusyMs && Answers(found.dialog))
            dialogBusy = false;
        bool dialogReady = dialog.seen && dialogVisible && !dialogBusy && IsWindowEnabled(found.dialog)
            && now - dialogSince >= kSettleMs;
        if (!dialogReady)
            continue;
        if (!shotDir.empty() && !dialogShot && !want.empty()) {
            Shoot(shotDir, "dialog", found.dialog, NULL, log);
            dialogShot = true;
        }
        if (want == "ok" || want == "esc" || want == "close") {
            PressOnDialog(found.dialog, want);
            log.push_back("action " + want);
            okPressed = okPressed || want == "ok";
            dialogBusy = true;
            ++next;
            lastAct = now;
        } else if (want == "box-ok") {
            // No box to close: the action is used up and the script goes on.
            log.push_back("action box-ok with no box");
            ++next;
        } else {
            PressOnDialog(found.dialog, "esc");
            log.push_back("action esc unscripted");
            dialogBusy = true;
            lastAct = now;
        }
    }
    if (timedOut) {
        log.push_back("timeout");
        EndChildren();
        TerminateProcess(pi.hProcess, 255);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    for (size_t i = next; i < actions.size(); ++i)
        log.push_back("unused " + actions[i]);
    if (dialog.seen) {
        for (size_t i = 0; i < sizeof(kControlIds) / sizeof(kControlIds[0]); ++i) {
            log.push_back("text " + std::to_string(kControlIds[i]) + " " + harness::EscapeText(dialog.texts[i]));
            log.push_back("shown " + std::to_string(kControlIds[i]) + " " + std::to_string(dialog.shown[i]));
        }
        log.push_back("progress " + std::to_string(dialog.progress));
    }
    log.push_back("exit " + std::to_string(code));

    FILE* out = fopen(argv[1], "wb");
    if (out == NULL) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 4;
    }
    for (const std::string& line : log)
        fprintf(out, "%s\n", line.c_str());
    fclose(out);
    return timedOut ? 1 : 0;
}
