// The trace log against the in-memory env (exact bytes, switch rules,
// retries) and against real files (exception listings, several processes
// writing one file at once).
#include "tracelog/LogNFe.h"

#include <gtest/gtest.h>

#include "support/FirebirdFixture.h"
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

#include "port/Env.h"
#include "port/ForwardingEnv.h"
#include "port/Exception.h"
#include "port/MemEnv.h"

namespace {

const std::string cFile = "/opt/velmora/log/Logvelmora20240305.txt";
const std::string cPrefix = "2024-03-05 14:07:31 00001A2B ";
const std::string cStart =
    cPrefix + "INFO   : [TLog                            ] **** Log iniciado ****\r\n";
const std::string cFinish =
    cPrefix + "INFO   : [TLog                            ] **** Log finalizado ****\r\n";

std::vector<std::string> FSplitLines(const std::string& pText) {
  std::vector<std::string> vLines;
  std::size_t vPos = 0;
  while (vPos < pText.size()) {
    const auto vEnd = pText.find("\r\n", vPos);
    if (vEnd == std::string::npos) {
      vLines.push_back(pText.substr(vPos) + "<no CR LF>");
      break;
    }
    vLines.push_back(pText.substr(vPos, vEnd - vPos));
    vPos = vEnd + 2;
  }
  return vLines;
}

// The real operating system, but with the executable placed in a temp
// directory, so that the log lands there.
class TEnvInDir final : public port::TForwardingEnv {
 public:
  explicit TEnvInDir(std::string pExePath) : TForwardingEnv(port::FDefaultEnv()), vExePath(std::move(pExePath)) {}
  std::string FExePath() override { return vExePath; }
  void PHoldTermination() override {}

 private:
  std::string vExePath;
};

using testsupport::TTempDir;

TEST(LogNFe, WritesFileNameLineLayoutAndBanners) {
  port::TMemEnv vEnv;
  {
    tracelog::TLog vLog(vEnv, "", "S");
    EXPECT_EQ(vLog.FFileName(), cFile);
    EXPECT_TRUE(vEnv.FIsDirectory("/opt/velmora/log"));
    vEnv.vNow.vDay = 6;  // past midnight: still the file of the day it started
    vEnv.vNow.vHour = 0;
    vEnv.vNow.vMinute = 2;
    vEnv.vNow.vSecond = 9;
    vEnv.vThreadId = 0xA1C;
    vLog.Info("TFireBird", "Entrando no procedimento: FRetornaColConvenios");
    vLog.Erro(nullptr, "falhou");
    vEnv.vNow.vDay = 5;
    vEnv.vNow.vHour = 14;
    vEnv.vNow.vMinute = 7;
    vEnv.vNow.vSecond = 31;
    vEnv.vThreadId = 0x1A2B;
  }
  EXPECT_EQ(vEnv.FFile(cFile),
            cStart +
                "2024-03-06 00:02:09 00000A1C INFO   : [TFireBird                       ] "
                "Entrando no procedimento: FRetornaColConvenios\r\n"
                "2024-03-06 00:02:09 00000A1C ERRO   : [*] falhou\r\n" +
                cFinish);
}

// A process that serves many requests (the FastCGI worker) runs past
// midnight: each line goes into the file of its own day, banners included.
TEST(LogNFe, ADailyFileLogWritesEachLineIntoTheFileOfItsDay) {
  port::TMemEnv vEnv;
  {
    tracelog::TLog vLog(vEnv, "", "S");
    vLog.PSetDailyFile(true);
    vEnv.vNow.vHour = 23;
    vEnv.vNow.vMinute = 59;
    vEnv.vNow.vSecond = 59;
    vLog.Info(nullptr, "antes");
    vEnv.vNow.vDay = 6;
    vEnv.vNow.vHour = 0;
    vEnv.vNow.vMinute = 0;
    vEnv.vNow.vSecond = 1;
    vLog.Info(nullptr, "depois");
    EXPECT_EQ(vLog.FFileName(), cFile) << "the file of the day it was created";
  }
  EXPECT_EQ(vEnv.FFile(cFile), cStart + "2024-03-05 23:59:59 00001A2B INFO   : [*] antes\r\n");
  EXPECT_EQ(vEnv.FFile("/opt/velmora/log/Logvelmora20240306.txt"),
            "2024-03-06 00:00:01 00001A2B INFO   : [*] depois\r\n"
            "2024-03-06 00:00:01 00001A2B INFO   : [TLog                            ] **** Log finalizado ****\r\n");
}

// The long-lived log keeps its file open between lines, and opens it anew
// when the file went away meanwhile (removed by hand, say): no line is lost.
TEST(LogNFe, ADailyFileLogKeepsItsFileOpenAndReopensARemovedOne) {
  port::TMemEnv vEnv;
  {
    tracelog::TLog vLog(vEnv, "", "S");
    vLog.PSetDailyFile(true);
    vEnv.vOpenAttempts = 0;
    vLog.Info(nullptr, "um");
    vLog.Info(nullptr, "dois");
    vLog.Info(nullptr, "tres");
    EXPECT_EQ(vEnv.vOpenAttempts, 1) << "one open for three lines";
    EXPECT_EQ(vEnv.vRelocks, 2);
    vEnv.PRemove(cFile);
    vLog.Info(nullptr, "quatro");
    EXPECT_EQ(vEnv.vOpenAttempts, 2) << "the removed file is opened (created) anew";
  }
  EXPECT_EQ(vEnv.FFile(cFile), cPrefix + "INFO   : [*] quatro\r\n" + cFinish);
}

TEST(LogNFe, NamesTheFileAfterTheGivenName) {
  port::TMemEnv vEnv;
  vEnv.vExePath = "/srv/cgi/service.exe";
  tracelog::TLog vLog(vEnv, "Outro", "S");
  EXPECT_EQ(vLog.FFileName(), "/srv/cgi/log/LogOutro20240305.txt");
}

TEST(LogNFe, SenderColumnIsPaddedTo32OrWrittenWhole) {
  struct TCase {
    const char* vSender;
    std::string vExpected;
  };
  const std::string v32(32, 'C');
  const std::string v40 = "TUmaClasseComNomeMuitoMaiorQueTrintaEDois";
  const TCase vCases[] = {
      {nullptr, "[*] m"},
      {"T", "[T                               ] m"},
      {v32.c_str(), "[" + v32 + "] m"},
      {v40.c_str(), "[" + v40 + "] m"},
  };
  for (const auto& vCase : vCases) {
    port::TMemEnv vEnv;
    tracelog::TLog vLog(vEnv, "", "S");
    vLog.Info(vCase.vSender, "m");
    const auto vLines = FSplitLines(vEnv.FFile(cFile));
    ASSERT_EQ(vLines.size(), 2u);
    EXPECT_EQ(vLines[1], cPrefix + "INFO   : " + vCase.vExpected);
    if (vCase.vSender != nullptr && std::strlen(vCase.vSender) <= 32) {
      EXPECT_EQ(vLines[1].find("] m"), 71u) << "message starts at column 74";
    }
  }
}

TEST(LogNFe, MessageWithLineBreaksIsWrittenAsIs) {
  port::TMemEnv vEnv;
  tracelog::TLog vLog(vEnv, "", "S");
  vLog.Info(nullptr, "primeira\r\nsegunda\nterceira");
  EXPECT_EQ(vEnv.FFile(cFile),
            cStart + cPrefix + "INFO   : [*] primeira\r\nsegunda\nterceira\r\n");
}

TEST(LogNFe, OnlyTheSwitchTextSEnablesTheLog) {
  for (const char* vSwitch : {"s", "N", "", "S ", "SIM"}) {
    port::TMemEnv vEnv;
    {
      tracelog::TLog vLog(vEnv, "", vSwitch);
      EXPECT_FALSE(vLog.FEnabled());
      vLog.Info(nullptr, "x");
      vLog.Excecao(nullptr, std::runtime_error("y"));
      vLog.PSetTrace(false);
    }
    EXPECT_TRUE(vEnv.FIsDirectory("/opt/velmora/log")) << vSwitch;
    EXPECT_FALSE(vEnv.FFileExists(cFile)) << vSwitch;
    EXPECT_EQ(vEnv.vOpenAttempts, 0) << vSwitch;
  }
}

TEST(LogNFe, TraceSwitchWritesOnlyWhenTurnedOff) {
  port::TMemEnv vEnv;
  tracelog::TLog vLog(vEnv, "", "S");
  EXPECT_TRUE(vLog.FTrace());
  vLog.PSetTrace(true);
  vLog.PSetTrace(false);
  vLog.PSetTrace(false);
  EXPECT_FALSE(vLog.FTrace());
  EXPECT_EQ(vEnv.FFile(cFile),
            cStart + cPrefix + "INFO   : [TLog                            ] Trace desabilitado.\r\n");
}

TEST(LogNFe, ExceptionEntryWithoutTraceIsOneLine) {
  class EDatabaseError : public port::Exception {
   public:
    using port::Exception::Exception;
    const char* FClassName() const noexcept override { return "EDatabaseError"; }
  };
  port::TMemEnv vEnv;
  tracelog::TLog vLog(vEnv, "", "S");
  vLog.PSetTrace(false);
  try {
    throw EDatabaseError("conex\xE3o recusada");
  } catch (const std::exception& vError) {
    vLog.Excecao("TFireBird", vError);
  }
  vLog.Excecao(nullptr, std::out_of_range("fora"));
  const auto vLines = FSplitLines(vEnv.FFile(cFile));
  ASSERT_EQ(vLines.size(), 4u);
  EXPECT_EQ(vLines[2], cPrefix + "ERRO   : [TFireBird                       ] Exce\xE7\xE3o EDatabaseError: conex\xE3o recusada");
  EXPECT_EQ(vLines[3], cPrefix + "ERRO   : [*] Exce\xE7\xE3o std::out_of_range: fora");
}

[[gnu::noinline]] void PLancaDoFundo(int pDepth) {
  if (pDepth > 0) {
    PLancaDoFundo(pDepth - 1);
    asm volatile("");  // keeps the recursion from becoming a jump
    return;
  }
  throw std::runtime_error("do fundo");
}

TEST(LogNFe, ExceptionEntryListsTheStackOfTheThrow) {
  port::TMemEnv vEnv;
  tracelog::TLog vLog(vEnv, "", "S");
  try {
    PLancaDoFundo(2);
  } catch (const std::exception& vError) {
    // Another exception thrown and caught meanwhile must not replace the
    // stack of the one being reported.
    try {
      throw std::logic_error("outra");
    } catch (const std::exception&) {
    }
    vLog.Excecao("TFireBird", vError);
  }
  vLog.Info(nullptr, "depois");

  const std::string vText = vEnv.FFile(cFile);
  const auto vLines = FSplitLines(vText);
  ASSERT_GE(vLines.size(), 6u);
  EXPECT_EQ(vLines[1], cPrefix + "ERRO   : [TFireBird                       ] Exce\xE7\xE3o std::runtime_error: do fundo");
  std::size_t vIndex = 2;
  std::string vListing;
  for (; vIndex < vLines.size() && !vLines[vIndex].empty(); ++vIndex) {
    EXPECT_EQ(vLines[vIndex].find_first_not_of(' '), 74u) << vLines[vIndex];
    EXPECT_NE(vLines[vIndex].find("0x"), std::string::npos) << vLines[vIndex];
    vListing += vLines[vIndex] + "\n";
  }
  ASSERT_LT(vIndex + 1, vLines.size());
  EXPECT_EQ(vLines[vIndex], "") << "one empty line ends the entry";
  EXPECT_EQ(vLines[vIndex + 1], cPrefix + "INFO   : [*] depois");
  // The innermost entry is the throwing function, named through the
  // program's debug symbols, with its source line.
  if (::access("/usr/bin/addr2line", X_OK) == 0) {
    EXPECT_NE(vLines[2].find("PLancaDoFundo"), std::string::npos) << vListing;
    EXPECT_NE(vLines[2].find("LogNFe_test.cpp:"), std::string::npos) << vListing;
    EXPECT_NE(vListing.find("ExceptionEntryListsTheStackOfTheThrow"), std::string::npos) << vListing;
  }
}

TEST(LogNFe, ExceptionThrownInsideTheRuntimeLibraryHasItsStack) {
  port::TMemEnv vEnv;
  tracelog::TLog vLog(vEnv, "", "S");
  try {
    (void)std::string("abc").at(7);
  } catch (const std::exception& vError) {
    vLog.Excecao(nullptr, vError);
  }
  const auto vLines = FSplitLines(vEnv.FFile(cFile));
  ASSERT_GE(vLines.size(), 4u);
  EXPECT_NE(vLines[1].find("Exce\xE7\xE3o std::out_of_range: basic_string::at"), std::string::npos);
  EXPECT_EQ(vLines[2].find_first_not_of(' '), 74u);
  EXPECT_EQ(vLines.back(), "");
}

TEST(LogNFe, ExceptionWithoutRecordedStackIsOneLine) {
  port::TMemEnv vEnv;
  tracelog::TLog vLog(vEnv, "", "S");
  vLog.Excecao(nullptr, std::runtime_error("nunca lancada"));
  const auto vLines = FSplitLines(vEnv.FFile(cFile));
  ASSERT_EQ(vLines.size(), 2u);
}

TEST(LogNFe, RetriesOpening16TimesWithRandomPauses) {
  struct TCase {
    int vFailures;
    bool vWritten;
  };
  for (const TCase& vCase : {TCase{15, true}, TCase{16, false}}) {
    port::TMemEnv vEnv;
    tracelog::TLog vLog(vEnv, "", "S");
    vEnv.vOpenAttempts = 0;
    vEnv.vRandom = 9;
    vEnv.PFailNextOpens(vCase.vFailures);
    vLog.Info(nullptr, "linha");
    EXPECT_EQ(vEnv.vOpenAttempts, 16) << vCase.vFailures;
    EXPECT_EQ(vEnv.vSleeps, std::vector<int>(static_cast<std::size_t>(vCase.vFailures), 9));
    for (const auto& vRange : vEnv.vRandomRanges) EXPECT_EQ(vRange, std::make_pair(1, 16));
    const bool vWritten = vEnv.FFile(cFile).find("linha") != std::string::npos;
    EXPECT_EQ(vWritten, vCase.vWritten) << vCase.vFailures;
    // The next line is not affected by the dropped one.
    vLog.Info(nullptr, "seguinte");
    EXPECT_NE(vEnv.FFile(cFile).find("[*] seguinte\r\n"), std::string::npos);
  }
}

TEST(LogNFe, FailuresAreSwallowed) {
  port::TMemEnv vEnv;
  vEnv.PSetDirectoriesFail(true);
  {
    tracelog::TLog vLog(vEnv, "", "S");  // no directory: every line is dropped
    vLog.Info(nullptr, "x");
    vLog.Excecao(nullptr, std::runtime_error("y"));
  }
  EXPECT_FALSE(vEnv.FFileExists(cFile));

  port::TMemEnv vFailingWrites;
  tracelog::TLog vLog(vFailingWrites, "", "S");
  vFailingWrites.PSetWritesFail(true);
  vLog.Info(nullptr, "perdida");
  vFailingWrites.PSetWritesFail(false);
  vLog.Info(nullptr, "escrita");
  EXPECT_EQ(vFailingWrites.FFile(cFile), cStart + cPrefix + "INFO   : [*] escrita\r\n");
}

TEST(LogNFe, ProcessWideLogIsCreatedOnceAndFinishedByPLiberaLog) {
  port::TMemEnv vEnv;
  // Without a slot the accessor answers a log that writes nothing.
  EXPECT_FALSE(tracelog::FRetornaLog().FEnabled());
  tracelog::PCriaLog("", "S");
  EXPECT_FALSE(tracelog::FRetornaLog().FEnabled());
  tracelog::TProcessLog vSlot(vEnv);

  // First use without PCriaLog: a disabled log, which a later PCriaLog
  // with "S" does not enable.
  tracelog::FRetornaLog().Info(nullptr, "x");
  tracelog::PCriaLog("", "S");
  EXPECT_FALSE(tracelog::FRetornaLog().FEnabled());
  vSlot.PLiberaLog();
  EXPECT_FALSE(vEnv.FFileExists(cFile));

  tracelog::PCriaLog("", "S");
  tracelog::TLog& vLog = tracelog::FRetornaLog();
  tracelog::PCriaLog("Outro", "N");  // changes nothing
  EXPECT_EQ(&tracelog::FRetornaLog(), &vLog);
  EXPECT_TRUE(vLog.FEnabled());
  EXPECT_EQ(vLog.FFileName(), cFile);
  vLog.Info("TControle", "Entrando no procedimento: FRetornaBancoDeDados");
  vSlot.PLiberaLog();
  EXPECT_EQ(vEnv.FFile(cFile),
            cStart + cPrefix +
                "INFO   : [TControle                       ] Entrando no procedimento: FRetornaBancoDeDados\r\n" +
                cFinish);
}

TEST(LogNFe, TheSlotEndsItsLogAndUninstallsItself) {
  port::TMemEnv vEnv;
  {
    tracelog::TProcessLog vSlot(vEnv);
    tracelog::PCriaLog("", "S");
    tracelog::FRetornaLog().Info(nullptr, "dentro");
  }
  EXPECT_EQ(vEnv.FFile(cFile), cStart + cPrefix + "INFO   : [*] dentro\r\n" + cFinish);
  // Gone with its slot: the accessors write nothing any more.
  tracelog::PCriaLog("", "S");
  tracelog::FRetornaLog().Info(nullptr, "fora");
  EXPECT_EQ(vEnv.FFile(cFile), cStart + cPrefix + "INFO   : [*] dentro\r\n" + cFinish);
}

TEST(LogNFe, RealFileAppendsAcrossLogsAndTakesTodaysDate) {
  TTempDir vDir;
  TEnvInDir vEnv(vDir.FPath() + "/bin/velmora.cgi");
  const port::TDateTime vToday = port::FDefaultEnv().FNow();
  char vDate[16];
  std::snprintf(vDate, sizeof vDate, "%04d%02d%02d", vToday.vYear, vToday.vMonth, vToday.vDay);
  std::string vName;
  for (int vRound = 0; vRound < 2; ++vRound) {
    tracelog::TLog vLog(vEnv, "", "S");
    vName = vLog.FFileName();
    vLog.Info(nullptr, "volta");
  }
  EXPECT_EQ(vName, vDir.FPath() + "/bin/log/Logvelmora" + vDate + ".txt");
  const auto vLines = FSplitLines(port::FDefaultEnv().FReadFile(vName).value_or(""));
  ASSERT_EQ(vLines.size(), 6u);
  for (std::size_t vIndex = 0; vIndex < vLines.size(); ++vIndex) {
    static const char* const cEnds[] = {"**** Log iniciado ****", "[*] volta", "**** Log finalizado ****"};
    EXPECT_TRUE(vLines[vIndex].ends_with(cEnds[vIndex % 3])) << vLines[vIndex];
    ASSERT_GT(vLines[vIndex].size(), 29u);
    EXPECT_EQ(vLines[vIndex].substr(19, 1) + vLines[vIndex].substr(28, 1), "  ") << vLines[vIndex];
  }
}

TEST(LogNFe, ConcurrentProcessesWriteWholeLinesInOrder) {
  TTempDir vDir;
  const std::string vExe = vDir.FPath() + "/velmora.cgi";
  constexpr int cProcesses = 4;
  constexpr int cLines = 2000;
  std::vector<pid_t> vChildren;
  for (int vProcess = 0; vProcess < cProcesses; ++vProcess) {
    const pid_t vChild = ::fork();
    ASSERT_GE(vChild, 0);
    if (vChild == 0) {
      TEnvInDir vEnv(vExe);
      {
        tracelog::TLog vLog(vEnv, "", "S");
        for (int vLine = 0; vLine < cLines; ++vLine) {
          vLog.Info(nullptr, "processo " + std::to_string(vProcess) + " linha " + std::to_string(vLine) +
                                 " " + std::string(static_cast<std::size_t>(vLine % 97), 'x'));
        }
      }
      ::_exit(0);
    }
    vChildren.push_back(vChild);
  }
  for (const pid_t vChild : vChildren) {
    int vStatus = 0;
    ASSERT_EQ(::waitpid(vChild, &vStatus, 0), vChild);
    EXPECT_TRUE(WIFEXITED(vStatus) && WEXITSTATUS(vStatus) == 0);
  }

  std::string vFile;
  for (const auto& vEntry : std::filesystem::directory_iterator(vDir.FPath() + "/log")) {
    vFile = port::FDefaultEnv().FReadFile(vEntry.path().string()).value_or("");
  }
  const auto vLines = FSplitLines(vFile);
  std::map<int, int> vNextLine;
  std::map<int, std::string> vThreadOf;
  int vBanners = 0;
  std::size_t vDropped = 0;
  for (const std::string& vLine : vLines) {
    ASSERT_GT(vLine.size(), 29u) << vLine;
    if (vLine.find("[TLog") != std::string::npos) {
      ++vBanners;
      continue;
    }
    ASSERT_EQ(vLine.substr(29, 14), "INFO   : [*] p") << vLine;
    std::istringstream vFields(vLine.substr(42));
    std::string vWord, vWord2;
    int vProcess = -1, vNumber = -1;
    vFields >> vWord >> vProcess >> vWord2 >> vNumber;
    ASSERT_EQ(vWord, "processo") << vLine;
    ASSERT_TRUE(vProcess >= 0 && vProcess < cProcesses) << vLine;
    // Whole line: the filler after the number has exactly its length.
    const std::string vTail = " " + std::string(static_cast<std::size_t>(vNumber % 97), 'x');
    ASSERT_TRUE(vLine.ends_with(std::to_string(vNumber) + vTail)) << vLine;
    ASSERT_GE(vNumber, vNextLine[vProcess]) << "order of process " << vProcess;
    vDropped += static_cast<std::size_t>(vNumber - vNextLine[vProcess]);
    vNextLine[vProcess] = vNumber + 1;
    const std::string vThread = vLine.substr(20, 8);
    if (vThreadOf.count(vProcess) != 0) {
      EXPECT_EQ(vThreadOf[vProcess], vThread);
    }
    vThreadOf[vProcess] = vThread;
  }
  for (int vProcess = 0; vProcess < cProcesses; ++vProcess) {
    vDropped += static_cast<std::size_t>(cLines - vNextLine[vProcess]);
  }
  // Waiting is bounded by design, so heavy contention may drop a line now
  // and then; nearly all must arrive.
  EXPECT_LE(vDropped, static_cast<std::size_t>(cProcesses * cLines / 100)) << "dropped " << vDropped;
  std::printf("lines dropped under contention: %zu\n", vDropped);
  EXPECT_LE(vBanners, 2 * cProcesses);
}

}  // namespace
