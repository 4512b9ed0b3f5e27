// What the program did on the simulated machine, as typed events, for a
// reader that must not care which call did it: every simulated function
// with the same effect records the same event. An event is recorded when
// the call is made, whether or not it then succeeds (a read-only file the
// program set out to delete is still one it tried).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace sim {
namespace events {

enum class Kind : unsigned char {
  FileDelete,              // subject: the file, as the program named it
  FileDeleteAtRestart,     // subject: the file, left for the next restart to delete
  DeviceRemove,            // subject: the device's instance ID
  DriverPackageUninstall,  // subject: the published INF's name
  BoxShow,                 // a message box or a dialog put up; subject: its caption or template
  WindowMessage,           // sent or posted to another program's window; subject: its title
  ValueRead,               // subject: the key's path; name: the value's
  ProfileKeyRead,          // subject: the profile file; section; name: the key
};

struct Event {
  Kind kind;
  std::string subject;
  std::string name;
  std::string section;
};

// Starts an empty record keeping only these kinds; of the value reads, only
// those of the value named readValueName (a run reads many others). A
// machine reset ends it.
void Start(std::initializer_list<Kind> kinds, std::string readValueName = std::string());
void Stop();
// In the order they happened.
const std::vector<Event>& Recorded();

// For the simulated functions: cheap, so a call builds its subject only
// when it is kept.
bool Kept(Kind kind);
bool KeptValueRead(std::string_view valueName);
void Record(Kind kind, std::string subject, std::string name = std::string(), std::string section = std::string());

}  // namespace events
}  // namespace sim
