// The package's persistent-mode configurations (deploy/) under the real
// servers: lighttpd's mod_fastcgi starting the workers itself (bin-path),
// nginx passing to workers that spawn-fcgi started (as the snippet's
// header says), Apache httpd with mod_fcgid. Each server is started on
// 127.0.0.1 with the shipped file, the build tree's paths filled in, in
// front of its own copy of the executable and its own demo database.
//
// Through each, PHP's SoapClient in WSDL mode must get exactly what it gets
// from the CGI deployment under lighttpd; requests sent at once must be
// served by two workers, each answering the CGI's bytes; nothing but the
// executable may be served; and stopping the server (or the workers) must
// end every worker with its finish banner in the trace log. Through a
// Firebird server, each worker keeps one connection and connects again
// after the server was restarted.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/ApacheFixture.h"
#include "e2e/LighttpdFixture.h"
#include "e2e/NginxFixture.h"
#include "e2e/ProcessRunner.h"
#include "e2e/ServerProcess.h"
#include "e2e/WebSite.h"

namespace {

using e2e::FPhpClients;
using e2e::PCheckNothingElseIsServed;
using e2e::TSite;

constexpr const char* cItemsAction = "\"urn:VelmoraIntf-IVelmora#FRetornaPedidoItem\"";
constexpr const char* cStartBanner = "**** Log iniciado ****";
constexpr const char* cFinishBanner = "**** Log finalizado ****";


// What the trace log says of each process that wrote to it, by the process
// id every line carries in its third field (a worker's requests run on its
// main thread, whose id is the process id).
struct TWorkerTrace {
  int vStarts = 0;
  int vFinishes = 0;
  int vItemCalls = 0;  // FRetornaPedidoItem entered
};

std::map<pid_t, TWorkerTrace> FWorkersOf(const std::string& pTrace) {
  std::map<pid_t, TWorkerTrace> vWorkers;
  std::istringstream vLines(pTrace);
  for (std::string vLine; std::getline(vLines, vLine);) {
    // A message of several lines continues without the fields.
    if (vLine.size() < 29 || vLine[4] != '-' || vLine[19] != ' ' || vLine[28] != ' ') continue;
    const std::string vId = vLine.substr(20, 8);
    if (vId.find_first_not_of("0123456789ABCDEF") != std::string::npos) continue;
    TWorkerTrace& vWorker = vWorkers[static_cast<pid_t>(std::stoul(vId, nullptr, 16))];
    if (vLine.find(cStartBanner) != std::string::npos) ++vWorker.vStarts;
    if (vLine.find(cFinishBanner) != std::string::npos) ++vWorker.vFinishes;
    if (vLine.find("Entrando no procedimento: FRetornaPedidoItem") != std::string::npos) ++vWorker.vItemCalls;
  }
  return vWorkers;
}

// The connections to a database on a Firebird server, other than the
// one asking and the server's own.
int FUserAttachments(const std::string& pDatabaseSpec) {
  const e2e::TTempDir vWork;
  const std::string vOutput = testsupport::FRunIsql(
      e2e::FFirebirdRoot(),
      "CONNECT '" + pDatabaseSpec + "' USER 'SYSDBA' PASSWORD 'masterkey';\nSET LIST ON;\n"
      "SELECT COUNT(*) AS ATTACHMENTS FROM MON$ATTACHMENTS "
      "WHERE MON$SYSTEM_FLAG = 0 AND MON$ATTACHMENT_ID <> CURRENT_CONNECTION;\n",
      vWork.FPath());
  const std::size_t vAt = vOutput.find("ATTACHMENTS");
  return vAt == std::string::npos ? -1 : std::stoi(vOutput.substr(vAt + 11));
}


e2e::THttpResult FItemsCall(const std::string& pBaseUrl) {
  return e2e::FHttpPost(pBaseUrl + "/soap/IVelmora", "text/xml; charset=utf-8", cItemsAction,
                        e2e::FSoapCall("FRetornaPedidoItem", e2e::cDemoKey));
}

class WebServersFastCGI : public ::testing::Test {
 protected:
  // The CGI deployment under lighttpd gives the documents every persistent
  // deployment must give byte for byte.
  static void SetUpTestSuite() {
    sReferenceSite = std::make_unique<TSite>();
    if (!sReferenceSite->FCreate()) return;
    sReferenceServer = std::make_unique<e2e::TLighttpd>(sReferenceSite->FExe(), e2e::FFirebirdRoot(),
                                                        sReferenceSite->FPaths().vLockDir);
    sReference = FPhpClients(sReferenceServer->FBaseUrl());
    sReferenceItems = FItemsCall(sReferenceServer->FBaseUrl());
  }
  static void TearDownTestSuite() {
    sReferenceServer.reset();
    sReferenceSite.reset();
  }
  void SetUp() override {
    if (!sReferenceServer) GTEST_SKIP() << "scripts/demo-db.sh is missing";
    ASSERT_EQ(sReference.vExitCode, 0) << "PHP through lighttpd's CGI: " << sReference.vStdout << sReference.vStderr
                                       << sReferenceServer->FErrorLog();
    ASSERT_EQ(sReferenceItems.vStatus, 200) << sReferenceItems.vError;
    ASSERT_NE(sReferenceItems.vBody.find("&lt;ListaItem&gt;"), std::string::npos) << sReferenceItems.vBody;
  }

  // What every persistent deployment must do while it runs. pChunkedStatus
  // is the status a request with a chunked body gets: 200 where the server
  // passes its length on, 411 where the configuration refuses it.
  static void PCheckServer(const std::string& pBaseUrl, const TSite& pSite, int pChunkedStatus,
                           bool pWorkersAsServerUser, const std::function<std::string()>& pServerLog) {
    const std::string vTrace = e2e::FCheckServedAsTheReference(pBaseUrl, pSite, sReference.vStdout, pServerLog);
    PCheckTwoWorkersServe(pBaseUrl, pSite, pWorkersAsServerUser, pServerLog);

    const e2e::THttpResult vChunked = e2e::FChunkedCall(pBaseUrl, "FRetornaPedidoItem");
    EXPECT_EQ(vChunked.vStatus, pChunkedStatus) << vChunked.vHeaders << vChunked.vError << pServerLog();
    if (pChunkedStatus == 200) {
      EXPECT_EQ(vChunked.vBody, sReferenceItems.vBody);
    }

    // Refused by the server, never handed to a worker as an empty body.
    const e2e::THttpResult vBig = e2e::FHttpPost(pBaseUrl + "/soap/IVelmora", "text/xml", cItemsAction,
                                                 std::string(1024 * 1024 + 1, 'x'));
    EXPECT_EQ(vBig.vStatus, 413) << vBig.vHeaders << vBig.vBody << vBig.vError;

    PCheckNothingElseIsServed(pBaseUrl.substr(0, pBaseUrl.size() - std::string("/velmora.cgi").size()), vTrace);
  }

  // Calls sent four at a time keep one worker busy while the next call
  // comes: two workers answer, each with the CGI's bytes. A process manager
  // that starts its second worker on demand (mod_fcgid) gets a few rounds.
  // Only calls logged from pLogFrom on (an offset in the trace log) count.
  static void PCheckTwoWorkersServe(const std::string& pBaseUrl, const TSite& pSite, bool pWorkersAsServerUser,
                                    const std::function<std::string()>& pServerLog, std::size_t pLogFrom = 0) {
    std::set<pid_t> vServing;
    for (int vRound = 0; vRound < 5 && vServing.size() < 2; ++vRound) {
      std::vector<std::future<std::vector<e2e::THttpResult>>> vClients;
      for (int vClient = 0; vClient < 4; ++vClient) {
        vClients.push_back(std::async(std::launch::async, [&pBaseUrl] {
          std::vector<e2e::THttpResult> vAnswers;
          for (int vCall = 0; vCall < 6; ++vCall) vAnswers.push_back(FItemsCall(pBaseUrl));
          return vAnswers;
        }));
      }
      for (auto& vClient : vClients) {
        for (const e2e::THttpResult& vAnswer : vClient.get()) {
          EXPECT_EQ(vAnswer.vStatus, 200) << vAnswer.vError << pServerLog();
          EXPECT_EQ(vAnswer.vBody, sReferenceItems.vBody);
        }
      }
      vServing.clear();
      for (const auto& [vPid, vWorker] : FWorkersOf(pSite.FTraceLog().substr(pLogFrom))) {
        if (vWorker.vItemCalls > 0) vServing.insert(vPid);
      }
    }
    EXPECT_EQ(vServing.size(), 2u) << "process ids serving calls in the trace log:\n"
                                   << pSite.FTraceLog() << pServerLog();

    // Started by root, the workers run as the web servers' user wherever
    // the server hands its processes to that user.
    const std::string vUser = e2e::FServerUser();
    if (vUser.empty() || !pWorkersAsServerUser) return;
    const passwd* vEntry = getpwnam(vUser.c_str());
    ASSERT_NE(vEntry, nullptr);
    for (const pid_t vPid : vServing) {
      const std::string vStatus = e2e::FReadFile("/proc/" + std::to_string(vPid) + "/status");
      const std::size_t vUid = vStatus.find("\nUid:");
      ASSERT_NE(vUid, std::string::npos) << "worker " << vPid << " is gone";
      EXPECT_EQ(std::stoul(vStatus.substr(vUid + 5)), vEntry->pw_uid) << "worker " << vPid;
    }
  }

  // After the stop every worker that started has ended, each with its
  // finish banner; the banners may follow the server's own end by a moment.
  static void PCheckEveryWorkerFinished(const TSite& pSite, const std::function<std::string()>& pServerLog) {
    std::map<pid_t, TWorkerTrace> vWorkers;
    const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const auto FAllFinished = [&vWorkers] {
      for (const auto& [vPid, vWorker] : vWorkers) {
        if (vWorker.vStarts != vWorker.vFinishes || !e2e::FProcessGone(vPid)) return false;
      }
      return true;
    };
    do {
      vWorkers = FWorkersOf(pSite.FTraceLog());
      if (FAllFinished()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < vDeadline);

    EXPECT_GE(vWorkers.size(), 2u) << pSite.FTraceLog();
    for (const auto& [vPid, vWorker] : vWorkers) {
      EXPECT_EQ(vWorker.vStarts, 1) << "worker " << vPid;
      EXPECT_EQ(vWorker.vFinishes, 1) << "worker " << vPid << " has no finish banner\n" << pServerLog();
      EXPECT_TRUE(e2e::FProcessGone(vPid)) << "worker " << vPid << " is still running";
    }
  }

  static inline std::unique_ptr<TSite> sReferenceSite;
  static inline std::unique_ptr<e2e::TLighttpd> sReferenceServer;
  static inline e2e::TProcessResult sReference;
  static inline e2e::THttpResult sReferenceItems;
};

TEST_F(WebServersFastCGI, LighttpdStartingItsWorkers) {
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate());
  e2e::TLighttpd vServer(vSite.FExe(), e2e::FFirebirdRoot(), vSite.FPaths().vLockDir, e2e::TLighttpd::TMode::cFastCGI);
  const auto FServerLog = [&vServer] { return vServer.FErrorLog(); };
  // lighttpd reads a chunked body whole and passes its length on.
  PCheckServer(vServer.FBaseUrl(), vSite, 200, false, FServerLog);
  vServer.PStop();
  PCheckEveryWorkerFinished(vSite, FServerLog);
}

// Through a Firebird server each of the two workers keeps one connection
// from call to call. A restart of the server cuts both; the next calls are
// answered as before by the same two workers, each connected again.
TEST_F(WebServersFastCGI, LighttpdWorkersThroughARestartedFirebirdServer) {
  testsupport::TFirebirdServer vDatabaseServer;
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate(&vDatabaseServer));
  e2e::TLighttpd vServer(vSite.FExe(), e2e::FFirebirdRoot(), vSite.FPaths().vLockDir, e2e::TLighttpd::TMode::cFastCGI);
  const auto FServerLog = [&vServer] { return vServer.FErrorLog(); };

  const e2e::TProcessResult vPhp = FPhpClients(vServer.FBaseUrl());
  EXPECT_EQ(vPhp.vExitCode, 0) << vPhp.vStderr << FServerLog();
  EXPECT_EQ(vPhp.vStdout, sReference.vStdout);
  PCheckTwoWorkersServe(vServer.FBaseUrl(), vSite, false, FServerLog);
  EXPECT_EQ(FUserAttachments(vSite.FDatabase()), 2);

  vDatabaseServer.PRestart();
  EXPECT_EQ(FUserAttachments(vSite.FDatabase()), 0);
  PCheckTwoWorkersServe(vServer.FBaseUrl(), vSite, false, FServerLog, vSite.FTraceLog().size());
  EXPECT_EQ(FUserAttachments(vSite.FDatabase()), 2);
  EXPECT_EQ(FWorkersOf(vSite.FTraceLog()).size(), 2u) << "no worker was replaced\n" << vSite.FTraceLog();

  vServer.PStop();
  PCheckEveryWorkerFinished(vSite, FServerLog);
}

TEST_F(WebServersFastCGI, NginxWithSpawnFcgiWorkers) {
  if (const std::string vMissing = e2e::TNginx::FMissing(); !vMissing.empty()) GTEST_SKIP() << vMissing;
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate());
  vSite.PGrantToServerUser();
  e2e::TNginx vServer(vSite.FPaths(), e2e::TNginx::TMode::cFastCGIWorkers);
  const auto FServerLog = [&vServer] { return vServer.FErrorLog(); };
  PCheckServer(vServer.FBaseUrl(), vSite, 200, true, FServerLog);
  // The workers spawn-fcgi started are the two that served.
  std::set<pid_t> vServed;
  for (const auto& [vPid, vWorker] : FWorkersOf(vSite.FTraceLog())) {
    if (vWorker.vItemCalls > 0) vServed.insert(vPid);
  }
  EXPECT_EQ(vServed, std::set<pid_t>(vServer.FWorkers().begin(), vServer.FWorkers().end()));
  EXPECT_TRUE(vServer.FStopWorkers()) << FServerLog();
  PCheckEveryWorkerFinished(vSite, FServerLog);
}

TEST_F(WebServersFastCGI, ApacheWithFcgid) {
  if (const std::string vMissing = e2e::TApache::FMissing(e2e::TApache::TMode::cEventFcgid); !vMissing.empty()) {
    GTEST_SKIP() << vMissing;
  }
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate());
  vSite.PGrantToServerUser();
  e2e::TApache vServer(vSite.FPaths(), e2e::TApache::TMode::cEventFcgid);
  const auto FServerLog = [&vServer] { return vServer.FErrorLog(); };
  // A chunked body is refused, as under mod_cgid.
  PCheckServer(vServer.FBaseUrl(), vSite, 411, true, FServerLog);
  EXPECT_TRUE(vServer.FTerminate()) << FServerLog();
  PCheckEveryWorkerFinished(vSite, FServerLog);
}

}  // namespace
