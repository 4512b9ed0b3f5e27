// A machine with the package installed, and a user who presses OK.
#pragma once

#include <string>
#include <vector>

#include "app/DrvUninstDlg.h"
#include "platform/sim/file_store.h"
#include "platform/sim/kernel_state.h"
#include "platform/sim/window_store.h"
#include "tests/unit/devices_fixture.h"

class RemovalTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    AddUninstallEntry("{PKG}", "Velmor Lumex WDM Drivers");
  }

  // Runs the whole program as the user would: OK, then the final box closed.
  static void RunWithOk() {
    sim::windows::ScriptUser({"ok", "box-ok"});
    theApp.InitInstance();
  }

  static std::vector<UINT> ProgressMessageKinds() {
    std::vector<UINT> kinds;
    for (const auto& record : sim::windows::ProgressMessages()) kinds.push_back(record.message);
    return kinds;
  }

  static int CountOf(UINT message) {
    int n = 0;
    for (const auto& record : sim::windows::ProgressMessages()) n += record.message == message;
    return n;
  }

  // The bar's position just before it is set to this value.
  static LRESULT PositionBeforeSetPos(WPARAM position) {
    for (const auto& record : sim::windows::ProgressMessages()) {
      if (record.message == PBM_SETPOS && record.wParam == position) return record.result;
    }
    return -1;
  }

  static std::vector<std::string> StatusLines() {
    std::vector<std::string> lines;
    for (const auto& record : sim::windows::TextsShown()) {
      if (record.controlId == IDC_FILE_LINE && !record.text.empty()) lines.push_back(record.text);
    }
    return lines;
  }

  static bool FileExists(const std::string& path) { return sim::files::Exists(path); }
};
