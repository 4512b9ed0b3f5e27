// Starts the other programs a scenario's machine runs before the uninstaller:
// plain processes by path, and top-level windows by title, and waits until each
// window exists, so the uninstaller never races their start.
//
// Files held in use are started through the holder and waited for too.
//
//   launch.exe TOPWINDOW_EXE [proc PATH]... [window TITLE 0|1]...
//              [hold HOLDFILE_EXE open|load PATH READY_FILE]...
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const DWORD kWindowWaitMs = 15000;

bool WaitForFile(const char* path) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWindowWaitMs) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(50);
    }
    fprintf(stderr, "%s did not appear\n", path);
    return false;
}

bool Start(const std::string& cmdline) {
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    std::string cmd = cmdline;
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "cannot start %s: error %lu\n", cmdline.c_str(), GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool WaitForWindow(const char* title) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWindowWaitMs) {
        if (FindWindowA(NULL, title) != NULL)
            return true;
        Sleep(50);
    }
    fprintf(stderr, "window \"%s\" did not appear\n", title);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    std::string topwindow = argv[1];
    bool ok = true;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "proc") == 0 && i + 1 < argc) {
            ok = Start(std::string("\"") + argv[i + 1] + "\"") && ok;
            i += 1;
        } else if (strcmp(argv[i], "window") == 0 && i + 2 < argc) {
            std::string cmd = "\"" + topwindow + "\" \"" + argv[i + 1] + "\"";
            if (strcmp(argv[i + 2], "1") == 0)
                cmd += " hung";
            ok = Start(cmd) && WaitForWindow(argv[i + 1]) && ok;
            i += 2;
        } else if (strcmp(argv[i], "hold") == 0 && i + 4 < argc) {
            std::string cmd = std::string("\"") + argv[i + 1] + "\" " + argv[i + 2] + " \"" + argv[i + 3] + "\" \"" +
                              argv[i + 4] + "\"";
            ok = Start(cmd) && WaitForFile(argv[i + 4]) && ok;
            i += 4;
        } else {
            fprintf(stderr, "bad argument %s\n", argv[i]);
            return 2;
        }
    }
    return ok ? 0 : 1;
}
