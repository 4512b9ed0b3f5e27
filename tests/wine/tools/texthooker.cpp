// Runs a command with texthook.dll hooked into every GUI thread of the
// session, so the DrvUninst.exe that the command starts logs what it shows.
//
//   texthooker.exe DLL LOG COMMAND...
#include <windows.h>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: texthooker DLL LOG COMMAND...\n");
        return 2;
    }
    // The program inherits the log's path through the environment.
    if (!SetEnvironmentVariableA("DRVUNINST_TEXTLOG", argv[2])) return 3;
    HMODULE dll = LoadLibraryA(argv[1]);
    if (dll == NULL) {
        fprintf(stderr, "cannot load %s: error %lu\n", argv[1], GetLastError());
        return 3;
    }
    HOOKPROC proc = reinterpret_cast<HOOKPROC>(GetProcAddress(dll, "TextHookProc"));
    HHOOK hook = proc == NULL ? NULL : SetWindowsHookExA(WH_CALLWNDPROCRET, proc, dll, 0);
    if (hook == NULL) {
        fprintf(stderr, "cannot set the hook: error %lu\n", GetLastError());
        FreeLibrary(dll);
        return 3;
    }
    std::string cmd;
    for (int i = 3; i < argc; ++i) cmd += std::string(i > 3 ? " \"" : "\"") + argv[i] + "\"";
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    DWORD code = 3;
    if (CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    } else {
        fprintf(stderr, "cannot start %s: error %lu\n", cmd.c_str(), GetLastError());
    }
    UnhookWindowsHookEx(hook);
    FreeLibrary(dll);
    return static_cast<int>(code);
}
