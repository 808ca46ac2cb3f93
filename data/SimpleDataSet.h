// The cached query: Open fetches the whole result into memory and commits
// at once, so the database holds nothing while the rows are walked.
//
// REQUIRES: the connection (PSetConnection) outlives the data set.
#pragma once

#include <vector>

#include "data/SQLDataSet.h"

namespace data {

class TSimpleDataSet : public TCustomSQLDataSet {
 public:
  TSimpleDataSet() = default;
  ~TSimpleDataSet() override;

  [[nodiscard]] std::size_t FRecordCount() const noexcept { return vRows.size(); }

 protected:
  void PAfterExecute() override;
  bool FMoveNext() override;
  void PAfterClose() noexcept override;

 private:
  std::vector<std::vector<TFieldValue>> vRows;
  std::size_t vNext = 0;
};

}  // namespace data
