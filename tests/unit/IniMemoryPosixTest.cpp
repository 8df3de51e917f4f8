// The INI reader's memory stays flat however large the file: it never holds
// the file whole. Measured through the process's peak resident size.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>
#include <string>

#include "IniFile.h"
#include "TempDir.h"

namespace {

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(BigIniFile, MemoryDoesNotGrowWithTheFile) {
  // 100 MB of short lines outside the section, written piece by piece so that
  // the test itself never holds the file: a reader that copied it would raise
  // the process's peak by about that much.
  support::TempDir dir;
  const std::string path = dir.PathOf("big.ini");
  {
    std::ofstream file(path, std::ios::binary);
    const std::string piece = "[Other]\nKey=some value that is not read\n";
    for (std::size_t written = 0; written < 100 * 1024 * 1024; written += piece.size()) file << piece;
  }
  const long before = PeakResidentKilobytes();
  IniFile ini(path);
  EXPECT_TRUE(ini.ReadSection("Quintara").empty());
  EXPECT_LT(PeakResidentKilobytes() - before, 20 * 1024) << "reading raised the peak by a file-sized amount";
}

}  // namespace
