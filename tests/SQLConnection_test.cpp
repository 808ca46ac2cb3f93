// The connection: deferred opening, a database that is not there, a row
// locked by another transaction, and a database reached through a Firebird
// server started for the test.
#include "data/SQLConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "data/SQLQuery.h"
#include "support/FirebirdFixture.h"

namespace {

using data::EDatabaseError;
using data::TSQLConnection;
using data::TSQLQuery;

const char* const cSchema =
    "CREATE TABLE PEDIDOC (CODPEDIDO CHAR(8) NOT NULL, STATUSPEDIDO CHAR(2));\n"
    "INSERT INTO PEDIDOC VALUES ('00000001', '01');\n";

TEST(SQLConnection, ParametersLeaveOutEmptyValues) {
  TSQLConnection c;
  c.PSetParam("Database", "/x.fdb");
  c.PSetParam("User_Name", "");
  c.PSetParam("PassWord", "segredo");
  c.PSetParam("password", "outro");
  EXPECT_EQ(c.FParams(), (std::vector<std::pair<std::string, std::string>>{{"Database", "/x.fdb"},
                                                                           {"PassWord", "outro"}}));
  c.PSetParam("DATABASE", "");
  EXPECT_FALSE(c.FHasParam("Database"));
  c.PSetDriverName("InterBase");
  EXPECT_TRUE(c.FParams().empty());
}

TEST(SQLConnection, FirstStatementOpensTheConnection) {
  testsupport::TTempDatabase vDatabase(cSchema);
  TSQLConnection c;
  c.PSetParam("Database", vDatabase.FPath());
  TSQLQuery q;
  q.PSetConnection(&c);
  q.SQL.Add("select STATUSPEDIDO from PEDIDOC");
  EXPECT_FALSE(c.FConnected());
  q.Open();
  EXPECT_TRUE(c.FConnected());
  EXPECT_EQ(c.FDialect(), 1);
  EXPECT_EQ(q.FieldByName("STATUSPEDIDO").AsString(), "01");
  // Detaching releases the query's statement; the query attaches again.
  c.PClose();
  EXPECT_FALSE(c.FConnected());
  EXPECT_FALSE(q.FActive());
  q.Open();
  EXPECT_EQ(q.FieldByName("STATUSPEDIDO").AsString(), "01");
}

TEST(SQLConnection, MissingDatabaseRaisesOnEveryAttempt) {
  testsupport::PUseFirebirdRoot();
  testsupport::TTempDir vDir;
  const std::string vGarbage = vDir.FPath() + "/garbage.fdb";
  std::FILE* f = std::fopen(vGarbage.c_str(), "wb");
  std::fputs("this is no database", f);
  std::fclose(f);
  // No file, no name, a file that is no database, a server that is not there.
  for (const std::string& vDatabase :
       {std::string("/nonexistent/dir/none.fdb"), std::string(), vGarbage, std::string("localhost/1:/x.fdb")}) {
    TSQLConnection c;
    c.PSetParam("Database", vDatabase);
    TSQLQuery q;
    q.PSetConnection(&c);
    q.SQL.Add("select 1 from rdb$database");
    for (int vAttempt = 0; vAttempt < 2; ++vAttempt) {
      try {
        q.Open();
        FAIL() << "opened " << vDatabase;
      } catch (const EDatabaseError& e) {
        EXPECT_STRNE(e.what(), "") << vDatabase;
      }
      EXPECT_FALSE(c.FConnected());
      EXPECT_FALSE(q.FActive());
    }
    EXPECT_THROW(q.ExecSQL(), EDatabaseError);
  }
}

TEST(SQLConnection, LockedRowFailsWithinTheLockTimeout) {
  testsupport::TTempDatabase vDatabase(cSchema);
  // The first connection holds the row: its cursor, and so its
  // transaction, stays open while rows are left to read.
  TSQLConnection vHolder;
  vHolder.PSetParam("Database", vDatabase.FPath());
  TSQLQuery vLock;
  vLock.PSetConnection(&vHolder);
  vLock.SQL.Add("select CODPEDIDO from PEDIDOC where CODPEDIDO = '00000001' with lock");
  vLock.Open();
  ASSERT_FALSE(vLock.Eof());

  TSQLConnection c;
  c.PSetParam("Database", vDatabase.FPath());
  TSQLQuery u;
  u.PSetConnection(&c);
  u.SQL.Add("update PEDIDOC set STATUSPEDIDO = \"00\" where CODPEDIDO = :PCodPedido");
  u.PSetParam("PCodPedido", "00000001");
  const auto vStart = std::chrono::steady_clock::now();
  std::string vMessage;
  try {
    u.ExecSQL();
  } catch (const EDatabaseError& e) {
    vMessage = e.what();
  }
  EXPECT_NE(vMessage.find("lock"), std::string::npos) << vMessage;
  const auto vElapsed = std::chrono::steady_clock::now() - vStart;
  EXPECT_LT(vElapsed, std::chrono::seconds(8));

  // Once the holder lets go, the update goes through.
  vLock.Close();
  EXPECT_NO_THROW(u.ExecSQL());
}

TEST(SQLConnection, ThroughALocalServer) {
  testsupport::TTempDatabase vDatabase(cSchema);
  testsupport::TFirebirdServer vServer;
  TSQLConnection c;
  c.PSetParam("Database", vServer.FDatabaseSpec(vDatabase.FPath()));
  c.PSetParam("User_Name", "SYSDBA");
  c.PSetParam("PassWord", "masterkey");
  TSQLQuery q;
  q.PSetConnection(&c);
  q.SQL.Add("update PEDIDOC set STATUSPEDIDO = \"02\" where CODPEDIDO = :PCodPedido");
  q.PSetParam("PCodPedido", "00000001");
  q.ExecSQL();
  q.SQL.PSetText("select STATUSPEDIDO from PEDIDOC where CODPEDIDO = :PCodPedido");
  q.PSetParam("PCodPedido", "00000001");
  q.Open();
  EXPECT_EQ(q.FieldByName("STATUSPEDIDO").AsString(), "02");
  EXPECT_EQ(c.FDialect(), 1);
  q.Close();
  c.PClose();

  TSQLConnection vWrong;
  vWrong.PSetParam("Database", vServer.FDatabaseSpec(vDatabase.FPath()));
  vWrong.PSetParam("User_Name", "SYSDBA");
  vWrong.PSetParam("PassWord", "wrong");
  EXPECT_THROW(vWrong.POpen(), EDatabaseError);
}

}  // namespace
