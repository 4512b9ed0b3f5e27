// The least of the class library that the program is written on: the
// application object, windows, modal dialogs and paint contexts, built only
// on the Win32 API so one copy serves the Windows build and the simulation.
#pragma once

#include <map>
#include <memory>

#include "platform/afx/afxstr.h"
#include "platform/win32.h"

class CWnd {
 public:
  CWnd() = default;
  explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd() = default;

  HWND GetSafeHwnd() const { return m_hWnd; }
  // A child control; the object stays owned by this window. None while the
  // window does not exist (a dialog run without being shown).
  CWnd* GetDlgItem(int nID) const;
  void SetWindowText(LPCSTR text);
  void GetWindowText(CString& text) const;
  BOOL ShowWindow(int nCmdShow);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);
  BOOL IsIconic() const;
  void GetClientRect(LPRECT rect) const;
  HICON SetIcon(HICON icon, BOOL bigIcon);
  // Paints what is invalid now, for a handler that keeps the thread busy;
  // nothing to paint while the window does not exist.
  void UpdateWindow();
  void CenterWindow();

  HWND m_hWnd = nullptr;

 protected:
  // The default processing of the message being handled.
  LRESULT Default();

  UINT m_currentMessage = 0;
  WPARAM m_currentWParam = 0;
  LPARAM m_currentLParam = 0;

 private:
  mutable std::map<int, std::unique_ptr<CWnd>> m_children;
};

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

  virtual INT_PTR DoModal();
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

 protected:
  void EndDialog(int nResult);
  // The derived dialog's message table: return TRUE when the message was
  // handled and set *result.
  virtual BOOL OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

class CPaintDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON icon);

  HDC m_hDC;
  PAINTSTRUCT m_ps;

 private:
  CWnd* m_pWnd;
};

class CWinApp {
 public:
  explicit CWinApp(LPCSTR appName = nullptr);
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual int Run();
  void OnHelp();

  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
  // The arguments after the program's name, as WinMain got them.
  LPCSTR m_lpCmdLine = "";
  LPCSTR m_pszAppName;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
