// SQLQuery1: the one statement object. Its statement is a list of lines; it is
// either opened as a query read through a forward-only cursor, or executed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Component.h"
#include "DriverContract.h"
#include "DriverRef.h"
#include "Field.h"
#include "SQLConnection.h"

struct TParam {
  std::string Name;
  std::string Value;
};

class TSQLQuery : public TComponent, private TConnectionClient {
 public:
  explicit TSQLQuery(std::string name);
  ~TSQLQuery() override;  // closes, releases cursor and command, detaches

  // Binding to another connection first gives back what the old one supplied.
  void SetSQLConnection(TSQLConnection* connection);
  TSQLConnection* SQLConnection() const { return connection_; }

  bool ParamCheck = true;
  std::int32_t MaxBlobSize = -1;  // in units of 1024 bytes; -1 reads a blob whole

  // SQL lines; every change runs the text-change handling.
  void ClearLines();
  int AddLine(const std::string& line);
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::string& StatementText() const { return statementText_; }
  const std::vector<TParam>& Params() const { return params_; }
  std::vector<TParam>& Params() { return params_; }  // values may be set; names follow the text

  void Open();
  void Close();
  bool Active() const { return active_; }
  bool Prepared() const { return static_cast<bool>(command_); }
  TField& FieldByName(const std::string& name);
  const std::vector<std::unique_ptr<TField>>& Fields() const { return fields_; }
  std::int32_t ExecSQL(bool execDirect = false);
  std::int32_t RowsAffected() const { return rowsAffected_; }
  const std::string& LastErrorText() const { return lastErrorText_; }

 private:
  friend class TField;  // reads the current row and reports cursor failures

  void ConnectionOpened() override;
  void ConnectionClosing() override;
  void ConnectionDetached() override;

  void TextChanged();
  void RebuildParams(const std::string& text);
  void Unprepare() noexcept;
  void DiscardOpenState() noexcept;

  void EnsureConnected();
  void ObtainCommand();
  void Prepare();
  void PrepareIfNeeded();
  [[noreturn]] void RaiseMissingCommand() const;
  void ExecuteCommand();
  void ReadRowsAffected();
  void FinishExecute() noexcept;
  std::int32_t ExecutePrepared();
  std::int32_t ExecuteDirect();

  void DescribeFields();
  std::string UniqueFieldName(const std::string& columnName) const;
  TField* FindField(const std::string& name) const;
  void FetchFirstRow();

  // The cursor while a row is current, else null.
  dbv::ISQLCursor* RowCursor() const { return active_ && hasCurrentRow_ ? cursor_.get() : nullptr; }
  // Keeps the failure's text, and whether it lost the connection, for the
  // error raised now or for a held-back preparation failure raised later.
  template <class DriverObject>
  void RecordFailure(dbv::SQLResult result, DriverObject* failing);
  [[noreturn]] void RaiseCommandError(dbv::SQLResult result);
  [[noreturn]] void RaiseCursorError(dbv::SQLResult result, dbv::ISQLCursor* cursor);

  TSQLConnection* connection_ = nullptr;
  std::vector<std::string> lines_;
  std::string statementText_;
  std::vector<TParam> params_;
  bool active_ = false;
  // Declared before the cursor, so that the cursor is released first.
  DriverRef<dbv::ISQLCommand> command_;  // held from preparation until unprepared
  DriverRef<dbv::ISQLCursor> cursor_;
  std::vector<std::unique_ptr<TField>> fields_;
  bool hasCurrentRow_ = false;
  std::vector<char> blobBuffer_;  // reserved at Open only for a positive MaxBlobSize
  std::int32_t rowsAffected_ = 0;
  std::string lastErrorText_;
  DatabaseFailure lastFailureKind_ = DatabaseFailure::Refused;
};
