// File handles on the simulated machine: share modes decide who may open,
// write or delete a file, as they do on Windows.
#include <string>

#include "platform/sim/file_store.h"
#include "tests/unit/fresh_machine.h"

namespace {

using SimFileHandles = FreshMachine;

std::string ReadAll(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<error " + std::to_string(GetLastError()) + ">";
  char buffer[64];
  DWORD read = 0;
  std::string text;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

TEST_F(SimFileHandles, AnOpenWithoutDeleteSharingRefusesDeletionUntilClosed) {
  sim::files::Write("system32\\held.dll", "MZ");
  HANDLE held = CreateFileA("C:\\WINDOWS\\system32\\held.dll", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileAttributesA("C:\\WINDOWS\\system32\\held.dll", FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\system32\\held.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // A writer is refused too: the holder shares reading only.
  EXPECT_EQ(CreateFileA("C:\\WINDOWS\\system32\\held.dll", GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                        nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  ASSERT_TRUE(CloseHandle(held));
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\system32\\held.dll"));

  sim::files::Write("system32\\shared.dll", "MZ");
  HANDLE sharing = CreateFileA("C:\\WINDOWS\\system32\\shared.dll", GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\system32\\shared.dll"));
  CloseHandle(sharing);
}

TEST_F(SimFileHandles, WritesReadBackAndDispositionsFollowWindows) {
  const char* path = "C:\\WINDOWS\\WININIT.INI";
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "[rename]\r\n", 10, &written, nullptr));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), 10u);
  ASSERT_TRUE(WriteFile(file, "NUL=C:\\X\r\n", 10, &written, nullptr));
  EXPECT_EQ(GetFileSize(file, nullptr), 20u);
  CloseHandle(file);
  EXPECT_EQ(ReadAll(path), "[rename]\r\nNUL=C:\\X\r\n");
  EXPECT_EQ(sim::files::Get(path)->attributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));

  EXPECT_EQ(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  HANDLE again = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(again);

  SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(CreateFileA("C:\\WINDOWS\\nowhere\\x.ini", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(SimFileHandles, DirectoriesAreMadeAndRemovedOnlyWhenEmpty) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string own = std::string(temp) + "DrvUninst1";
  ASSERT_TRUE(CreateDirectoryA(own.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(own.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA((own + "\\a\\b").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  sim::files::Write(own + "\\x.exe", "MZ");
  EXPECT_FALSE(RemoveDirectoryA(own.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(RemoveDirectoryA((own + "\\x.exe").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  ASSERT_TRUE(DeleteFileA((own + "\\x.exe").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(own.c_str()));
  EXPECT_FALSE(sim::files::Exists(own));
}

}  // namespace
