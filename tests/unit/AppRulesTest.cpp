// The application title from the executable's name, the error report's full
// stop, the code page 950 text shown by the window, and the lines a log text
// shows as.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ApplicationTitle.h"
#include "CodePage.h"
#include "FullStop.h"
#include "LogLines.h"

namespace {

std::u16string Utf16(const char* ascii) { return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii)); }

}  // namespace

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
    EXPECT_EQ(ApplicationTitle(Utf16(row.path), static_cast<char16_t>(row.separator)), Utf16(row.title)) << row.path;
}

TEST(AppRules, TitleLowersEveryCharacterButTheFirst) {
  EXPECT_EQ(ApplicationTitle(u"/opt/ÄÖÜ.EXE", u'/'), u"Äöü");
  EXPECT_EQ(ApplicationTitle(u"/opt/éCOLE", u'/'), u"école");
  // A first character outside the basic plane is kept whole; one later is lowered whole.
  EXPECT_EQ(ApplicationTitle(u"/opt/\U0001D400AB", u'/'), u"\U0001D400ab");
  EXPECT_EQ(ApplicationTitle(u"/opt/A\U00010400", u'/'), u"A\U00010428");  // DESERET CAPITAL LONG I
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
    std::u16string text;
  };
  const std::vector<Row> rows = {
      {"the gate's warning", "\xBD\xD0\xA5\xFD\xA7\xB9\xA6\xA8\xC2\xC2\xAA\xA9PACK",  // 請先完成舊版PACK
       u"請先完成舊版PACK"},
      {"the default bill kind", "\xA4\x40\xAF\xEB", u"一般"},  // 一般
      {"plain ASCII", "SELECT 1", u"SELECT 1"},
      {"empty", "", u""},
      {"an undecodable byte stays as U+FFFD", "a\xFF" "b", u"a\uFFFDb"},
      {"a lead byte cut off at the end", "ab\xA4", u"ab\uFFFD"},
      {"a lead byte with a bad trail byte keeps the trail", "\xA4\x0A" "c", u"\uFFFD\nc"},
  };
  for (const Row& row : rows) EXPECT_EQ(FromCodePage950(row.bytes), row.text) << row.name;
}

TEST(AppRules, OnlyCrLfStartsANewLogLine) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::u16string> lines;
  };
  const std::vector<Row> rows = {
      {"one line", "commit", {u"commit"}},
      {"empty text: one empty line", "", {u""}},
      {"CR LF: two lines", "SELECT *\r\nFROM T\r\n", {u"SELECT *", u"FROM T", u""}},
      {"a lone LF stays in its line", "a\nb", {u"a\u240Ab"}},
      {"a lone CR stays in its line", "a\rb", {u"a\u240Db"}},
      {"LF CR is no line end", "a\n\rb", {u"a\u240A\u240Db"}},
      {"CR CR LF: a CR, then the line end", "a\r\r\nb", {u"a\u240D", u"b"}},
      {"Big5 across lines", "\xA4\x40\r\n\xAF\xEB", {u"\u4E00", u"\u822C"}},  // 一, 般
  };
  for (const Row& row : rows) EXPECT_EQ(DisplayLines(row.text), row.lines) << row.name;
}
