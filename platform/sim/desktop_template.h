// Dialog templates read from the program's resource script, so the script
// is the one description of the dialog's layout for both builds.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/win32_types.h"

namespace sim {
namespace desktop {

struct ControlTemplate {
  std::string statement;  // LTEXT, DEFPUSHBUTTON, CONTROL, ...
  int id = 0;
  std::string className;  // "Static", "Button", or the CONTROL's class
  std::string text;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::vector<std::string> styles;    // as written, "NOT WS_VISIBLE" kept whole
  bool visible = true;
  bool tabStop = false;
  bool defaultButton = false;
  bool border = false;
};

struct DialogTemplate {
  int id = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<std::string> styles;
  std::vector<std::string> exStyles;
  std::string caption;
  int fontSize = 0;
  std::string fontName;
  std::vector<ControlTemplate> controls;  // in tab order
};

// Reads dialog `id` from resource-script text; false when it is not there.
bool ParseDialogTemplate(const std::string& script, int id, DialogTemplate* out);
// Whether the script defines a resource `id` of that type (ICON, VERSIONINFO, ...).
bool ScriptDefines(const std::string& script, const std::string& type, int id);

// The program's own resource script (res/DrvUninst.rc), read once.
const std::string& ProgramResourceScript();
std::string ProgramResourcePath(const std::string& relative);
// Dialog `id` of that script, parsed once; null when it is not there.
const DialogTemplate* ProgramDialogTemplate(int id);
// ScriptDefines on that script, answered once per question.
bool ProgramScriptDefines(const std::string& type, int id);
// The text of one of the program's resource scripts ("res/DrvUninst.rc").
std::string ProgramResourceText(const std::string& relative);

}  // namespace desktop
}  // namespace sim
