// Sample point-of-sale databases on the test server, made by the project's
// generator (scripts/make-sample-db.sh) and read back with isql-fb, so that
// what the tests see does not come through the code under test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "FirebirdTestServer.h"

namespace sample {

using corvantis::test::firebirdServer;
using corvantis::test::shellQuoted;

inline std::string Script(const char* name) { return std::string(CORVANTIS_SOURCE_DIR) + "/scripts/" + name; }

// One database on the server, made at construction and dropped at destruction.
class SampleDatabase {
 public:
  // variants: as the generator's -v, e.g. "full" or "no-optional-tables,upgraded".
  // name: letters, digits and underscores only, so that the file name can
  // stand in a trace configuration's pattern as it is.
  SampleDatabase(const std::string& name, const std::string& variants, int rows = 20)
      : path_(firebirdServer().dataDir + "/" + name + "_" + std::to_string(::getpid()) + ".fdb"),
        target_(firebirdServer().address(path_)) {
    const auto made = corvantis::test::runWithCredentials(
        "CORVANTIS_FB_USER=" + shellQuoted(firebirdServer().user) +
        " CORVANTIS_FB_PASSWORD=" + shellQuoted(firebirdServer().password) + " bash " +
        shellQuoted(Script("make-sample-db.sh")) + " -r " + std::to_string(rows) + " -v " + shellQuoted(variants) +
        " " + shellQuoted(target_));
    if (made.exitCode != 0) throw std::runtime_error("making the sample database failed:\n" + made.text);
  }
  SampleDatabase(const SampleDatabase&) = delete;
  SampleDatabase& operator=(const SampleDatabase&) = delete;
  ~SampleDatabase() { corvantis::test::runIsql("DROP DATABASE;\n", target_); }

  // The database as the server sees it, and as a client names it.
  const std::string& Path() const { return path_; }
  const std::string& Target() const { return target_; }

  // Runs SQL through isql-fb; the rows printed without headings, empty lines
  // and trailing blanks removed; error messages included.
  std::string Isql(const std::string& sql) const {
    const auto output = corvantis::test::runIsql("SET HEADING OFF;\n" + sql + "\n", target_);
    std::istringstream in(output.text);
    std::string rows;
    for (std::string line; std::getline(in, line);) {
      line.erase(line.find_last_not_of(" \t\r") + 1);
      if (!line.empty()) rows += line + "\n";
    }
    return rows;
  }

  // Tables, columns, keys, indexes and bill kinds, one sorted line each.
  std::string Snapshot() const;

 private:
  std::string path_;
  std::string target_;
};

// Tables, columns, keys, indexes and bill kinds of any database on the
// server, one sorted line each (scripts/show-upgrade-result.sh snapshot).
inline std::string SnapshotOf(const std::string& target) {
  char name[] = "/tmp/corvantis-snapshot-XXXXXX";
  const int descriptor = ::mkstemp(name);
  if (descriptor < 0) throw std::runtime_error("mkstemp failed");
  ::close(descriptor);
  const auto result = corvantis::test::runWithCredentials(
      "CORVANTIS_FB_USER=" + shellQuoted(firebirdServer().user) +
      " CORVANTIS_FB_PASSWORD=" + shellQuoted(firebirdServer().password) + " bash " +
      shellQuoted(Script("show-upgrade-result.sh")) + " snapshot " + shellQuoted(target) + " " + shellQuoted(name));
  std::ifstream in(name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::filesystem::remove(name);
  if (result.exitCode != 0) throw std::runtime_error("reading the catalogue failed:\n" + result.text);
  return text.str();
}

inline std::string SampleDatabase::Snapshot() const { return SnapshotOf(target_); }

// Base of every fixture that needs the server.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { CORVANTIS_REQUIRE_FB_SERVER(); }
};

}  // namespace sample
