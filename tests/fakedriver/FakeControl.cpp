// The fake's shared state and the control API of FakeDriver.h.
#include <algorithm>
#include <cstring>
#include <map>

#include "FakeState.h"

namespace fake {

namespace {

struct TraceRule {
  TraceEvent event;
  int raised = 0;
};

struct FailureRule {
  Failure failure;
  int seen = 0;
  int fired = 0;
};

struct State {
  std::vector<std::string> calls;
  std::vector<FailureRule> failures;
  std::map<std::string, std::string> optionAnswers;
  std::vector<Statement> statements;
  std::vector<std::string> preparedTexts;
  std::vector<TraceRule> traceRules;
  bool traceEveryCall = false;
  std::vector<std::string> traceTexts;
  std::weak_ptr<detail::Hook> currentHook;
  LiveCounts live;
  int attached = 0;
};

std::map<std::string, std::string> DefaultAnswers() {
  return {{"conn.getOption(14)", Int32Bytes(0)},
          {"meta.getOption(11)", "\""},
          {"meta.getOption(5)", Int32Bytes(1)},
          {"meta.getOption(15)", Int32Bytes(1)}};
}

State& S() {
  static State state = [] {
    State initial;
    initial.optionAnswers = DefaultAnswers();
    return initial;
  }();
  return state;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::int32_t Deliver(const detail::Hook& hook, const TraceEvent& event) {
  if (hook.callback == nullptr) return -1;
  S().traceTexts.push_back(event.text.substr(0, sizeof(dbv::SQLTRACEDesc::TraceText)));
  if (event.nullRecord) return hook.callback(event.category, nullptr);
  dbv::SQLTRACEDesc record;
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.TraceText, event.text.data(), std::min(event.text.size(), sizeof record.TraceText));
  record.TraceCategory = event.category;
  record.TraceOwner = event.owner.value_or(hook.owner);
  return hook.callback(event.category, &record);
}

// The due events are gathered before any is delivered, so that a callback
// reaching back into the fake cannot disturb the walk over the rules.
void RaiseDue(const std::string& call, const detail::Hook& hook) {
  std::vector<TraceEvent> due;
  for (TraceRule& rule : S().traceRules) {
    if (!StartsWith(call, rule.event.during)) continue;
    if (rule.event.times >= 0 && rule.raised >= rule.event.times) continue;
    ++rule.raised;
    due.push_back(rule.event);
  }
  if (S().traceEveryCall) {
    TraceEvent every;
    every.text = call;
    due.push_back(every);
  }
  for (const TraceEvent& event : due) Deliver(hook, event);
}

}  // namespace

void Reset() {
  State& state = S();
  state.calls.clear();
  state.failures.clear();
  state.statements.clear();
  state.preparedTexts.clear();
  state.traceRules.clear();
  state.traceEveryCall = false;
  state.traceTexts.clear();
  state.optionAnswers = DefaultAnswers();
}

std::vector<std::string> Calls() { return S().calls; }

std::vector<std::string> CallsStartingWith(std::initializer_list<std::string_view> prefixes) {
  std::vector<std::string> matching;
  for (const std::string& call : S().calls) {
    if (std::any_of(prefixes.begin(), prefixes.end(), [&call](std::string_view p) { return StartsWith(call, p); })) {
      matching.push_back(call);
    }
  }
  return matching;
}

bool Called(std::string_view prefix) { return !CallsStartingWith({prefix}).empty(); }

void ClearCalls() { S().calls.clear(); }

void Fail(Failure rule) { S().failures.push_back({std::move(rule), 0, 0}); }

void SetOptionAnswer(const std::string& call, std::string bytes) { S().optionAnswers[call] = std::move(bytes); }

std::string Int32Bytes(std::int32_t value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

void ScriptStatement(Statement statement) { S().statements.push_back(std::move(statement)); }

std::vector<std::string> PreparedTexts() { return S().preparedTexts; }

void RaiseTraceDuring(TraceEvent event) { S().traceRules.push_back({std::move(event), 0}); }

void TraceEveryCall(bool on) { S().traceEveryCall = on; }

std::int32_t RaiseTraceNow(const TraceEvent& event) {
  const std::shared_ptr<detail::Hook> hook = S().currentHook.lock();
  return hook ? Deliver(*hook, event) : -1;
}

std::vector<std::string> TraceTextsRaised() { return S().traceTexts; }

dbv::TraceCallback InstalledCallback() {
  const std::shared_ptr<detail::Hook> hook = S().currentHook.lock();
  return hook ? hook->callback : nullptr;
}

std::uint32_t InstalledOwner() {
  const std::shared_ptr<detail::Hook> hook = S().currentHook.lock();
  return hook ? hook->owner : 0;
}

LiveCounts Live() { return S().live; }

int AttachedConnections() { return S().attached; }

namespace detail {

dbv::SQLResult Enter(const std::string& call, const Hook* hook, std::string* lastMessage) {
  S().calls.push_back(call);
  dbv::SQLResult status = dbv::kSuccess;
  for (FailureRule& rule : S().failures) {
    if (!StartsWith(call, rule.failure.call)) continue;
    if (++rule.seen <= rule.failure.skip) continue;
    if (rule.failure.times >= 0 && rule.fired >= rule.failure.times) continue;
    ++rule.fired;
    status = rule.failure.status;
    if (lastMessage != nullptr) *lastMessage = rule.failure.message;
    break;
  }
  if (hook != nullptr) RaiseDue(call, *hook);
  return status;
}

const std::string* OptionAnswer(const std::string& call) {
  const auto found = S().optionAnswers.find(call);
  return found != S().optionAnswers.end() ? &found->second : nullptr;
}

Statement StatementFor(const std::string& text) {
  S().preparedTexts.push_back(text);
  for (const Statement& statement : S().statements) {
    if (text.find(statement.sqlContains) != std::string::npos) return statement;
  }
  return Statement{};
}

std::string Escape(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\\') {
      escaped += "\\\\";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

void SetCurrentHook(const std::shared_ptr<Hook>& hook) { S().currentHook = hook; }

void Count(Kind kind, int delta) {
  LiveCounts& live = S().live;
  switch (kind) {
    case Kind::Driver: live.drivers += delta; break;
    case Kind::Connection: live.connections += delta; break;
    case Kind::MetaData: live.metaData += delta; break;
    case Kind::Command: live.commands += delta; break;
    case Kind::Cursor: live.cursors += delta; break;
  }
}

void CountAttached(int delta) { S().attached += delta; }

}  // namespace detail

}  // namespace fake
