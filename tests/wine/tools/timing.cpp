// The timing stand-in: starts a dialog program and measures, with the
// performance counter, what a user waits for.
//
//   timing.exe start RESULTS RUNS PROGRAM...
//     RUNS rounds, each starting every PROGRAM in turn (interleaved, so a busy
//     machine slows them alike) after one unmeasured warm-up round: the time
//     from CreateProcess to the dialog being visible and enabled with its
//     controls; the dialog is then cancelled. Lines "start NAME MS".
//   timing.exe removal RESULTS PROGRAM [nomarks]
//     Starts the program, presses OK once its dialog is up and idle, and
//     times OK to the final message box, with marks in between as they are
//     seen (none with nomarks: only the box is looked for, so the polling
//     asks the window server least). Lines "mark WHAT MS", "file MS PATH" and
//     "box CAPTION|TEXT".
//
// Windows are polled every millisecond or so; the texts are read without a
// message (GetWindowText of another process's window), so polling never waits
// on the program's busy thread.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kLimitMs = 60000;   // a program that never shows its dialog is stopped
const DWORD kSettleMs = 500;    // lets the dialog go idle before OK is pressed
const DWORD kExitWaitMs = 15000;

struct Found {
  DWORD pid = 0;
  HWND dialog = NULL;
  HWND box = NULL;
};

double g_ticksPerMs = 0;

double NowMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / g_ticksPerMs;
}

bool IsDialogClass(HWND w) {
  char cls[64] = "";
  GetClassNameA(w, cls, sizeof(cls));
  return strcmp(cls, "#32770") == 0;
}

BOOL CALLBACK Collect(HWND w, LPARAM lp) {
  Found* found = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != found->pid || !IsDialogClass(w) || !IsWindowVisible(w)) return TRUE;
  if (GetDlgItem(w, 0xFFFF) != NULL) {
    found->box = w;
  } else if (GetWindow(w, GW_OWNER) == NULL && GetDlgItem(w, 1001) != NULL && GetDlgItem(w, IDOK) != NULL &&
             GetDlgItem(w, 1000) != NULL) {
    found->dialog = w;
  }
  return TRUE;
}

Found Look(DWORD pid) {
  Found found;
  found.pid = pid;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string TextOf(HWND w) {
  char buf[512] = "";
  GetWindowTextA(w, buf, sizeof(buf));
  return buf;
}

// One line per result: a message box's line breaks are written as \n.
std::string OneLine(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += "\\n";
    else if (c != '\r') out += c;
  }
  return out;
}

std::string BaseName(const char* path) {
  const char* base = path;
  for (const char* c = path; *c != '\0'; ++c)
    if (*c == '\\' || *c == '/') base = c + 1;
  return base;
}

bool Start(const char* program, PROCESS_INFORMATION* pi) {
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof(si));
  si.cb = sizeof(si);
  ZeroMemory(pi, sizeof(*pi));
  std::string cmd = std::string("\"") + program + "\"";
  if (!CreateProcessA(program, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, pi)) {
    fprintf(stderr, "cannot start %s: error %lu\n", program, GetLastError());
    return false;
  }
  return true;
}

// Waits for the process to end; stops it when it will not.
DWORD Finish(PROCESS_INFORMATION* pi) {
  if (WaitForSingleObject(pi->hProcess, kExitWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(pi->hProcess, 255);
    WaitForSingleObject(pi->hProcess, 5000);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi->hProcess, &code);
  CloseHandle(pi->hThread);
  CloseHandle(pi->hProcess);
  return code;
}

// The dialog once visible and enabled, or NULL when the program ended or the limit passed.
HWND WaitForDialog(const PROCESS_INFORMATION& pi, double started) {
  for (;;) {
    Found found = Look(pi.dwProcessId);
    if (found.dialog != NULL && IsWindowEnabled(found.dialog)) return found.dialog;
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) return NULL;
    if (NowMs() - started > kLimitMs) return NULL;
  }
}

// Milliseconds from CreateProcess to the dialog, or a negative number when it never came.
double TimeStart(const char* program, std::vector<std::string>& log) {
  PROCESS_INFORMATION pi;
  double started = NowMs();
  if (!Start(program, &pi)) return -1;
  HWND dialog = WaitForDialog(pi, started);
  double shown = NowMs();
  if (dialog != NULL) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  DWORD code = Finish(&pi);
  if (dialog == NULL) {
    log.push_back("failed " + BaseName(program) + " exit " + std::to_string(code));
    return -1;
  }
  return shown - started;
}

int RunStart(int runs, char** programs, int count, std::vector<std::string>& log) {
  int failures = 0;
  for (int round = 0; round <= runs; ++round) {
    for (int i = 0; i < count; ++i) {
      double ms = TimeStart(programs[i], log);
      if (ms < 0) {
        ++failures;
        continue;
      }
      char line[256];
      snprintf(line, sizeof(line), "%s %s %.2f", round == 0 ? "warmup" : "start", BaseName(programs[i]).c_str(), ms);
      log.push_back(line);
    }
  }
  return failures == 0 ? 0 : 1;
}

void Mark(std::vector<std::string>& log, const char* what, double ms) {
  char line[128];
  snprintf(line, sizeof(line), "mark %s %.2f", what, ms);
  log.push_back(line);
}

int RunRemoval(const char* program, bool marks, std::vector<std::string>& log) {
  PROCESS_INFORMATION pi;
  double started = NowMs();
  if (!Start(program, &pi)) return 3;
  HWND dialog = WaitForDialog(pi, started);
  if (dialog == NULL) {
    log.push_back("failed no dialog exit " + std::to_string(Finish(&pi)));
    return 1;
  }
  Mark(log, "dialog", NowMs() - started);
  Sleep(kSettleMs);
  HWND heading = GetDlgItem(dialog, 1004);
  HWND status = GetDlgItem(dialog, 1002);
  std::string lastStatus = TextOf(status);
  bool sawHeading = false;
  bool sawHidden = false;
  HWND ok = GetDlgItem(dialog, IDOK);
  double pressed = NowMs();
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  HWND box = NULL;
  for (;;) {
    double now = NowMs();
    if (marks) {
      if (!sawHeading && TextOf(heading) == "Delete Files:") {
        // The remote window has been dealt with and the progress display is up.
        Mark(log, "progress-display", now - pressed);
        sawHeading = true;
      }
      std::string shown = TextOf(status);
      if (shown != lastStatus && !shown.empty()) {
        // Each file as the program shows it; a step shown for less than a poll is missed.
        char line[64];
        snprintf(line, sizeof(line), "file %.2f ", now - pressed);
        log.push_back(line + OneLine(shown));
      }
      lastStatus = shown;
      if (!sawHidden && !IsWindowVisible(dialog)) {
        // Files, devices and registry done: the dialog has ended.
        Mark(log, "dialog-ended", now - pressed);
        sawHidden = true;
      }
    }
    Found found = Look(pi.dwProcessId);
    if (found.box != NULL) {
      box = found.box;
      Mark(log, "box", NowMs() - pressed);
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0 || now - pressed > kLimitMs) break;
  }
  if (box == NULL) {
    log.push_back("failed no box exit " + std::to_string(Finish(&pi)));
    return 1;
  }
  log.push_back("box " + OneLine(TextOf(box) + "|" + TextOf(GetDlgItem(box, 0xFFFF))));
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  log.push_back("exit " + std::to_string(Finish(&pi)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_ticksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;
  std::vector<std::string> log;
  int status = 2;
  if (argc >= 5 && strcmp(argv[1], "start") == 0) {
    status = RunStart(atoi(argv[3]), argv + 4, argc - 4, log);
  } else if ((argc == 4 || argc == 5) && strcmp(argv[1], "removal") == 0) {
    status = RunRemoval(argv[3], argc == 4 || strcmp(argv[4], "nomarks") != 0, log);
  } else {
    fprintf(stderr, "usage: timing start RESULTS RUNS PROGRAM... | timing removal RESULTS PROGRAM [nomarks]\n");
    return 2;
  }
  FILE* out = fopen(argv[2], "wb");
  if (out == NULL) {
    fprintf(stderr, "cannot write %s\n", argv[2]);
    return 4;
  }
  for (const std::string& line : log) fprintf(out, "%s\n", line.c_str());
  fclose(out);
  return status;
}
