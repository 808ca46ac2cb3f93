// The in-memory IEnv of MemEnv.h.
#include "port/MemEnv.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "port/StackTrace.h"

namespace port {

class TMemAppendFile final : public IAppendFile {
 public:
  TMemAppendFile(TMemEnv& pEnv, std::string pPath) : vEnv(pEnv), vPath(std::move(pPath)) {}
  bool FWrite(std::string_view pData) override { return vEnv.FAppend(vPath, pData); }
  void PUnlock() override {}
  bool FRelock() override { return vEnv.FRelock(vPath); }

 private:
  TMemEnv& vEnv;
  std::string vPath;
};

TMemEnv::TMemEnv() {
  vNow.vYear = 2024;
  vNow.vMonth = 3;
  vNow.vDay = 5;
  vNow.vHour = 14;
  vNow.vMinute = 7;
  vNow.vSecond = 31;
}

void TMemEnv::PFailNextOpens(int pCount) {
  std::lock_guard vGuard(vLock);
  vOpenFailures = pCount;
}

void TMemEnv::PSetWritesFail(bool pValue) {
  std::lock_guard vGuard(vLock);
  vWritesFail = pValue;
}

void TMemEnv::PSetDirectoriesFail(bool pValue) {
  std::lock_guard vGuard(vLock);
  vDirectoriesFail = pValue;
}

void TMemEnv::PSetFile(const std::string& pPath, std::string pContent) {
  std::lock_guard vGuard(vLock);
  vFiles[pPath] = std::move(pContent);
}

std::string TMemEnv::FFile(const std::string& pPath) {
  std::lock_guard vGuard(vLock);
  const auto vFound = vFiles.find(pPath);
  return vFound == vFiles.end() ? std::string() : vFound->second;
}

bool TMemEnv::FIsDirectory(const std::string& pPath) {
  std::lock_guard vGuard(vLock);
  std::string vPath = pPath;
  while (vPath.size() > 1 && vPath.back() == '/') vPath.pop_back();
  return vDirectories.count(vPath) != 0;
}

std::string TMemEnv::FExePath() { return vExePath; }

std::vector<std::pair<std::string, std::string>> TMemEnv::FEnvironment() { return vEnvironment; }

std::size_t TMemEnv::FReadStdin(char* pBuffer, std::size_t pSize) {
  std::lock_guard vGuard(vLock);
  const std::size_t vCount = std::min(pSize, vStdin.size() - std::min(vStdinPos, vStdin.size()));
  std::memcpy(pBuffer, vStdin.data() + vStdinPos, vCount);
  vStdinPos += vCount;
  return vCount;
}

bool TMemEnv::FWriteStdout(std::string_view pData) {
  std::lock_guard vGuard(vLock);
  vStdout.append(pData);
  return true;
}

bool TMemEnv::FWriteStderr(std::string_view pData) {
  std::lock_guard vGuard(vLock);
  vStderr.append(pData);
  return true;
}

bool TMemEnv::FFileExists(const std::string& pPath) {
  if (!pPath.empty() && pPath.back() == '/') return FIsDirectory(pPath);
  std::lock_guard vGuard(vLock);
  return vFiles.count(pPath) != 0;
}

std::optional<std::string> TMemEnv::FReadFile(const std::string& pPath) {
  std::lock_guard vGuard(vLock);
  const auto vFound = vFiles.find(pPath);
  if (vFound == vFiles.end()) return std::nullopt;
  return vFound->second;
}

bool TMemEnv::FForceDirectories(const std::string& pPath) {
  std::lock_guard vGuard(vLock);
  if (vDirectoriesFail || pPath.empty()) return false;
  // Records every level, as the real one creates every missing parent.
  for (std::size_t vPos = 1; vPos <= pPath.size(); ++vPos) {
    if (vPos == pPath.size() || pPath[vPos] == '/') vDirectories.insert(pPath.substr(0, vPos));
  }
  return true;
}

std::unique_ptr<IAppendFile> TMemEnv::FOpenAppendLocked(const std::string& pPath) {
  std::lock_guard vGuard(vLock);
  ++vOpenAttempts;
  if (vOpenFailures > 0) {
    --vOpenFailures;
    return nullptr;
  }
  // Like the real one, a file is only created inside an existing directory.
  const auto vSlash = pPath.find_last_of('/');
  if (vSlash != std::string::npos && vSlash > 0 && vDirectories.count(pPath.substr(0, vSlash)) == 0) {
    return nullptr;
  }
  vFiles.try_emplace(pPath);
  return std::make_unique<TMemAppendFile>(*this, pPath);
}

bool TMemEnv::FRelock(const std::string& pPath) {
  std::lock_guard vGuard(vLock);
  ++vRelocks;
  return vFiles.count(pPath) != 0;
}

bool TMemEnv::FAppend(const std::string& pPath, std::string_view pData) {
  std::lock_guard vGuard(vLock);
  if (vWritesFail) return false;
  vFiles[pPath].append(pData);
  return true;
}

TDateTime TMemEnv::FNow() { return vNow; }

void TMemEnv::PSleepMs(int pMilliseconds) {
  std::lock_guard vGuard(vLock);
  vSleeps.push_back(pMilliseconds);
}

int TMemEnv::FRandomRange(int pLow, int pHigh) {
  std::lock_guard vGuard(vLock);
  vRandomRanges.emplace_back(pLow, pHigh);
  return std::clamp(vRandom, pLow, pHigh);
}

std::uint32_t TMemEnv::FThreadId() { return vThreadId; }

void TMemEnv::PHoldTermination() { vTerminationHeld = true; }

std::vector<std::string> TMemEnv::FSymbolize(const std::vector<void*>& pFrames) {
  if (vSymbolize) return port::FSymbolize(pFrames);
  std::vector<std::string> vLines;
  for (void* vFrame : pFrames) {
    char vText[32];
    std::snprintf(vText, sizeof vText, "%p", vFrame);
    vLines.emplace_back(vText);
  }
  return vLines;
}

std::string TMemEnv::FMakePrivateDirectory(const std::string& pPrefix) {
  std::lock_guard vGuard(vLock);
  if (vDirectoriesFail) return {};
  const std::string vPath = "/tmp/" + pPrefix + std::to_string(++vUnique);
  vDirectories.insert(vPath);
  return vPath;
}

std::string TMemEnv::FWriteNewFile(const std::string& pDirectory, const std::string& pPrefix,
                                   std::string_view pContent) {
  std::lock_guard vGuard(vLock);
  if (vWritesFail || vDirectories.count(pDirectory) == 0) return {};
  const std::string vPath = pDirectory + "/" + pPrefix + std::to_string(++vUnique);
  vFiles[vPath] = std::string(pContent);
  return vPath;
}

void TMemEnv::PRemove(const std::string& pPath) {
  std::lock_guard vGuard(vLock);
  if (vFiles.erase(pPath) == 0) vDirectories.erase(pPath);
}

}  // namespace port
