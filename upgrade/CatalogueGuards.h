// The catalogue questions as the upgrade script asks them. The main window
// answers the table and column ones through its own private operations;
// QueryGuards answers them straight on a statement object, for callers
// without a window.
#pragma once

#include <string>

#include "CatalogueProbes.h"

class CatalogueGuards {
 public:
  virtual ~CatalogueGuards() = default;
  virtual bool TableMissing(const std::string& table) = 0;
  virtual bool IndexMissing(const std::string& index) = 0;
  virtual bool AddVarcharField(const std::string& table, const std::string& column, const std::string& width) = 0;
  virtual bool AddDoubleField(const std::string& table, const std::string& column) = 0;
};

class QueryGuards : public CatalogueGuards {
 public:
  explicit QueryGuards(TSQLQuery& query) : query_(query) {}
  bool TableMissing(const std::string& table) override { return ::TableMissing(query_, table); }
  bool IndexMissing(const std::string& index) override { return ::IndexMissing(query_, index); }
  bool AddVarcharField(const std::string& table, const std::string& column, const std::string& width) override {
    return ::AddVarcharField(query_, table, column, width);
  }
  bool AddDoubleField(const std::string& table, const std::string& column) override {
    return ::AddDoubleField(query_, table, column);
  }

 private:
  TSQLQuery& query_;
};
