// A scripted upgrade run for the window tests: the gate and the script do
// what the test asks, and their calls are counted and logged.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "UpgradeRun.h"

// The outcomes the tests give a run's gate and script.
enum class Step { Passes, Missing, Fails, AbortsSilently };

inline constexpr char kGateFailure[] = "SQLConnection1: Unable to complete network request";
inline constexpr char kScriptFailure[] = "ALTER TABLE failed:";

class ScriptedRun : public UpgradeRun {
 public:
  // log: "gate" and "script" are added to it as they run, shared with the test.
  ScriptedRun(Step gate, Step script, std::vector<std::string>& log) : gate_(gate), script_(script), log_(log) {}

  bool GateMissing() override {
    ++gateCalls;
    log_.push_back("gate");
    if (onGate) onGate();
    Perform(gate_, kGateFailure);
    return gate_ == Step::Missing;
  }

  void RunScript() override {
    ++scriptCalls;
    log_.push_back("script");
    Perform(script_, kScriptFailure);
  }

  int gateCalls = 0;
  int scriptCalls = 0;
  std::function<void()> onGate;  // runs first in GateMissing

 private:
  static void Perform(Step step, const char* failure) {
    if (step == Step::Fails) throw EDatabaseError(failure);
    if (step == Step::AbortsSilently) throw EAbort();
  }

  Step gate_;
  Step script_;
  std::vector<std::string>& log_;
};
