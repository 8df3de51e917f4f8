#include "SQLQuery.h"

#include <utility>

#include "DriverError.h"
#include "ParamScan.h"
#include "QueryTexts.h"
#include "ScopeExit.h"
#include "TextRules.h"

namespace {

constexpr const char* kRowsetSizeParam = "RowsetSize";
constexpr std::int32_t kDefaultRowsetSize = 20;
constexpr const char* kBlobSizeParam = "BlobSize";
constexpr std::size_t kBlobSizeUnit = 1024;
constexpr const char* kLineEnd = "\r\n";

std::int32_t RowsetSizeOf(const ParamList& params) {
  return ParseInt32(Trim(params.Value(kRowsetSizeParam))).value_or(kDefaultRowsetSize);
}

bool IsEndOfResult(dbv::SQLResult result) {
  const std::uint16_t status = dbv::statusOf(result);
  return status == dbv::status::EndOfResult || status == dbv::status::NoMoreData;
}

}  // namespace

TSQLQuery::TSQLQuery(std::string name) : TComponent(std::move(name)) {}

TSQLQuery::~TSQLQuery() { SetSQLConnection(nullptr); }

void TSQLQuery::SetSQLConnection(TSQLConnection* connection) {
  if (connection == connection_) return;
  // Cursor and command belong to the old connection's driver connection.
  Close();
  Unprepare();
  if (connection_ != nullptr) connection_->UnregisterClient(this);
  connection_ = connection;
  if (connection_ == nullptr) return;
  connection_->RegisterClient(this);
  // Only an unset blob size takes the connection's; -1 when that gives none.
  if (MaxBlobSize == 0) MaxBlobSize = ParseInt32(Trim(connection_->Params.Value(kBlobSizeParam))).value_or(-1);
}

void TSQLQuery::ConnectionOpened() {
  // Nothing to do: a command is obtained at the next preparation.
}

void TSQLQuery::ConnectionClosing() {
  // The driver connection goes away after this; nothing it made may outlive it.
  Close();
  Unprepare();
}

void TSQLQuery::ConnectionDetached() { connection_ = nullptr; }

// --- Lines and the text-change handling ---

void TSQLQuery::ClearLines() {
  if (lines_.empty()) return;  // no change, so nothing is closed or unprepared
  lines_.clear();
  TextChanged();
}

int TSQLQuery::AddLine(const std::string& line) {
  lines_.push_back(line);
  TextChanged();
  return static_cast<int>(lines_.size()) - 1;
}

void TSQLQuery::TextChanged() {
  Close();
  Unprepare();
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += kLineEnd;
  }
  if (ParamCheck) RebuildParams(text);
  statementText_ = std::move(text);
}

void TSQLQuery::RebuildParams(const std::string& text) {
  std::vector<TParam> rebuilt;
  for (std::string& name : ParamMarkerNames(text)) {
    TParam param{std::move(name), {}};
    for (const TParam& old : params_) {
      if (SameText(old.Name, param.Name)) {
        param.Value = old.Value;
        break;
      }
    }
    rebuilt.push_back(std::move(param));
  }
  params_ = std::move(rebuilt);
}

// Nothing here can fail in a way the caller hears of: the driver's answers to
// releasing are not examined, and a failed count keeps the stored one.
void TSQLQuery::Unprepare() noexcept {
  cursor_.reset();
  if (!command_) return;
  if (rowsAffected_ <= 0) {
    std::int32_t rows = 0;
    if (!dbv::failed(command_->getRowsAffected(&rows))) rowsAffected_ = rows;
  }
  command_.reset();
}

// --- Preparing ---

void TSQLQuery::EnsureConnected() {
  if (connection_ == nullptr) RaiseOwnError(querytext::kMissingConnection);
  if (!connection_->Connected()) connection_->Open();
}

// Failures are held back in the last error text; PrepareIfNeeded reports them.
void TSQLQuery::ObtainCommand() {
  lastErrorText_.clear();
  lastFailureKind_ = DatabaseFailure::Refused;
  command_.reset();
  dbv::ISQLConnection* driverConnection = connection_->DriverConnection();
  if (driverConnection == nullptr) return;
  dbv::ISQLCommand* command = nullptr;
  const dbv::SQLResult obtained = driverConnection->getSQLCommand(&command);
  if (dbv::failed(obtained)) {
    RecordFailure(obtained, driverConnection);
    return;
  }
  command_.reset(command);
  // Not tested: a driver without the option fetches with its own row-set size.
  command_->setOption(dbv::cmdopt::RowsetSize, RowsetSizeOf(connection_->Params));
  // No transaction is attached: the driver commits every statement on its own.
}

void TSQLQuery::Prepare() {
  if (statementText_.empty()) return;
  ObtainCommand();
  if (!command_) return;
  const dbv::SQLResult prepared = command_->prepare(statementText_.c_str(), static_cast<std::uint16_t>(params_.size()));
  if (dbv::failed(prepared)) {
    RecordFailure(prepared, command_.get());
    command_.reset();
  }
}

void TSQLQuery::PrepareIfNeeded() {
  if (!command_) Prepare();
  if (!command_) RaiseMissingCommand();
}

// A preparation that failed reports here, with the text it recorded.
[[noreturn]] void TSQLQuery::RaiseMissingCommand() const {
  if (lastErrorText_.empty()) throw EDatabaseError(querytext::kUnableToExecute);
  throw EDatabaseError(lastErrorText_, lastFailureKind_);
}

void TSQLQuery::ExecuteCommand() {
  dbv::ISQLCursor* cursor = nullptr;
  const dbv::SQLResult executed = command_->execute(&cursor);
  cursor_.reset(cursor);  // even after a failure, so that it is released with the rest
  if (dbv::failed(executed)) RaiseCommandError(executed);
}

void TSQLQuery::ReadRowsAffected() {
  std::int32_t rows = 0;
  const dbv::SQLResult counted = command_->getRowsAffected(&rows);
  if (dbv::failed(counted)) RaiseCommandError(counted);
  rowsAffected_ = rows;
}

template <class DriverObject>
void TSQLQuery::RecordFailure(dbv::SQLResult result, DriverObject* failing) {
  lastErrorText_ = driver_error::TextFor(result, failing, lastErrorText_);
  lastFailureKind_ = driver_error::FailureOf(result);
}

[[noreturn]] void TSQLQuery::RaiseCommandError(dbv::SQLResult result) {
  RecordFailure(result, command_.get());
  throw EDatabaseError(lastErrorText_, lastFailureKind_);
}

[[noreturn]] void TSQLQuery::RaiseCursorError(dbv::SQLResult result, dbv::ISQLCursor* cursor) {
  RecordFailure(result, cursor);
  throw EDatabaseError(lastErrorText_, lastFailureKind_);
}

// --- Open, the fields and Close ---

void TSQLQuery::Open() {
  if (active_) return;
  if (statementText_.empty()) throw EDatabaseError(querytext::kMissingStatement);
  EnsureConnected();
  // A failure leaves the query closed as after Close; the command stays prepared.
  ScopeExit discard([this]() noexcept { DiscardOpenState(); });
  cursor_.reset();
  PrepareIfNeeded();
  ExecuteCommand();
  if (!cursor_) {
    command_->close();  // not tested; the statement has run on the server already
    RaiseOwnError(querytext::kCursorNotReturned);
  }
  DescribeFields();
  if (MaxBlobSize > 0) blobBuffer_.resize(static_cast<std::size_t>(MaxBlobSize) * kBlobSizeUnit);
  FetchFirstRow();
  discard.Dismiss();
  active_ = true;
}

// The describing requests' statuses are not tested: a column the driver cannot
// describe keeps an empty name, an unknown type and no length.
void TSQLQuery::DescribeFields() {
  std::uint16_t count = 0;
  cursor_->getColumnCount(&count);
  for (unsigned column = 1; column <= count; ++column) {
    const auto number = static_cast<std::uint16_t>(column);
    char name[dbv::kMaxColumnName] = {};
    cursor_->getColumnName(number, name);
    name[dbv::kMaxColumnName - 1] = '\0';
    dbv::FieldType type = dbv::FieldType::Unknown;
    std::uint16_t subType = 0;
    cursor_->getColumnType(number, &type, &subType);
    std::uint32_t length = 0;
    cursor_->getColumnLength(number, &length);
    fields_.push_back(std::make_unique<TField>(*this, number, UniqueFieldName(name), type, length));
  }
}

std::string TSQLQuery::UniqueFieldName(const std::string& columnName) const {
  std::string name = columnName;
  for (int counter = 1; FindField(name) != nullptr; ++counter) {
    name = columnName + "_" + std::to_string(counter);
  }
  return name;
}

TField* TSQLQuery::FindField(const std::string& name) const {
  for (const std::unique_ptr<TField>& field : fields_) {
    if (SameText(field->FieldName(), name)) return field.get();
  }
  return nullptr;
}

void TSQLQuery::FetchFirstRow() {
  const dbv::SQLResult fetched = cursor_->next();
  if (!dbv::failed(fetched)) {
    hasCurrentRow_ = true;
  } else if (!IsEndOfResult(fetched)) {
    RaiseCursorError(fetched, cursor_.get());
  }
}

TField& TSQLQuery::FieldByName(const std::string& name) {
  TField* field = FindField(name);
  if (field == nullptr) RaiseOwnError(FormatText(querytext::kFieldNotFound, name));
  return *field;
}

void TSQLQuery::Close() {
  if (!active_) return;
  active_ = false;
  DiscardOpenState();
}

void TSQLQuery::DiscardOpenState() noexcept {
  fields_.clear();
  hasCurrentRow_ = false;
  std::vector<char>().swap(blobBuffer_);
  cursor_.reset();
}

// --- Execute ---

std::int32_t TSQLQuery::ExecSQL(bool execDirect) {
  if (active_) RaiseOwnError(querytext::kOpenDataset);
  EnsureConnected();
  rowsAffected_ = 0;
  return execDirect ? ExecuteDirect() : ExecutePrepared();
}

std::int32_t TSQLQuery::ExecutePrepared() {
  const ScopeExit finish([this]() noexcept { FinishExecute(); });
  cursor_.reset();
  PrepareIfNeeded();
  ExecuteCommand();
  ReadRowsAffected();
  return rowsAffected_;
}

// A statement that handed back a cursor leaves nothing behind; any other keeps
// its prepared command for an unchanged re-run.
void TSQLQuery::FinishExecute() noexcept {
  if (cursor_) {
    cursor_.reset();
    command_.reset();
  } else if (command_) {
    command_->close();  // result not examined
  }
}

// Nothing is kept: cursor and command are released however the run ends.
std::int32_t TSQLQuery::ExecuteDirect() {
  cursor_.reset();
  ObtainCommand();
  if (!command_) RaiseMissingCommand();
  const ScopeExit release([this]() noexcept {
    cursor_.reset();
    command_.reset();
  });
  dbv::ISQLCursor* cursor = nullptr;
  const dbv::SQLResult executed = command_->executeImmediate(statementText_.c_str(), &cursor);
  cursor_.reset(cursor);
  if (dbv::failed(executed)) RaiseCommandError(executed);
  ReadRowsAffected();
  return rowsAffected_;
}
