// Adding NUL=<short path> to WININIT.INI's [rename] section: written as
// text, other lines kept, a line never added twice, a file that is not
// text or cannot be written left as it is.
#include "platform/sim/faults.h"
#include "removal/WininitRename.h"
#include "tests/unit/fresh_machine.h"

namespace {

const char kFile[] = "C:\\WINDOWS\\system\\tuner.dll";

class WininitRename : public FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    sim::SetVersion("win98");
    sim::files::Write("system\\tuner.dll", "x");
  }
  static std::string Wininit() {
    const auto file = sim::files::Get("WININIT.INI");
    return file ? file->content : "<none>";
  }
  static std::string Added(const std::string& text, const std::string& shortPath = "C:\\X.DLL") {
    std::string updated;
    size_t firstChange = 0;
    if (!WithWininitDeletion(text, shortPath, &updated, &firstChange)) return "<unchanged>";
    EXPECT_EQ(updated.compare(0, firstChange, text, 0, firstChange), 0) << "the text before the change is kept";
    return updated;
  }
};

TEST_F(WininitRename, AnAbsentFileIsCreatedWithTheSection) {
  ASSERT_TRUE(AddWininitDeletion(kFile));
  EXPECT_EQ(Wininit(), "[rename]\r\nNUL=C:\\WINDOWS\\system\\tuner.dll\r\n");
  EXPECT_EQ(sim::files::Get("WININIT.INI")->attributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(WininitRename, OtherSectionsAndLinesStayWhereTheyAre) {
  EXPECT_EQ(Added("[other]\r\nNUL=C:\\X.DLL\r\n"), "[other]\r\nNUL=C:\\X.DLL\r\n[rename]\r\nNUL=C:\\X.DLL\r\n");
  EXPECT_EQ(Added("[Rename]\r\nC:\\NEW.DLL=C:\\OLD.DLL\r\n\r\n[next]\r\nk=v\r\n"),
            "[Rename]\r\nC:\\NEW.DLL=C:\\OLD.DLL\r\nNUL=C:\\X.DLL\r\n\r\n[next]\r\nk=v\r\n");
  // A last line without its line break, a file in LF lines.
  EXPECT_EQ(Added("[rename]\nNUL=C:\\A.DLL"), "[rename]\nNUL=C:\\A.DLL\r\nNUL=C:\\X.DLL\r\n");
  EXPECT_EQ(Added("; note"), "; note\r\n[rename]\r\nNUL=C:\\X.DLL\r\n");
  EXPECT_EQ(Added(""), "[rename]\r\nNUL=C:\\X.DLL\r\n");
}

TEST_F(WininitRename, ALineAlreadyThereIsNotAddedTwice) {
  EXPECT_EQ(Added("[rename]\r\nNUL=C:\\A.DLL\r\n nul = c:\\x.dll \r\n"), "<unchanged>");
  // Only the first [rename] section is read, as Windows reads it.
  EXPECT_EQ(Added("[rename]\r\nNUL=C:\\A.DLL\r\n[rename]\r\nNUL=C:\\X.DLL\r\n"),
            "[rename]\r\nNUL=C:\\A.DLL\r\nNUL=C:\\X.DLL\r\n[rename]\r\nNUL=C:\\X.DLL\r\n");
  sim::files::Write("WININIT.INI", "[rename]\r\nNUL=C:\\WINDOWS\\SYSTEM\\TUNER.DLL\r\n");
  ASSERT_TRUE(AddWininitDeletion(kFile));
  EXPECT_EQ(Wininit(), "[rename]\r\nNUL=C:\\WINDOWS\\SYSTEM\\TUNER.DLL\r\n");
  EXPECT_EQ(sim::CountCalls("WriteFile"), 0u);
}

TEST_F(WininitRename, ALongNameIsWrittenByItsShortForm) {
  sim::files::Write("system\\Tuner Helper Library.dll", "x");
  sim::files::Write("system\\Tuner Help Files.dll", "x");
  ASSERT_TRUE(AddWininitDeletion("C:\\WINDOWS\\system\\Tuner Helper Library.dll"));
  ASSERT_TRUE(AddWininitDeletion("c:\\windows\\system\\tuner help files.dll"));
  EXPECT_EQ(Wininit(), "[rename]\r\nNUL=C:\\WINDOWS\\system\\TUNERH~1.DLL\r\nNUL=c:\\windows\\system\\TUNERH~2.DLL\r\n");
}

TEST_F(WininitRename, AFileThatIsNotTextOrCannotBeWrittenIsLeftAsItIs) {
  const std::string binary("MZ\0\0[rename]\r\n", 14);
  sim::files::Write("WININIT.INI", binary);
  EXPECT_FALSE(AddWininitDeletion(kFile));
  EXPECT_EQ(Wininit(), binary);

  sim::files::Write("WININIT.INI", "[rename]\r\n", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_FALSE(AddWininitDeletion(kFile));
  EXPECT_EQ(Wininit(), "[rename]\r\n");

  sim::files::Write("WININIT.INI", "[rename]\r\n");
  sim::InjectFault("WriteFile", ERROR_DISK_FULL);
  EXPECT_FALSE(AddWininitDeletion(kFile));
  EXPECT_EQ(Wininit(), "[rename]\r\n");
}

TEST_F(WininitRename, AFileWithNoShortPathIsNotWritten) {
  EXPECT_FALSE(AddWininitDeletion("C:\\WINDOWS\\system\\missing.dll"));
  EXPECT_FALSE(sim::files::Exists("WININIT.INI"));
  // Every handle opened was closed.
  ASSERT_TRUE(AddWininitDeletion(kFile));
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\WININIT.INI"));
}

}  // namespace
