// The query objects against a real embedded dialect-1 database: named
// parameters, dialect-1 constants, the text forms and NULL rules of each
// column type, column lookup, reopening and statements without rows.
#include "data/SQLDataSet.h"

#include <gtest/gtest.h>

#include <memory>

#include "data/SQLQuery.h"
#include "data/SimpleDataSet.h"
#include "port/MemEnv.h"
#include "support/FirebirdFixture.h"

namespace {

using data::EDatabaseError;
using data::TSimpleDataSet;
using data::TSQLConnection;
using data::TSQLQuery;

const char* const cSchema = R"(
CREATE TABLE V (
  ID INTEGER NOT NULL,
  N NUMERIC(15,2),
  N3 NUMERIC(9,3),
  DP DOUBLE PRECISION,
  I INTEGER,
  S SMALLINT,
  C CHAR(6),
  VC VARCHAR(20),
  D DATE);
INSERT INTO V VALUES (1, 1234.5, -12.345, 0.1, -42, 7, "ab", 'Caf)" "\xE9" R"(', '2024-03-05');
INSERT INTO V (ID) VALUES (2);
INSERT INTO V (ID, D, DP) VALUES (3, '2024-03-05 14:07:31', 1.0E20);
)";

std::string FDecimal(const std::string& pText, char pSeparator) {
  std::string vResult = pText;
  for (char& c : vResult)
    if (c == '.') c = pSeparator;
  return vResult;
}

class SQLDataSetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { vDatabase = std::make_unique<testsupport::TTempDatabase>(cSchema); }
  static void TearDownTestSuite() { vDatabase.reset(); }

  void SetUp() override {
    vConnection.PSetParam("Database", vDatabase->FPath());
    vConnection.PSetHost(vHost);
  }

  std::unique_ptr<TSQLQuery> FQuery(const std::string& pSQL) {
    auto vQuery = std::make_unique<TSQLQuery>();
    vQuery->PSetConnection(&vConnection);
    vQuery->SQL.Add(pSQL);
    return vQuery;
  }

  static std::unique_ptr<testsupport::TTempDatabase> vDatabase;
  port::TMemEnv vHost;  // the host's number settings
  TSQLConnection vConnection;
};

std::unique_ptr<testsupport::TTempDatabase> SQLDataSetTest::vDatabase;

TEST(TranslateParams, MarkersOutsideLiteralsAndComments) {
  struct {
    const char* vSQL;
    const char* vText;
    std::vector<std::string> vMarkers;
  } const cCases[] = {
      {"select * from t where a = :PA and b = :pa", "select * from t where a = ? and b = ?", {"PA", "PA"}},
      {"x = :P1, y = :Q_2$", "x = ?, y = ?", {"P1", "Q_2$"}},
      {"select ':no' from t where a = :A", "select ':no' from t where a = ?", {"A"}},
      {"select \":no\" from t", "select \":no\" from t", {}},
      {"select 'it''s :no' from t where a=:A", "select 'it''s :no' from t where a=?", {"A"}},
      {"a = :A -- :no\n and b = :B", "a = ? -- :no\n and b = ?", {"A", "B"}},
      {"a = :A /* :no */ and b = :B", "a = ? /* :no */ and b = ?", {"A", "B"}},
      {"a = 'open :no", "a = 'open :no", {}},
      {"a = : b", "a = : b", {}},
  };
  for (const auto& c : cCases) {
    const data::TTranslatedSQL t = data::FTranslateParams(c.vSQL);
    EXPECT_EQ(t.vText, c.vText) << c.vSQL;
    EXPECT_EQ(t.vMarkers, c.vMarkers) << c.vSQL;
  }
  EXPECT_EQ(data::FTranslateParams("a=:Pa or b=:PA or c=:Pb").vDistinctNames,
            (std::vector<std::string>{"Pa", "Pb"}));
}

TEST_F(SQLDataSetTest, RepeatedParameterGetsOneValueWithoutRegardToCase) {
  auto q = FQuery("select count(*) as N from V where ID >= :PId and ID <= :PID");
  q->PSetParam("pid", "1");
  q->Open();
  EXPECT_EQ(q->FieldByName("n").AsInteger(), 1);
  EXPECT_THROW(q->PSetParam("PNone", "1"), EDatabaseError);
}

TEST_F(SQLDataSetTest, DoubleQuotedConstantsAreStrings) {
  auto q = FQuery("select \"X\" as K, ID from V where C = \"ab\" and VC <> 'x'");
  q->Open();
  ASSERT_FALSE(q->Eof());
  EXPECT_EQ(q->FieldByName("K").AsString(), "X");
  EXPECT_EQ(q->FieldByName("ID").AsInteger(), 1);
  q->Next();
  EXPECT_TRUE(q->Eof());
}

// Numbers follow the host's decimal separator (a point, or the comma of a
// Brazilian host); dates keep their "/".
TEST_F(SQLDataSetTest, TextFormsOfEachColumnType) {
  for (const char vSeparator : {'.', ','}) {
    SCOPED_TRACE(std::string("separator ") + vSeparator);
    vHost.vDecimalSeparator = vSeparator;
    auto q = FQuery("select * from V where ID = :PID");
    q->PSetParam("PID", "1");
    q->Open();
    struct {
      const char* vColumn;
      std::string vText;
    } const cCases[] = {
        {"N", FDecimal("1234.5", vSeparator)}, {"N3", FDecimal("-12.345", vSeparator)},
        {"DP", FDecimal("0.1", vSeparator)},   {"I", "-42"},
        {"S", "7"},                            {"C", "ab    "},
        {"VC", "Caf\xE9"},                     {"D", "05/03/2024"},
    };
    for (const auto& c : cCases) EXPECT_EQ(q->FieldByName(c.vColumn).AsString(), c.vText) << c.vColumn;
  }
  vHost.vDecimalSeparator = '.';
  auto q = FQuery("select * from V where ID = :PID");
  q->PSetParam("PID", "1");
  q->Open();
  EXPECT_DOUBLE_EQ(q->FieldByName("N").AsFloat(), 1234.5);
  EXPECT_DOUBLE_EQ(q->FieldByName("N3").AsFloat(), -12.345);
  EXPECT_EQ(q->FieldByName("S").AsInteger(), 7);
  const port::TDateTime d = q->FieldByName("D").AsDateTime();
  EXPECT_EQ((std::vector<int>{d.vDay, d.vMonth, d.vYear}), (std::vector<int>{5, 3, 2024}));

  q->Close();
  q->PSetParam("PID", "3");
  q->Open();
  EXPECT_EQ(q->FieldByName("D").AsString(), "05/03/2024 14:07:31");
  EXPECT_EQ(q->FieldByName("DP").AsString(), "1E20");
}

TEST_F(SQLDataSetTest, NullReadsAsEmptyZeroAndDayZero) {
  auto q = FQuery("select * from V where ID = 2");
  q->Open();
  for (const char* vColumn : {"N", "N3", "DP", "I", "S", "C", "VC", "D"}) {
    const data::TField f = q->FieldByName(vColumn);
    EXPECT_TRUE(f.IsNull()) << vColumn;
    EXPECT_EQ(f.AsString(), "") << vColumn;
    EXPECT_EQ(f.AsFloat(), 0) << vColumn;
    const port::TDateTime d = f.AsDateTime();
    EXPECT_EQ((std::vector<int>{d.vDay, d.vMonth, d.vYear, d.vHour}), (std::vector<int>{30, 12, 1899, 0}));
    if (std::string(vColumn) != "D") {
      EXPECT_EQ(f.AsInteger(), 0) << vColumn;
    }
  }
}

TEST_F(SQLDataSetTest, ColumnsByNameOrAliasWithoutRegardToCase) {
  auto q = FQuery("select ID as Codigo, vc from V where ID = 1");
  q->Open();
  EXPECT_TRUE(q->FHasField("CODIGO"));
  EXPECT_TRUE(q->FHasField("Vc"));
  EXPECT_FALSE(q->FHasField("ID"));
  EXPECT_EQ(q->FieldByName("codigo").AsString(), "1");
  try {
    (void)q->FieldByName("Nope");
    FAIL() << "no error for a missing column";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'Nope' not found");
  }
}

TEST_F(SQLDataSetTest, ErrorsCarryTheDatabaseMessageAndStatement) {
  auto q = FQuery("select NOPE from V");
  try {
    q->Open();
    FAIL() << "no error for an unknown column";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("NOPE"), std::string::npos) << e.what();
    EXPECT_EQ(e.FStatement(), "select NOPE from V\n");
  }
  EXPECT_FALSE(q->FActive());
  // A failed statement leaves the connection usable.
  q->SQL.PSetText("select ID from V where ID = 1");
  q->Open();
  EXPECT_EQ(q->FieldByName("ID").AsInteger(), 1);
  // A text column that holds no number.
  EXPECT_THROW((void)FQuery("select VC from V where ID = 1")->FieldByName("VC"), EDatabaseError);
  auto t = FQuery("select VC from V where ID = 1");
  t->Open();
  EXPECT_THROW((void)t->FieldByName("VC").AsFloat(), EDatabaseError);
}

TEST_F(SQLDataSetTest, CloseNewTextAndReopen) {
  auto q = FQuery("select ID from V where ID = :PID");
  q->PSetParam("PID", "1");
  q->Open();
  EXPECT_EQ(q->FieldByName("ID").AsInteger(), 1);
  q->Close();
  q->SQL.Clear();
  q->SQL.Add("select VC from V");
  q->SQL.Add("where ID = :POutro");
  q->PSetParam("POutro", "2");
  q->Open();
  EXPECT_FALSE(q->IsEmpty());
  EXPECT_TRUE(q->FHasField("VC"));
  EXPECT_FALSE(q->FHasField("ID"));
  EXPECT_TRUE(q->FieldByName("VC").IsNull());
  // Changing the text of an open query closes it.
  q->SQL.PSetText("select ID from V where ID = 99");
  EXPECT_FALSE(q->FActive());
  q->Open();
  EXPECT_TRUE(q->IsEmpty());
  EXPECT_TRUE(q->Eof());
  EXPECT_TRUE(q->FieldByName("ID").IsNull());
}

TEST_F(SQLDataSetTest, CachedQueryHoldsAllRowsAfterOpen) {
  TSimpleDataSet s;
  s.PSetConnection(&vConnection);
  s.SQL.PSetText("select ID from V order by ID");
  s.Open();
  EXPECT_EQ(s.FRecordCount(), 3u);
  // The rows stay readable after the connection has gone away.
  vConnection.PClose();
  std::vector<int> vIds;
  for (; !s.Eof(); s.Next()) vIds.push_back(s.FieldByName("ID").AsInteger());
  EXPECT_EQ(vIds, (std::vector<int>{1, 2, 3}));
  s.Close();
  s.Open();  // reopening attaches again
  EXPECT_EQ(s.FRecordCount(), 3u);
}

TEST_F(SQLDataSetTest, UpdatesCommitOnTheirOwnAndMayMatchNothing) {
  auto u = FQuery("update V set VC = :PVC where ID = :PID");
  u->PSetParam("PVC", "novo");
  u->PSetParam("PID", "999");
  EXPECT_NO_THROW(u->ExecSQL());

  u->PSetParam("PID", "2");
  u->ExecSQL();
  // A second connection sees the change at once: it was committed.
  TSQLConnection vOther;
  vOther.PSetParam("Database", vDatabase->FPath());
  TSQLQuery r;
  r.PSetConnection(&vOther);
  r.SQL.Add("select VC from V where ID = 2");
  r.Open();
  EXPECT_EQ(r.FieldByName("VC").AsString(), "novo");
  r.Close();

  u->SQL.PSetText("update V set VC = null where ID = 2");
  u->ExecSQL();
  // An unset parameter is sent as NULL.
  auto n = FQuery("select count(*) as C from V where VC = :PNada");
  n->Open();
  EXPECT_EQ(n->FieldByName("C").AsInteger(), 0);
}

TEST(SQLDataSetDialect3, ScaledIntegersAndPlainDates) {
  testsupport::TTempDatabase vDatabase(
      "CREATE TABLE T (N NUMERIC(15,2), B BIGINT, D DATE, TM TIME);\n"
      "INSERT INTO T VALUES (-0.05, -9223372036854775808, '2024-12-31', '08:09:10');\n",
      3);
  TSQLConnection vConnection;
  vConnection.PSetParam("Database", vDatabase.FPath());
  TSQLQuery q;
  q.PSetConnection(&vConnection);
  q.SQL.Add("select N, B, D, TM from T");
  q.Open();
  EXPECT_EQ(vConnection.FDialect(), 3);
  EXPECT_EQ(q.FieldByName("N").AsString(), FDecimal("-0.05", vConnection.FDecimalSeparator()));
  EXPECT_DOUBLE_EQ(q.FieldByName("N").AsFloat(), -0.05);
  EXPECT_EQ(q.FieldByName("B").AsString(), "-9223372036854775808");
  EXPECT_THROW((void)q.FieldByName("B").AsInteger(), EDatabaseError);
  EXPECT_EQ(q.FieldByName("D").AsString(), "31/12/2024");
  EXPECT_EQ(q.FieldByName("TM").AsString(), "08:09:10");
}

}  // namespace
