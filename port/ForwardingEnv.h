// An IEnv that hands every call to another one. Derive from it and override
// only what differs: a FastCGI request's own variables, input and output
// over the process's environment, a service directory seen from elsewhere,
// a test that records one kind of call.
//
// REQUIRES: the target outlives the object.
#pragma once

#include "port/Env.h"

namespace port {

class TForwardingEnv : public IEnv {
 public:
  explicit TForwardingEnv(IEnv& pTarget) : vTarget(pTarget) {}

  std::string FExePath() override { return vTarget.FExePath(); }
  std::vector<std::pair<std::string, std::string>> FEnvironment() override { return vTarget.FEnvironment(); }
  std::size_t FReadStdin(char* pBuffer, std::size_t pSize) override { return vTarget.FReadStdin(pBuffer, pSize); }
  bool FWriteStdout(std::string_view pData) override { return vTarget.FWriteStdout(pData); }
  bool FWriteStderr(std::string_view pData) override { return vTarget.FWriteStderr(pData); }
  bool FFileExists(const std::string& pPath) override { return vTarget.FFileExists(pPath); }
  std::optional<std::string> FReadFile(const std::string& pPath) override { return vTarget.FReadFile(pPath); }
  bool FForceDirectories(const std::string& pPath) override { return vTarget.FForceDirectories(pPath); }
  std::unique_ptr<IAppendFile> FOpenAppendLocked(const std::string& pPath) override {
    return vTarget.FOpenAppendLocked(pPath);
  }
  std::string FMakePrivateDirectory(const std::string& pPrefix) override {
    return vTarget.FMakePrivateDirectory(pPrefix);
  }
  std::string FWriteNewFile(const std::string& pDirectory, const std::string& pPrefix,
                            std::string_view pContent) override {
    return vTarget.FWriteNewFile(pDirectory, pPrefix, pContent);
  }
  void PRemove(const std::string& pPath) override { vTarget.PRemove(pPath); }
  TDateTime FNow() override { return vTarget.FNow(); }
  void PSleepMs(int pMilliseconds) override { vTarget.PSleepMs(pMilliseconds); }
  int FRandomRange(int pLow, int pHigh) override { return vTarget.FRandomRange(pLow, pHigh); }
  std::uint32_t FThreadId() override { return vTarget.FThreadId(); }
  std::vector<std::string> FSymbolize(const std::vector<void*>& pFrames) override {
    return vTarget.FSymbolize(pFrames);
  }
  void PHoldTermination() override { vTarget.PHoldTermination(); }
  char FDecimalSeparator() override { return vTarget.FDecimalSeparator(); }
  bool FStdinIsListeningSocket() override { return vTarget.FStdinIsListeningSocket(); }

 protected:
  IEnv& vTarget;
};

}  // namespace port
