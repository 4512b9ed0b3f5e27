#include "preview/NamedFiles.h"

#include "app/DrvUninstApp.h"
#include "platform/sim/faults.h"
#include "platform/sim/registry_store.h"
#include "removal/MakerKeys.h"
#include "removal/RegistryNames.h"
#include "removal/RemovalSteps.h"
#include "image/run_program.h"

namespace preview {
namespace {

class NameList {
 public:
  void Add(const std::string& folder, const std::string& name) {
    if (name.empty() || IsRefusedFileName(name.c_str())) return;
    const std::string path = folder + name;
    for (const std::string& known : m_paths) {
      if (sim::EqualsNoCase(known, path)) return;
    }
    m_paths.push_back(path);
  }

  // An INF with the PNF Windows compiles beside it.
  void AddInf(const std::string& name) {
    Add("inf\\", name);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) Add("inf\\", name.substr(0, dot) + ".pnf");
  }

  void AddEntries(const DRVENTRY* entries, int count) {
    for (int i = 0; i < UsableCount(count, MAX_DRV_ENTRIES); ++i) {
      AddInf(entries[i].szDrvINF);
      Add("system32\\drivers\\", entries[i].szDrvSYS);
      Add("system\\", entries[i].szDrvSYS);
    }
  }

  std::vector<std::string> m_paths;
};

}  // namespace

std::vector<std::string> NamedFiles() {
  image::ResetProgramState();
  theApp.LoadUninstProfile();
  NameList list;
  list.Add("", "win.ini");
  list.Add("", "wininit.ini");
  list.AddEntries(theApp.m_DevDrv, theApp.m_nDevIDNum);
  list.AddEntries(theApp.m_ExtDevDrv, theApp.m_nExtDevIDNum);
  list.AddEntries(theApp.m_PossibleDevDrv, theApp.m_nPossibleDevIDNum);
  for (int i = 0; i < UsableCount(theApp.m_nExtDllFileNum, MAX_DRV_ENTRIES); ++i) {
    list.Add("system32\\", theApp.m_szExtCopyFileName[i]);
    list.Add("system\\", theApp.m_szExtCopyFileName[i]);
  }
  list.Add("", theApp.m_szDrvUninstAppName);
  // The NT removal also deletes the INF each of the package's class instances names.
  for (const char* classKey : {kMediaClassKeyPath, kImagingClassKeyPath}) {
    const std::string path = std::string("HKLM\\") + classKey;
    for (const std::string& instance : sim::registry::SubkeyNames(path)) {
      if (auto inf = sim::registry::GetString(path + "\\" + instance, "InfPath")) list.AddInf(*inf);
    }
  }
  return list.m_paths;
}

std::vector<std::string> NamedMakerKeys() {
  image::ResetProgramState();
  theApp.LoadUninstProfile();
  std::vector<std::string> makers;
  for (int i = 0; i < UsableCount(theApp.m_nUnInstRegKeyNum, MAX_DRV_ENTRIES); ++i) {
    const std::string path = theApp.m_szUnInstRegKey[i];
    if (MakerKeyVerdictOf(path.c_str()) != MAKER_KEY_ALLOWED) continue;
    const std::string maker = path.substr(0, path.find('\\'));
    bool known = false;
    for (const std::string& seen : makers) known = known || sim::EqualsNoCase(seen, maker);
    if (!known) makers.push_back(maker);
  }
  return makers;
}

}  // namespace preview
