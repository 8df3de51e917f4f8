// SQLMonitor1: receives the driver's trace events through the hook the
// connection installs, and hands each one to OnLogTrace.
#pragma once

#include <cstdint>
#include <functional>

#include "Component.h"
#include "DriverContract.h"

class TSQLConnection;

class TSQLMonitor : public TComponent {
 public:
  explicit TSQLMonitor(std::string name);
  ~TSQLMonitor() override;  // switches off (removing the hook) and detaches

  using TTraceLogEvent = std::function<void(TSQLMonitor* sender, dbv::pSQLTRACEDesc record)>;
  TTraceLogEvent OnLogTrace;

  bool Active() const;
  void SetActive(bool active);  // a failure leaves Active as it was
  TSQLConnection* SQLConnection() const;
  void SetSQLConnection(TSQLConnection* connection);
  std::uint32_t Identity() const;  // > 0, names this live monitor
  std::int32_t HandleTraceEvent(std::int32_t category, dbv::pSQLTRACEDesc record);

  // The live monitor an identity names; null for 0 and for identities of
  // monitors already freed (identities are never handed out twice).
  static TSQLMonitor* FindByIdentity(std::uint32_t identity);

 private:
  bool active_ = false;
  TSQLConnection* connection_ = nullptr;
  std::uint32_t identity_;
};

// The plain callback handed to the driver: finds the monitor by TraceOwner.
extern "C" std::int32_t TraceHookProc(std::int32_t category, dbv::pSQLTRACEDesc record);
