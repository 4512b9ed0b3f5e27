// The dialog's own painting: the icon, when it is minimised.
#include "app/DrvUninstDlg.h"

POINT IconPosition(const RECT& client, int iconWidth, int iconHeight) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  POINT at;
  at.x = (width - iconWidth + 1) / 2;
  at.y = (height - iconHeight + 1) / 2;
  return at;
}

void CDrvUninstDlg::OnPaint() {
  if (!IsIconic()) {
    Default();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(&client);
  const POINT at = IconPosition(client, iconWidth, iconHeight);
  dc.DrawIcon(at.x, at.y, m_hIcon);
}

HCURSOR CDrvUninstDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
