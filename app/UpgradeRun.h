// What the start timer's handler runs: the gate probe and the upgrade script.
// The main window runs the real one on its statement object; the window tests
// hand it a scripted one to drive every outcome of the handler.
#pragma once

class UpgradeRun {
 public:
  virtual ~UpgradeRun() = default;
  virtual bool GateMissing() = 0;  // true when the previous upgrade has not been applied
  virtual void RunScript() = 0;
};
