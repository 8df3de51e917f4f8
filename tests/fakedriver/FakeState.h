// What the fake's objects share with its control API: the script, the call
// log and the object counts. Internal to the fake library.
#pragma once

#include <memory>
#include <string>

#include "FakeDriver.h"

namespace fake::detail {

// The trace hook a connection holds; its commands and cursors trace through it.
struct Hook {
  dbv::TraceCallback callback = nullptr;
  std::uint32_t owner = 0;
};

// Logs call, decides its status by the rules (storing the rule's message in
// *lastMessage when one fires and lastMessage is given), raises the trace
// events due during it through hook (may be null), and answers the status.
dbv::SQLResult Enter(const std::string& call, const Hook* hook, std::string* lastMessage);

// The scripted answer of a getOption call, if any.
const std::string* OptionAnswer(const std::string& call);

// Records text as prepared and answers the statement scripted for it.
Statement StatementFor(const std::string& text);

// CR, LF and backslash written so that a log entry stays one line.
std::string Escape(const std::string& text);

// The hook of the connection created last.
void SetCurrentHook(const std::shared_ptr<Hook>& hook);

enum class Kind { Driver, Connection, MetaData, Command, Cursor };
void Count(Kind kind, int delta);
void CountAttached(int delta);

}  // namespace fake::detail
