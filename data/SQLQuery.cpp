#include "data/SQLQuery.h"

namespace data {

TSQLQuery::~TSQLQuery() { Close(); }

void TSQLQuery::PAfterExecute() {}

bool TSQLQuery::FMoveNext() {
  std::vector<TFieldValue> vRow;
  // At the end the statement commits and the last row stays current.
  if (!FStatement().FFetch(vRow)) return false;
  PSetCurrentRow(std::move(vRow));
  ++vRowCount;
  return true;
}

}  // namespace data
