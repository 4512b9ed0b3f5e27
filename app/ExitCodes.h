// What the run ends with, by the Windows Installer's conventions, so that a
// deployment tool or a new version's installer can tell what happened.
#pragma once

#include "platform/win32.h"

enum : DWORD {
  EXIT_REMOVED = 0,                 // interactive: the final message asked for the restart
  EXIT_REMOVED_RESTART = 3010,      // /quiet: done, a restart is needed
  EXIT_CANCELLED = 1602,            // the user cancelled or closed the dialog
  EXIT_NOT_INSTALLED = 1605,        // no Uninstall entry carries the product's name
  EXIT_DEVICE_NOT_FOUND = 1167,     // stopped at the device check
  EXIT_FAILED = 1603,               // something named as left, or the 64-bit program could not run
  EXIT_BAD_COMMAND_LINE = 1639,     // nothing done
  EXIT_LOG_NOT_WRITTEN = 1622,      // nothing done
};
