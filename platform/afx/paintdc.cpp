#include "platform/afx/afxwin.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_ps(), m_pWnd(wnd) { m_hDC = ::BeginPaint(wnd->m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(m_pWnd->m_hWnd, &m_ps); }

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
