// A hook DLL the Wine runs load into DrvUninst.exe: it records every text set
// on the program's dialog and controls, and every message to its progress
// bar with the position that follows, in the order the program sent them.
// Polling from another process misses texts set and replaced within one
// handler (the device check that ends the dialog at once); this does not.
//
// The log's path comes from the environment (DRVUNINST_TEXTLOG), which the
// program inherits from whoever started it. Lines:
//   text ID TEXT          ID 0 is the dialog's caption; \n \r \t \\ escaped
//   progress MESSAGE WPARAM LPARAM POSITION
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "harness/record_text.h"

namespace {

const char kProgram[] = "drvuninst.exe";
const int kBoxTextId = 0xFFFF;

bool InProgram() {
    static int answer = -1;
    if (answer < 0) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(NULL, path, sizeof(path));
        const char* name = strrchr(path, '\\');
        name = name == NULL ? path : name + 1;
        answer = lstrcmpiA(name, kProgram) == 0 ? 1 : 0;
    }
    return answer == 1;
}

// Opened for each line, so a program ended from outside loses nothing.
void Append(const std::string& line) {
    char path[MAX_PATH] = "";
    if (GetEnvironmentVariableA("DRVUNINST_TEXTLOG", path, sizeof(path)) == 0) return;
    FILE* log = fopen(path, "ab");
    if (log == NULL) return;
    fprintf(log, "%s\n", line.c_str());
    fclose(log);
}

bool IsProgressBar(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return lstrcmpiA(name, PROGRESS_CLASSA) == 0;
}

void Record(const CWPRETSTRUCT& call) {
    if (call.message == WM_SETTEXT) {
        HWND root = GetAncestor(call.hwnd, GA_ROOT);
        // A message box's own texts are read from the box itself.
        if (root == NULL || GetDlgItem(root, kBoxTextId) != NULL) return;
        const int id = call.hwnd == root ? 0 : GetDlgCtrlID(call.hwnd);
        Append("text " + std::to_string(id) + " " + harness::EscapeText(call.lParam == 0 ? "" : reinterpret_cast<const char*>(call.lParam)));
        return;
    }
    const char* name = harness::ProgressMessageName(call.message);
    if (name == NULL || !IsProgressBar(call.hwnd)) return;
    const LRESULT position = SendMessageA(call.hwnd, PBM_GETPOS, 0, 0);
    Append(std::string("progress ") + name + " " + std::to_string(static_cast<unsigned long long>(call.wParam)) +
           " " + std::to_string(static_cast<long long>(call.lParam)) + " " + std::to_string(position));
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK TextHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && InProgram()) Record(*reinterpret_cast<const CWPRETSTRUCT*>(lParam));
    return CallNextHookEx(NULL, code, wParam, lParam);
}
