// The forward-only query: rows are fetched one at a time as Next() moves
// on, and the statement's transaction commits when the last row has been
// read or the query is closed. Use it for small results read once.
//
// REQUIRES: the connection (PSetConnection) outlives the query.
#pragma once

#include "data/SQLDataSet.h"

namespace data {

class TSQLQuery : public TCustomSQLDataSet {
 public:
  TSQLQuery() = default;
  ~TSQLQuery() override;

 protected:
  void PAfterExecute() override;
  bool FMoveNext() override;
  void PStatementReleased() noexcept override { PMarkClosed(); }
};

}  // namespace data
