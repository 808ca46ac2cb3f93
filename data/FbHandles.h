// The client's handles, each owned by one object that releases it in its
// destructor: an attachment (detach), a transaction (rollback when still
// open) and a prepared statement (drop) with the buffers of its columns.
//
// Every client call goes through the library table (data/FbClientApi.h),
// runs under the call watchdog (data/FbCallWatchdog.h) and turns a failure
// into EDatabaseError (data/FbStatus.h). Destructors never throw; a handle
// the client cannot release (the connection is gone) is let go.
//
// REQUIRES: an attachment outlives its transactions and statements.
// Internal to data/ (brings in the client's types).
#pragma once

#include <ibase.h>

#include <memory>
#include <string>
#include <vector>

#include "data/SQLConnection.h"

namespace data {

class TFbAttachment {
 public:
  // Attaches to pDatabase with the parameter block pDpb; raises
  // EDatabaseError and holds nothing when that fails.
  TFbAttachment(const std::string& pDatabase, const std::string& pDpb);
  ~TFbAttachment();
  TFbAttachment(const TFbAttachment&) = delete;
  TFbAttachment& operator=(const TFbAttachment&) = delete;

  [[nodiscard]] isc_db_handle& FHandle() noexcept { return vDb.vHandle; }
  // SQL dialect of the database: 1 or 3.
  [[nodiscard]] int FDialect() const noexcept { return vDialect; }

 private:
  // Detaches when destroyed, also when the constructor fails half-way.
  struct THandle {
    isc_db_handle vHandle = 0;
    ~THandle();
  };
  THandle vDb;
  int vDialect = 3;
};

class TFbTransaction {
 public:
  // Starts a transaction with the parameter block pTpb; raises with
  // pStatement as the statement that needed it.
  TFbTransaction(TFbAttachment& pAttachment, const std::string& pTpb, const std::string& pStatement);
  ~TFbTransaction();  // rolls back when still open
  TFbTransaction(const TFbTransaction&) = delete;
  TFbTransaction& operator=(const TFbTransaction&) = delete;

  [[nodiscard]] isc_tr_handle& FHandle() noexcept { return vTr; }
  // Commits; raises when the commit fails, after rolling back. Either way
  // the transaction is over.
  void PCommit(const std::string& pStatement);
  void PRollback() noexcept;

 private:
  TFbAttachment& vAttachment;
  isc_tr_handle vTr = 0;
};

// A statement prepared on an attachment, with a buffer and a NULL
// indicator for every column it returns. It can be executed again and
// again, in one transaction after another.
class TFbStatement {
 public:
  // Allocates and prepares pSQL in pTransaction; raises and holds nothing
  // when the database refuses the text.
  TFbStatement(TFbAttachment& pAttachment, TFbTransaction& pTransaction, const std::string& pSQL);
  ~TFbStatement();  // closes the cursor and drops the statement
  TFbStatement(const TFbStatement&) = delete;
  TFbStatement& operator=(const TFbStatement&) = delete;

  [[nodiscard]] const std::string& FText() const noexcept { return vSQL; }
  [[nodiscard]] const std::vector<TColumnInfo>& FColumns() const noexcept { return vColumns; }

  // Runs the statement with every parameter sent as text (nullptr: NULL);
  // a select keeps its cursor open for FFetch.
  void PExecute(TFbTransaction& pTransaction, const std::vector<const std::string*>& pValues);
  // The next row, or false at the end of the cursor (which closes it; any
  // later call is false too). BLOB columns are read in pTransaction.
  [[nodiscard]] bool FFetch(TFbTransaction& pTransaction, std::vector<TFieldValue>& pRow);
  void PCloseCursor() noexcept;

 private:
  struct TSqlda;
  [[nodiscard]] std::string FReadBlob(TFbTransaction& pTransaction, const ISC_QUAD& pId);

  // Drops the statement when destroyed, also when the constructor fails.
  struct THandle {
    isc_db_handle vDb = 0;
    isc_stmt_handle vStmt = 0;
    ~THandle();
  };
  THandle vHandle;
  std::string vSQL;
  std::unique_ptr<TSqlda> vOut;
  std::vector<std::vector<char>> vBuffers;  // one per column
  std::vector<ISC_SHORT> vIndicators;
  std::vector<TColumnInfo> vColumns;
  bool vCursorOpen = false;
};

}  // namespace data
