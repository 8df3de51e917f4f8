// INI files at paths outside ASCII on Windows. The program gets its paths in
// the ANSI code page (its own folder, the registry settings), so a folder
// named in Big5 on a Traditional Chinese system must be found and read.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "IniFile.h"
#include "TempDir.h"

namespace {

// Characters outside ASCII in the bytes of the ANSI code page: Big5's "一般"
// where it is 950, "€Ž" (0x80 0x8E) where it is 1252, as under Wine here.
std::string AnsiFolderName() {
  for (const wchar_t* candidate : {L"\u4E00\u822C", L"\u20AC\u017D"}) {
    char bytes[16] = {};
    BOOL lossy = FALSE;
    const int count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, candidate, -1, bytes, sizeof bytes, nullptr,
                                          &lossy);
    if (count > 0 && !lossy) return bytes;
  }
  return {};
}

TEST(IniFileAtAnAnsiPath, IsFoundAndRead) {
  const std::string folder = AnsiFolderName();
  ASSERT_FALSE(folder.empty()) << "the ANSI code page has neither name";
  support::TempDir dir;
  // Written through the ANSI file API, as a user's editor would place it.
  const std::string path = dir.Path().string() + "\\" + folder + "\\dbvconnections.ini";
  ASSERT_TRUE(CreateDirectoryA((dir.Path().string() + "\\" + folder).c_str(), nullptr));
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("[Quintara]\r\nDriverName=Firebird\r\n", file);
  std::fclose(file);

  const IniFile ini(path);
  EXPECT_TRUE(ini.Exists());
  EXPECT_EQ(ini.ReadString("Quintara", "DriverName"), "Firebird");
  EXPECT_FALSE(IniFile(dir.Path().string() + "\\" + folder).Exists()) << "a folder is no file";
}

}  // namespace
