#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "image/reg_file.h"

namespace {

using image::RegOperation;

std::vector<unsigned char> Bytes(const std::string& text) { return std::vector<unsigned char>(text.begin(), text.end()); }

// A text as regedit's UTF-16LE export writes it: BOM, two bytes a character.
std::string Utf16File(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

class RegImport : public ::testing::Test {
 protected:
  void SetUp() override { sim::Reset(); }

  // Parses and imports; the file must be free of errors.
  void Import(const std::string& text) {
    image::RegParseResult parsed = image::ParseRegText(image::DecodeRegBytes(text));
    ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
    std::vector<std::string> errors;
    ASSERT_TRUE(image::ApplyRegOperations(parsed.operations, &errors));
  }
};

TEST(RegParse, StringsKeepEscapedBackslashesAndQuotes) {
  auto parsed = image::ParseRegText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\A]\n\"Path\"=\"C:\\\\dir\\\\\\\"q\\\"\"\n");
  ASSERT_TRUE(parsed.errors.empty());
  ASSERT_EQ(parsed.operations.size(), 2u);
  const RegOperation& value = parsed.operations[1];
  EXPECT_EQ(value.kind, RegOperation::SetValue);
  EXPECT_EQ(value.name, "Path");
  EXPECT_EQ(value.type, 1u);
  EXPECT_EQ(value.data, Bytes(std::string("C:\\dir\\\"q\"") + '\0'));
}

TEST(RegParse, ValueNamesMayHoldEscapesAndTheDefaultValueIsAt) {
  auto parsed = image::ParseRegText("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n@=\"def\"\n\"a\\\\b\\\"c\"=\"x\"\n");
  ASSERT_TRUE(parsed.errors.empty());
  EXPECT_EQ(parsed.operations[1].name, "");
  EXPECT_EQ(parsed.operations[2].name, "a\\b\"c");
}

TEST(RegParse, DwordIsLittleEndian) {
  auto parsed = image::ParseRegText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"n\"=dword:0102030a\n");
  ASSERT_TRUE(parsed.errors.empty());
  EXPECT_EQ(parsed.operations[1].type, 4u);
  EXPECT_EQ(parsed.operations[1].data, (std::vector<unsigned char>{0x0a, 0x03, 0x02, 0x01}));
}

TEST(RegParse, HexDataGoesOnOverContinuationLines) {
  auto parsed = image::ParseRegText(
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"HardwareID\"=hex(7):41,42,00,\\\r\n  43,\\\r\n  00,00\r\n\"Next\"=\"x\"\r\n");
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
  ASSERT_EQ(parsed.operations.size(), 3u);
  EXPECT_EQ(parsed.operations[1].type, 7u);
  EXPECT_EQ(parsed.operations[1].data, (std::vector<unsigned char>{'A', 'B', 0, 'C', 0, 0}));
  EXPECT_EQ(parsed.operations[2].name, "Next");
}

TEST(RegParse, PlainHexIsBinaryAndHexTypesAreHexNumbers) {
  auto parsed = image::ParseRegText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"b\"=hex:ff,00\n\"q\"=hex(b):01\n");
  ASSERT_TRUE(parsed.errors.empty());
  EXPECT_EQ(parsed.operations[1].type, 3u);
  EXPECT_EQ(parsed.operations[1].data, (std::vector<unsigned char>{0xff, 0x00}));
  EXPECT_EQ(parsed.operations[2].type, 11u);
}

TEST(RegParse, Version5StoresStringHexAsUtf16) {
  auto parsed = image::ParseRegText(
      "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n"
      "\"m\"=hex(7):41,00,00,00,42,00,00,00,00,00\n\"e\"=hex(2):25,00,58,00,00,00\n\"b\"=hex:41,00\n");
  ASSERT_TRUE(parsed.errors.empty());
  EXPECT_EQ(parsed.operations[1].data, (std::vector<unsigned char>{'A', 0, 'B', 0, 0}));
  EXPECT_EQ(parsed.operations[2].data, (std::vector<unsigned char>{'%', 'X', 0}));
  EXPECT_EQ(parsed.operations[3].data, (std::vector<unsigned char>{'A', 0}));  // binary stays as written
}

TEST(RegParse, Regedit4HexStaysAnsi) {
  auto parsed = image::ParseRegText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):41,00,00\n");
  ASSERT_TRUE(parsed.errors.empty());
  EXPECT_EQ(parsed.operations[1].data, (std::vector<unsigned char>{'A', 0, 0}));
}

TEST(RegParse, AFileWithoutTheHeaderIsRefused) {
  auto parsed = image::ParseRegText("[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"b\"\n");
  EXPECT_TRUE(parsed.operations.empty());
  ASSERT_EQ(parsed.errors.size(), 1u);
}

TEST(RegParse, BadLinesAreNamedByNumberAndSkipped) {
  auto parsed = image::ParseRegText(
      "REGEDIT4\n\"early\"=\"x\"\n[HKEY_NOWHERE\\A]\n[HKEY_LOCAL_MACHINE\\A]\n\"d\"=dword:123456789\n"
      "\"s\"=\"open\n\"w\"=what:1\n\"ok\"=\"fine\"\n");
  ASSERT_EQ(parsed.errors.size(), 5u);
  EXPECT_EQ(parsed.errors[0].rfind("line 2:", 0), 0u) << parsed.errors[0];
  EXPECT_EQ(parsed.errors[1].rfind("line 3:", 0), 0u) << parsed.errors[1];
  EXPECT_EQ(parsed.errors[2].rfind("line 5:", 0), 0u) << parsed.errors[2];
  ASSERT_EQ(parsed.operations.size(), 2u);
  EXPECT_EQ(parsed.operations[1].name, "ok");
}

TEST(RegParse, ValuesUnderADeletedKeyAreNotTaken) {
  auto parsed = image::ParseRegText("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"b\"\n");
  ASSERT_EQ(parsed.operations.size(), 1u);
  EXPECT_EQ(parsed.operations[0].kind, RegOperation::DeleteKey);
  EXPECT_EQ(parsed.errors.size(), 1u);
}

TEST(RegDecode, Utf16WithBomBecomesAnsi) {
  std::string bytes = Utf16File("Ab\xE9");
  bytes += "\x3A\x26";  // U+263A has no ANSI form
  EXPECT_EQ(image::DecodeRegBytes(bytes), "Ab\xE9?");
}

TEST(RegDecode, Utf8BomIsSkippedAndLatin1Kept) {
  EXPECT_EQ(image::DecodeRegBytes("\xEF\xBB\xBFK\xC3\xA9y"), "K\xE9y");
}

TEST_F(RegImport, AUtf16ExportLandsInTheRegistry) {
  Import(Utf16File(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_2\\3]\r\n"
      "\"HardwareID\"=hex(7):50,00,43,00,49,00,00,00,00,00\r\n"
      "\"ClassGUID\"=\"{4d36e96c-e325-11ce-bfc1-08002be10318}\"\r\n"));
  const auto id = sim::registry::GetValue("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_2\\3", "HardwareID");
  ASSERT_TRUE(id.has_value());
  EXPECT_EQ(id->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(id->data, (std::vector<BYTE>{'P', 'C', 'I', 0, 0}));
  EXPECT_EQ(sim::registry::GetString("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_2\\3", "ClassGUID"),
            "{4d36e96c-e325-11ce-bfc1-08002be10318}");
}

TEST_F(RegImport, DeletionsRemoveWholeKeysAndSingleValues) {
  sim::registry::SetString("HKLM\\Software\\Gone\\Deep", "a", "1");
  sim::registry::SetString("HKLM\\Software\\Stay", "drop", "1");
  sim::registry::SetString("HKLM\\Software\\Stay", "keep", "1");
  Import("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n[-HKEY_LOCAL_MACHINE\\Software\\NeverWas]\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Stay]\n\"drop\"=-\n");
  EXPECT_FALSE(sim::registry::Exists("HKLM\\Software\\Gone"));
  EXPECT_FALSE(sim::registry::GetValue("HKLM\\Software\\Stay", "drop").has_value());
  EXPECT_TRUE(sim::registry::GetValue("HKLM\\Software\\Stay", "keep").has_value());
}

TEST_F(RegImport, AnEmptySectionStillCreatesItsKey) {
  Import("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Empty\\Key]\n");
  EXPECT_TRUE(sim::registry::Exists("HKCU\\Software\\Empty\\Key"));
}

}  // namespace
