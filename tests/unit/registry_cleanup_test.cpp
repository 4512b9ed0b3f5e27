// What the registry clean-ups delete, and above all what they leave alone.
#include <cstring>
#include <string>

#include "fresh_machine.h"
#include "platform/sim/faults.h"
#include "removal/Removal.h"

namespace {

const std::string kServices = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";
const std::string kMedia = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\";
const std::string kImaging =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\";
const std::string kUninstall = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kMedia9x = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Class\\MEDIA\\";

class RegistryCleanup : public FreshMachine {
 protected:
  static void Instance(const std::string& classKey, const std::string& name, const std::string& description) {
    sim::registry::SetString(classKey + name, "DriverDesc", description);
    sim::registry::Create(classKey + name + "\\Settings");
  }
  static void Primary(int index, const char* name) {
    std::strcpy(theApp.m_DevDrv[index].szDrvName, name);
    if (theApp.m_nDevIDNum <= index) theApp.m_nDevIDNum = index + 1;
  }
  static void Extension(int index, const char* name) {
    std::strcpy(theApp.m_ExtDevDrv[index].szDrvName, name);
    if (theApp.m_nExtDevIDNum <= index) theApp.m_nExtDevIDNum = index + 1;
  }
  static bool Exists(const std::string& path) { return sim::registry::Exists(path); }
};

TEST_F(RegistryCleanup, NtDeletesNamedServicesInstancesAndUninstallEntryOnly) {
  std::strcpy(theApp.m_szMediaClass, "Yes");
  theApp.m_nUnInstServiceNum = 2;
  std::strcpy(theApp.m_szUnInstService[0], "tunersvc");
  std::strcpy(theApp.m_szUnInstService[1], "tuneraud");
  sim::registry::Create(kServices + "TunerSvc\\Enum");
  sim::registry::Create(kServices + "tuneraud");
  sim::registry::Create(kServices + "Tcpip");
  Primary(0, "Velmor Tuner");
  Extension(0, "Velmor Audio");
  Instance(kMedia, "0000", "Other Card");
  Instance(kMedia, "0001", "velmor TUNER");
  Instance(kMedia, "0002", "Velmor Audio");
  Instance(kMedia, "0003", "Velmor Tuner Plus");  // begins with a name: not the package's here
  Instance(kImaging, "0000", "Velmor Tuner");
  std::strcpy(theApp.m_szDrvUninstRegKeyPath, "{PKG}");
  AddUninstallEntry("{PKG}", "Velmor");
  AddUninstallEntry("{OTHER}", "Other");

  EXPECT_EQ(CleanRegistryNT(), 1);

  EXPECT_FALSE(Exists(kServices + "TunerSvc"));
  EXPECT_FALSE(Exists(kServices + "tuneraud"));
  EXPECT_TRUE(Exists(kServices + "Tcpip"));
  EXPECT_TRUE(Exists(kMedia + "0000"));
  EXPECT_FALSE(Exists(kMedia + "0001"));
  EXPECT_FALSE(Exists(kMedia + "0002"));
  EXPECT_TRUE(Exists(kMedia + "0003"));
  EXPECT_TRUE(Exists(kImaging + "0000"));
  EXPECT_FALSE(Exists(kUninstall + "{PKG}"));
  EXPECT_TRUE(Exists(kUninstall + "{OTHER}"));
  EXPECT_STREQ(g_szClassKey, "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(sim::registry::OpenHandleCount(), 0u);
}

TEST_F(RegistryCleanup, MediaClassNoChoosesTheImagingClass) {
  Primary(0, "Cam");
  Instance(kMedia, "0000", "Cam");
  Instance(kImaging, "0000", "Cam");
  for (const char* choice : {"no", "NONE"}) {
    std::strcpy(theApp.m_szMediaClass, choice);
    CleanRegistryNT();
    EXPECT_TRUE(Exists(kMedia + "0000")) << choice;
    EXPECT_FALSE(Exists(kImaging + "0000")) << choice;
    Instance(kImaging, "0000", "Cam");
  }
  for (const char* choice : {"Yes", "", " No", "N"}) {
    Instance(kMedia, "0000", "Cam");
    std::strcpy(theApp.m_szMediaClass, choice);
    CleanRegistryNT();
    EXPECT_FALSE(Exists(kMedia + "0000")) << choice;
    EXPECT_TRUE(Exists(kImaging + "0000")) << choice;
  }
}

TEST_F(RegistryCleanup, ConsecutiveMatchesAreAllDeletedAndEachInstanceExaminedOnce) {
  Primary(0, "Tuner");
  Primary(1, "Tuner");  // the same name twice deletes once
  for (int i = 0; i < 6; ++i) Instance(kMedia, "000" + std::to_string(i), i == 3 ? "Keep" : "Tuner");
  CleanRegistryNT();
  EXPECT_EQ(sim::registry::SubkeyNames(kMedia), (std::vector<std::string>{"0003"}));
  EXPECT_EQ(sim::CountCalls("RegEnumKeyExA"), 6u + 1u + 0u);  // six subkeys and the end
}

TEST_F(RegistryCleanup, EmptyNamesNeverNameAParentOrEveryInstance) {
  theApp.m_nUnInstServiceNum = 3;  // names given for none of them
  theApp.m_nDevIDNum = 2;          // entries without names
  sim::registry::Create(kServices + "Tcpip");
  sim::registry::Create(kMedia + "0000");  // no description at all
  sim::registry::SetString(kMedia + "0001", "DriverDesc", "");
  AddUninstallEntry("{OTHER}", "Other");
  CleanRegistryNT();
  EXPECT_TRUE(Exists(kServices + "Tcpip"));
  EXPECT_TRUE(Exists(kMedia + "0000"));
  EXPECT_TRUE(Exists(kMedia + "0001"));
  EXPECT_TRUE(Exists(kUninstall + "{OTHER}"));
}

TEST_F(RegistryCleanup, MissingKeysSkipOnlyTheirOwnStep) {
  Primary(0, "Tuner");
  Instance(kMedia, "0000", "Tuner");
  std::strcpy(theApp.m_szDrvUninstRegKeyPath, "{PKG}");
  AddUninstallEntry("{PKG}", "x");
  sim::registry::DeleteTree("HKLM\\SYSTEM\\CurrentControlSet\\Services");
  theApp.m_nUnInstServiceNum = 1;
  std::strcpy(theApp.m_szUnInstService[0], "svc");
  EXPECT_EQ(CleanRegistryNT(), 1);
  EXPECT_FALSE(Exists(kMedia + "0000"));
  EXPECT_FALSE(Exists(kUninstall + "{PKG}"));

  Instance(kMedia, "0000", "Tuner");
  AddUninstallEntry("{PKG}", "x");
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "{4D36E96C");
  EXPECT_EQ(CleanRegistryNT(), 1);
  EXPECT_TRUE(Exists(kMedia + "0000"));
  EXPECT_FALSE(Exists(kUninstall + "{PKG}"));
}

TEST_F(RegistryCleanup, AnInstanceWhoseDescriptionCannotBeReadStays) {
  Primary(0, "Tuner");
  Instance(kMedia, "0000", "Tuner");
  Instance(kMedia, "0001", "Tuner");
  Instance(kMedia, "0002", std::string(300, 'T'));
  sim::InjectFault("RegQueryValueExA", ERROR_ACCESS_DENIED, "0000\\@DriverDesc");
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "0001");
  CleanRegistryNT();
  EXPECT_TRUE(Exists(kMedia + "0000"));
  EXPECT_TRUE(Exists(kMedia + "0001"));
  EXPECT_TRUE(Exists(kMedia + "0002"));
}

class RegistryCleanup9x : public RegistryCleanup {
 protected:
  void SetUp() override {
    RegistryCleanup::SetUp();
    sim::SetVersion("win98");
  }
};

TEST_F(RegistryCleanup9x, DeletesMediaInstancesEnumKeysAndUninstallEntry) {
  Primary(0, "Tuner");
  Extension(0, "Audio");
  Instance(kMedia9x, "0000", "tuner");
  Instance(kMedia9x, "0001", "Audio");
  Instance(kMedia9x, "0002", "Tuner Plus");
  sim::registry::Create("HKLM\\Enum\\PCI\\VEN_1&DEV_2\\BUS_01");
  sim::registry::Create("HKLM\\Enum\\PCI\\VEN_9&DEV_9\\BUS_02");
  sim::registry::Create("HKLM\\Enum\\STREAM\\CX1.AUDIO\\0");
  sim::registry::Create("HKLM\\Enum\\USB\\VEN_1&DEV_2\\0");
  g_strVenID[0] = "VEN_1&DEV_2";
  g_strVenID[1] = "VEN_1&DEV_2";  // two variants matched one device
  g_nVenIDNum = 2;
  g_strCxID[0] = "CX1.AUDIO";
  g_nCxIDNum = 1;
  std::strcpy(theApp.m_szDrvUninstRegKeyPath, "{PKG}");
  AddUninstallEntry("{PKG}", "x");

  EXPECT_EQ(CleanRegistryWin9x(), 1);

  EXPECT_EQ(sim::registry::SubkeyNames(kMedia9x), (std::vector<std::string>{"0002"}));
  EXPECT_FALSE(Exists("HKLM\\Enum\\PCI\\VEN_1&DEV_2"));
  EXPECT_TRUE(Exists("HKLM\\Enum\\PCI\\VEN_9&DEV_9\\BUS_02"));
  EXPECT_FALSE(Exists("HKLM\\Enum\\STREAM\\CX1.AUDIO"));
  EXPECT_TRUE(Exists("HKLM\\Enum\\USB\\VEN_1&DEV_2\\0"));
  EXPECT_FALSE(Exists(kUninstall + "{PKG}"));
  EXPECT_EQ(sim::registry::OpenHandleCount(), 0u);
}

TEST_F(RegistryCleanup9x, UsbFlagMovesThePrimaryKeysToEnumUsb) {
  sim::registry::Create("HKLM\\Enum\\PCI\\VID_1&PID_2\\0");
  sim::registry::Create("HKLM\\Enum\\USB\\VID_1&PID_2\\0");
  g_strVenID[0] = "VID_1&PID_2";
  g_nVenIDNum = 1;
  g_bUsbDevice = TRUE;
  CleanRegistryWin9x();
  EXPECT_TRUE(Exists("HKLM\\Enum\\PCI\\VID_1&PID_2\\0"));
  EXPECT_FALSE(Exists("HKLM\\Enum\\USB\\VID_1&PID_2"));
}

TEST_F(RegistryCleanup9x, EmptyIdsAndNamesDeleteNothing) {
  sim::registry::Create("HKLM\\Enum\\PCI\\VEN_1\\0");
  sim::registry::Create("HKLM\\Enum\\STREAM\\CX\\0");
  g_nVenIDNum = 1;  // an empty text
  g_nCxIDNum = 1;
  theApp.m_nDevIDNum = 1;  // no name
  sim::registry::Create(kMedia9x + "0000");  // no description: compares as empty
  AddUninstallEntry("{OTHER}", "Other");
  CleanRegistryWin9x();
  EXPECT_TRUE(Exists("HKLM\\Enum\\PCI\\VEN_1\\0"));
  EXPECT_TRUE(Exists("HKLM\\Enum\\STREAM\\CX\\0"));
  EXPECT_TRUE(Exists(kMedia9x + "0000"));
  EXPECT_TRUE(Exists(kUninstall + "{OTHER}"));
}

TEST_F(RegistryCleanup9x, ADescriptionLongerThanTheOneBeforeIsReadWhole) {
  Primary(0, "A much longer tuner description");
  Instance(kMedia9x, "0000", "Short");
  Instance(kMedia9x, "0001", "A much longer tuner description");
  CleanRegistryWin9x();
  EXPECT_TRUE(Exists(kMedia9x + "0000"));
  EXPECT_FALSE(Exists(kMedia9x + "0001"));
}

TEST_F(RegistryCleanup9x, AReportedSizeBeyondTheBufferNeverOverrunsIt) {
  Primary(0, "Tuner");
  Instance(kMedia9x, "0000", std::string(300, 'x'));
  Instance(kMedia9x, "0001", std::string(280, 'y'));
  Instance(kMedia9x, "0002", "Tuner");
  CleanRegistryWin9x();
  EXPECT_TRUE(Exists(kMedia9x + "0000"));
  EXPECT_TRUE(Exists(kMedia9x + "0001"));
  EXPECT_FALSE(Exists(kMedia9x + "0002"));
}

TEST_F(RegistryCleanup9x, TheSecondPassRetriesWhatTheFirstFailedToDelete) {
  Primary(0, "Tuner");
  Instance(kMedia9x, "0000", "Tuner");
  sim::InjectFault("SHDeleteKeyA", ERROR_ACCESS_DENIED, "MEDIA\\0000", -1, 1);
  CleanRegistryWin9x();
  EXPECT_FALSE(Exists(kMedia9x + "0000"));
  EXPECT_EQ(sim::CountCalls("SHDeleteKeyA"), 2u);
}

TEST_F(RegistryCleanup9x, AnEnumParentThatCannotBeOpenedSkipsOnlyThatId) {
  sim::registry::Create("HKLM\\Enum\\PCI\\VEN_1\\0");
  sim::registry::Create("HKLM\\Enum\\PCI\\VEN_2\\0");
  g_strVenID[0] = "VEN_1";
  g_strVenID[1] = "VEN_2";
  g_nVenIDNum = 2;
  sim::InjectFault("RegOpenKeyExA", ERROR_ACCESS_DENIED, "Enum\\PCI", -1, 1);
  CleanRegistryWin9x();
  EXPECT_TRUE(Exists("HKLM\\Enum\\PCI\\VEN_1\\0"));
  EXPECT_FALSE(Exists("HKLM\\Enum\\PCI\\VEN_2"));
}

}  // namespace
