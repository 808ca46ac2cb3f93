// The platform layer: path helpers, exception class names, the locale's
// decimal separator, and the real env's files, locks and process facts.
#include "port/Env.h"

#include <gtest/gtest.h>

#include "support/FirebirdFixture.h"
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <thread>

#include "port/Exception.h"

namespace {

using testsupport::TTempDir;

// Runs pBody in a child process and returns its exit code, so that
// process-wide state (environment, cached locale) stays out of this one.
int FInChild(const std::function<int()>& pBody) {
  const pid_t vChild = ::fork();
  if (vChild == 0) ::_exit(pBody());
  int vStatus = 0;
  ::waitpid(vChild, &vStatus, 0);
  return WIFEXITED(vStatus) ? WEXITSTATUS(vStatus) : -1;
}

TEST(Env, PathHelpers) {
  struct TCase {
    std::string vPath, vName, vDirectory, vWithoutExt;
  };
  const TCase vCases[] = {
      {"/x/velmora.cgi", "velmora", "/x/", "/x/velmora"},
      {"/srv/a.b/service.tar.gz", "service.tar", "/srv/a.b/", "/srv/a.b/service.tar"},
      {"/srv/a.b/plain", "plain", "/srv/a.b/", "/srv/a.b/plain"},
      {"velmora.cgi", "velmora", "", "velmora"},
      {"/dir/", "", "/dir/", "/dir/"},
  };
  for (const auto& vCase : vCases) {
    EXPECT_EQ(port::FFileNameWithoutExtension(vCase.vPath), vCase.vName) << vCase.vPath;
    EXPECT_EQ(port::FExtractFilePath(vCase.vPath), vCase.vDirectory) << vCase.vPath;
    EXPECT_EQ(port::FChangeFileExtEmpty(vCase.vPath), vCase.vWithoutExt) << vCase.vPath;
  }
}

TEST(Env, ExceptionClassNames) {
  class EDatabaseError : public port::Exception {
   public:
    using port::Exception::Exception;
    const char* FClassName() const noexcept override { return "EDatabaseError"; }
  };
  EXPECT_EQ(port::FExceptionClassName(EDatabaseError("x")), "EDatabaseError");
  EXPECT_EQ(port::FExceptionClassName(port::Exception("x")), "Exception");
  EXPECT_EQ(port::FExceptionClassName(std::out_of_range("x")), "std::out_of_range");
  const std::exception& vBase = std::invalid_argument("x");
  EXPECT_EQ(port::FExceptionClassName(vBase), "std::invalid_argument");
}

TEST(Env, DecimalSeparatorFollowsTheNamedLocale) {
  // Builds a pt_BR locale in a private directory where the tools allow it.
  TTempDir vLocales;
  const std::string vBuild = "localedef -i pt_BR -f UTF-8 " + vLocales.FPath() + "/pt_BR.UTF-8 >/dev/null 2>&1";
  const bool vHaveBrazil = std::system(vBuild.c_str()) == 0;

  struct TCase {
    const char* vVariable;
    const char* vValue;
    char vExpected;
  };
  std::vector<TCase> vCases = {
      {nullptr, nullptr, '.'},
      {"LANG", "C", '.'},
      {"LC_ALL", "xx_NOWHERE.UTF-8", '.'},
  };
  if (vHaveBrazil) {
    vCases.push_back({"LC_ALL", "pt_BR.UTF-8", ','});
    vCases.push_back({"LC_NUMERIC", "pt_BR.UTF-8", ','});
    vCases.push_back({"LANG", "pt_BR.UTF-8", ','});
  }
  for (const auto& vCase : vCases) {
    const int vResult = FInChild([&] {
      for (const char* vName : {"LC_ALL", "LC_NUMERIC", "LANG"}) ::unsetenv(vName);
      ::setenv("LOCPATH", vLocales.FPath().c_str(), 1);
      if (vCase.vVariable != nullptr) ::setenv(vCase.vVariable, vCase.vValue, 1);
      const char vFirst = port::FDefaultEnv().FDecimalSeparator();
      // Read once: changing the environment later changes nothing, and the
      // global locale is left as it was.
      ::setenv("LC_ALL", "C", 1);
      if (port::FDefaultEnv().FDecimalSeparator() != vFirst) return 2;
      if (std::locale().name() != "C") return 3;
      return vFirst == vCase.vExpected ? 0 : 1;
    });
    EXPECT_EQ(vResult, 0) << (vCase.vValue ? vCase.vValue : "(none)");
  }
  if (!vHaveBrazil) GTEST_SKIP() << "localedef cannot build pt_BR here";
}

TEST(EnvPosix, AppendLockedCreatesAppendsAndRefusesASecondWriter) {
  TTempDir vDir;
  port::IEnv& vEnv = port::FDefaultEnv();
  const std::string vLogDir = vDir.FPath() + "/a/b/log/";
  EXPECT_FALSE(vEnv.FFileExists(vLogDir));
  ASSERT_TRUE(vEnv.FForceDirectories(vLogDir));
  EXPECT_TRUE(vEnv.FForceDirectories(vLogDir)) << "an existing directory is fine";
  EXPECT_TRUE(vEnv.FFileExists(vLogDir));

  const std::string vPath = vLogDir + "f.txt";
  EXPECT_FALSE(vEnv.FReadFile(vPath).has_value());
  {
    auto vFirst = vEnv.FOpenAppendLocked(vPath);
    ASSERT_NE(vFirst, nullptr);
    EXPECT_TRUE(vFirst->FWrite("um\r\n"));
    // Another process is refused while the lock is held, at once.
    EXPECT_EQ(FInChild([&] { return vEnv.FOpenAppendLocked(vPath) == nullptr ? 0 : 1; }), 0);
    // Readers are not.
    EXPECT_EQ(vEnv.FReadFile(vPath).value_or(""), "um\r\n");
  }
  EXPECT_EQ(FInChild([&] {
              auto vSecond = port::FDefaultEnv().FOpenAppendLocked(vPath);
              return vSecond && vSecond->FWrite(std::string(100000, 'z')) ? 0 : 1;
            }),
            0);
  // Opening again appends, never truncates.
  auto vThird = vEnv.FOpenAppendLocked(vPath);
  ASSERT_NE(vThird, nullptr);
  EXPECT_TRUE(vThird->FWrite("tres"));
  EXPECT_EQ(vEnv.FReadFile(vPath).value_or(""), "um\r\n" + std::string(100000, 'z') + "tres");

  EXPECT_EQ(vEnv.FOpenAppendLocked(vDir.FPath() + "/missing/f.txt"), nullptr);
  EXPECT_FALSE(vEnv.FForceDirectories(vPath + "/under-a-file"));
}

// Another writer's lock held for a line (well under a millisecond) is waited
// out, so a busy log costs no retry pause; one held long is refused soon.
TEST(EnvPosix, AppendLockedWaitsOutAShortHoldButNotALongOne) {
  TTempDir vDir;
  const std::string vPath = vDir.FPath() + "/f.txt";
  using TClock = std::chrono::steady_clock;
  for (const int vHoldUs : {200, 50000}) {
    int vReady[2];
    int vRelease[2];
    ASSERT_EQ(::pipe(vReady), 0);
    ASSERT_EQ(::pipe(vRelease), 0);
    // The child holds the lock until told, then holds it vHoldUs more.
    const pid_t vChild = ::fork();
    if (vChild == 0) {
      auto vHeld = port::FDefaultEnv().FOpenAppendLocked(vPath);
      char vByte = vHeld ? 'y' : 'n';
      (void)!::write(vReady[1], &vByte, 1);
      (void)!::read(vRelease[0], &vByte, 1);
      ::usleep(static_cast<useconds_t>(vHoldUs));
      ::_exit(0);
    }
    char vByte = 0;
    ASSERT_EQ(::read(vReady[0], &vByte, 1), 1);
    ASSERT_EQ(vByte, 'y');
    const auto vStart = TClock::now();
    (void)!::write(vRelease[1], "g", 1);
    auto vMine = port::FDefaultEnv().FOpenAppendLocked(vPath);
    const auto vWaitedUs = std::chrono::duration_cast<std::chrono::microseconds>(TClock::now() - vStart).count();
    int vStatus = 0;
    ::waitpid(vChild, &vStatus, 0);
    for (int vFd : {vReady[0], vReady[1], vRelease[0], vRelease[1]}) ::close(vFd);
    if (vHoldUs < 1000) {
      // (a machine too busy to let the child go within the wait proves nothing)
      if (vMine == nullptr && vWaitedUs > 5000) continue;
      EXPECT_NE(vMine, nullptr) << "a lock held " << vHoldUs << " us, waited " << vWaitedUs << " us";
    } else {
      EXPECT_EQ(vMine, nullptr);
      EXPECT_LT(vWaitedUs, 20000) << "a lock held long is refused without waiting it out";
    }
  }
}

// A file kept open between lines: unlocked it does not hold other writers
// back; locked again it is refused once its name leads elsewhere (removed,
// or renamed away as a rotation does), so the writer opens the name anew.
TEST(EnvPosix, AKeptAppendFileUnlocksAndIsRefusedOnceItsNameLeadsElsewhere) {
  TTempDir vDir;
  port::IEnv& vEnv = port::FDefaultEnv();
  const std::string vPath = vDir.FPath() + "/f.txt";
  auto vKept = vEnv.FOpenAppendLocked(vPath);
  ASSERT_NE(vKept, nullptr);
  ASSERT_TRUE(vKept->FWrite("um\r\n"));
  vKept->PUnlock();
  EXPECT_EQ(FInChild([&] {
              auto vOther = port::FDefaultEnv().FOpenAppendLocked(vPath);
              return vOther && vOther->FWrite("outro\r\n") ? 0 : 1;
            }),
            0);
  ASSERT_TRUE(vKept->FRelock());
  EXPECT_EQ(FInChild([&] { return port::FDefaultEnv().FOpenAppendLocked(vPath) == nullptr ? 0 : 1; }), 0)
      << "locked again, it holds the others back";
  ASSERT_TRUE(vKept->FWrite("dois\r\n"));
  vKept->PUnlock();
  EXPECT_EQ(vEnv.FReadFile(vPath).value_or(""), "um\r\noutro\r\ndois\r\n");

  // Renamed away: lines may still land in the renamed file for up to a
  // second, then the name is looked up again.
  std::filesystem::rename(vPath, vPath + ".1");
  const auto vRenamed = std::chrono::steady_clock::now();
  while (vKept->FRelock()) {
    ASSERT_TRUE(vKept->FWrite("x"));
    vKept->PUnlock();
    ASSERT_LT(std::chrono::steady_clock::now() - vRenamed, std::chrono::milliseconds(2500)) << "renamed away";
    ::usleep(20000);
  }
  auto vNew = vEnv.FOpenAppendLocked(vPath);
  ASSERT_NE(vNew, nullptr) << "and refusing it left no lock behind on the new file";
  vNew->PUnlock();
  std::filesystem::remove(vPath);
  EXPECT_FALSE(vNew->FRelock()) << "removed";
  EXPECT_EQ(FInChild([&] { return port::FDefaultEnv().FOpenAppendLocked(vPath + ".1") != nullptr ? 0 : 1; }), 0)
      << "the refused file was left unlocked";
}

// A configuration or administration file is a regular file, or a symbolic
// link to one. A directory, a FIFO or a dangling link under that name is no
// file and gives no content (a FIFO would block its reader for good); a name
// that ends in "/" asks for a directory.
TEST(EnvPosix, OnlyRegularFilesExistAndRead) {
  TTempDir vDir;
  port::IEnv& vEnv = port::FDefaultEnv();
  const std::string vBase = vDir.FPath() + "/";
  std::filesystem::create_directory(vBase + "dir.ini");
  ASSERT_EQ(::mkfifo((vBase + "fifo.ini").c_str(), 0600), 0);
  { std::ofstream(vBase + "file.ini") << "[DATABASE]\n"; }
  std::filesystem::create_symlink(vBase + "file.ini", vBase + "link.ini");
  std::filesystem::create_symlink(vBase + "dir.ini", vBase + "dirlink.ini");
  std::filesystem::create_symlink(vBase + "missing.ini", vBase + "dangling.ini");
  struct TCase {
    const char* vName;
    bool vExists;
    std::optional<std::string> vContent;
  } const vCases[] = {
      {"file.ini", true, "[DATABASE]\n"},  {"link.ini", true, "[DATABASE]\n"},
      {"dir.ini", false, std::nullopt},    {"dirlink.ini", false, std::nullopt},
      {"fifo.ini", false, std::nullopt},   {"dangling.ini", false, std::nullopt},
      {"missing.ini", false, std::nullopt}, {"dir.ini/", true, std::nullopt},
      {"file.ini/", false, std::nullopt},
  };
  for (const TCase& c : vCases) {
    EXPECT_EQ(vEnv.FFileExists(vBase + c.vName), c.vExists) << c.vName;
    EXPECT_EQ(vEnv.FReadFile(vBase + c.vName), c.vContent) << c.vName;
  }
}

TEST(EnvPosix, ProcessFacts) {
  port::IEnv& vEnv = port::FDefaultEnv();
  EXPECT_EQ(port::FFileNameWithoutExtension(vEnv.FExePath()), "Env_test");
  EXPECT_EQ(vEnv.FExePath().front(), '/');

  ::setenv("VELMORA_ENV_TEST", "a=b", 1);
  const auto vEnvironment = vEnv.FEnvironment();
  EXPECT_NE(std::find(vEnvironment.begin(), vEnvironment.end(),
                      std::make_pair(std::string("VELMORA_ENV_TEST"), std::string("a=b"))),
            vEnvironment.end());

  EXPECT_EQ(vEnv.FThreadId(), static_cast<std::uint32_t>(::getpid())) << "main thread id is the pid";
  // Each thread and the child of a fork answer their own, though asked before.
  std::uint32_t vOther = 0;
  std::thread([&] { vOther = vEnv.FThreadId(); }).join();
  EXPECT_NE(vOther, vEnv.FThreadId());
  EXPECT_NE(vOther, 0u);
  EXPECT_EQ(FInChild([&] { return port::FDefaultEnv().FThreadId() == static_cast<std::uint32_t>(::getpid()) ? 0 : 1; }),
            0);
  bool vSeen[17] = {};
  for (int vDraw = 0; vDraw < 2000; ++vDraw) {
    const int vValue = vEnv.FRandomRange(1, 16);
    ASSERT_TRUE(vValue >= 1 && vValue <= 16) << vValue;
    vSeen[vValue] = true;
  }
  for (int vValue = 1; vValue <= 16; ++vValue) EXPECT_TRUE(vSeen[vValue]) << vValue;

  const port::TDateTime vNow = vEnv.FNow();
  EXPECT_GE(vNow.vYear, 2024);
  EXPECT_TRUE(vNow.vMonth >= 1 && vNow.vMonth <= 12 && vNow.vDay >= 1 && vNow.vDay <= 31);
  EXPECT_TRUE(vNow.vMillisecond >= 0 && vNow.vMillisecond < 1000);
}

}  // namespace

// The system refuses a write: over the file-size limit (the write is cut
// short at the limit, then fails), or on a file system that fills up in
// the middle of the data. The call fails, the process lives on, and what
// was written of it is taken back so that the next line starts clean.
TEST(EnvPosix, AWriteTheSystemRefusesLeavesNoPartAndNoSignal) {
  TTempDir vDir;
  const std::string vPath = vDir.FPath() + "/Log.txt";
  const std::string vBefore = "2026-12-11 10:00:00 00001A2B INFO   : [*] um\r\n";
  {
    std::ofstream vOut(vPath, std::ios::binary);
    vOut << vBefore;
  }
  EXPECT_EQ(FInChild([&] {
              // The limit falls inside the next line: part of it fits.
              const rlimit vLimit{vBefore.size() + 10, vBefore.size() + 10};
              if (::setrlimit(RLIMIT_FSIZE, &vLimit) != 0) return 3;
              port::IEnv& vEnv = port::FDefaultEnv();  // ignores SIGXFSZ
              auto vFile = vEnv.FOpenAppendLocked(vPath);
              if (!vFile) return 4;
              if (vFile->FWrite(std::string(200, 'x') + "\r\n")) return 5;
              // A line that fits still goes in whole.
              return vFile->FWrite("ok\r\n") ? 0 : 6;
            }),
            0);
  EXPECT_EQ(port::FDefaultEnv().FReadFile(vPath).value_or(""), vBefore + "ok\r\n");

  // A real file system that fills up: a small tmpfs (needs the right to
  // mount, which CI has as root).
  const std::string vMount = vDir.FPath() + "/small";
  std::filesystem::create_directory(vMount);
  if (std::system(("mount -t tmpfs -o size=16k tmpfs " + vMount + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here; the file-size case above ran";
  struct TUnmount {
    std::string v;
    ~TUnmount() { (void)std::system(("umount " + v).c_str()); }
  } vUnmount{vMount};
  const std::string vFull = vMount + "/Log.txt";
  port::IEnv& vEnv = port::FDefaultEnv();
  std::size_t vWhole = 0;
  const std::string vLine = std::string(1000, 'y') + "\r\n";
  for (int i = 0; i < 100; ++i) {
    auto vFile = vEnv.FOpenAppendLocked(vFull);
    ASSERT_NE(vFile, nullptr);
    if (!vFile->FWrite(vLine)) break;
    ++vWhole;
  }
  ASSERT_GT(vWhole, 0u);
  ASSERT_LT(vWhole, 100u) << "the file system never filled";
  EXPECT_EQ(vEnv.FReadFile(vFull).value_or("").size(), vWhole * vLine.size()) << "a part line stayed";
}
