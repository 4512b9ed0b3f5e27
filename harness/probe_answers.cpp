#include "harness/probe_answers.h"

#include "platform/sim/window_store.h"
#include "platform/win32.h"
#include "harness/record_text.h"
#include "image/run_program.h"

namespace harness {

std::string ShownRecord() {
  std::string out;
  for (const auto& record : sim::windows::TextsShown()) {
    out += "text " + std::to_string(record.controlId) + " " + EscapeText(record.text) + "\n";
  }
  for (const auto& message : sim::windows::ProgressMessages()) {
    const char* name = ProgressMessageName(message.message);
    if (name == nullptr) continue;
    out += std::string("progress ") + name + " " + std::to_string(static_cast<unsigned long long>(message.wParam)) +
           " " + std::to_string(static_cast<long long>(message.lParam)) + "\n";
  }
  if (!sim::windows::ProgressMessages().empty()) {
    out += "position " + std::to_string(sim::windows::LastDialog().progressPos) + "\n";
  }
  for (const auto& box : sim::windows::MessageBoxes()) out += "box " + EscapeText(box.caption) + "|" + EscapeText(box.text) + "\n";
  out += "exit " + std::to_string(image::LastExitCode()) + "\n";
  // A real machine would still be waiting: the run never ended.
  if (sim::windows::SendBlockedForever()) out += "hung\n";
  return out;
}

}  // namespace harness
