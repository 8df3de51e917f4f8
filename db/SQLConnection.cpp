#include "SQLConnection.h"

#include <algorithm>
#include <array>
#include <exception>

#include "BuiltInParams.h"
#include "ConnectionTexts.h"
#include "DriverError.h"
#include "IniFile.h"
#include "PlatformNames.h"
#include "SQLMonitor.h"
#include "ScopeExit.h"
#include "SettingsStore.h"
#include "TextRules.h"

namespace {

// How a connection option's value is handed to the driver.
enum class OptionKind {
  Text,             // trimmed text
  TextUnlessEmpty,  // trimmed text, skipped when that is empty
  Flag,             // 1 for "TRUE" in any letter case, else 0
  Integer,          // trimmed value as a signed 32-bit integer
  Isolation,        // the isolation level named by the value
};

struct ConnectionOption {
  const char* key;  // null: DriverName followed by " TransIsolation"
  std::int32_t option;
  OptionKind kind;
};

// Applied in this order.
constexpr std::array<ConnectionOption, 15> kConnectionOptions{{
    {"HostName", dbv::connopt::HostName, OptionKind::Text},
    {"RoleName", dbv::connopt::RoleName, OptionKind::Text},
    {"WaitOnLocks", dbv::connopt::WaitOnLocks, OptionKind::Flag},
    {"CommitRetain", dbv::connopt::CommitRetain, OptionKind::Flag},
    {"AutoCommit", dbv::connopt::AutoCommit, OptionKind::Flag},
    {"BlockingMode", dbv::connopt::BlockingMode, OptionKind::Flag},
    {"ServerCharSet", dbv::connopt::ServerCharSet, OptionKind::TextUnlessEmpty},
    {nullptr, dbv::connopt::TransIsolation, OptionKind::Isolation},
    {"SqlDialect", dbv::connopt::SqlDialect, OptionKind::Integer},
    {"OS Authentication", dbv::connopt::OSAuthentication, OptionKind::Flag},
    {"Server Port", dbv::connopt::ServerPort, OptionKind::Text},
    {"Multiple Transaction", dbv::connopt::MultipleTransaction, OptionKind::Flag},
    {"Trim Char", dbv::connopt::TrimChar, OptionKind::Flag},
    {"Custom String", dbv::connopt::CustomString, OptionKind::Text},
    {"Connection Timeout", dbv::connopt::ConnectionTimeout, OptionKind::Integer},
}};

constexpr const char* kIsolationKeySuffix = " TransIsolation";
constexpr std::array<const char*, 3> kLoginNames{"PASSWORD", "USER_NAME", "Database"};

std::int32_t IntegerValue(const std::string& value) {
  const std::string trimmed = Trim(value);
  const std::optional<std::int32_t> number = ParseInt32(trimmed);
  if (!number) throw EConvertError(FormatText(texts::NotAnInteger, trimmed));
  return *number;
}

std::int32_t FlagValue(const std::string& value) { return SameText(TrimView(value), "TRUE") ? 1 : 0; }

// The value is compared untrimmed; anything unknown is read committed.
std::int32_t IsolationValue(const std::string& value) {
  const std::string lower = LowerCaseAscii(value);
  if (lower == "repeatableread") return dbv::isolation::RepeatableRead;
  if (lower == "dirtyread") return dbv::isolation::DirtyRead;
  return dbv::isolation::ReadCommitted;
}

template <class Item>
void AddOnce(std::vector<Item*>& list, Item* item) {
  if (item != nullptr && std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

template <class Item>
void RemoveFrom(std::vector<Item*>& list, Item* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

TSQLConnection::TSQLConnection(std::string name, std::string programDirectory)
    : TComponent(std::move(name)),
      LibraryName(platform::BuiltInDriverLibrary),
      VendorLib(platform::BuiltInClientLibrary),
      Params(BuiltInParams()),
      programDirectory_(std::move(programDirectory)) {
  // A settings failure here only leaves the path empty; the first opening
  // then reports the file as not found.
  try {
    connectionRegistryFile_ = settings::ConnectionRegistryFilePath(programDirectory_);
  } catch (const std::exception&) {
    connectionRegistryFile_.clear();
  }
}

TSQLConnection::~TSQLConnection() {
  // Statements still attached are closed and let go of first, monitors last.
  while (!clients_.empty()) {
    TConnectionClient* client = clients_.back();
    clients_.pop_back();
    try {
      client->ConnectionClosing();
      client->ConnectionDetached();
    } catch (const std::exception&) {
      // Tear-down goes on: nothing can be reported from a destructor.
    }
  }
  try {
    Close();
  } catch (const std::exception&) {
    // Close has released everything before reporting; nobody is left to tell.
  }
  while (!monitors_.empty()) {
    TSQLMonitor* monitor = monitors_.back();
    monitors_.pop_back();
    try {
      monitor->SetActive(false);  // the connection is closed: this only forgets the hook
      monitor->SetSQLConnection(nullptr);
    } catch (const std::exception&) {
      // As above.
    }
  }
}

bool TSQLConnection::Connected() const { return connection_ && state_ == ConnectionState::Open; }

void TSQLConnection::Open() {
  if (Connected()) return;
  ConnectProcedure();
  const std::vector<TConnectionClient*> clients = clients_;
  for (TConnectionClient* client : clients) client->ConnectionOpened();
  if (AfterConnect) AfterConnect(this);
}

void TSQLConnection::ConnectProcedure() {
  if (LoadParamsOnConnect) {
    ReloadParams();
    ReadDriverNames();
  }
  if (!Params.Present("Database")) {
    throw EDatabaseError(ConnectionName.empty() ? texts::ConnectionNameMissing : texts::MissingDatabase);
  }
  // Monitors switched on before an opening have already stored their hook,
  // which the opening installs below.
  state_ = ConnectionState::Connecting;
  ScopeExit closed([this]() noexcept { state_ = ConnectionState::Closed; });
  const dbv::GetDriverProc entryPoint = FindEntryPoint();
  closed.Dismiss();
  bool serverConnected = false;
  ScopeExit abandon([this, &serverConnected]() noexcept { AbandonOpening(serverConnected); });
  CreateDriverConnection(entryPoint);
  const ParamList login = BuildLoginList();
  ApplyTraceHook(true);
  ApplyConnectionOptions();
  Check(connection_->connect(Trim(login.Value("Database")).c_str(), login.Value("USER_NAME").c_str(),
                             login.Value("PASSWORD").c_str()));
  serverConnected = true;
  ReadAnswersAfterConnect(login);
  abandon.Dismiss();
  state_ = ConnectionState::Open;
}

void TSQLConnection::ReloadParams() {
  if (loaded_) return;
  if (ConnectionName.empty()) throw EDatabaseError(texts::ConnectionNameMissing);
  const IniFile registry(connectionRegistryFile_);
  if (!registry.Exists()) throw EDatabaseError(FormatText(texts::RegistryFileNotFound, connectionRegistryFile_));
  const std::vector<std::string> entries = registry.ReadSection(ConnectionName);
  Params.Clear();
  for (const std::string& entry : entries) Params.Add(entry);
  loaded_ = true;
}

// Read from the files at every opening, also when the parameters are held
// from an earlier attempt; the driver registry file is located afresh each time.
void TSQLConnection::ReadDriverNames() {
  DriverName = IniFile(connectionRegistryFile_).ReadString(ConnectionName, "DriverName");
  if (DriverName.empty()) throw EDatabaseError(texts::MissingDriverName);
  LibraryName = IniFile(settings::DriverRegistryFilePath(programDirectory_)).ReadString(DriverName, "LibraryName");
  if (LibraryName.empty()) RaiseOwnError(texts::LibraryNameNotSet);
  VendorLib = Trim(IniFile(settings::DriverRegistryFilePath(programDirectory_)).ReadString(DriverName, "VendorLib"));
  if (VendorLib.empty()) RaiseOwnError(texts::LibraryNameNotSet);
  GetDriverFunc =
      IniFile(settings::DriverRegistryFilePath(programDirectory_)).ReadString(DriverName, "GetDriverFunc");
}

// The messages name the library and the procedure as configured, untrimmed.
dbv::GetDriverProc TSQLConnection::FindEntryPoint() {
  if (library_ == nullptr) {
    library_ = dbv::loadLibrary(Trim(LibraryName));
    if (library_ == nullptr) throw EDatabaseError(FormatText(texts::UnableToLoad, LibraryName));
  }
  void* function = dbv::findFunction(library_, Trim(GetDriverFunc));
  if (function == nullptr) throw EDatabaseError(FormatText(texts::UnableToFindProcedure, GetDriverFunc));
  return reinterpret_cast<dbv::GetDriverProc>(function);
}

void TSQLConnection::CreateDriverConnection(dbv::GetDriverProc entryPoint) {
  driver_.reset();
  const std::string errorResourceFile = Trim(Params.Value("ErrorResourceFile"));
  dbv::ISQLDriver* driver = nullptr;
  const dbv::SQLResult loaded = entryPoint(VendorLib.c_str(), errorResourceFile.c_str(), &driver);
  if (dbv::failed(loaded) || driver == nullptr) throw EDatabaseError(FormatText(texts::UnableToLoad, VendorLib));
  driver_.reset(driver);
  dbv::ISQLConnection* connection = nullptr;
  Check(driver_->getSQLConnection(&connection));
  if (connection == nullptr) Check(dbv::status::InvalidHandle);
  connection_.reset(connection);
}

// Every parameter line of the three login names yields that name's first
// value; a line already standing in the list (in any letter case) is skipped.
ParamList TSQLConnection::BuildLoginList() const {
  ParamList login;
  for (const std::string& line : Params.Lines()) {
    const bool present = std::any_of(login.Lines().begin(), login.Lines().end(),
                                     [&line](const std::string& entry) { return SameText(entry, line); });
    const std::size_t equals = line.find('=');
    if (present || equals == std::string::npos) continue;
    const std::string_view name = std::string_view(line).substr(0, equals);
    for (const char* loginName : kLoginNames) {
      if (!SameText(name, loginName)) continue;
      std::string value = Params.Value(loginName);
      if (SameText(loginName, "Database")) value = Trim(value);
      login.Add(std::string(loginName) + "=" + value);
    }
  }
  return login;
}

// The results of setting options are deliberately not examined.
void TSQLConnection::ApplyConnectionOptions() {
  defaultIsolation_ = dbv::isolation::ReadCommitted;
  for (const ConnectionOption& option : kConnectionOptions) {
    const std::string key = option.key != nullptr ? option.key : DriverName + kIsolationKeySuffix;
    const std::string value = Params.Value(key);
    if (value.empty()) continue;
    switch (option.kind) {
      case OptionKind::Text:
        connection_->setStringOption(option.option, Trim(value).c_str());
        break;
      case OptionKind::TextUnlessEmpty:
        if (!TrimView(value).empty()) connection_->setStringOption(option.option, Trim(value).c_str());
        break;
      case OptionKind::Flag:
        connection_->setOption(option.option, FlagValue(value));
        break;
      case OptionKind::Integer:
        connection_->setOption(option.option, IntegerValue(value));
        break;
      case OptionKind::Isolation:
        defaultIsolation_ = IsolationValue(value);
        connection_->setOption(option.option, defaultIsolation_);
        break;
    }
  }
}

// Only the metadata object's creation is tested; the answers are optional.
void TSQLConnection::ReadAnswersAfterConnect(const ParamList& login) {
  std::int32_t length = 0;
  maxStmtsPerConn_ = 0;
  connection_->getOption(dbv::connopt::MaxActiveStatements, &maxStmtsPerConn_, sizeof maxStmtsPerConn_, &length);

  dbv::ISQLMetaData* metaData = nullptr;
  Check(connection_->getSQLMetaData(&metaData));
  if (metaData == nullptr) Check(dbv::status::InvalidHandle);
  metaData_.reset(metaData);

  const std::string userName = Trim(login.Value("USER_NAME"));
  if (!userName.empty()) metaData_->setStringOption(dbv::metaopt::UserName, userName.c_str());

  char quote = '\0';
  const bool quoteRead = !dbv::failed(metaData_->getOption(dbv::metaopt::QuoteChar, &quote, 1, &length));
  quoteChar_ = (quoteRead && quote != '\0') ? std::string(1, quote) : std::string();

  const std::string blobSize = Params.Value("BlobSize");
  connection_->setOption(dbv::connopt::BlobSize, blobSize.empty() ? -1 : IntegerValue(blobSize));

  std::int32_t flag = 0;
  metaData_->getOption(dbv::metaopt::SupportsTransaction, &flag, sizeof flag, &length);
  transactionsSupported_ = flag != 0;
  flag = 0;
  metaData_->getOption(dbv::metaopt::SupportsTransactions, &flag, sizeof flag, &length);
  multipleTransactions_ = flag != 0;
}

// A failed opening forgets the library handle (the library stays loaded) and
// releases the driver connection; the driver object waits for the next attempt.
// A connection that already reached the server is disconnected first, so that
// an opening abandoned after the connect call (a BlobSize that is no integer,
// a refused metadata object) leaves no attachment behind.
void TSQLConnection::AbandonOpening(bool serverConnected) noexcept {
  state_ = ConnectionState::Closed;
  library_ = nullptr;
  ReleaseDriverConnection(serverConnected);
}

// The result of disconnecting is not examined.
void TSQLConnection::ReleaseDriverConnection(bool serverConnected) noexcept {
  metaData_.reset();
  if (serverConnected && connection_) connection_->disconnect();
  connection_.reset();
}

void TSQLConnection::Close() {
  const std::vector<TConnectionClient*> clients = clients_;
  for (TConnectionClient* client : clients) client->ConnectionClosing();
  std::exception_ptr hookFailure;
  if (driver_) {
    state_ = ConnectionState::Disconnecting;
    // A refused hook removal is reported only once everything is released,
    // so that a failed close leaves neither the server attachment nor the
    // driver objects behind.
    try {
      ApplyTraceHook(false);
    } catch (const std::exception&) {
      hookFailure = std::current_exception();
    }
    ReleaseDriverConnection(true);  // a driver connection still held is one that reached the server
    library_ = nullptr;
    state_ = ConnectionState::Closed;
    driver_.reset();
  }
  loaded_ = false;
  if (hookFailure) std::rethrow_exception(hookFailure);
}

void TSQLConnection::Check(dbv::SQLResult result) {
  if (dbv::failed(result)) RaiseDriverError(result);
}

void TSQLConnection::RaiseDriverError(dbv::SQLResult result) {
  lastErrorText_ = driver_error::TextFor(result, connection_.get(), lastErrorText_);
  throw EDatabaseError(lastErrorText_, driver_error::FailureOf(result));
}

void TSQLConnection::RegisterClient(TConnectionClient* client) { AddOnce(clients_, client); }

void TSQLConnection::UnregisterClient(TConnectionClient* client) { RemoveFrom(clients_, client); }

// A pair that cannot be put into the open driver connection is not kept, so
// that a later opening does not install a hook its monitor never switched on.
void TSQLConnection::SetTraceHook(dbv::TraceCallback callback, std::uint32_t identity) {
  const dbv::TraceCallback previousCallback = traceCallback_;
  const std::uint32_t previousIdentity = traceIdentity_;
  traceCallback_ = callback;
  traceIdentity_ = identity;
  if (!Connected()) return;
  ScopeExit restore([&]() noexcept {
    traceCallback_ = previousCallback;
    traceIdentity_ = previousIdentity;
  });
  ApplyTraceHook(callback != nullptr && identity > 0);
  restore.Dismiss();
}

// Option 9 before option 12, both checked; a refusal stops at once.
void TSQLConnection::ApplyTraceHook(bool install) {
  if (!connection_) return;
  if (install) {
    if (traceCallback_ == nullptr || traceIdentity_ == 0) return;
    Check(connection_->setOption(dbv::connopt::TraceCallback, reinterpret_cast<std::intptr_t>(traceCallback_)));
    Check(connection_->setOption(dbv::connopt::TraceOwner, static_cast<std::intptr_t>(traceIdentity_)));
  } else {
    Check(connection_->setOption(dbv::connopt::TraceCallback, 0));
    Check(connection_->setOption(dbv::connopt::TraceOwner, 0));
  }
}

void TSQLConnection::AddTraceMonitor(TSQLMonitor* monitor) { AddOnce(monitors_, monitor); }

void TSQLConnection::RemoveTraceMonitor(TSQLMonitor* monitor) { RemoveFrom(monitors_, monitor); }
