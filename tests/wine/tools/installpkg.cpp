// Installs a driver package from an INF folder into the running machine the
// way a vendor's setup program does on Windows, with Windows' own installer
// functions, then writes what Windows' installer writes and Wine's does not.
//
//   installpkg.exe INF HWID [HWID...] [--uninstall SUBKEY|DISPLAYNAME|UNINSTALLSTRING]
//                  [--copy SOURCE|DESTINATION]...
//
// Per hardware ID: a root-enumerated device is created and registered
// (SetupDiCreateDeviceInfoA with DICD_GENERATE_ID, SPDRP_HARDWAREID,
// DIF_REGISTERDEVICE) and its driver installed from the package's INF
// (UpdateDriverForPlugAndPlayDevicesA). --copy lays a file the setup program
// itself copies (its uninstaller), relative to the Windows directory;
// --uninstall writes its Uninstall entry. Prints one line per step; exit 0
// when every step succeeded, 1 otherwise, 2 for a bad command line.
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef BOOL(WINAPI* UpdateDriverFunction)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);

const DWORD kInstallFlagForce = 0x00000001;  // INSTALLFLAG_FORCE of newdev.h

bool g_failed = false;

void Fail(const char* what, DWORD error) {
  std::printf("failed: %s: error %lu\n", what, error);
  g_failed = true;
}

std::string WindowsDirectory() {
  char directory[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(directory, sizeof(directory));
  if (length == 0 || length >= sizeof(directory)) return "C:\\windows";
  return directory;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Windows publishes every third-party INF as oem<N>.inf, N the lowest free
// number, with its PNF and its catalog renamed alike (Microsoft, "SetupCopyOEMInf
// function": "copies a specified .inf file to the %windir%/Inf directory";
// "Driver Store": the published name oem<N>.inf). Wine keeps the INF's own
// name while it is free: the helper renames what Wine published.
std::string PublishAsOemName(const std::string& published, const std::string& sourceInf) {
  const std::string name = FileNameOf(published);
  if (_strnicmp(name.c_str(), "oem", 3) == 0) return published;
  const std::string windows = WindowsDirectory();
  std::string target;
  int number = 0;
  for (;; ++number) {
    target = windows + "\\inf\\oem" + std::to_string(number) + ".inf";
    if (!FileExists(target)) break;
  }
  const std::string base = windows + "\\inf\\oem" + std::to_string(number);
  if (!MoveFileA(published.c_str(), target.c_str())) {
    Fail("renaming the published INF", GetLastError());
    return published;
  }
  const std::string pnf = windows + "\\inf\\" + WithoutExtension(name) + ".pnf";
  if (FileExists(pnf) && !MoveFileA(pnf.c_str(), (base + ".pnf").c_str())) Fail("renaming the PNF", GetLastError());
  // The catalog the INF names goes to catroot under the published name.
  char catalog[MAX_PATH] = "";
  HINF inf = SetupOpenInfFileA(sourceInf.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
  if (inf != INVALID_HANDLE_VALUE) {
    INFCONTEXT line;
    if (SetupFindFirstLineA(inf, "Version", "CatalogFile", &line)) {
      SetupGetStringFieldA(&line, 1, catalog, sizeof(catalog), nullptr);
    }
    SetupCloseInfFile(inf);
  }
  if (catalog[0] != '\0') {
    const std::string catroot = windows + "\\system32\\catroot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";
    const std::string from = catroot + catalog;
    const std::string to = catroot + "oem" + std::to_string(number) + ".cat";
    if (FileExists(from) && !MoveFileA(from.c_str(), to.c_str())) Fail("renaming the catalog", GetLastError());
  }
  std::printf("published %s as %s\n", name.c_str(), FileNameOf(target).c_str());
  return target;
}

std::string Publish(const std::string& sourceInf) {
  char published[MAX_PATH] = "";
  DWORD needed = 0;
  if (!SetupCopyOEMInfA(sourceInf.c_str(), nullptr, SPOST_PATH, 0, published, sizeof(published), &needed, nullptr)) {
    Fail("SetupCopyOEMInfA", GetLastError());
    return "";
  }
  return PublishAsOemName(published, sourceInf);
}

// A line's text, the INF's %strings% already put in by setupapi.
std::string LineField(HINF inf, const char* section, const char* key, DWORD field) {
  INFCONTEXT line;
  if (!SetupFindFirstLineA(inf, section, key, &line)) return "";
  char text[512] = "";
  if (!SetupGetStringFieldA(&line, field, text, sizeof(text), nullptr)) return "";
  return text;
}

struct DriverFacts {
  std::string description;  // the model line's device description
  std::string provider;     // [Version] Provider
  std::string date;         // DriverVer's date, mm/dd/yyyy
  std::string version;      // DriverVer's version
};

// The model line of the INF that names the hardware ID, as Windows' ranking
// picks it: the first one, in the manufacturer's models sections.
std::string ModelDescription(HINF inf, const std::string& hardwareId) {
  INFCONTEXT manufacturer;
  if (!SetupFindFirstLineA(inf, "Manufacturer", nullptr, &manufacturer)) return "";
  do {
    char models[256] = "";
    if (!SetupGetStringFieldA(&manufacturer, 1, models, sizeof(models), nullptr)) continue;
    std::vector<std::string> sections{models};
    char decoration[64];
    for (DWORD field = 2; SetupGetStringFieldA(&manufacturer, field, decoration, sizeof(decoration), nullptr); ++field) {
      sections.push_back(std::string(models) + "." + decoration);
    }
    for (const std::string& section : sections) {
      INFCONTEXT model;
      if (!SetupFindFirstLineA(inf, section.c_str(), nullptr, &model)) continue;
      do {
        char id[256] = "";
        for (DWORD field = 2; SetupGetStringFieldA(&model, field, id, sizeof(id), nullptr); ++field) {
          if (lstrcmpiA(id, hardwareId.c_str()) != 0) continue;
          char description[256] = "";
          SetupGetStringFieldA(&model, 0, description, sizeof(description), nullptr);
          return description;
        }
      } while (SetupFindNextLine(&model, &model));
    }
  } while (SetupFindNextLine(&manufacturer, &manufacturer));
  return "";
}

DriverFacts ReadDriverFacts(const std::string& inf, const std::string& hardwareId) {
  DriverFacts facts;
  HINF handle = SetupOpenInfFileA(inf.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Fail("SetupOpenInfFileA", GetLastError());
    return facts;
  }
  facts.description = ModelDescription(handle, hardwareId);
  facts.provider = LineField(handle, "Version", "Provider", 1);
  facts.date = LineField(handle, "Version", "DriverVer", 1);
  facts.version = LineField(handle, "Version", "DriverVer", 2);
  SetupCloseInfFile(handle);
  return facts;
}

// "mm/dd/yyyy" as the FILETIME Windows keeps in DriverDateData, and as the
// "m-d-yyyy" text of DriverDate.
bool ParseDriverDate(const std::string& text, FILETIME* time, std::string* shown) {
  int month = 0;
  int day = 0;
  int year = 0;
  if (std::sscanf(text.c_str(), "%d/%d/%d", &month, &day, &year) != 3) return false;
  SYSTEMTIME date;
  std::memset(&date, 0, sizeof(date));
  date.wYear = static_cast<WORD>(year);
  date.wMonth = static_cast<WORD>(month);
  date.wDay = static_cast<WORD>(day);
  if (!SystemTimeToFileTime(&date, time)) return false;
  *shown = std::to_string(month) + "-" + std::to_string(day) + "-" + std::to_string(year);
  return true;
}

void SetText(HKEY key, const char* name, const std::string& text) {
  const LONG written = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                      static_cast<DWORD>(text.size() + 1));
  if (written != ERROR_SUCCESS) Fail(name, static_cast<DWORD>(written));
}

// The driver key values Windows writes when it installs a device's driver
// and Wine does not (Microsoft, "Accessing Device Driver Properties";
// DEVPKEY_Device_DriverDesc, DEVPKEY_Device_DriverProvider (ProviderName),
// DEVPKEY_Device_DriverVersion, DEVPKEY_Device_DriverDate (DriverDateData),
// DEVPKEY_Device_MatchingDeviceId), and the published INF's name in InfPath
// (DEVPKEY_Device_DriverInfPath).
void CompleteDriverKey(const std::string& driverKey, const DriverFacts& facts, const std::string& hardwareId,
                       const std::string& publishedName) {
  const std::string path = "SYSTEM\\CurrentControlSet\\Control\\Class\\" + driverKey;
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key);
  if (opened != ERROR_SUCCESS) {
    Fail("opening the driver key", static_cast<DWORD>(opened));
    return;
  }
  SetText(key, "DriverDesc", facts.description);
  SetText(key, "ProviderName", facts.provider);
  SetText(key, "DriverVersion", facts.version);
  FILETIME date;
  std::string shown;
  if (ParseDriverDate(facts.date, &date, &shown)) {
    SetText(key, "DriverDate", shown);
    const LONG written =
        RegSetValueExA(key, "DriverDateData", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&date), sizeof(date));
    if (written != ERROR_SUCCESS) Fail("DriverDateData", static_cast<DWORD>(written));
  }
  SetText(key, "MatchingDeviceId", hardwareId);
  SetText(key, "InfPath", publishedName);
  RegCloseKey(key);
  std::printf("driver key %s: DriverDesc \"%s\"\n", driverKey.c_str(), facts.description.c_str());
}

// One root-enumerated device with the hardware ID, registered, its driver
// installed from the published INF.
void InstallDevice(const std::string& inf, const std::string& hardwareId, UpdateDriverFunction updateDriver,
                   const std::string& publishedName) {
  GUID classGuid;
  char className[MAX_CLASS_NAME] = "";
  if (!SetupDiGetINFClassA(inf.c_str(), &classGuid, className, sizeof(className), nullptr)) {
    Fail("SetupDiGetINFClassA", GetLastError());
    return;
  }
  HDEVINFO set = SetupDiCreateDeviceInfoListExA(&classGuid, nullptr, nullptr, nullptr);
  if (set == INVALID_HANDLE_VALUE) {
    Fail("SetupDiCreateDeviceInfoListExA", GetLastError());
    return;
  }
  SP_DEVINFO_DATA device;
  std::memset(&device, 0, sizeof(device));
  device.cbSize = sizeof(device);
  // A hardware-ID list: the ID and the empty string that ends the list.
  std::vector<char> ids(hardwareId.begin(), hardwareId.end());
  ids.push_back('\0');
  ids.push_back('\0');
  if (!SetupDiCreateDeviceInfoA(set, className, &classGuid, nullptr, nullptr, DICD_GENERATE_ID, &device)) {
    Fail("SetupDiCreateDeviceInfoA", GetLastError());
  } else if (!SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, reinterpret_cast<BYTE*>(ids.data()),
                                                static_cast<DWORD>(ids.size()))) {
    Fail("SetupDiSetDeviceRegistryPropertyA", GetLastError());
  } else if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device)) {
    Fail("DIF_REGISTERDEVICE", GetLastError());
  } else {
    BOOL reboot = FALSE;
    if (!updateDriver(nullptr, hardwareId.c_str(), inf.c_str(), kInstallFlagForce, &reboot)) {
      Fail("UpdateDriverForPlugAndPlayDevicesA", GetLastError());
    }
    char instance[256] = "";
    SetupDiGetDeviceInstanceIdA(set, &device, instance, sizeof(instance), nullptr);
    char driverKey[256] = "";
    if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_DRIVER, nullptr, reinterpret_cast<BYTE*>(driverKey),
                                           sizeof(driverKey), nullptr)) {
      Fail("no driver installed", GetLastError());
    } else {
      std::printf("device %s (%s): driver %s\n", instance, hardwareId.c_str(), driverKey);
      CompleteDriverKey(driverKey, ReadDriverFacts(inf, hardwareId), hardwareId, publishedName);
    }
  }
  SetupDiDestroyDeviceInfoList(set);
}

std::vector<std::string> SplitBars(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) return parts;
    start = bar + 1;
  }
}

// The vendor setup program's own Uninstall entry (Microsoft, "Uninstall
// Registry Key": DisplayName and UninstallString under
// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<product>).
void WriteUninstallEntry(const std::vector<std::string>& entry) {
  const std::string path = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + entry[0];
  HKEY key = nullptr;
  const LONG created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                       nullptr);
  if (created != ERROR_SUCCESS) {
    Fail("creating the Uninstall entry", static_cast<DWORD>(created));
    return;
  }
  SetText(key, "DisplayName", entry[1]);
  SetText(key, "UninstallString", entry[2]);
  RegCloseKey(key);
  std::printf("Uninstall entry %s\n", entry[0].c_str());
}

void CopyVendorFile(const std::vector<std::string>& copy) {
  const std::string target = WindowsDirectory() + "\\" + copy[1];
  if (!CopyFileA(copy[0].c_str(), target.c_str(), FALSE)) {
    Fail(("copying " + copy[0]).c_str(), GetLastError());
    return;
  }
  std::printf("copied %s\n", copy[1].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: installpkg.exe INF HWID [HWID...] [--uninstall KEY|NAME|STRING] [--copy FROM|TO]\n");
    return 2;
  }
  const std::string sourceInf = argv[1];
  std::vector<std::string> hardwareIds;
  std::vector<std::vector<std::string>> copies;
  std::vector<std::string> uninstall;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--uninstall" || arg == "--copy") && i + 1 < argc) {
      const std::vector<std::string> parts = SplitBars(argv[++i]);
      if (arg == "--uninstall" && parts.size() == 3) {
        uninstall = parts;
      } else if (arg == "--copy" && parts.size() == 2) {
        copies.push_back(parts);
      } else {
        return 2;
      }
    } else {
      hardwareIds.push_back(arg);
    }
  }
  HMODULE newdev = LoadLibraryA("newdev.dll");
  UpdateDriverFunction updateDriver =
      newdev == nullptr ? nullptr
                        : reinterpret_cast<UpdateDriverFunction>(GetProcAddress(newdev, "UpdateDriverForPlugAndPlayDevicesA"));
  if (updateDriver == nullptr) {
    Fail("newdev.dll UpdateDriverForPlugAndPlayDevicesA", GetLastError());
    if (newdev != nullptr) FreeLibrary(newdev);
    return 1;
  }
  const std::string published = Publish(sourceInf);
  if (!published.empty()) {
    // Installed from the package's folder, where its files are, as a setup
    // program does; the published copy is the one the driver keys name.
    for (const std::string& id : hardwareIds) InstallDevice(sourceInf, id, updateDriver, FileNameOf(published));
  }
  for (const std::vector<std::string>& copy : copies) CopyVendorFile(copy);
  if (!uninstall.empty()) WriteUninstallEntry(uninstall);
  FreeLibrary(newdev);
  return g_failed ? 1 : 0;
}
