// Writes the seed inputs of the fuzz corpus: one per behaviour the uninstaller
// must keep where a profile or a machine is odd, plus a plain run of each
// family. Usage: drvuninst_fuzz_seeds OUTPUT_DIR
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_codec.h"
#include "fuzz/fuzz_pools.h"

using namespace fuzzcase;

namespace {

Text Pool(const char* name) {
  Text t;
  t.pick = PoolIndex(name);
  if (t.pick < 0) {
    std::fprintf(stderr, "not in the pool: %s\n", name);
    std::exit(2);
  }
  return t;
}

Text Free(const std::string& text) {
  Text t;
  t.kind = 4;
  t.text = text;
  return t;
}

Text Empty() {
  Text t;
  t.kind = 3;
  return t;
}

Text Repeated(const char* name, int length) {
  Text t = Pool(name);
  t.kind = 2;
  t.length = length;
  return t;
}

ProfileLine Section(int pick) {
  ProfileLine l;
  l.kind = 0;
  l.pick = pick;  // 0 "1", 1 the country's code
  return l;
}

ProfileLine Key(const char* key, Text value, int index = 0) {
  ProfileLine l;
  l.pick = KeyIndex(key);
  if (l.pick < 0) {
    std::fprintf(stderr, "no such key: %s\n", key);
    std::exit(2);
  }
  l.index = index;
  l.value = value;
  return l;
}

ProfileLine Count(const char* key, const char* hex) {
  ProfileLine l = Key(key, Empty());
  l.valueKind = 1;
  l.hexPick = HexIndex(hex);
  return l;
}

ProfileLine Junk(const std::string& text) {
  ProfileLine l;
  l.kind = 2;
  l.value = Free(text);
  return l;
}

Device PciTuner(const char* id = "PCI\\VEN_1131&DEV_7160&SUBSYS_0001") {
  Device d;
  d.bus = 0;
  d.ids = {Pool(id)};
  d.driver = 1;
  return d;
}

ClassInstance Instance(int classKey, int subkey, Text desc, Text inf) {
  ClassInstance k;
  k.classKey = classKey;
  k.subkey = subkey;
  k.desc = desc;
  k.inf = inf;
  return k;
}

File FileIn(int dir, const char* name, int attributes = 0) {
  File f;
  f.dir = dir;
  f.name = Pool(name);
  f.attributes = attributes;
  return f;
}

Named Name(Text text, int flag = 0) {
  Named n;
  n.name = text;
  n.flag = flag;
  return n;
}

// A tuner package installed on Windows 7: one PCI tuner, its class
// instance, service, files, the receiver process and the remote window.
Case Installed() {
  Case c;
  c.version = VersionIndex("win7");
  c.profile = {
      Section(0),
      Key("UnInstDrvAppTitle", Free("Lumex Uninstall")),
      Count("DevIDNum", "1"),
      Key("DevDrvID#", Pool("PCI\\VEN_1131&DEV_7160")),
      Key("DevDrvName#", Pool("Lumex Tuner")),
      Key("DevDrvSYS#", Pool("tuner.sys")),
      Key("DevDrvINF#", Pool("tuner.inf")),
      Count("ExtDllFileNum", "1"),
      Key("ExtCopyFileName#", Pool("helper.dll")),
      Count("UnInstServiceNum", "1"),
      Key("UnInstService#", Pool("lxtuner")),
      Key("DrvUninstRegKeyPath", Free("LumexWDM")),
  };
  c.devices = {PciTuner()};
  c.instances = {Instance(0, 0, Pool("Lumex Tuner"), Pool("oem3.inf")),
                 Instance(0, 1, Pool("Other Vendor Sound"), Pool("a.b.inf"))};
  c.services = {Name(Pool("lxtuner")), Name(Pool("Tcpip"))};
  c.files = {FileIn(0, "oem3.inf"), FileIn(0, "tuner.inf", 1), FileIn(1, "tuner.sys", 1), FileIn(1, "audio.sys"),
             FileIn(2, "helper.dll"), FileIn(3, "helper.dll"), FileIn(4, "q7nunist.exe")};
  c.processes = {0, 1};
  c.windows = {Name(Pool("Remote Control"))};
  return c;
}

Case Win98() {
  Case c = Installed();
  c.version = VersionIndex("win98");
  c.instances = {Instance(2, 0, Pool("Lumex Tuner"), Pool("oem3.inf")),
                 Instance(2, 1, Pool("lumex tuner"), Empty())};
  c.devices.push_back(Device{});
  c.devices.back().bus = 2;
  c.devices.back().ids = {Pool("STREAM\\CX1234.AUDIO#2")};
  c.profile.push_back(Count("ExtDevIDNum", "1"));
  c.profile.push_back(Key("ExtDevDrvID#", Pool("STREAM\\CX1234")));
  return c;
}

Filter FilterList(int classKey, int form, std::vector<Text> names) {
  Filter f;
  f.classKey = classKey;
  f.form = form;
  f.names = std::move(names);
  return f;
}

Package Published(const char* name, int copy) {
  Package p;
  p.name = Pool(name);
  p.copy = copy;
  return p;
}

void Write(const std::string& dir, const std::string& name, Case c) {
  Writer writer;
  Visit(writer, &c);
  std::ofstream out(dir + "/seed-" + name, std::ios::binary);
  out << writer.Bytes();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: drvuninst_fuzz_seeds OUTPUT_DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  Write(dir, "nt-installed", Installed());
  Write(dir, "9x-installed", Win98());

  Case c = Installed();
  c.installed = 0;
  Write(dir, "not-installed", c);

  // Entry 1 of each list is left out of the file: its prefix, description
  // and file names are empty.
  c = Win98();
  c.profile[2] = Count("DevIDNum", "2");
  Write(dir, "empty-prefix-9x", c);
  c = Installed();
  c.profile.push_back(Count("ExtDevIDNum", "2"));
  c.devices.push_back(Device{});
  c.devices.back().bus = 3;
  c.devices.back().ids = {Pool("ACPI\\PNP0A03")};
  Write(dir, "empty-prefix-nt", c);

  c = Installed();
  c.profile.push_back(Count("ExtDevIDNum", "1"));
  c.instances.push_back(Instance(0, 2, Empty(), Pool("oem3.inf")));
  c.instances.push_back(Instance(0, 3, Pool("Lumex"), Pool("oem3.inf")));
  c.instances.back().hasDesc = 0;
  Write(dir, "empty-description", c);

  c = Installed();
  c.profile.push_back(Count("UnInstServiceNum", "3"));
  Write(dir, "empty-service", c);

  c = Installed();
  c.profile.pop_back();  // no DrvUninstRegKeyPath
  c.uninstall = {Name(Pool("lxtuner"), 1)};
  Write(dir, "empty-uninstall-path", c);

  c = Installed();
  c.profile[5] = Key("DevDrvSYS#", Empty());
  c.profile.push_back(Count("ExtDllFileNum", "3"));
  c.profile.push_back(Key("DrvUninstAppName", Empty()));
  c.instances.push_back(Instance(0, 4, Pool("Lumex Tuner Audio"), Empty()));
  c.instances.push_back(Instance(0, 5, Pool("Lumex Tuner"), Pool("\\")));
  Write(dir, "empty-file-names", c);
  c.version = VersionIndex("winme");
  Write(dir, "empty-file-names-9x", c);

  c = Installed();
  c.profile.push_back(Count("ExtDevIDNum", "FFFFFFFF"));
  c.profile.push_back(Count("ExtDllFileNum", "100000002"));
  c.profile.push_back(Count("UnInstServiceNum", "1F"));
  c.profile.push_back(Count("PossibleDevIDNum", "10"));
  c.profile.push_back(Count("PossibleExtDevIDNum", "80000000"));
  Write(dir, "counts-above-15", c);
  c.profile[2] = Count("DevIDNum", "10");
  Write(dir, "count-16-primary", c);

  c = Installed();
  c.profile.push_back(Count("ExtDevIDNum", "1"));
  c.profile.push_back(Key("ExtDevDrvName#", Pool("Lumex")));
  c.instances.clear();
  for (int i = 0; i < 12; ++i) c.instances.push_back(Instance(i % 2, i, Pool("Lumex Tuner Audio"), Pool("oem3.inf")));
  Write(dir, "inf-list-past-10", c);

  c = Win98();
  c.profile.push_back(Count("PossibleDevIDNum", "C"));
  for (int i = 0; i < 12; ++i) c.profile.push_back(Key("PossibleDevID#", Pool("PCI\\VEN_1131"), i));
  Write(dir, "9x-ids-past-10", c);
  c = Win98();
  c.profile.push_back(Count("ExtDevIDNum", "1"));
  for (int i = 0; i < 8; ++i) {
    c.devices.push_back(Device{});
    c.devices.back().bus = 2;
    c.devices.back().nameKind = 1;
    c.devices.back().name = Free("CX1234.AUDIO" + std::to_string(i));
    c.devices.back().ids = {Pool("STREAM\\CX1234.AUDIO#2")};
  }
  c.devices.push_back(PciTuner("USB\\VID_1234&PID_5678"));
  c.devices.back().bus = 1;
  c.devices.push_back(PciTuner("STREAM\\CX1234"));
  Write(dir, "9x-ext-ids-past-10", c);

  c = Win98();
  c.devices[0].ids = {Repeated("PCI\\VEN_1131&DEV_7160", 300)};
  c.devices[0].nameKind = 1;
  c.devices[0].name = Pool("VEN_1131&DEV_7160");
  Write(dir, "overlong-hardware-id-9x", c);
  c.version = VersionIndex("winxp");
  Write(dir, "overlong-hardware-id-nt", c);
  c = Installed();
  c.devices.push_back(Device{});
  c.devices.back().ids = {Empty(), Pool("PCI\\VEN_1131")};
  c.devices.push_back(Device{});
  c.devices.back().ids = {Pool("pci\\ven_1131&dev_7160")};
  c.devices.back().instance = 1;
  Write(dir, "odd-hardware-ids", c);

  c = Installed();
  c.longWindowsDir = 1;
  c.windowsDirLength = 90;
  Write(dir, "overlong-windows-dir", c);
  c.version = VersionIndex("win98");
  c.windowsDirLength = 125;
  Write(dir, "overlong-windows-dir-9x", c);

  c = Installed();
  c.windows = {Name(Pool("Remote Control"), 1), Name(Pool("remote control"), 2)};
  Write(dir, "hung-remote-window", c);
  c.profile.push_back(Key("UnInstRemoteTitleName", Empty()));
  Write(dir, "empty-remote-title", c);

  c = Installed();
  c.country = 1;
  c.profile.push_back(Section(1));
  c.profile.push_back(Key("UnInstDrvAppTitle", Free("Deinstallation")));
  c.profile.push_back(Count("UnInstServiceNum", "1"));
  c.profile.push_back(Key("UnInstService#", Pool("Tcpip")));
  c.profile.push_back(Section(0));
  c.profile.push_back(Key("DrvUninstRegKeyPath", Free("OtherProgram")));
  c.profile.push_back(Junk("[broken"));
  c.profile.push_back(Junk("; DevIDNum=F"));
  Write(dir, "country-sections", c);

  // Files another program holds: each goes at the next restart, through
  // the list of the running family.
  c = Installed();
  c.inUse = {FileInUse{2, 0}, FileInUse{4, 1}, FileInUse{6, 2}};
  Write(dir, "files-in-use", c);
  c.restartFault = 1;  // the pending list cannot be written
  Write(dir, "files-in-use-unscheduled", c);
  c.restartFault = 0;
  c.version = VersionIndex("win98");
  File longName;
  longName.dir = 3;
  longName.name = Free("Lumex Helper Library.dll");
  c.files.push_back(longName);
  c.profile[7] = Count("ExtDllFileNum", "2");
  c.profile.push_back(Key("ExtCopyFileName#", Free("Lumex Helper Library.dll"), 1));
  c.inUse.push_back(FileInUse{static_cast<int>(c.files.size()) - 1, 1});
  Write(dir, "files-in-use-9x", c);

  // Names that climb out of their directory onto the machine's own files.
  c = Installed();
  c.instances[0].inf = Free("..\\system32\\drivers\\disk.sys");
  c.profile[7] = Count("ExtDllFileNum", "2");
  c.profile.push_back(Key("ExtCopyFileName#", Free("..\\explorer.exe"), 1));
  Write(dir, "escaping-names", c);

  // The service is a filter of several classes, in every form a list takes;
  // the tuner's INF is a package in the driver store, beside another's.
  c = Installed();
  c.filters = {FilterList(0, 0, {Pool("lxtuner"), Free("ksthunk")}), FilterList(3, 1, {Pool("Tcpip"), Pool("lxtuner")}),
               FilterList(2, 2, {Pool("lxtuner")}), FilterList(1, 3, {Pool("lxtuner")})};
  c.filters[1].lower = 1;
  c.packages = {Published("oem3.inf", 1), Published("a.b.inf", 0)};
  Write(dir, "filters-and-driver-store", c);

  // Another vendor's card installed from the tuner's INF (its driver key
  // described as the tuner's), a node of the tuner not plugged in, and the
  // service named by devices' own filter lists, as a list and as a string.
  c = Installed();
  c.devices.push_back(PciTuner());
  c.devices.back().instance = 1;
  c.devices.back().unplugged = 1;
  c.devices.push_back(PciTuner("PCI\\VEN_8086&DEV_2415"));
  c.devices.back().driver = 6;
  c.devices.back().instance = 2;
  c.devices.push_back(PciTuner("ACPI\\PNP0A03"));
  c.devices.back().driver = 0;
  c.devices.back().filterForm = 1;
  c.devices.back().filterName = Pool("lxtuner");
  c.devices.push_back(PciTuner("USB\\VID_1234"));
  c.devices.back().driver = 0;
  c.devices.back().unplugged = 1;
  c.devices.back().filterForm = 2;
  c.devices.back().filterName = Pool("lxtuner");
  c.packages = {Published("oem3.inf", 1)};
  Write(dir, "shared-inf-unplugged-device-filters", c);

  struct FaultSeed {
    const char* name;
    const char* api;
    int error;
    int index;
  };
  const FaultSeed faults[] = {
      {"fault-enum-class", "RegEnumKeyExA", 0, 1},
      {"fault-open", "RegOpenKeyExA", 1, -1},
      {"fault-delete-file", "DeleteFileA", 2, -1},
      {"fault-property", "SetupDiGetDeviceRegistryPropertyA", 1, -1},
      {"fault-version", "GetVersionExA", 0, -1},
      {"fault-profile", "GetPrivateProfileStringA", 0, -1},
      {"fault-remove-device", "SetupDiRemoveDevice", 0, -1},
      {"fault-destroy-list", "SetupDiDestroyDeviceInfoList", 0, -1},
      {"fault-snapshot", "Process32First", 0, -1},
      {"fault-send-timeout", "SendMessageTimeoutA", 0, -1},
      {"fault-driver-package", "SetupUninstallOEMInfA", 1, -1},
      {"fault-device-property", "SetupDiSetDeviceRegistryPropertyA", 0, -1},
  };
  for (const FaultSeed& f : faults) {
    c = Installed();
    Fault fault;
    fault.api = FaultApiIndex(f.api);
    fault.error = f.error;
    fault.index = f.index;
    c.faults = {fault};
    Write(dir, f.name, c);
  }
  return 0;
}
