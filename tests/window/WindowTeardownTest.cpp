// Tear-down order: the native window first, then the visual parts (Panel3
// with Memo1 inside it, Panel2, Panel1), then the other objects, last created first.
#include <gtest/gtest.h>

#include <vector>

#include "FrmVelmar.h"
#include "SQLMonitor.h"
#include "WindowTestSupport.h"

TEST(WindowTeardown, PartsAreFreedInTheirOrder) {
  std::vector<std::string> log;
  auto form = std::make_unique<TFormVelmar>(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
  form->show();
  ASSERT_TRUE(WaitFor([&] { return form->isVisible(); }, 1000));
  const std::uint32_t monitor = form->SQLMonitor1->Identity();
  ASSERT_NE(TSQLMonitor::FindByIdentity(monitor), nullptr);

  std::vector<std::string> freed;
  TFormVelmar* window = form.get();
  const auto watch = [&](QObject* part, const char* name) {
    QObject::connect(part, &QObject::destroyed, [&freed, window, monitor, name] {
      std::string entry = name;
      if (window->windowHandle()) entry += " (native window still there)";
      if (TSQLMonitor::FindByIdentity(monitor)) entry += " (monitor alive)";
      freed.push_back(entry);
    });
  };
  watch(form->Memo1, "Memo1");
  watch(form->Panel3.get(), "Panel3");
  watch(form->Panel2.get(), "Panel2");
  watch(form->Panel1.get(), "Panel1");
  watch(form->Timer1.get(), "Timer1");
  form.reset();

  EXPECT_EQ(freed, (std::vector<std::string>{"Panel3 (monitor alive)", "Memo1 (monitor alive)",
                                              "Panel2 (monitor alive)", "Panel1 (monitor alive)", "Timer1"}));
}
