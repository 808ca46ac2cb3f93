#include "data/SimpleDataSet.h"

namespace data {

TSimpleDataSet::~TSimpleDataSet() { Close(); }

void TSimpleDataSet::PAfterExecute() {
  // The whole result is read at once and the statement's transaction is
  // committed before the caller walks the rows.
  vRows.clear();
  vNext = 0;
  TSQLStatement& vRunner = FStatement();
  std::vector<TFieldValue> vRow;
  while (vRunner.FFetch(vRow)) vRows.push_back(std::move(vRow));
  vRowCount = vRows.size();
}

bool TSimpleDataSet::FMoveNext() {
  if (vNext >= vRows.size()) return false;
  PSetCurrentRow(vRows[vNext++]);
  return true;
}

void TSimpleDataSet::PAfterClose() noexcept {
  vRows.clear();
  vNext = 0;
}

}  // namespace data
