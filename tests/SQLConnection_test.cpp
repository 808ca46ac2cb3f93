// The connection: deferred opening, a database that is not there, a row
// locked by another transaction, a database reached through a Firebird
// server started for the test, prepared statements kept and shared, the
// end of a request, and a connection lost to a server that restarted or
// froze.
#include "data/SQLConnection.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <functional>

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

// Reads the status of order 00000001 with a query object of its own.
std::string FStatus(TSQLConnection& pConnection) {
  TSQLQuery q;
  q.PSetConnection(&pConnection);
  q.SQL.Add("select STATUSPEDIDO from PEDIDOC where CODPEDIDO = :PCodPedido");
  q.PSetParam("PCodPedido", "00000001");
  q.Open();
  return q.FieldByName("STATUSPEDIDO").AsString();
}

void PSetStatus(TSQLConnection& pConnection, const std::string& pStatus) {
  TSQLQuery q;
  q.PSetConnection(&pConnection);
  q.SQL.Add("update PEDIDOC set STATUSPEDIDO = :PStatus where CODPEDIDO = '00000001'");
  q.PSetParam("PStatus", pStatus);
  q.ExecSQL();
}

// The error a step raises, or a test failure when it raises none.
EDatabaseError FError(const std::function<void()>& pStep) {
  try {
    pStep();
  } catch (const EDatabaseError& e) {
    return e;
  }
  ADD_FAILURE() << "no error";
  return EDatabaseError("none");
}

TEST(SQLConnection, PreparedStatementsAreKeptAndShared) {
  testsupport::TTempDatabase vDatabase(std::string(cSchema) +
                                       "ALTER TABLE PEDIDOC ADD CONSTRAINT CK CHECK (STATUSPEDIDO <> 'XX');\n");
  TSQLConnection c;
  c.PSetParam("Database", vDatabase.FPath());
  // Each query object is new; the text is prepared once and reused.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(FStatus(c), "01");
  EXPECT_EQ(c.FPreparedCount(), 1u);
  PSetStatus(c, "02");
  PSetStatus(c, "01");
  EXPECT_EQ(c.FPreparedCount(), 2u);

  // A text in use by an open cursor is prepared a second time for a query
  // read inside it; both are kept.
  TSQLQuery vOuter;
  vOuter.PSetConnection(&c);
  vOuter.SQL.Add("select STATUSPEDIDO from PEDIDOC where CODPEDIDO = :PCodPedido");
  vOuter.PSetParam("PCodPedido", "00000001");
  vOuter.Open();
  EXPECT_EQ(c.FPreparedCount(), 1u) << "the outer query holds its statement";
  EXPECT_EQ(FStatus(c), "01");
  EXPECT_EQ(vOuter.FieldByName("STATUSPEDIDO").AsString(), "01");
  vOuter.Close();
  EXPECT_EQ(c.FPreparedCount(), 3u);

  // A statement the database refuses at run time is dropped, and prepared
  // again on its next use; one it refuses to prepare is never kept.
  const EDatabaseError vCheck = FError([&] { PSetStatus(c, "XX"); });
  EXPECT_FALSE(vCheck.FConnectionLost()) << vCheck.what();
  EXPECT_NE(vCheck.FErrorCode(), 0);
  EXPECT_EQ(c.FPreparedCount(), 2u);
  PSetStatus(c, "03");
  EXPECT_EQ(FStatus(c), "03");
  EXPECT_EQ(c.FPreparedCount(), 3u);
  const EDatabaseError vUnknown = FError([&] {
    TSQLQuery q;
    q.PSetConnection(&c);
    q.SQL.Add("select X from NOSUCHTABLE");
    q.Open();
  });
  EXPECT_FALSE(vUnknown.FConnectionLost());
  EXPECT_EQ(vUnknown.FStatement(), "select X from NOSUCHTABLE\n");
  EXPECT_EQ(c.FPreparedCount(), 3u);
  EXPECT_TRUE(c.FConnected());

  // Detaching lets go of them all.
  c.PClose();
  EXPECT_EQ(c.FPreparedCount(), 0u);
  EXPECT_EQ(FStatus(c), "03");
}

TEST(SQLConnection, EndOfRequestLeavesNoTransactionOpen) {
  testsupport::TTempDatabase vDatabase(cSchema);
  TSQLConnection vHolder;
  vHolder.PSetParam("Database", vDatabase.FPath());
  TSQLQuery vLock;
  vLock.PSetConnection(&vHolder);
  vLock.SQL.Add("select CODPEDIDO from PEDIDOC where CODPEDIDO = '00000001' with lock");
  vLock.Open();
  ASSERT_FALSE(vLock.Eof());
  vHolder.PEndRequest();
  EXPECT_FALSE(vLock.FActive()) << "a forward-only query loses its cursor";
  EXPECT_TRUE(vHolder.FConnected());
  EXPECT_EQ(vHolder.FPreparedCount(), 1u);

  // The row lock went with the transaction: another connection updates at
  // once instead of waiting out the lock bound.
  TSQLConnection c;
  c.PSetParam("Database", vDatabase.FPath());
  const auto vStart = std::chrono::steady_clock::now();
  PSetStatus(c, "02");
  EXPECT_LT(std::chrono::steady_clock::now() - vStart, std::chrono::seconds(2));
  EXPECT_EQ(FStatus(vHolder), "02");
}

class SQLConnectionServer : public ::testing::Test {
 protected:
  void SetUp() override {
    c.PSetParam("Database", vServer.FDatabaseSpec(vDatabase.FPath()));
    c.PSetParam("User_Name", "SYSDBA");
    c.PSetParam("PassWord", "masterkey");
    ASSERT_EQ(FStatus(c), "01");
  }

  testsupport::TTempDatabase vDatabase{cSchema};
  testsupport::TFirebirdServer vServer;
  TSQLConnection c;
};

// The server restarts while the connection is idle: the first statement
// finds the connection lost, and the next one attaches again by itself.
TEST_F(SQLConnectionServer, RestartWhileIdleIsALostConnection) {
  struct {
    const char* vName;
    std::function<void()> vStep;
  } const cSteps[] = {
      {"select", [&] { (void)FStatus(c); }},
      {"update", [&] { PSetStatus(c, "02"); }},
  };
  for (const auto& s : cSteps) {
    vServer.PRestart();
    const EDatabaseError vLost = FError(s.vStep);
    EXPECT_TRUE(vLost.FConnectionLost()) << s.vName << ": " << vLost.FErrorCode() << " " << vLost.what();
    EXPECT_FALSE(c.FConnected()) << s.vName;
    s.vStep();
    EXPECT_TRUE(c.FConnected()) << s.vName;
  }
  EXPECT_EQ(FStatus(c), "02");

  // Dropping the lost connection by hand does the same.
  vServer.PRestart();
  EXPECT_TRUE(FError([&] { (void)FStatus(c); }).FConnectionLost());
  c.PDropLostConnection();
  EXPECT_EQ(c.FPreparedCount(), 0u);
  EXPECT_EQ(FStatus(c), "02");
  EXPECT_EQ(c.FPreparedCount(), 1u);
}

// Between the requests of a persistent process (PEndRequest), the server
// restarts: the first statement of the next request finds the connection
// lost, attaches again and runs once more, so the caller sees nothing.
// Within a request (no PEndRequest between) a lost connection still
// reaches the caller, as above.
TEST_F(SQLConnectionServer, RestartBetweenRequestsIsNotSeen) {
  struct {
    const char* vName;
    std::function<void()> vStep;
  } const cSteps[] = {
      {"select", [&] { EXPECT_EQ(FStatus(c), "01"); }},
      {"update", [&] { PSetStatus(c, "02"); }},
      {"select after the update", [&] { EXPECT_EQ(FStatus(c), "02"); }},
  };
  for (const auto& s : cSteps) {
    SCOPED_TRACE(s.vName);
    c.PEndRequest();
    vServer.PRestart();
    EXPECT_NO_THROW(s.vStep());
    EXPECT_TRUE(c.FConnected());
  }
  // Twice in a row: the second restart, inside the same request, is seen.
  c.PEndRequest();
  vServer.PRestart();
  (void)FStatus(c);
  vServer.PRestart();
  EXPECT_TRUE(FError([&] { (void)FStatus(c); }).FConnectionLost());
}

// A server that stops answering in the middle of a request: the call is cut
// off at its bound and the connection counts as lost; once the server
// answers again, the next statement attaches again.
TEST_F(SQLConnectionServer, FrozenServerIsCutOffAsALostConnection) {
  ASSERT_EQ(kill(vServer.FPid(), SIGSTOP), 0);
  const auto vStart = std::chrono::steady_clock::now();
  const EDatabaseError vCut = FError([&] { (void)FStatus(c); });
  const auto vElapsed = std::chrono::steady_clock::now() - vStart;
  kill(vServer.FPid(), SIGCONT);
  EXPECT_TRUE(vCut.FConnectionLost()) << vCut.FErrorCode() << " " << vCut.what();
  EXPECT_GE(vElapsed, std::chrono::seconds(7));
  EXPECT_LT(vElapsed, std::chrono::seconds(12));
  EXPECT_EQ(FStatus(c), "01");
}

TEST_F(SQLConnectionServer, OtherErrorsKeepTheConnection) {
  // A wrong password and a database that is not there fail to attach; an
  // unknown table fails to prepare. None is a lost connection.
  for (const std::string& vPassword : {std::string("wrong")}) {
    TSQLConnection vWrong;
    vWrong.PSetParam("Database", vServer.FDatabaseSpec(vDatabase.FPath()));
    vWrong.PSetParam("User_Name", "SYSDBA");
    vWrong.PSetParam("PassWord", vPassword);
    EXPECT_FALSE(FError([&] { vWrong.POpen(); }).FConnectionLost());
  }
  // Neither is a server that cannot be reached at all: the connection
  // never was.
  for (const std::string& vDatabase :
       {vServer.FDatabaseSpec("/nonexistent/velmora.fdb"), std::string("localhost/1:/x.fdb")}) {
    TSQLConnection vMissing;
    vMissing.PSetParam("Database", vDatabase);
    vMissing.PSetParam("User_Name", "SYSDBA");
    vMissing.PSetParam("PassWord", "masterkey");
    const EDatabaseError vError = FError([&] { vMissing.POpen(); });
    EXPECT_FALSE(vError.FConnectionLost()) << vDatabase << ": " << vError.what();
    EXPECT_NE(vError.FErrorCode(), 0) << vDatabase;
  }
  EXPECT_FALSE(FError([&] {
                 TSQLQuery q;
                 q.PSetConnection(&c);
                 q.SQL.Add("select 1 from NOSUCHTABLE");
                 q.Open();
               }).FConnectionLost());
  EXPECT_TRUE(c.FConnected());
  EXPECT_EQ(FStatus(c), "01");
}

}  // namespace
