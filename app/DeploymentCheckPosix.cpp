// ICheckSystem on POSIX: rights as the effective user (faccessat with
// AT_EACCESS, so that a check run through setpriv or runuser sees what the
// web server's user sees), stat, readdir and a non-blocking connect.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <netdb.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "app/DeploymentCheck.h"

namespace app {

namespace {

class TPosixCheckSystem final : public ICheckSystem {
 public:
  unsigned FUid() override { return static_cast<unsigned>(::geteuid()); }

  std::string FUserName(unsigned pUid) override {
    passwd vEntry{};
    passwd* vFound = nullptr;
    char vBuffer[4096];
    if (::getpwuid_r(static_cast<uid_t>(pUid), &vEntry, vBuffer, sizeof vBuffer, &vFound) != 0 || !vFound)
      return {};
    return vFound->pw_name;
  }

  std::string FGroupName() override {
    group vEntry{};
    group* vFound = nullptr;
    char vBuffer[4096];
    if (::getgrgid_r(::getegid(), &vEntry, vBuffer, sizeof vBuffer, &vFound) != 0 || !vFound) return {};
    return vFound->gr_name;
  }

  TFileInfo FInfo(const std::string& pPath) override {
    TFileInfo vInfo;
    struct stat vStat {};
    if (::stat(pPath.c_str(), &vStat) != 0) return vInfo;
    vInfo.vExists = true;
    vInfo.vDirectory = S_ISDIR(vStat.st_mode);
    vInfo.vOwner = static_cast<unsigned>(vStat.st_uid);
    return vInfo;
  }

  std::string FLinkTarget(const std::string& pPath) override {
    std::string vTarget(4096, '\0');
    const ssize_t vLength = ::readlink(pPath.c_str(), vTarget.data(), vTarget.size());
    if (vLength <= 0) return {};
    vTarget.resize(static_cast<std::size_t>(vLength));
    return vTarget;
  }

  bool FCanRead(const std::string& pPath) override { return FAllowed(pPath, R_OK); }
  bool FCanWrite(const std::string& pPath) override { return FAllowed(pPath, W_OK); }

  std::vector<std::string> FFiles(const std::string& pDirectory) override {
    std::vector<std::string> vNames;
    DIR* vDir = ::opendir(pDirectory.c_str());
    if (!vDir) return vNames;
    while (const dirent* vEntry = ::readdir(vDir)) {
      const std::string vName = vEntry->d_name;
      struct stat vStat {};
      if (::lstat((pDirectory + "/" + vName).c_str(), &vStat) == 0 && S_ISREG(vStat.st_mode))
        vNames.push_back(vName);
    }
    ::closedir(vDir);
    return vNames;
  }

  std::string FTcpAnswers(const std::string& pHost, const std::string& pPort, int pSeconds) override {
    addrinfo vHints{};
    vHints.ai_family = AF_UNSPEC;
    vHints.ai_socktype = SOCK_STREAM;
    addrinfo* vList = nullptr;
    if (const int vError = ::getaddrinfo(pHost.c_str(), pPort.c_str(), &vHints, &vList); vError != 0)
      return ::gai_strerror(vError);
    const auto vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(pSeconds);
    std::string vLastError = "no address";
    bool vAnswered = false;
    for (const addrinfo* a = vList; a && !vAnswered; a = a->ai_next) {
      const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
      if (s < 0) {
        vLastError = std::strerror(errno);
        continue;
      }
      int vError = ::connect(s, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
      if (vError == EINPROGRESS) {
        const auto vLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
                               vDeadline - std::chrono::steady_clock::now()).count();
        pollfd vPoll{s, POLLOUT, 0};
        if (vLeft > 0 && ::poll(&vPoll, 1, static_cast<int>(vLeft)) == 1) {
          socklen_t vLength = sizeof vError;
          if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &vError, &vLength) != 0) vError = errno;
        } else {
          vError = ETIMEDOUT;
        }
      }
      ::close(s);
      if (vError == 0) vAnswered = true;
      else vLastError = std::strerror(vError);
    }
    ::freeaddrinfo(vList);
    return vAnswered ? std::string() : vLastError;
  }

 private:
  static bool FAllowed(const std::string& pPath, int pMode) {
    struct stat vStat {};
    // A directory is of use only when it can also be entered.
    if (::stat(pPath.c_str(), &vStat) == 0 && S_ISDIR(vStat.st_mode)) pMode |= X_OK;
    return ::faccessat(AT_FDCWD, pPath.c_str(), pMode, AT_EACCESS) == 0;
  }
};

}  // namespace

ICheckSystem& FDefaultCheckSystem() {
  static TPosixCheckSystem vSystem;
  return vSystem;
}

}  // namespace app
