// The application title from the executable's name, the error report's full
// stop, and the code page 950 text shown by the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ApplicationTitle.h"
#include "CodePage.h"
#include "FullStop.h"

TEST(AppRules, TitleFromExecutableName) {
  struct Row {
    const char* path;
    char separator;
    const char* title;
  };
  const std::vector<Row> rows = {
      {"C:\\Tools\\TOOLBOX.EXE", '\\', "Toolbox"},
      {"C:\\Tools\\toolbox.exe", '\\', "toolbox"},
      {"C:\\Tools\\MY.TOOL.EXE", '\\', "My"},
      {"/work/build/bin/Corvantis", '/', "Corvantis"},
      {"/opt/CORVANTIS", '/', "Corvantis"},
      {"/opt/v1.2/TOOL", '/', "Tool"},              // a full stop in a folder does not cut
      {"C:\\Tools\\TOOLBOX.EXE", '/', "C:\\tools\\toolbox"},  // only the platform's separator counts
      {"TOOLBOX", '/', "Toolbox"},                  // no folder at all
      {"/opt/.hidden", '/', ""},
      {"/opt/", '/', ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ApplicationTitle(QString::fromUtf8(row.path), QChar(row.separator)), QString::fromUtf8(row.title))
        << row.path;
}

TEST(AppRules, TitleLowersEveryCharacterButTheFirst) {
  EXPECT_EQ(ApplicationTitle(QString::fromUtf8("/opt/ÄÖÜ.EXE"), u'/'), QString::fromUtf8("Äöü"));
  EXPECT_EQ(ApplicationTitle(QString::fromUtf8("/opt/éCOLE"), u'/'), QString::fromUtf8("école"));
  // A first character outside the basic plane is kept whole.
  EXPECT_EQ(ApplicationTitle(QString::fromUtf8("/opt/\U0001D400AB"), u'/'), QString::fromUtf8("\U0001D400ab"));
}

TEST(AppRules, FullStopRule) {
  struct Row {
    const char* name;
    std::string message;
    std::string shown;
  };
  const std::vector<Row> rows = {
      {"ends in a full stop", "Connection lost.", "Connection lost."},
      {"ends in !", "Stop!", "Stop!"},
      {"ends in )", "failed (65)", "failed (65)"},
      {"ends in a blank", "failed ", "failed "},
      {"ends in a line break", "failed\r\n", "failed\r\n"},
      {"ends in a comma, below the full stop", "a,", "a,"},
      {"ends in a letter", "Unable to complete network request", "Unable to complete network request."},
      {"ends in a digit", "status 65", "status 65."},
      {"ends in a colon", "SQL Error:", "SQL Error:."},
      {"ends in a question mark", "Why?", "Why?."},
      {"ends in a slash, just above the full stop", "a/", "a/."},
      {"ends in a Big5 character", "\xBF\xF9\xBB\x7E", "\xBF\xF9\xBB\x7E."},  // 錯誤
      {"Big5 trail byte in the ASCII range", "\xA4\x40", "\xA4\x40."},         // 一
      {"Big5 character then a full stop", "\xA4\xA4.", "\xA4\xA4."},           // 中.
      {"one full stop alone", ".", "."},
      {"empty stays empty", "", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(WithFullStop(row.message), row.shown) << row.name;
}

TEST(AppRules, CodePage950ToUnicode) {
  struct Row {
    const char* name;
    std::string bytes;
    QString text;
  };
  const std::vector<Row> rows = {
      {"the gate's warning", "\xBD\xD0\xA5\xFD\xA7\xB9\xA6\xA8\xC2\xC2\xAA\xA9PACK",  // 請先完成舊版PACK
       QString::fromUtf8("請先完成舊版PACK")},
      {"the default bill kind", "\xA4\x40\xAF\xEB", QString::fromUtf8("一般")},  // 一般
      {"plain ASCII", "SELECT 1", "SELECT 1"},
      {"empty", "", ""},
      {"an undecodable byte stays as U+FFFD", "a\xFF" "b", QString::fromUtf8("a\uFFFDb")},
      {"a lead byte cut off at the end", "ab\xA4", QString::fromUtf8("ab\uFFFD")},
      {"a lead byte with a bad trail byte keeps the trail", "\xA4\x0A" "c", QString::fromUtf8("\uFFFD\nc")},
  };
  for (const Row& row : rows) EXPECT_EQ(FromCodePage950(row.bytes), row.text) << row.name;
}
