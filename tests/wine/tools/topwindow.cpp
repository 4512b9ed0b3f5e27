// A top-level window of another program, as the remote-control application
// shows it. With "hung" it stops taking messages once the window is up, like a
// program that no longer answers.
//
//   topwindow.exe TITLE [hung]
#include <windows.h>
#include <cstring>

namespace {

const DWORD kLifetimeMs = 600000;  // never outlive a forgotten test run by much

LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    bool hung = argc > 2 && strcmp(argv[2], "hung") == 0;
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "DrvUninstTestTopWindow";
    if (RegisterClassA(&wc) == 0)
        return 3;
    HWND w = CreateWindowExA(0, wc.lpszClassName, argv[1], WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                             NULL, NULL, instance, NULL);
    if (w == NULL)
        return 4;
    ShowWindow(w, SW_SHOWNOACTIVATE);
    if (hung) {
        Sleep(kLifetimeMs);
        return 0;
    }
    SetTimer(w, 1, kLifetimeMs, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            break;
        DispatchMessageA(&msg);
    }
    return 0;
}
