#include "e2e/FastCGIWorker.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace e2e {

namespace {

// FastCGI record types and the responder role (the protocol's numbers).
constexpr unsigned char cBeginRequest = 1;
constexpr unsigned char cEndRequest = 3;
constexpr unsigned char cParams = 4;
constexpr unsigned char cStdin = 5;
constexpr unsigned char cStdout = 6;
constexpr unsigned char cResponder = 1;
constexpr std::size_t cMaxRecordContent = 65535;

void PAppendRecord(std::string& pOut, unsigned char pType, std::string_view pContent) {
  do {
    const std::size_t vLength = std::min(pContent.size(), cMaxRecordContent);
    const unsigned char vHeader[8] = {1, pType, 0, 1, static_cast<unsigned char>(vLength >> 8),
                                      static_cast<unsigned char>(vLength & 0xFF), 0, 0};
    pOut.append(reinterpret_cast<const char*>(vHeader), sizeof vHeader);
    pOut.append(pContent.substr(0, vLength));
    pContent.remove_prefix(vLength);
  } while (!pContent.empty());
}

void PAppendLength(std::string& pOut, std::size_t pLength) {
  if (pLength < 128) {
    pOut += static_cast<char>(pLength);
  } else {
    pOut += static_cast<char>(0x80 | ((pLength >> 24) & 0x7F));
    pOut += static_cast<char>((pLength >> 16) & 0xFF);
    pOut += static_cast<char>((pLength >> 8) & 0xFF);
    pOut += static_cast<char>(pLength & 0xFF);
  }
}

bool FWriteAll(int pFd, std::string_view pData) {
  while (!pData.empty()) {
    const ssize_t vWritten = ::write(pFd, pData.data(), pData.size());
    if (vWritten <= 0) return false;
    pData.remove_prefix(static_cast<std::size_t>(vWritten));
  }
  return true;
}

bool FReadExactly(int pFd, char* pBuffer, std::size_t pSize) {
  while (pSize > 0) {
    const ssize_t vRead = ::read(pFd, pBuffer, pSize);
    if (vRead <= 0) return false;
    pBuffer += vRead;
    pSize -= static_cast<std::size_t>(vRead);
  }
  return true;
}

sockaddr_un FAddress(const std::string& pPath) {
  sockaddr_un vAddress{};
  vAddress.sun_family = AF_UNIX;
  if (pPath.size() >= sizeof vAddress.sun_path) throw std::runtime_error("socket path too long: " + pPath);
  std::memcpy(vAddress.sun_path, pPath.c_str(), pPath.size() + 1);
  return vAddress;
}

}  // namespace

TFastCGIWorker::TFastCGIWorker(const std::string& pExe, const TEnvironment& pEnv, const std::string& pSocketDir)
    : vSocketPath(pSocketDir + "/worker.sock") {
  const int vListen = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (vListen < 0) throw std::runtime_error("socket failed");
  const sockaddr_un vAddress = FAddress(vSocketPath);
  ::unlink(vSocketPath.c_str());
  if (::bind(vListen, reinterpret_cast<const sockaddr*>(&vAddress), sizeof vAddress) != 0 ||
      ::listen(vListen, 16) != 0) {
    ::close(vListen);
    throw std::runtime_error("cannot listen on " + vSocketPath);
  }
  std::vector<std::string> vEnvText;
  for (const auto& [vName, vValue] : pEnv) vEnvText.push_back(vName + "=" + vValue);
  std::vector<char*> vEnvp;
  for (std::string& vText : vEnvText) vEnvp.push_back(vText.data());
  vEnvp.push_back(nullptr);
  std::string vExe = pExe;
  char* vArgv[] = {vExe.data(), nullptr};

  vPid = ::fork();
  if (vPid < 0) throw std::runtime_error("fork failed");
  if (vPid == 0) {
    ::dup2(vListen, 0);
    const int vNull = ::open("/dev/null", O_RDWR);
    ::dup2(vNull, 1);
    ::dup2(vNull, 2);
    ::execve(vArgv[0], vArgv, vEnvp.data());
    ::_exit(127);
  }
  ::close(vListen);
}

TFastCGIWorker::~TFastCGIWorker() {
  if (vPid > 0 && FStop(SIGTERM, 5000) == -2) (void)FStop(SIGKILL, 5000);
  ::unlink(vSocketPath.c_str());
}

std::string TFastCGIWorker::FRequest(const TEnvironment& pParams, std::string_view pContent) const {
  const int vFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (vFd < 0) return {};
  const sockaddr_un vAddress = FAddress(vSocketPath);
  if (::connect(vFd, reinterpret_cast<const sockaddr*>(&vAddress), sizeof vAddress) != 0) {
    ::close(vFd);
    return {};
  }
  std::string vOut;
  const char vBegin[8] = {0, static_cast<char>(cResponder), 0, 0, 0, 0, 0, 0};
  PAppendRecord(vOut, cBeginRequest, std::string_view(vBegin, sizeof vBegin));
  std::string vParams;
  for (const auto& [vName, vValue] : pParams) {
    PAppendLength(vParams, vName.size());
    PAppendLength(vParams, vValue.size());
    vParams += vName;
    vParams += vValue;
  }
  if (!vParams.empty()) PAppendRecord(vOut, cParams, vParams);
  PAppendRecord(vOut, cParams, {});
  if (!pContent.empty()) PAppendRecord(vOut, cStdin, pContent);
  PAppendRecord(vOut, cStdin, {});

  std::string vAnswer;
  bool vEnded = false;
  if (FWriteAll(vFd, vOut)) {
    char vHeader[8];
    while (!vEnded && FReadExactly(vFd, vHeader, sizeof vHeader)) {
      const std::size_t vLength = (static_cast<unsigned char>(vHeader[4]) << 8) | static_cast<unsigned char>(vHeader[5]);
      const std::size_t vPadding = static_cast<unsigned char>(vHeader[6]);
      std::string vContent(vLength + vPadding, '\0');
      if (!FReadExactly(vFd, vContent.data(), vContent.size())) break;
      if (static_cast<unsigned char>(vHeader[1]) == cStdout) vAnswer.append(vContent, 0, vLength);
      if (static_cast<unsigned char>(vHeader[1]) == cEndRequest) vEnded = true;
    }
  }
  ::close(vFd);
  return vEnded ? vAnswer : std::string();
}

int TFastCGIWorker::FStop(int pSignal, int pTimeoutMs) {
  if (vPid <= 0) return -1;
  ::kill(vPid, pSignal);
  const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(pTimeoutMs);
  while (std::chrono::steady_clock::now() < vDeadline) {
    int vStatus = 0;
    if (::waitpid(vPid, &vStatus, WNOHANG) == vPid) {
      vPid = -1;
      return WIFEXITED(vStatus) ? WEXITSTATUS(vStatus) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return -2;
}

long FResidentKiB(pid_t pPid) {
  std::ifstream vStatus("/proc/" + std::to_string(pPid) + "/status");
  std::string vLine;
  while (std::getline(vStatus, vLine)) {
    if (vLine.rfind("VmRSS:", 0) == 0) return std::stol(vLine.substr(6));
  }
  return 0;
}

}  // namespace e2e
