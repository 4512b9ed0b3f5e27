// The live machine, read with calls that change nothing: registry opens for
// KEY_READ, the device list, a process snapshot, window titles, file
// attributes, and one open per file asking for DELETE access without
// sharing, closed at once, to learn whether another program holds it.
#include "preview/MachineReader.h"

#include <windows.h>
#include <setupapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

namespace machine_reader {
namespace {

const char kUninstallPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstallPath32[] = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kClassPath[] = "SYSTEM\\CurrentControlSet\\Control\\Class";
const char kEnumPath[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kEnumPath9x[] = "Enum";
// What a device SetupAPI lists without a class is given, so the copy lists it too.
const char kNoClass[] = "{00000000-0000-0000-0000-000000000000}";
const char* const kPackageClasses[] = {"{4D36E96C-E325-11CE-BFC1-08002BE10318}",
                                       "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}"};

std::string ErrorText(DWORD error) { return "error " + std::to_string(error); }

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string Hex(const BYTE* data, DWORD size) {
  std::string out;
  char byte[4];
  for (DWORD i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof(byte), "%02x", data[i]);
    out += (i ? "," : "") + std::string(byte);
  }
  return out;
}

std::string ValueText(DWORD type, const BYTE* data, DWORD size) {
  if (type == REG_SZ) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    if (text.find_first_of("\r\n") == std::string::npos) return "\"" + Escaped(text) + "\"";
  }
  if (type == REG_DWORD && size == 4) {
    char text[16];
    std::snprintf(text, sizeof(text), "dword:%08lx", static_cast<unsigned long>(*reinterpret_cast<const DWORD*>(data)));
    return text;
  }
  if (type == REG_BINARY) return "hex:" + Hex(data, size);
  char kind[16];
  std::snprintf(kind, sizeof(kind), "hex(%lx):", static_cast<unsigned long>(type));
  return kind + Hex(data, size);
}

// Registry subtrees as regedit writes them (REGEDIT4).
class RegistryText {
 public:
  RegistryText(std::vector<std::string>* notReadable, REGSAM view) : m_notReadable(notReadable), m_view(view) {}

  // HKLM\path, written as HKLM\shownPath; false when the key is missing or
  // cannot be read.
  bool Subtree(HKEY root, const std::string& rootName, const std::string& path, const std::string& shownPath,
               bool withSubkeys, REGSAM view) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key);
    if (opened != ERROR_SUCCESS) {
      if (opened != ERROR_FILE_NOT_FOUND) m_notReadable->push_back(rootName + "\\" + path + ": " + ErrorText(opened));
      return false;
    }
    m_text += "\r\n[" + rootName + "\\" + shownPath + "]\r\n";
    m_keys.push_back(shownPath);
    Values(key, rootName + "\\" + path);
    if (withSubkeys) {
      for (const std::string& name : SubkeyNames(key, rootName + "\\" + path)) {
        Subtree(root, rootName, path + "\\" + name, shownPath + "\\" + name, true, view);
      }
    }
    RegCloseKey(key);
    return true;
  }

  bool Subtree(const std::string& path, bool withSubkeys) {
    return Subtree(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", path, path, withSubkeys, m_view);
  }

  void Key(const std::string& shownPath) { m_text += "\r\n[HKEY_LOCAL_MACHINE\\" + shownPath + "]\r\n"; }
  void DeleteValue(const std::string& name) { m_text += "\"" + Escaped(name) + "\"=-\r\n"; }
  void Value(const std::string& name, DWORD type, const BYTE* data, DWORD size) {
    m_text += "\"" + Escaped(name) + "\"=" + ValueText(type, data, size) + "\r\n";
  }

  std::vector<std::string> SubkeyNames(HKEY key, const std::string& shown) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
      DWORD size = sizeof(name);
      const LONG read = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
      if (read == ERROR_NO_MORE_ITEMS) break;
      if (read != ERROR_SUCCESS) {
        m_notReadable->push_back(shown + ": subkey " + std::to_string(index) + ": " + ErrorText(read));
        break;
      }
      names.push_back(name);
    }
    return names;
  }

  const std::string& Text() const { return m_text; }
  // Every key written by Subtree, as shown below its root.
  const std::vector<std::string>& Keys() const { return m_keys; }

 private:
  void Values(HKEY key, const std::string& shown) {
    DWORD nameMax = 0;
    DWORD dataMax = 0;
    const LONG info = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nameMax,
                                       &dataMax, nullptr, nullptr);
    if (info != ERROR_SUCCESS) {
      m_notReadable->push_back(shown + ": its values: " + ErrorText(info));
      return;
    }
    std::vector<char> name(nameMax + 2);
    std::vector<BYTE> data(dataMax + 2);
    for (DWORD index = 0;; ++index) {
      DWORD nameSize = static_cast<DWORD>(name.size());
      DWORD dataSize = static_cast<DWORD>(data.size());
      DWORD type = 0;
      const LONG read = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
      if (read == ERROR_NO_MORE_ITEMS) break;
      if (read != ERROR_SUCCESS) {
        m_notReadable->push_back(shown + ": value " + std::to_string(index) + ": " + ErrorText(read));
        break;
      }
      const std::string shownName = nameSize == 0 ? "@" : "\"" + Escaped(name.data()) + "\"";
      m_text += shownName + "=" + ValueText(type, data.data(), dataSize) + "\r\n";
    }
  }

  std::vector<std::string>* m_notReadable;
  REGSAM m_view;
  std::string m_text = "REGEDIT4\r\n";
  std::vector<std::string> m_keys;
};

bool IsWindows64() {
  if (sizeof(void*) == 8) return true;
  typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return false;
  FARPROC found = GetProcAddress(kernel, "IsWow64Process");
  if (found == nullptr) return false;
  const IsWow64ProcessFunction isWow64 = reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void*>(found));
  BOOL wow64 = FALSE;
  HANDLE self = GetCurrentProcess();
  return isWow64(self, &wow64) && wow64;
}

std::string VersionName(const OSVERSIONINFOA& version) {
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    return version.dwMinorVersion >= 90 ? "winme" : version.dwMinorVersion >= 10 ? "win98" : "win95";
  }
  const DWORD v = version.dwMajorVersion * 100 + version.dwMinorVersion;
  if (v < 500) return "nt40";
  if (v == 500) return "win2k";
  if (v == 501) return "winxp";
  if (v == 502) return "win2003";
  if (v == 600) return "vista";
  if (v == 601) return "win7";
  if (v == 602) return "win8";
  if (v == 603) return "win81";
  return "win10";
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// visit(devices, device, instanceId) for every device SetupAPI lists as
// present, as DrvUninst asks for them; with presentOnly false, for every
// device Windows keeps a node of, present or not.
template <typename Visit>
void ForEachPresentDevice(std::vector<std::string>* notReadable, Visit visit, bool presentOnly = true) {
  const DWORD flags = presentOnly ? DIGCF_PRESENT | DIGCF_ALLCLASSES : DIGCF_ALLCLASSES;
  HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, flags);
  if (devices == INVALID_HANDLE_VALUE) {
    notReadable->push_back(std::string(presentOnly ? "the list of present devices: " : "the list of every device: ") +
                           ErrorText(GetLastError()) + "; no device of it is seen");
    return;
  }
  SP_DEVINFO_DATA device;
  device.cbSize = sizeof(device);
  char id[512];  // an instance ID holds at most 200 characters
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    DWORD required = 0;
    if (!SetupDiGetDeviceInstanceIdA(devices, &device, id, sizeof(id), &required)) {
      notReadable->push_back("device " + std::to_string(index) + ": its instance ID: " + ErrorText(GetLastError()));
      continue;
    }
    visit(devices, &device, std::string(id));
  }
  SetupDiDestroyDeviceInfoList(devices);
}

// A present device's hardware IDs and class as SetupAPI gives them to
// DrvUninst, written onto its key in the copy.
void WriteDeviceProperties(HDEVINFO devices, PSP_DEVINFO_DATA device, const std::string& id, RegistryText* registry,
                           std::vector<std::string>* notReadable) {
  BYTE ids[4096] = {};
  DWORD type = 0;
  DWORD required = 0;
  if (SetupDiGetDeviceRegistryPropertyA(devices, device, SPDRP_HARDWAREID, &type, ids, sizeof(ids) - 2, &required)) {
    registry->Value("HardwareID", type, ids, required);
  } else {
    const DWORD error = GetLastError();
    // DrvUninst passes over a device without hardware IDs; so does the copy.
    registry->DeleteValue("HardwareID");
    if (error != ERROR_INVALID_DATA) notReadable->push_back("device " + id + ": its hardware IDs: " + ErrorText(error));
  }
  BYTE guid[64] = {};
  if (SetupDiGetDeviceRegistryPropertyA(devices, device, SPDRP_CLASSGUID, &type, guid, sizeof(guid) - 1, &required)) {
    registry->Value("ClassGUID", REG_SZ, guid, required);
  } else {
    registry->Value("ClassGUID", REG_SZ, reinterpret_cast<const BYTE*>(kNoClass), sizeof(kNoClass));
  }
}

// NT: each device's Enum key, the present ones first, then those Windows
// keeps without their being present (named in *unplugged); a device whose
// key cannot be read is rebuilt from what SetupAPI tells of it.
void ReadDevices(RegistryText* registry, std::vector<std::string>* unplugged, std::vector<std::string>* notReadable) {
  std::set<std::string> seen;  // upper case
  for (const bool presentOnly : {true, false}) {
    ForEachPresentDevice(
        notReadable,
        [&](HDEVINFO devices, PSP_DEVINFO_DATA device, const std::string& id) {
          if (!seen.insert(Upper(id)).second) return;
          if (!presentOnly) unplugged->push_back(id);
          const std::string path = std::string(kEnumPath) + "\\" + id;
          if (registry->Subtree(path, true)) return;
          notReadable->push_back("device " + id + ": its key, so it is seen only through SetupAPI");
          registry->Key(path);
          WriteDeviceProperties(devices, device, id, registry, notReadable);
        },
        presentOnly);
  }
}

// Windows 9x keeps its devices' keys under HKLM\Enum, where the removal
// deletes them by name; which devices are present, and their hardware IDs,
// SetupAPI tells, as it tells DrvUninst. So the copy holds the whole branch
// and lists exactly the devices this PC's SetupAPI lists: a key there that
// SetupAPI does not list loses its ClassGUID in the copy, and a present
// device whose key lives elsewhere (Wine keeps them under CurrentControlSet)
// gets one, which laidKeys names so that no account tells it.
void ReadDevices9x(RegistryText* registry, LiveMachine* machine) {
  registry->Subtree(kEnumPath9x, true);
  std::set<std::string> keys;  // upper case, below their root
  for (const std::string& key : registry->Keys()) keys.insert(Upper(key));
  std::set<std::string> present;
  ForEachPresentDevice(&machine->notReadable, [&](HDEVINFO devices, PSP_DEVINFO_DATA device, const std::string& id) {
    const std::string path = std::string(kEnumPath9x) + "\\" + id;
    present.insert(Upper(path));
    // Enum itself, the bus, the device, the instance.
    for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
      if (keys.insert(Upper(path.substr(0, end))).second) machine->laidKeys.push_back("HKLM\\" + path.substr(0, end));
      if (end == std::string::npos) break;
    }
    registry->Key(path);
    WriteDeviceProperties(devices, device, id, registry, &machine->notReadable);
  });

  // A device's key is three levels below Enum.
  const std::string enumBranch = Upper(std::string(kEnumPath9x) + "\\");
  for (const std::string& key : registry->Keys()) {
    const bool underEnum = Upper(key.substr(0, enumBranch.size())) == enumBranch;
    if (!underEnum || std::count(key.begin(), key.end(), '\\') != 3 || present.count(Upper(key))) continue;
    registry->Key(key);
    registry->DeleteValue("ClassGUID");
  }
}

void ReadClasses(RegistryText* registry) {
  HKEY classes = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassPath, 0, KEY_READ, &classes) != ERROR_SUCCESS) return;
  // Every class's own values (its filter lists); the package's classes whole.
  for (const std::string& name : registry->SubkeyNames(classes, std::string("HKEY_LOCAL_MACHINE\\") + kClassPath)) {
    bool whole = false;
    for (const char* guid : kPackageClasses) whole = whole || lstrcmpiA(name.c_str(), guid) == 0;
    registry->Subtree(std::string(kClassPath) + "\\" + name, whole);
  }
  RegCloseKey(classes);
}

BOOL CALLBACK AddWindow(HWND window, LPARAM machine) {
  char title[512];
  const int length = GetWindowTextA(window, title, sizeof(title));
  if (length <= 0) return TRUE;
  const BOOL hung = IsHungAppWindow(window);
  reinterpret_cast<LiveMachine*>(machine)->windows.push_back({title, hung != FALSE});
  return TRUE;
}

// A program's file and its DLLs cannot be deleted while it runs: its modules
// tell which. Protected system processes do not show theirs, nor do 64-bit
// ones to a 32-bit reader; the package's files are not among them.
void ReadModules(const PROCESSENTRY32& process, LiveMachine* machine) {
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.th32ProcessID);
  if (modules == INVALID_HANDLE_VALUE) {
    machine->notes.push_back(std::string("the modules of ") + process.szExeFile + ": " + ErrorText(GetLastError()));
    return;
  }
  MODULEENTRY32 module;
  module.dwSize = sizeof(module);
  for (BOOL more = Module32First(modules, &module); more; more = Module32Next(modules, &module)) {
    machine->loadedModules.push_back(module.szExePath);
  }
  CloseHandle(modules);
}

void ReadProcesses(LiveMachine* machine) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    machine->notReadable.push_back("the running processes: " + ErrorText(GetLastError()));
    return;
  }
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == 0) continue;
    machine->processes.push_back(entry.szExeFile);
    ReadModules(entry, machine);
  }
  CloseHandle(snapshot);
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string content;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) content.append(chunk, got);
  CloseHandle(file);
  return content;
}

bool EndsWithIni(const std::string& path) {
  return path.size() > 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".ini") == 0;
}

}  // namespace

LiveMachine ReadLiveMachine() {
  LiveMachine machine;
  OSVERSIONINFOA version;
  ZeroMemory(&version, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExA(&version)) {
    machine.version = VersionName(version);
  } else {
    machine.notReadable.push_back("the Windows version: " + ErrorText(GetLastError()) + "; taken as Windows 7");
    machine.version = "win7";
  }
  char directory[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(directory, sizeof(directory));
  machine.windowsDirectory = length > 0 && length < sizeof(directory) ? directory : "C:\\WINDOWS";
  machine.codePage = GetACP();

  const bool windows64 = IsWindows64();
  // Windows had 64-bit editions from XP on; Wine reports older versions on a 64-bit machine too.
  const bool editions = version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                        version.dwMajorVersion * 100 + version.dwMinorVersion >= 501;
  machine.bits = !editions ? 0 : windows64 ? 64 : 32;
  RegistryText registry(&machine.notReadable, windows64 ? KEY_WOW64_64KEY : 0);
  registry.Subtree(kUninstallPath, true);
  if (windows64) {
    registry.Subtree(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kUninstallPath, kUninstallPath32, true, KEY_WOW64_32KEY);
  }
  registry.Subtree("SYSTEM\\CurrentControlSet\\Services", true);
  registry.Subtree("SYSTEM\\CurrentControlSet\\Control\\Session Manager", false);
  ReadClasses(&registry);
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    ReadDevices9x(&registry, &machine);
  } else {
    ReadDevices(&registry, &machine.unplugged, &machine.notReadable);
  }
  registry.Subtree(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Control Panel\\International",
                   "Control Panel\\International", false, 0);
  machine.registry = registry.Text();

  ReadProcesses(&machine);
  EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&machine));
  return machine;
}

std::string ReadLiveSoftwareKeys(const std::vector<std::string>& paths, std::vector<std::string>* notReadable) {
  const bool windows64 = IsWindows64();
  RegistryText registry(notReadable, windows64 ? KEY_WOW64_64KEY : 0);
  for (const std::string& path : paths) {
    registry.Subtree("SOFTWARE\\" + path, true);
    if (windows64) {
      registry.Subtree(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SOFTWARE\\" + path,
                       "SOFTWARE\\Wow6432Node\\" + path, true, KEY_WOW64_32KEY);
    }
  }
  return registry.Text();
}

bool IsLoaded(const std::string& path, const std::vector<std::string>& modules) {
  for (const std::string& module : modules) {
    if (lstrcmpiA(module.c_str(), path.c_str()) == 0) return true;
  }
  return false;
}

std::vector<LiveFile> ReadLiveFiles(const std::vector<std::string>& paths, const LiveMachine& machine,
                                    std::vector<std::string>* notReadable) {
  char directory[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(directory, sizeof(directory));
  const std::string root = length > 0 && length < sizeof(directory) ? directory : "C:\\WINDOWS";
  const bool redirected = sizeof(void*) == 4 && IsWindows64();
  std::vector<LiveFile> files;
  for (const std::string& path : paths) {
    LiveFile file;
    file.path = path;
    // A 32-bit reader on 64-bit Windows reaches the real system32 as Sysnative.
    const bool system32 = path.size() > 9 && lstrcmpiA(path.substr(0, 9).c_str(), "system32\\") == 0;
    const std::string full = root + "\\" + (system32 && redirected ? "Sysnative" + path.substr(8) : path);
    const DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        notReadable->push_back(full + ": " + ErrorText(error));
      }
      files.push_back(file);
      continue;
    }
    file.exists = true;
    file.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    file.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    // Modules are named by the path the program sees: system32 is system32 to a 64-bit one.
    file.loaded = !file.directory && IsLoaded(root + "\\" + path, machine.loadedModules);
    if (!file.directory) {
      // Without sharing, this open fails while any other program holds the
      // file in a way that would stop a delete; closed at once, it changes nothing.
      HANDLE probe = CreateFileA(full.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      const DWORD error = probe == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
      if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
      } else if (error == ERROR_SHARING_VIOLATION) {
        file.inUse = true;
      } else {
        notReadable->push_back(full + ": whether it is in use: " + ErrorText(error));
      }
      if (EndsWithIni(path)) file.content = ReadWholeFile(full);
    }
    files.push_back(file);
  }
  return files;
}

}  // namespace machine_reader
