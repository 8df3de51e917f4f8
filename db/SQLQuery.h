// SQLQuery1: the one statement object. Its statement is a list of lines; it is
// either opened as a query read through a forward-only cursor, or executed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Component.h"
#include "DriverContract.h"
#include "SQLConnection.h"

class TSQLQuery;

// One result column; reads its value from the cursor's current row when asked.
class TField {
 public:
  const std::string& FieldName() const;
  dbv::FieldType DataType() const;
  std::uint32_t Size() const;
  std::string AsString() const;  // empty without a current row, and for null
  bool IsNull() const;           // true without a current row
  // (implementation details)
};

struct TParam {
  std::string Name;
  std::string Value;
};

class TStrings;  // the SQL lines; every change runs the text-change handling

class TSQLQuery : public TComponent, private TConnectionClient {
 public:
  explicit TSQLQuery(std::string name);
  ~TSQLQuery() override;

  void SetSQLConnection(TSQLConnection* connection);
  TSQLConnection* SQLConnection() const;

  bool ParamCheck = true;
  std::int32_t MaxBlobSize = -1;

  // SQL lines.
  void ClearLines();
  int AddLine(const std::string& line);
  const std::vector<std::string>& Lines() const;
  const std::string& StatementText() const;
  const std::vector<TParam>& Params() const;

  void Open();
  void Close();
  bool Active() const;
  bool Prepared() const;
  TField& FieldByName(const std::string& name);
  const std::vector<std::unique_ptr<TField>>& Fields() const;
  std::int32_t ExecSQL(bool execDirect = false);
  std::int32_t RowsAffected() const;
  const std::string& LastErrorText() const;
};
