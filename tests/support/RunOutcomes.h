// Every way the start timer's run can end, one table for each tier that runs
// it (the logic against a recording face, the Qt window, the Win32 window):
// what the gate and the script do, the box the user then sees, and whether
// the program ends by itself.
#pragma once

#include <optional>
#include <string_view>

#include "Desktop.h"
#include "ScriptedRun.h"

struct RunBox {
  BoxIcon icon;
  std::u16string_view caption;  // empty: the application title
  std::u16string_view text;
  bool quitPending;  // the close request came before the box
};

struct RunOutcome {
  const char* name;
  Step gate;
  Step script;
  bool scriptRuns;
  std::optional<RunBox> box;
  bool endsByItself;  // false: the window stays until the user closes it
};

inline constexpr char16_t kPreviousPackFirst[] = u"\u8ACB\u5148\u5B8C\u6210\u820A\u7248PACK";  // 請先完成舊版PACK

inline constexpr RunOutcome kRunOutcomes[] = {
    {"gate finds UPDATE_HIST missing: the warning, the window stays", Step::Missing, Step::Passes, false,
     RunBox{BoxIcon::Warning, u"Warning", kPreviousPackFirst, false}, false},
    {"gate probe fails: the report with a full stop, the window stays", Step::Fails, Step::Passes, false,
     RunBox{BoxIcon::Stop, u"", u"SQLConnection1: Unable to complete network request.", false}, false},
    {"gate aborts silently: nothing shown, the window stays", Step::AbortsSilently, Step::Passes, false,
     std::nullopt, false},
    {"script fails: the close request, then the report, then the exit", Step::Passes, Step::Fails, true,
     RunBox{BoxIcon::Stop, u"", u"ALTER TABLE failed:.", true}, true},
    {"script succeeds: the exit, no box", Step::Passes, Step::Passes, true, std::nullopt, true},
};
