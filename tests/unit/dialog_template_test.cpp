// The dialog's template, icon, version record and manifest as the resource
// script gives them to both builds.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/desktop_template.h"

using sim::desktop::ControlTemplate;
using sim::desktop::DialogTemplate;
using sim::desktop::ParseDialogTemplate;
using sim::desktop::ProgramResourcePath;
using sim::desktop::ProgramResourceScript;

namespace {

DialogTemplate Dialog102() {
  DialogTemplate t;
  EXPECT_TRUE(ParseDialogTemplate(ProgramResourceScript(), 102, &t));
  return t;
}

const ControlTemplate* Control(const DialogTemplate& t, int id) {
  for (const ControlTemplate& c : t.controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

std::string ReadFile(const std::string& relative) {
  std::ifstream in(ProgramResourcePath(relative), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

unsigned Word(const std::string& bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

}  // namespace

TEST(DialogTemplate, FrameSizeStyleFontAndCaption) {
  const DialogTemplate t = Dialog102();
  EXPECT_EQ(t.cx, 230);
  EXPECT_EQ(t.cy, 85);
  EXPECT_EQ(t.styles,
            (std::vector<std::string>{"DS_MODALFRAME", "WS_POPUP", "WS_VISIBLE", "WS_CAPTION", "WS_SYSMENU"}));
  EXPECT_EQ(t.exStyles, (std::vector<std::string>{"WS_EX_APPWINDOW"}));
  EXPECT_EQ(t.fontSize, 9);
  EXPECT_EQ(t.fontName, "Arial");
  EXPECT_EQ(t.caption, "RAVU VUR Uvidaru Uninstallation");
}

TEST(DialogTemplate, ControlsComeInTabOrder) {
  std::vector<int> ids;
  for (const ControlTemplate& c : Dialog102().controls) ids.push_back(c.id);
  EXPECT_EQ(ids, (std::vector<int>{1004, 1, 1000, 1003, 1002, 1001}));
}

TEST(DialogTemplate, StaticLinesAreLeftAlignedVisibleAndPlaced) {
  const DialogTemplate t = Dialog102();
  struct Expected {
    int id, x, y, cx, cy;
    const char* text;
  };
  const Expected lines[] = {{1004, 20, 9, 195, 8, ""},
                            {1003, 20, 1, 54, 8, ""},
                            {1002, 20, 17, 195, 8, ""},
                            {1001, 20, 25, 197, 9, "Please click 'OK' to uninstall the RAVU VUR Uvidaru. "}};
  for (const Expected& e : lines) {
    const ControlTemplate* c = Control(t, e.id);
    ASSERT_NE(c, nullptr) << e.id;
    EXPECT_EQ(c->statement, "LTEXT") << e.id;
    EXPECT_EQ(c->className, "Static") << e.id;
    EXPECT_TRUE(c->visible) << e.id;
    EXPECT_EQ(c->text, e.text) << e.id;
    EXPECT_EQ((std::vector<int>{c->x, c->y, c->cx, c->cy}), (std::vector<int>{e.x, e.y, e.cx, e.cy})) << e.id;
  }
}

TEST(DialogTemplate, OkIsTheDefaultPushButtonAndATabStop) {
  const DialogTemplate t = Dialog102();
  const ControlTemplate* ok = Control(t, 1);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->className, "Button");
  EXPECT_TRUE(ok->defaultButton);
  EXPECT_TRUE(ok->tabStop);
  EXPECT_TRUE(ok->visible);
  EXPECT_EQ(ok->text, "OK");
  EXPECT_EQ((std::vector<int>{ok->x, ok->y, ok->cx, ok->cy}), (std::vector<int>{90, 60, 50, 16}));
}

TEST(DialogTemplate, TheProgressBarStartsHiddenWithABorder) {
  const DialogTemplate t = Dialog102();
  const ControlTemplate* bar = Control(t, 1000);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->className, "msctls_progress32");
  EXPECT_FALSE(bar->visible);
  EXPECT_TRUE(bar->border);
  EXPECT_EQ((std::vector<int>{bar->x, bar->y, bar->cx, bar->cy}), (std::vector<int>{20, 40, 190, 14}));
}

TEST(DialogTemplateParser, ReadsContinuedLinesQuotesAndStyles) {
  const std::string script =
      "// a comment\n"
      "7 DIALOGEX 1, 2, 30, 40\n"
      "STYLE WS_POPUP |\n"
      "      WS_CAPTION\n"
      "CAPTION \"Say \"\"hi\"\"\"\n"
      "BEGIN\n"
      "  PUSHBUTTON \"Go, now\", IDCANCEL, 1, 2, 3, 4, NOT WS_TABSTOP\n"
      "  CONTROL \"\", 5, \"Edit\", WS_TABSTOP | NOT   WS_VISIBLE,\n"
      "          6, 7, 8, 9\n"
      "END\n";
  DialogTemplate t;
  ASSERT_TRUE(ParseDialogTemplate(script, 7, &t));
  EXPECT_EQ(t.styles, (std::vector<std::string>{"WS_POPUP", "WS_CAPTION"}));
  EXPECT_EQ(t.caption, "Say \"hi\"");
  ASSERT_EQ(t.controls.size(), 2u);
  EXPECT_EQ(t.controls[0].text, "Go, now");
  EXPECT_EQ(t.controls[0].id, 2);
  EXPECT_FALSE(t.controls[0].tabStop);
  EXPECT_FALSE(t.controls[0].defaultButton);
  EXPECT_TRUE(t.controls[1].tabStop);
  EXPECT_FALSE(t.controls[1].visible);
  EXPECT_EQ(t.controls[1].cy, 9);
}

TEST(DialogTemplateParser, AnAbsentOrUnfinishedTemplateIsNotFound) {
  DialogTemplate t;
  EXPECT_FALSE(ParseDialogTemplate(ProgramResourceScript(), 103, &t));
  EXPECT_FALSE(ParseDialogTemplate("5 DIALOGEX 0, 0, 1, 1\nBEGIN\n LTEXT \"\", 1, 1, 1, 1, 1\n", 5, &t));
}

TEST(ProgramResources, IconIsOneImageOf32By32In16Colours) {
  EXPECT_TRUE(sim::desktop::ScriptDefines(ProgramResourceScript(), "ICON", 132));
  const std::string ico = ReadFile("res/DrvUninst.ico");
  ASSERT_GE(ico.size(), 22u + 40u);
  EXPECT_EQ(Word(ico, 2), 1u);  // an icon
  EXPECT_EQ(Word(ico, 4), 1u);  // one image
  EXPECT_EQ(static_cast<unsigned char>(ico[6]), 32);
  EXPECT_EQ(static_cast<unsigned char>(ico[7]), 32);
  EXPECT_EQ(static_cast<unsigned char>(ico[8]), 16);
  const size_t image = Word(ico, 18);
  EXPECT_EQ(Word(ico, image + 14), 4u);  // bits per pixel
  // Header, 16-colour palette, 4-bit pixels and the 1-bit mask.
  EXPECT_EQ(ico.size(), image + 40 + 16 * 4 + 32 * 16 + 32 * 4);
}

TEST(ProgramResources, VersionRecordIsUsEnglishCodePage1252) {
  const std::string& rc = ProgramResourceScript();
  EXPECT_TRUE(sim::desktop::ScriptDefines(rc, "VERSIONINFO", 1));
  EXPECT_TRUE(Contains(rc, "FILEVERSION 3,1,0,1"));
  EXPECT_TRUE(Contains(rc, "PRODUCTVERSION 3,1,0,1"));
  EXPECT_TRUE(Contains(rc, "BLOCK \"040904E4\""));
  EXPECT_TRUE(Contains(rc, "VALUE \"Translation\", 0x409, 1252"));
  EXPECT_TRUE(Contains(rc, "VALUE \"FileDescription\", \"RAVU VUR Uvidaru Uninstallation\""));
  EXPECT_TRUE(Contains(rc, "VALUE \"FileVersion\", \"3.1.0.1\""));
  EXPECT_TRUE(Contains(rc, "VALUE \"ProductVersion\", \"3.1.0.1\""));
  EXPECT_TRUE(Contains(rc, "VALUE \"InternalName\", \"DrvUninst\""));
  EXPECT_TRUE(Contains(rc, "VALUE \"OriginalFilename\", \"DrvUninst.exe\""));
  for (const char* field : {"CompanyName", "LegalCopyright", "ProductName"}) {
    EXPECT_TRUE(Contains(rc, std::string("VALUE \"") + field + "\", \"")) << field;
  }
}

TEST(ProgramResources, ManifestAsksForAdministratorAndCommonControls6) {
  EXPECT_TRUE(sim::desktop::ScriptDefines(ProgramResourceScript(), "RT_MANIFEST", 1));
  const std::string manifest = ReadFile("res/DrvUninst.manifest");
  EXPECT_TRUE(Contains(manifest, "level=\"requireAdministrator\""));
  EXPECT_TRUE(Contains(manifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
  EXPECT_TRUE(Contains(manifest, ">true</dpiAware>"));
  EXPECT_TRUE(Contains(manifest, "<supportedOS Id="));
}
