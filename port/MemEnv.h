// An in-memory IEnv for tests of logic: a settable environment and
// executable path, standard input bytes, captured standard output and
// error, in-memory files and directories, a clock that only moves when set,
// recorded sleeps and a way to make the next opens for appending fail.
//
// Not thread-safe beyond what one test needs: every member is guarded by
// one mutex, but the public fields are plain and meant to be set before use.
#pragma once

#include <map>
#include <mutex>
#include <set>

#include "port/Env.h"

namespace port {

class TMemEnv final : public IEnv {
 public:
  TMemEnv();

  // What the fake answers; set these before handing the env out.
  std::string vExePath = "/opt/velmora/velmora.cgi";
  std::vector<std::pair<std::string, std::string>> vEnvironment;
  std::string vStdin;
  TDateTime vNow;
  std::uint32_t vThreadId = 0x1A2B;
  // FRandomRange answers this value clamped to the asked range.
  int vRandom = 1;

  // What the fake saw.
  std::string vStdout;
  std::string vStderr;
  std::vector<int> vSleeps;
  std::vector<std::pair<int, int>> vRandomRanges;
  int vOpenAttempts = 0;
  // Calls of FRelock on a file kept open (true while the file exists).
  int vRelocks = 0;
  // Set by PHoldTermination; cleared by nobody.
  bool vTerminationHeld = false;
  // FSymbolize names the frames with the real symbol tools; off, it gives
  // each address alone (cheap: a fuzz target meets many exception entries).
  bool vSymbolize = true;
  // What FDecimalSeparator answers: the host's number settings.
  char vDecimalSeparator = '.';

  // The next pCount calls of FOpenAppendLocked fail.
  void PFailNextOpens(int pCount);
  // Makes FWrite of appended files fail from now on.
  void PSetWritesFail(bool pValue);
  // Makes FForceDirectories fail.
  void PSetDirectoriesFail(bool pValue);

  void PSetFile(const std::string& pPath, std::string pContent);
  // Content of a file, or empty when it does not exist.
  [[nodiscard]] std::string FFile(const std::string& pPath);
  [[nodiscard]] bool FIsDirectory(const std::string& pPath);

  std::string FExePath() override;
  std::vector<std::pair<std::string, std::string>> FEnvironment() override;
  std::size_t FReadStdin(char* pBuffer, std::size_t pSize) override;
  bool FWriteStdout(std::string_view pData) override;
  bool FWriteStderr(std::string_view pData) override;
  bool FFileExists(const std::string& pPath) override;
  std::optional<std::string> FReadFile(const std::string& pPath) override;
  bool FForceDirectories(const std::string& pPath) override;
  std::unique_ptr<IAppendFile> FOpenAppendLocked(const std::string& pPath) override;
  std::string FMakePrivateDirectory(const std::string& pPrefix) override;
  std::string FWriteNewFile(const std::string& pDirectory, const std::string& pPrefix,
                            std::string_view pContent) override;
  void PRemove(const std::string& pPath) override;
  TDateTime FNow() override;
  void PSleepMs(int pMilliseconds) override;
  int FRandomRange(int pLow, int pHigh) override;
  std::uint32_t FThreadId() override;
  std::vector<std::string> FSymbolize(const std::vector<void*>& pFrames) override;
  char FDecimalSeparator() override { return vDecimalSeparator; }
  void PHoldTermination() override;

 private:
  friend class TMemAppendFile;
  bool FAppend(const std::string& pPath, std::string_view pData);
  bool FRelock(const std::string& pPath);

  std::mutex vLock;
  std::map<std::string, std::string> vFiles;
  std::set<std::string> vDirectories;
  std::size_t vStdinPos = 0;
  int vOpenFailures = 0;
  bool vWritesFail = false;
  bool vDirectoriesFail = false;
  int vUnique = 0;
};

}  // namespace port
