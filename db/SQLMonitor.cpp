#include "SQLMonitor.h"

#include <unordered_map>

#include "SQLConnection.h"

namespace {

// The driver carries a monitor only as a 32-bit number, so live monitors are
// found through this table rather than through an address.
struct LiveMonitors {
  std::unordered_map<std::uint32_t, TSQLMonitor*> byIdentity;
  std::uint32_t lastIdentity = 0;
};

LiveMonitors& Live() {
  static LiveMonitors live;
  return live;
}

std::uint32_t Register(TSQLMonitor* monitor) {
  LiveMonitors& live = Live();
  do {
    ++live.lastIdentity;  // 0 names no monitor; after a wrap, skip identities still in use
  } while (live.lastIdentity == 0 || live.byIdentity.count(live.lastIdentity) != 0);
  live.byIdentity.emplace(live.lastIdentity, monitor);
  return live.lastIdentity;
}

}  // namespace

TSQLMonitor::TSQLMonitor(std::string name) : TComponent(std::move(name)), identity_(Register(this)) {}

TSQLMonitor::~TSQLMonitor() {
  // Leave the table first: an event raised while the hook comes out names no
  // live monitor any more and is ignored.
  Live().byIdentity.erase(identity_);
  if (connection_ == nullptr) return;
  try {
    SetActive(false);
  } catch (const std::exception&) {
    // A driver that refuses the removal keeps calling back with an identity
    // that now names nobody, which the callback ignores.
  }
  connection_->RemoveTraceMonitor(this);
}

bool TSQLMonitor::Active() const { return active_; }

void TSQLMonitor::SetActive(bool active) {
  if (active == active_) return;
  if (connection_ != nullptr) {
    if (active) {
      connection_->SetTraceHook(TraceHookProc, identity_);
    } else {
      connection_->SetTraceHook(nullptr, 0);
    }
  }
  active_ = active;
}

TSQLConnection* TSQLMonitor::SQLConnection() const { return connection_; }

// Moving to another connection switches the monitor off on the old one first.
void TSQLMonitor::SetSQLConnection(TSQLConnection* connection) {
  if (connection == connection_) return;
  SetActive(false);
  if (connection_ != nullptr) connection_->RemoveTraceMonitor(this);
  connection_ = connection;
  if (connection_ != nullptr) connection_->AddTraceMonitor(this);
}

std::uint32_t TSQLMonitor::Identity() const { return identity_; }

// Every category is logged: the monitor filters nothing.
std::int32_t TSQLMonitor::HandleTraceEvent(std::int32_t /*category*/, dbv::pSQLTRACEDesc record) {
  if (Destroying()) return 0;
  if (OnLogTrace) OnLogTrace(this, record);
  return 0;
}

TSQLMonitor* TSQLMonitor::FindByIdentity(std::uint32_t identity) {
  if (identity == 0) return nullptr;
  const auto found = Live().byIdentity.find(identity);
  return found != Live().byIdentity.end() ? found->second : nullptr;
}

// No failure may travel back through the driver, which is plain C: one that
// the log handler lets escape ends here, that event is lost and the driver's
// operation goes on. A handler that wants a failure shown reports it itself.
extern "C" std::int32_t TraceHookProc(std::int32_t category, dbv::pSQLTRACEDesc record) {
  if (record == nullptr) return 0;
  try {
    TSQLMonitor* monitor = TSQLMonitor::FindByIdentity(record->TraceOwner);
    return monitor != nullptr ? monitor->HandleTraceEvent(category, record) : 0;
  } catch (...) {
    return 0;
  }
}
