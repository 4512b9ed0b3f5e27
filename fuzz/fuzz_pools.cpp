#include "fuzz/fuzz_pools.h"

#include <cctype>
#include <cstring>

#include "fuzz/fuzz_case.h"

namespace fuzzcase {

const char* const kPool[] = {
    "PCI\\VEN_1131&DEV_7160",            // 0
    "PCI\\VEN_1131&DEV_7160&SUBSYS_0001",
    "PCI\\VEN_1131",
    "pci\\ven_1131&dev_7160",
    "USB\\VID_1234&PID_5678",
    "USB\\VID_1234&PID_5678&REV_0100",  // 5
    "USB\\VID_1234",
    "STREAM\\CX1234.AUDIO#2",
    "STREAM\\CX1234",
    "PCI\\VEN_8086&DEV_2415",           // another vendor's device
    "ACPI\\PNP0A03",                    // 10
    "Lumex Tuner",
    "Lumex Tuner Audio",
    "lumex tuner",
    "Lumex",
    "Other Vendor Sound",               // 15
    "tuner.inf",
    "Tuner.INF",
    "oem3.inf",
    "a.b.inf",
    "noext",                            // 20
    "\\",
    "tuner.sys",
    "audio.sys",
    "helper.dll",
    "q7nunist.exe",                     // 25
    "win.ini",
    "lxtuner",
    "lxaudio",
    "Tcpip",
    "{5E4B0A33-0001}",                  // 30
    "Velmor Lumex WDM Drivers",
    "Remote Control",
    "remote control",
    "No",
    "Yes",                              // 35
    "None",
    "1",
    "49",
    ".inf",
    "sub\\x.inf",                       // 40
    "VEN_1131&DEV_7160",
    "CX1234.AUDIO",
    "VID_1234&PID_5678",
    "x\\",
    "ZIZURUDO.ini",                     // 45
    "PCI",
    "Enum",
    "LumexFlt",
    "lumexflt",                         // 50
};

const char* const kKeys[] = {
    "UnInstDrvAppTitle", "DevIDNum", "DevDrvID#", "DevDrvName#", "DevDrvSYS#", "DevDrvINF#",
    "ExtDevIDNum", "ExtDevDrvID#", "ExtDevDrvName#", "ExtDevDrvSYS#", "ExtDevDrvINF#",
    "ExtDllFileNum", "ExtCopyFileName#", "PossibleDevIDNum", "PossibleDevID#", "PossibleDevDrvName#",
    "PossibleDevDrvSYS#", "PossibleDevInf#", "PossibleExtDevIDNum", "PossibleExtDevDrvID#",
    "PossibleExtDevDrvName#", "PossibleExtDevDrvSYS#", "PossibleExtDevDrvINF#", "DrvUninstRegKeyPath",
    "DrvUninstRegKeyName", "DrvUninstAppName", "MediaClass", "UnInstNoRegKeyMsg", "UnInstDrvPassMsg",
    "UnInstDrvPassMsg2", "UnInstDrvRunTipMsg", "UnInstServiceNum", "UnInstService#", "OKText",
    "UnInstRemoteTitleName",
};

const char* const kHexCounts[] = {
    "", "0", "1", "2", "9", "A", "a", "B", "F", "f", "0F", "00000000F", "10", "1F", "FF", "FFFFFFFF",
    "7FFFFFFF", "80000000", "100000002", "g", "-1", " 3", "0x3", "3 ",
};

const char* const kVersions[] = {"win95", "win98", "winme", "nt40",  "win2k", "winxp",
                                 "win2003", "vista", "win7", "win10"};

const char* const kProcessNames[] = {"ehRecvr.exe", "ehrecvr.exe", "EHRECVR.EXE", "explorer.exe", "ehRecvr.exe "};

const std::vector<FaultApi> kFaultApis = {
    {"RegOpenKeyExA", {2, 5, 161, 1018}},
    {"RegOpenKeyA", {2, 5, 161}},
    {"RegEnumKeyExA", {259, 234, 5, 1018}},
    {"RegQueryValueExA", {2, 234, 5, 1018}},
    {"SHDeleteKeyA", {2, 5, 1018}},
    {"RegDeleteKeyA", {2, 5, 1018}},
    {"RegFlushKey", {5, 1018}},
    {"SetupDiGetClassDevsA", {87, 8, 0xE000021A}},
    {"SetupDiEnumDeviceInfo", {259, 87}},
    {"SetupDiGetDeviceRegistryPropertyA", {13, 122, 87, 8, 0xE0000209}},
    {"SetupDiRemoveDevice", {5, 0xE000020B, 0xE0000219}},
    {"SetupDiDestroyDeviceInfoList", {6}},
    {"LocalAlloc", {8}},
    {"DeleteFileA", {2, 3, 5, 32}},
    {"SetFileAttributesA", {2, 3, 5, 32}},
    {"GetWindowsDirectoryA", {8}},
    {"GetVersionExA", {87, 122}},
    {"GetPrivateProfileStringA", {2, 3, 5}},
    {"GetPrivateProfileIntA", {2, 3}},
    {"CreateToolhelp32Snapshot", {5, 8}},
    {"Process32First", {18, 24}},
    {"Process32Next", {18, 24}},
    {"OpenProcessToken", {5}},
    {"LookupPrivilegeValueA", {1313}},
    {"AdjustTokenPrivileges", {1300, 5}},
    {"OpenProcess", {5, 87}},
    {"TerminateProcess", {5}},
    {"CloseHandle", {6}},
    {"FindWindowA", {1400}},
    {"SendMessageTimeoutA", {1460, 1400}},
    {"SetupUninstallOEMInfA", {2, 5, 0xE000023D}},
    {"RegDeleteValueA", {2, 5}},
    {"RegSetValueExA", {5}},
    {"GetProcAddress", {127}},
    {"SetupDiSetDeviceRegistryPropertyA", {5, 0xE000020B}},
    {"SetupDiGetDeviceInstanceIdA", {122, 0xE000020B}},
};

namespace {
template <class T, size_t N>
int CountOf(T (&)[N]) {
  return static_cast<int>(N);
}

template <class T, size_t N>
int IndexIn(T (&table)[N], const std::string& text) {
  for (size_t i = 0; i < N; ++i) {
    if (text == table[i]) return static_cast<int>(i);
  }
  return -1;
}
}  // namespace

int PoolSize() { return CountOf(kPool); }
int KeyCount() { return CountOf(kKeys); }
int HexCountSize() { return CountOf(kHexCounts); }
int VersionCount() { return CountOf(kVersions); }
int FaultApiCount() { return static_cast<int>(kFaultApis.size()); }

// Kept apart from kFaultApis, whose order the corpus depends on.
const std::vector<FaultApi> kRestartFaultApis = {
    {"MoveFileExA", {5, 8}},   {"GetShortPathNameA", {2, 3, 5}}, {"CreateFileA", {5, 32, 112}},
    {"ReadFile", {33}},        {"WriteFile", {112, 33}},
};
int RestartFaultCount() { return static_cast<int>(kRestartFaultApis.size()); }
int FaultErrorCount(int api) { return static_cast<int>(kFaultApis[api].errors.size()); }

int PoolIndex(const std::string& name) { return IndexIn(kPool, name); }
int KeyIndex(const std::string& key) { return IndexIn(kKeys, key); }
int HexIndex(const std::string& text) { return IndexIn(kHexCounts, text); }
int VersionIndex(const std::string& name) { return IndexIn(kVersions, name); }
int FaultApiIndex(const std::string& api) {
  for (size_t i = 0; i < kFaultApis.size(); ++i) {
    if (api == kFaultApis[i].api) return static_cast<int>(i);
  }
  return -1;
}

std::string Resolve(const Text& t) {
  const std::string pooled = kPool[t.pick % PoolSize()];
  switch (t.kind) {
    case 0:
      return pooled;
    case 1: {
      std::string lower = pooled;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return lower;
    }
    case 2: {
      std::string longer;
      const size_t length = static_cast<size_t>(t.length);
      while (longer.size() < length) longer += pooled;
      return longer.substr(0, length);
    }
    case 3:
      return "";
    case 4:
      return t.text;
    default:
      return pooled + t.text;
  }
}

}  // namespace fuzzcase
