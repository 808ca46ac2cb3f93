// The real IEnv over POSIX. Every call is a thin wrapper around one or two
// system calls; nothing here decides what to write.
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <random>
#include <string>
#include <utility>

#include "port/Env.h"
#include "port/StackTrace.h"

extern char** environ;

namespace port {

namespace {

// FOpenAppendLocked's wait for another writer's lock: a few yields, then
// short pauses, for at most about a millisecond.
constexpr long cLockWaitNs = 1000000L;
constexpr int cLockYields = 4;
constexpr long cLockPauseNs = 20000L;

// Writes pData to pFd, resuming after signals and short writes; the bytes
// written (all of them unless the system refused the rest).
std::size_t FWritten(int pFd, std::string_view pData) {
  std::size_t vDone = 0;
  while (vDone < pData.size()) {
    const ssize_t vWritten = ::write(pFd, pData.data() + vDone, pData.size() - vDone);
    if (vWritten < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (vWritten == 0) break;
    vDone += static_cast<std::size_t>(vWritten);
  }
  return vDone;
}

bool FWriteAll(int pFd, std::string_view pData) { return FWritten(pFd, pData) == pData.size(); }

// Takes the exclusive lock of pFd. Another writer holds it for one line, a
// few microseconds: that is waited out here, briefly, rather than failing
// and costing the caller a pause of its retry policy (milliseconds), which
// is meant for a lock held long. Never blocks: past the deadline, false.
bool FLockBriefly(int pFd) {
  timespec vDeadline {};
  for (int vTry = 0; ::flock(pFd, LOCK_EX | LOCK_NB) != 0; ++vTry) {
    timespec vNow {};
    ::clock_gettime(CLOCK_MONOTONIC, &vNow);
    if (vTry == 0) {
      vDeadline = vNow;
      vDeadline.tv_nsec += cLockWaitNs;
      if (vDeadline.tv_nsec >= 1000000000L) {
        vDeadline.tv_nsec -= 1000000000L;
        ++vDeadline.tv_sec;
      }
    }
    const bool vPast = vNow.tv_sec > vDeadline.tv_sec ||
                       (vNow.tv_sec == vDeadline.tv_sec && vNow.tv_nsec >= vDeadline.tv_nsec);
    if ((errno != EWOULDBLOCK && errno != EINTR) || vPast) return false;
    if (vTry < cLockYields) {
      ::sched_yield();
    } else {
      const timespec vPause {0, cLockPauseNs};
      ::nanosleep(&vPause, nullptr);
    }
  }
  return true;
}

thread_local std::uint32_t tThreadId = 0;  // FThreadId's cache: 0 until asked
thread_local time_t tLocalSecond = -1;     // FNow's cache: the second of tLocal
thread_local std::tm tLocal {};

// Link count, device and inode number of a file, and nothing else.
bool FIdentity(int pDirFd, const char* pPath, int pFlags, struct statx& pOut) {
  return ::statx(pDirFd, pPath, pFlags, STATX_NLINK | STATX_INO, &pOut) == 0 &&
         (pOut.stx_mask & (STATX_NLINK | STATX_INO)) == (STATX_NLINK | STATX_INO);
}

// Holds the descriptor and its flock; closing the descriptor releases the
// lock, so the destructor is the whole unlock path of a file opened for one
// line. A kept file gives its lock up with PUnlock and stays open.
class TPosixAppendFile final : public IAppendFile {
 public:
  TPosixAppendFile(int pFd, std::string pPath) : vFd(pFd), vPath(std::move(pPath)) {}
  ~TPosixAppendFile() override { ::close(vFd); }
  TPosixAppendFile(const TPosixAppendFile&) = delete;
  TPosixAppendFile& operator=(const TPosixAppendFile&) = delete;

  // A write the system cuts short (a full disk, a file-size limit) would
  // leave part of a line that the next line is glued to: what it wrote is
  // taken back. Every writer holds the flock, so nobody appended meanwhile.
  bool FWrite(std::string_view pData) override {
    const std::size_t vWritten = FWritten(vFd, pData);
    if (vWritten == pData.size()) return true;
    struct stat vStat {};
    if (vWritten > 0 && ::fstat(vFd, &vStat) == 0 && vStat.st_size >= static_cast<off_t>(vWritten)) {
      while (::ftruncate(vFd, vStat.st_size - static_cast<off_t>(vWritten)) != 0 && errno == EINTR) {
      }
    }
    return false;
  }

  void PUnlock() override { (void)::flock(vFd, LOCK_UN); }

  // A removed file is seen at once (no link left); a renamed one by
  // looking the name up, which costs a path walk, so at most once a second:
  // lines meanwhile land in the renamed file, none is lost.
  //
  // Only the link count and the identity are asked for, never the times:
  // a file whose change time has been read gets a fine-grained time at its
  // next write, and handing one out moves the clock that every other
  // file's next write reads. The store database's header page is written
  // with O_DSYNC at each transaction: with a changed time that write also
  // writes its inode synchronously, once per transaction instead of about
  // once a clock tick.
  bool FRelock() override {
    if (!FLockBriefly(vFd)) return false;
    struct statx vOpen {};
    bool vSame = FIdentity(vFd, "", AT_EMPTY_PATH, vOpen) && vOpen.stx_nlink > 0;
    timespec vNow {};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &vNow);
    if (vSame && vNow.tv_sec != vNameChecked) {
      struct statx vNamed {};
      vSame = FIdentity(AT_FDCWD, vPath.c_str(), 0, vNamed) && vOpen.stx_dev_major == vNamed.stx_dev_major &&
              vOpen.stx_dev_minor == vNamed.stx_dev_minor && vOpen.stx_ino == vNamed.stx_ino;
      vNameChecked = vNow.tv_sec;
    }
    if (vSame) return true;
    PUnlock();
    return false;
  }

 private:
  int vFd;
  std::string vPath;
  time_t vNameChecked = -1;
};

class TEnvPosix final : public IEnv {
 public:
  // A write past the file-size limit (ulimit -f, a service's LimitFSIZE)
  // would end the process with SIGXFSZ before it answers; ignored, the
  // write fails with EFBIG and only that trace line is lost.
  TEnvPosix() { (void)::signal(SIGXFSZ, SIG_IGN); }

  std::string FExePath() override {
    // The executable of a running process does not change: read once (a
    // FastCGI worker asks at every request).
    std::call_once(vExePathOnce, [this] {
      std::string vPath(4096, '\0');
      const ssize_t vLength = ::readlink("/proc/self/exe", vPath.data(), vPath.size());
      if (vLength > 0) vExePath = vPath.substr(0, static_cast<std::size_t>(vLength));
    });
    return vExePath;
  }

  std::vector<std::pair<std::string, std::string>> FEnvironment() override {
    std::vector<std::pair<std::string, std::string>> vResult;
    for (char** vEntry = environ; vEntry != nullptr && *vEntry != nullptr; ++vEntry) {
      const std::string_view vText(*vEntry);
      const auto vEquals = vText.find('=');
      if (vEquals == std::string_view::npos) {
        vResult.emplace_back(std::string(vText), std::string());
      } else {
        vResult.emplace_back(std::string(vText.substr(0, vEquals)),
                             std::string(vText.substr(vEquals + 1)));
      }
    }
    return vResult;
  }

  std::size_t FReadStdin(char* pBuffer, std::size_t pSize) override {
    for (;;) {
      const ssize_t vRead = ::read(0, pBuffer, pSize);
      if (vRead < 0 && errno == EINTR) continue;
      return vRead < 0 ? 0 : static_cast<std::size_t>(vRead);
    }
  }

  bool FWriteStdout(std::string_view pData) override { return FWriteAll(1, pData); }
  bool FWriteStderr(std::string_view pData) override { return FWriteAll(2, pData); }

  bool FFileExists(const std::string& pPath) override {
    struct stat vStat {};
    if (::stat(pPath.c_str(), &vStat) != 0) return false;
    return !pPath.empty() && pPath.back() == '/' ? S_ISDIR(vStat.st_mode) : S_ISREG(vStat.st_mode);
  }

  std::optional<std::string> FReadFile(const std::string& pPath) override {
    // Opened without blocking and checked before the first read: a FIFO
    // under the name would otherwise hold the process until some writer
    // came along, and a directory is no file at all.
    const int vFd = ::open(pPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (vFd < 0) return std::nullopt;
    struct stat vStat {};
    if (::fstat(vFd, &vStat) != 0 || !S_ISREG(vStat.st_mode)) {
      ::close(vFd);
      return std::nullopt;
    }
    std::string vContent;
    char vBuffer[8192];
    for (;;) {
      const ssize_t vRead = ::read(vFd, vBuffer, sizeof vBuffer);
      if (vRead < 0 && errno == EINTR) continue;
      if (vRead < 0) {
        ::close(vFd);
        return std::nullopt;
      }
      if (vRead == 0) break;
      vContent.append(vBuffer, static_cast<std::size_t>(vRead));
    }
    ::close(vFd);
    return vContent;
  }

  bool FForceDirectories(const std::string& pPath) override {
    if (pPath.empty()) return false;
    // Walk the path from its root, creating each missing level; a level
    // that another process creates meanwhile is fine (EEXIST).
    for (std::size_t vPos = 1; vPos <= pPath.size(); ++vPos) {
      if (vPos != pPath.size() && pPath[vPos] != '/') continue;
      const std::string vLevel = pPath.substr(0, vPos);
      if (::mkdir(vLevel.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat vStat {};
    return ::stat(pPath.c_str(), &vStat) == 0 && S_ISDIR(vStat.st_mode);
  }

  std::unique_ptr<IAppendFile> FOpenAppendLocked(const std::string& pPath) override {
    // O_APPEND|O_CREAT without O_TRUNC: creating a missing file and
    // appending to an existing one is one step that never empties it.
    int vFd;
    do {
      vFd = ::open(pPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    } while (vFd < 0 && errno == EINTR);
    if (vFd < 0) return nullptr;
    if (!FLockBriefly(vFd)) {
      ::close(vFd);
      return nullptr;
    }
    return std::make_unique<TPosixAppendFile>(vFd, pPath);
  }

  std::string FMakePrivateDirectory(const std::string& pPrefix) override {
    const char* vTmp = std::getenv("TMPDIR");
    std::string vTemplate = std::string(vTmp != nullptr && *vTmp != '\0' ? vTmp : "/tmp") + "/" + pPrefix + "XXXXXX";
    return ::mkdtemp(vTemplate.data()) == nullptr ? std::string() : vTemplate;
  }

  std::string FWriteNewFile(const std::string& pDirectory, const std::string& pPrefix,
                            std::string_view pContent) override {
    std::string vPath = pDirectory + "/" + pPrefix + "XXXXXX";
    const int vFd = ::mkstemp(vPath.data());
    if (vFd < 0) return {};
    const bool vOk = FWriteAll(vFd, pContent);
    ::close(vFd);
    if (vOk) return vPath;
    ::unlink(vPath.c_str());
    return {};
  }

  void PRemove(const std::string& pPath) override {
    if (::unlink(pPath.c_str()) != 0 && errno == EISDIR) (void)::rmdir(pPath.c_str());
  }

  TDateTime FNow() override {
    timespec vNow {};
    ::clock_gettime(CLOCK_REALTIME, &vNow);
    // Every trace line asks: the local time is worked out once a second
    // (localtime_r takes the time zone's lock and walks its rules).
    if (vNow.tv_sec != tLocalSecond) {
      ::localtime_r(&vNow.tv_sec, &tLocal);
      tLocalSecond = vNow.tv_sec;
    }
    const std::tm& vLocal = tLocal;
    TDateTime vResult;
    vResult.vYear = vLocal.tm_year + 1900;
    vResult.vMonth = vLocal.tm_mon + 1;
    vResult.vDay = vLocal.tm_mday;
    vResult.vHour = vLocal.tm_hour;
    vResult.vMinute = vLocal.tm_min;
    vResult.vSecond = vLocal.tm_sec;
    vResult.vMillisecond = static_cast<int>(vNow.tv_nsec / 1000000);
    return vResult;
  }

  void PSleepMs(int pMilliseconds) override {
    if (pMilliseconds <= 0) return;
    timespec vRemaining{pMilliseconds / 1000, static_cast<long>(pMilliseconds % 1000) * 1000000L};
    while (::nanosleep(&vRemaining, &vRemaining) != 0 && errno == EINTR) {
    }
  }

  int FRandomRange(int pLow, int pHigh) override {
    if (pHigh <= pLow) return pLow;
    std::lock_guard vGuard(vGeneratorLock);
    return std::uniform_int_distribution<int>(pLow, pHigh)(FGenerator());
  }

  // Asked at every trace line; a thread's identifier does not change, and
  // the child of a fork (the only thread there) forgets the parent's.
  std::uint32_t FThreadId() override {
    static std::once_flag vForkHook;
    std::call_once(vForkHook, [] { (void)::pthread_atfork(nullptr, nullptr, [] { tThreadId = 0; }); });
    if (tThreadId == 0) tThreadId = static_cast<std::uint32_t>(::gettid());
    return tThreadId;
  }

  std::vector<std::string> FSymbolize(const std::vector<void*>& pFrames) override { return port::FSymbolize(pFrames); }

  char FDecimalSeparator() override {
    // The environment of a process does not change: read once.
    std::call_once(vSeparatorOnce, [this] { vSeparator = FLocaleDecimalSeparator(); });
    return vSeparator;
  }

  bool FStdinIsListeningSocket() override {
    int vListening = 0;
    socklen_t vLength = sizeof vListening;
    return ::getsockopt(0, SOL_SOCKET, SO_ACCEPTCONN, &vListening, &vLength) == 0 && vListening != 0;
  }

  void PHoldTermination() override {
    // Dispositions are process-wide, so this also covers the threads the
    // database client started; a write to a closed output fails instead.
    for (const int vSignal : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) (void)::signal(vSignal, SIG_IGN);
  }

 private:
  // Seeded on first use from the clock and the process id, so that
  // concurrent processes retrying on the same file do not pause in step.
  std::minstd_rand& FGenerator() {
    if (!vSeeded) {
      timespec vNow {};
      ::clock_gettime(CLOCK_MONOTONIC, &vNow);
      vGenerator.seed(static_cast<std::uint32_t>(vNow.tv_nsec) ^
                      (static_cast<std::uint32_t>(::getpid()) << 16));
      vSeeded = true;
    }
    return vGenerator;
  }

  std::once_flag vExePathOnce;
  std::string vExePath;
  std::once_flag vSeparatorOnce;
  char vSeparator = '.';
  std::mutex vGeneratorLock;
  std::minstd_rand vGenerator;
  bool vSeeded = false;
};

}  // namespace

IEnv& FDefaultEnv() {
  // Deliberately never freed: the trace log may still write its finish
  // banner while static objects are being destroyed at exit.
  static TEnvPosix* const vEnv = new TEnvPosix();
  return *vEnv;
}

}  // namespace port
