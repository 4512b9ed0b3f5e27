// The switches a deployment tool gives: /quiet, /log FILE and /?, with / or
// -, case-blind, in any order; a FILE with blanks comes in double quotes.
#pragma once

#include "platform/afx/afxstr.h"

struct RunOptions {
  bool quiet = false;
  bool usage = false;   // /?: the usage, nothing else
  bool logged = false;  // /log FILE
  CString logPath;
};

// False for an unknown switch, a word that is no switch, or a /log without
// a file: the run then does nothing. The words are read to the end all the
// same, so /quiet is known even then.
bool ReadCommandLine(const char* arguments, RunOptions* options);

// The usage text a box shows for /? and a bad command line.
extern const char kUsageText[];
