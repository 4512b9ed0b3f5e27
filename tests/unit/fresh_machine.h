// A fresh simulated machine and a zero-filled profile for every test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/DrvUninstApp.h"
#include "platform/sim/file_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "image/run_program.h"

using image::ResetProgramState;

class FreshMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset();
    ResetProgramState();
  }

  static void WriteProfile(const std::string& text) { sim::files::Write("ZIZURUDO.ini", text); }

  static void SetCountry(const std::string& code) {
    sim::registry::SetString("HKCU\\Control Panel\\International", "iCountry", code);
  }

  static void AddUninstallEntry(const std::string& subkey, const std::string& displayName) {
    sim::registry::SetString("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + subkey,
                             "DisplayName", displayName);
  }
};
