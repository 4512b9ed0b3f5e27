#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "image/report.h"
#include "image/snapshot.h"

namespace {

using image::MachineSnapshot;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A fresh machine with one key of its own; the image adds a product.
struct Machines {
  MachineSnapshot fresh, before, after;
  Machines() {
    fresh.keys = {"HKLM", "HKLM\\SYSTEM", "HKCU"};
    fresh.processes = {"explorer.exe"};
    before = fresh;
    before.keys = {"HKLM", "HKLM\\SYSTEM", "HKLM\\SYSTEM\\Services", "HKLM\\SYSTEM\\Services\\tuner",
                   "HKLM\\SYSTEM\\Services\\tuner\\Enum", "HKLM\\SYSTEM\\Services\\other", "HKCU"};
    before.files = {{"C:\\WINDOWS\\inf\\oem3.inf", 0x21}, {"C:\\WINDOWS\\other.dll", 0x20}};
    before.processes = {"explorer.exe", "ehRecvr.exe"};
    before.windows = {"Remote Control"};
    after = before;
  }
};

TEST(Report, NothingRemovedSaysSoAndListsTheImageAsKept) {
  Machines m;
  const std::string text = image::DescribeChanges(m.fresh, m.before, m.after);
  EXPECT_TRUE(Has(text, "Removed:\n  nothing\n")) << text;
  EXPECT_TRUE(Has(text, "  key HKLM\\SYSTEM\\Services\\tuner\\Enum\n")) << text;
  EXPECT_TRUE(Has(text, "  process ehRecvr.exe\n")) << text;
  EXPECT_TRUE(Has(text, "  window \"Remote Control\"\n")) << text;
  // The fresh machine's own process is left alone, not kept.
  EXPECT_FALSE(Has(text, "process explorer.exe")) << text;
  EXPECT_TRUE(Has(text, "3 of 3 keys")) << text;
}

TEST(Report, ARemovedSubtreeIsNamedOnceAtItsTop) {
  Machines m;
  m.after.keys = {"HKLM", "HKLM\\SYSTEM", "HKLM\\SYSTEM\\Services", "HKLM\\SYSTEM\\Services\\other", "HKCU"};
  const std::string text = image::DescribeChanges(m.fresh, m.before, m.after);
  EXPECT_TRUE(Has(text, "  key HKLM\\SYSTEM\\Services\\tuner (and 1 key below)\n")) << text;
  EXPECT_FALSE(Has(text, "  key HKLM\\SYSTEM\\Services\\tuner\\Enum")) << text;
}

TEST(Report, RemovedFilesProcessesAndWindowsAreListed) {
  Machines m;
  m.after.files.erase("C:\\WINDOWS\\inf\\oem3.inf");
  m.after.processes = {"explorer.exe"};
  m.after.windows.clear();
  const std::string text = image::DescribeChanges(m.fresh, m.before, m.after);
  EXPECT_TRUE(Has(text, "  file C:\\WINDOWS\\inf\\oem3.inf\n")) << text;
  EXPECT_TRUE(Has(text, "  process ehRecvr.exe\n")) << text;
  EXPECT_TRUE(Has(text, "  window \"Remote Control\"\n")) << text;
  EXPECT_FALSE(Has(text, "Removed:\n  nothing")) << text;
}

TEST(Report, AttributeAndValueChangesAreShown) {
  Machines m;
  m.before.values["HKLM\\SYSTEM|Mode"] = "\"a\"";
  m.after.values["HKLM\\SYSTEM|Mode"] = "\"b\"";
  m.after.files["C:\\WINDOWS\\inf\\oem3.inf"] = 0x20;
  const std::string text = image::DescribeChanges(m.fresh, m.before, m.after);
  EXPECT_TRUE(Has(text, "C:\\WINDOWS\\inf\\oem3.inf: attributes 0x21 -> 0x20")) << text;
  EXPECT_TRUE(Has(text, "value HKLM\\SYSTEM|Mode: \"a\" -> \"b\"")) << text;
}

TEST(Report, AValueGoneFromAKeptKeyIsRemoved) {
  Machines m;
  m.before.values["HKLM\\SYSTEM\\Services\\other|Start"] = "dword:00000003";
  const std::string text = image::DescribeChanges(m.fresh, m.before, m.after);
  EXPECT_TRUE(Has(text, "  value HKLM\\SYSTEM\\Services\\other|Start\n")) << text;
}

TEST(Report, ValuesAreDescribedByType) {
  EXPECT_EQ(image::DescribeValue(REG_SZ, {'a', 'b', 0}), "\"ab\"");
  EXPECT_EQ(image::DescribeValue(REG_DWORD, {0x0a, 0, 0, 0x80}), "dword:8000000a");
  EXPECT_EQ(image::DescribeValue(REG_MULTI_SZ, {'A', 0, 'B', 0, 0}), "multi:\"A\",\"B\"");
  // The restart list: each deletion's destination is an empty string.
  EXPECT_EQ(image::DescribeValue(REG_MULTI_SZ, {'A', 0, 0, 'B', 0, 0, 0}), "multi:\"A\",\"\",\"B\",\"\"");
  EXPECT_EQ(image::DescribeValue(REG_BINARY, {0x01, 0xff}), "hex(3):01,ff");
}

}  // namespace
