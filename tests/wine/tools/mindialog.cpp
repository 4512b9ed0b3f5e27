// The smallest dialog program built as the uninstaller is (same flags, static
// runtime, the same resources and manifest): the yardstick its start is timed
// against. It shows the dialog and ends on OK, Esc or close.
#include <windows.h>
#include <commctrl.h>

namespace {

const int kDialogId = 102;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  if (message == WM_CLOSE) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // As the uninstaller does: the progress bar's class must be registered.
  InitCommonControls();
  INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialogId), NULL, DialogProc, 0);
  return result == IDOK ? 0 : 1;
}
