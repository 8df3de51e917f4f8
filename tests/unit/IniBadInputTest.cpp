// The INI reader against files no one should write but someone will: huge,
// binary, without line ends, with a NUL inside, with very long lines and with
// thousands of sections. Each gives the documented reading, without a crash
// or a hang.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "IniFile.h"
#include "TempDir.h"

namespace {

class BadIniFile : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) { return dir_.Write("dbvconnections.ini", bytes); }

  support::TempDir dir_;
};

constexpr std::size_t kTenMegabytes = 10 * 1024 * 1024;

TEST_F(BadIniFile, HugeFileOfEntriesIsReadWholeInOnePass) {
  std::string text = "[Quintara]\r\n";
  for (int i = 0; text.size() < kTenMegabytes; ++i) text += "Key" + std::to_string(i) + " = value\r\n";
  text += "Database = host:/last.fdb\r\n";
  IniFile ini(Write(text));
  EXPECT_EQ(ini.ReadString("Quintara", "Database"), "host:/last.fdb");
  EXPECT_EQ(ini.ReadString("Quintara", "Key0"), "value");
}

TEST_F(BadIniFile, BinaryNoiseYieldsNoEntriesOutsideASection) {
  std::mt19937 random(20261209);
  std::string noise(kTenMegabytes, '\0');
  for (auto& byte : noise) byte = static_cast<char>(random() % 255 + 1);  // no NUL, which would end the text
  // Noise may open a "[...]" section by chance; the named section never appears in it.
  IniFile ini(Write(noise));
  EXPECT_TRUE(ini.ReadSection("Quintara").empty());
}

TEST_F(BadIniFile, OneHugeLineWithoutLineEndIsOneEntry) {
  std::string text = "[Quintara]\nDatabase=" + std::string(kTenMegabytes, 'x');
  IniFile ini(Write(text));
  const auto entries = ini.ReadSection("Quintara");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size(), std::string("Database=").size() + kTenMegabytes);
}

TEST_F(BadIniFile, NulInTheMiddleEndsTheText) {
  std::string text = "[Quintara]\nUser_Name=SYSDBA\n";
  text += std::string(1, '\0');
  text += "Database=after-nul\n" + std::string(kTenMegabytes, 'y');
  IniFile ini(Write(text));
  EXPECT_EQ(ini.ReadString("Quintara", "User_Name"), "SYSDBA");
  EXPECT_EQ(ini.ReadString("Quintara", "Database"), "");
}

TEST_F(BadIniFile, ThousandsOfSectionsFindTheOneAskedFor) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "[S" + std::to_string(i) + "]\nDriverName=D" + std::to_string(i) + "\n";
  text += "[quintara]\nDriverName=first\n";
  for (int i = 0; i < 20000; ++i) text += "[Quintara]\nDriverName=copy" + std::to_string(i) + "\n";
  IniFile ini(Write(text));
  EXPECT_EQ(ini.ReadString("S19999", "DriverName"), "D19999");
  // The last of the repeated sections is the one read, whole and alone.
  const auto entries = ini.ReadSection("Quintara");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], "DriverName=copy19999");
}

}  // namespace
