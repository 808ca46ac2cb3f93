// The owned handles against a real embedded dialect-3 database: every
// column type as the client really delivers it (BLOB across several
// segments, BOOLEAN, FLOAT, TIME, TIMESTAMP among them), one prepared
// statement run in one transaction after another, and a refused text.
#include "data/FbHandles.h"

#include <gtest/gtest.h>

#include <memory>

#include "data/SQLDataSet.h"
#include "support/FirebirdFixture.h"

namespace {

using data::EDatabaseError;
using data::TFbAttachment;
using data::TFbStatement;
using data::TFbTransaction;

const char* const cSchema = R"(
CREATE TABLE T (
  ID INTEGER NOT NULL,
  B BOOLEAN, F FLOAT, DP DOUBLE PRECISION, SM SMALLINT, BI BIGINT, N NUMERIC(18,4),
  C CHAR(4), VC VARCHAR(10), D DATE, TM TIME, TS TIMESTAMP,
  BL BLOB SUB_TYPE TEXT, BN BLOB SUB_TYPE BINARY);
INSERT INTO T VALUES (1, TRUE, 0.5, -1.25, -7, 9007199254740993, -12.3456,
  'ab', 'xyz', '2024-03-05', '14:07:31.2500', '2024-03-05 23:59:59.9990',
  'short text', NULL);
INSERT INTO T (ID, B) VALUES (2, FALSE);
)";

// The read-committed write transaction the connection uses, without its
// lock wait (nothing here waits).
std::string FTpb() { return {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version}; }

class FbHandlesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { vDatabase = std::make_unique<testsupport::TTempDatabase>(cSchema, 3); }
  static void TearDownTestSuite() { vDatabase.reset(); }

  std::vector<std::string> FRowText(const std::string& pSQL) {
    TFbTransaction vTransaction(vAttachment, FTpb(), pSQL);
    TFbStatement vStatement(vAttachment, vTransaction, pSQL);
    vStatement.PExecute(vTransaction, {});
    std::vector<data::TFieldValue> vRow;
    EXPECT_TRUE(vStatement.FFetch(vTransaction, vRow)) << pSQL;
    std::vector<std::string> vText;
    for (const auto& v : vRow) vText.push_back(data::FFieldValueText(v));
    return vText;
  }

  static std::unique_ptr<testsupport::TTempDatabase> vDatabase;
  TFbAttachment vAttachment{vDatabase->FPath(), std::string(1, isc_dpb_version1)};
};

std::unique_ptr<testsupport::TTempDatabase> FbHandlesTest::vDatabase;

TEST_F(FbHandlesTest, EveryColumnTypeAsTheClientDeliversIt) {
  EXPECT_EQ(vAttachment.FDialect(), 3);
  EXPECT_EQ(FRowText("select B, F, DP, SM, BI, N, C, VC, D, TM, TS, BL, BN from T where ID = 1"),
            (std::vector<std::string>{"1", "0" + std::string(1, '.') + "5",
                                      "-1" + std::string(1, '.') + "25", "-7",
                                      "9007199254740993", "-12" + std::string(1, '.') + "3456",
                                      "ab  ", "xyz", "05/03/2024", "14:07:31", "05/03/2024 23:59:59", "short text",
                                      ""}));
  // NULLs of every kind, and a false BOOLEAN.
  EXPECT_EQ(FRowText("select B, F, TM, TS, BL, cast(null as integer), null from T where ID = 2"),
            (std::vector<std::string>{"0", "", "", "", "", "", ""}));
}

TEST_F(FbHandlesTest, BlobsOfManySegmentsAndAnyBytes) {
  // Longer than the segments it is read in, with every byte value.
  std::string vText;
  for (int i = 0; vText.size() < 20000; ++i) vText += static_cast<char>(i % 256);
  const std::string vUpdate = "update T set BN = ?, BL = ? where ID = 1";
  {
    TFbTransaction vTransaction(vAttachment, FTpb(), vUpdate);
    TFbStatement vStatement(vAttachment, vTransaction, vUpdate);
    const std::string vShortText = "Caf\xE9";
    vStatement.PExecute(vTransaction, {&vText, &vShortText});
    vTransaction.PCommit(vUpdate);
  }
  const std::string vSelect = "select BN, BL from T where ID = 1";
  TFbTransaction vTransaction(vAttachment, FTpb(), vSelect);
  TFbStatement vStatement(vAttachment, vTransaction, vSelect);
  vStatement.PExecute(vTransaction, {});
  std::vector<data::TFieldValue> vRow;
  ASSERT_TRUE(vStatement.FFetch(vTransaction, vRow));
  EXPECT_EQ(vRow[0].vText, vText);
  EXPECT_EQ(vRow[1].vText, "Caf\xE9");
}

TEST_F(FbHandlesTest, OneStatementRunsInOneTransactionAfterAnother) {
  const std::string vSQL = "select ID from T where ID >= ? order by ID";
  std::unique_ptr<TFbStatement> vStatement;
  {
    TFbTransaction vFirst(vAttachment, FTpb(), vSQL);
    vStatement = std::make_unique<TFbStatement>(vAttachment, vFirst, vSQL);
  }
  for (const std::string vFrom : {"1", "2", "3"}) {
    TFbTransaction vTransaction(vAttachment, FTpb(), vSQL);
    vStatement->PExecute(vTransaction, {&vFrom});
    std::vector<data::TFieldValue> vRow;
    int vRows = 0;
    while (vStatement->FFetch(vTransaction, vRow)) ++vRows;
    EXPECT_EQ(vRows, 3 - std::stoi(vFrom)) << vFrom;
    // The end of the cursor is sticky.
    EXPECT_FALSE(vStatement->FFetch(vTransaction, vRow));
    vStatement->PCloseCursor();
    vTransaction.PCommit(vSQL);
  }
  EXPECT_EQ(vStatement->FColumns().size(), 1u);
  EXPECT_EQ(vStatement->FColumns()[0].vName, "ID");
}

TEST_F(FbHandlesTest, RefusedTextRaisesWithTheStatement) {
  const std::string vSQL = "select NOSUCHCOLUMN from T";
  TFbTransaction vTransaction(vAttachment, FTpb(), vSQL);
  try {
    TFbStatement vStatement(vAttachment, vTransaction, vSQL);
    FAIL() << "prepared";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.FStatement(), vSQL);
    EXPECT_EQ(e.FErrorCode(), isc_dsql_error);
    EXPECT_FALSE(e.FConnectionLost());
    EXPECT_NE(std::string(e.what()).find("NOSUCHCOLUMN"), std::string::npos) << e.what();
  }
  // The attachment and the transaction go on.
  EXPECT_EQ(FRowText("select count(*) from T"), std::vector<std::string>{"2"});
}

}  // namespace
