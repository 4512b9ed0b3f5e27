// A fresh machine with helpers to describe the profile's entries and the
// present devices.
#pragma once

#include <string>
#include <vector>

#include "devices/DeviceScan.h"
#include "platform/sim/device_store.h"
#include "platform/sim/faults.h"
#include "platform/sim/kernel_state.h"
#include "platform/win32.h"
#include "tests/unit/fresh_machine.h"

class DeviceTest : public FreshMachine {
 protected:
  static void Fill(DRVENTRY* entry, const char* id, const char* name, const char* sys, const char* inf) {
    lstrcpynA(entry->szDrvID, id, DRV_FIELD_SIZE);
    lstrcpynA(entry->szDrvName, name, DRV_FIELD_SIZE);
    lstrcpynA(entry->szDrvSYS, sys, DRV_FIELD_SIZE);
    lstrcpynA(entry->szDrvINF, inf, DRV_FIELD_SIZE);
  }
  static void Primary(const char* id, const char* name = "Tuner", const char* sys = "tuner.sys",
                      const char* inf = "tuner.inf") {
    Fill(&theApp.m_DevDrv[theApp.m_nDevIDNum++], id, name, sys, inf);
  }
  static void Variant(const char* id, const char* name, const char* sys = "variant.sys",
                      const char* inf = "variant.inf") {
    Fill(&theApp.m_PossibleDevDrv[theApp.m_nPossibleDevIDNum++], id, name, sys, inf);
  }
  static void Extension(const char* id) {
    Fill(&theApp.m_ExtDevDrv[theApp.m_nExtDevIDNum++], id, "Audio", "audio.sys", "audio.inf");
  }
  static void Device(const std::string& instanceId, const std::vector<std::string>& hardwareIds,
                     const std::string& classGuid = sim::devices::kMediaClassGuid) {
    sim::devices::AddDevice(instanceId, hardwareIds, classGuid);
  }
  static std::string EnumKey(const std::string& instanceId) {
    return std::string(sim::devices::EnumRoot()) + "\\" + instanceId;
  }
  static std::vector<std::string> List(const CString* list, int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) texts.push_back(static_cast<LPCSTR>(list[i]));
    return texts;
  }
  static std::vector<std::string> VenIDs() { return List(g_strVenID, g_nVenIDNum); }
  static std::vector<std::string> CxIDs() { return List(g_strCxID, g_nCxIDNum); }

  // Nothing the scan allocated or obtained is left behind.
  static void ExpectNothingLeaked() {
    EXPECT_EQ(sim::LiveLocalBlocks(), 0u);
    EXPECT_EQ(sim::devices::OpenDeviceSets(), 0u);
  }
};
