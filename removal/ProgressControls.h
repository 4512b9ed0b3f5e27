// The controls of the dialog (template 102) that the removal sequences turn
// into their progress display.
#pragma once

enum {
  IDC_PROGRESS = 1000,
  IDC_PROMPT = 1001,
  IDC_FILE_LINE = 1002,
  IDC_TOP_LINE = 1003,
  IDC_HEADING = 1004,
};
