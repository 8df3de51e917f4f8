// Linux: a settings file in a folder of the test's own, XDG_CONFIG_HOME aimed
// at it for the life of the object.
#pragma once

#include <string>

#include "ScopedEnv.h"
#include "TempDir.h"

namespace support {

class ScopedUserSettings {
 public:
  ScopedUserSettings() : configHome_("XDG_CONFIG_HOME", dir_.PathOf("config")) {}

  // Settings written later replace the earlier ones.
  void Set(const std::string& name, const std::string& value) {
    lines_ += name + "=" + value + "\n";
    dir_.Write("config/Aldmark/Dbvance.conf", "[Dbvance]\n" + lines_);
  }

 private:
  TempDir dir_;
  ScopedEnv configHome_;
  std::string lines_;
};

}  // namespace support
