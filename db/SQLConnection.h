// SQLConnection1: the one connection to the product database. It opens itself
// on demand from the two INI files and reaches the server only through the
// driver library named there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Component.h"
#include "DriverContract.h"
#include "DriverRef.h"
#include "LibraryLoader.h"
#include "ParamList.h"

class TSQLMonitor;

enum class ConnectionState { Closed, Connecting, Open, Disconnecting };

// A statement object registered with the connection, told when it opens and closes.
class TConnectionClient {
 public:
  virtual void ConnectionOpened() = 0;
  virtual void ConnectionClosing() = 0;  // an open statement closes itself here
  // The connection is being destroyed while the client is still registered:
  // after ConnectionClosing the client must forget the connection (it has
  // already been taken off the connection's list).
  virtual void ConnectionDetached() {}

 protected:
  ~TConnectionClient() = default;
};

class TSQLConnection : public TComponent {
 public:
  // programDirectory: the directory of the executable, where the default INI
  // files live. The connection registry file's path is fixed here.
  TSQLConnection(std::string name, std::string programDirectory);
  ~TSQLConnection() override;

  // Properties, as the window's layout sets them; the names and Params are
  // replaced from the INI files at every opening.
  std::string ConnectionName = "Quintara";
  std::string DriverName = "Firebird";
  std::string LibraryName;     // built-in: the platform's driver library name
  std::string GetDriverFunc = "getSQLDriverFIREBIRD";
  std::string VendorLib;       // built-in: the platform's client library name
  bool LoadParamsOnConnect = true;
  bool LoginPrompt = false;
  bool KeepConnection = true;
  ParamList Params;            // built-in list of 14 lines until the first opening
  std::function<void(TSQLConnection* sender)> AfterConnect;

  void Open();   // the opening sequence, when not open
  void Close();  // the closing sequence
  bool Connected() const;
  ConnectionState State() const { return state_; }
  bool Loaded() const { return loaded_; }
  const std::string& ConnectionRegistryFile() const { return connectionRegistryFile_; }
  const std::string& LastErrorText() const { return lastErrorText_; }

  // Objects and answers of the driver, valid while open.
  dbv::ISQLConnection* DriverConnection() const { return connection_.get(); }
  std::int32_t MaxStmtsPerConn() const { return maxStmtsPerConn_; }
  std::int32_t DefaultIsolationLevel() const { return defaultIsolation_; }
  const std::string& QuoteChar() const { return quoteChar_; }
  bool TransactionsSupported() const { return transactionsSupported_; }
  bool MultipleTransactionsSupported() const { return multipleTransactions_; }
  int TransactionCount() const { return 0; }  // the program never begins one

  // Raises the driver error text of a failed call on the connection object.
  [[noreturn]] void RaiseDriverError(dbv::SQLResult result);

  void RegisterClient(TConnectionClient* client);
  void UnregisterClient(TConnectionClient* client);

  // Trace hook: the stored callback and identity, and the attached monitors.
  void SetTraceHook(dbv::TraceCallback callback, std::uint32_t identity);
  void ApplyTraceHook(bool install);
  void AddTraceMonitor(TSQLMonitor* monitor);
  void RemoveTraceMonitor(TSQLMonitor* monitor);

 private:
  void ConnectProcedure();
  void ReloadParams();
  void ReadDriverNames();
  dbv::GetDriverProc FindEntryPoint();
  void CreateDriverConnection(dbv::GetDriverProc entryPoint);
  ParamList BuildLoginList() const;
  void ApplyConnectionOptions();
  void ReadAnswersAfterConnect(const ParamList& login);
  void AbandonOpening(bool serverConnected) noexcept;
  void ReleaseDriverConnection(bool serverConnected) noexcept;
  void Check(dbv::SQLResult result);

  std::string programDirectory_;
  std::string connectionRegistryFile_;
  ConnectionState state_ = ConnectionState::Closed;
  bool loaded_ = false;
  std::string lastErrorText_;

  // Released in the reverse order: the metadata object, the driver
  // connection, the driver object.
  dbv::LibraryHandle library_ = nullptr;
  DriverRef<dbv::ISQLDriver> driver_;
  DriverRef<dbv::ISQLConnection> connection_;
  DriverRef<dbv::ISQLMetaData> metaData_;

  std::int32_t defaultIsolation_ = 0;
  std::int32_t maxStmtsPerConn_ = 0;
  std::string quoteChar_;
  bool transactionsSupported_ = false;
  bool multipleTransactions_ = false;

  dbv::TraceCallback traceCallback_ = nullptr;
  std::uint32_t traceIdentity_ = 0;
  std::vector<TSQLMonitor*> monitors_;
  std::vector<TConnectionClient*> clients_;
};
