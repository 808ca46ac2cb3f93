// Turning recorded return addresses into readable lines: dladdr for the
// module and exported names, addr2line (when installed) for the functions
// and source lines of the main program, whose symbols are not exported.
#include "port/StackTrace.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "port/Text.h"

namespace port {

namespace {

std::string FHex(std::uintptr_t pValue) {
  char vText[32];
  std::snprintf(vText, sizeof vText, "0x%016llx", static_cast<unsigned long long>(pValue));
  return vText;
}

std::string FBaseName(const std::string& pPath) {
  const auto vSlash = pPath.find_last_of('/');
  return vSlash == std::string::npos ? pPath : pPath.substr(vSlash + 1);
}

std::string FMainProgramPath() {
  char vPath[4096];
  const ssize_t vLength = ::readlink("/proc/self/exe", vPath, sizeof vPath);
  return vLength > 0 ? std::string(vPath, static_cast<std::size_t>(vLength)) : std::string();
}

// Runs addr2line on one module for the given file-relative addresses and
// returns its output, or nothing when the tool is missing or fails. The
// child gets no descriptor of ours except the pipe, so the CGI's standard
// handles and the database connection stay untouched.
std::string FRunAddr2Line(const std::string& pModule, const std::vector<std::uintptr_t>& pAddresses) {
  static const char* const cTool = "/usr/bin/addr2line";
  if (::access(cTool, X_OK) != 0) return {};

  std::vector<std::string> vArguments = {"addr2line", "-f", "-C", "-e", pModule};
  for (const auto vAddress : pAddresses) vArguments.push_back(FHex(vAddress));
  std::vector<char*> vArgv;
  for (auto& vArgument : vArguments) vArgv.push_back(vArgument.data());
  vArgv.push_back(nullptr);

  int vPipe[2];
  if (::pipe2(vPipe, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t vActions;
  posix_spawn_file_actions_init(&vActions);
  posix_spawn_file_actions_addopen(&vActions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&vActions, vPipe[1], 1);
  posix_spawn_file_actions_addopen(&vActions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&vActions, 3);
  char* vNoEnvironment[] = {nullptr};
  pid_t vChild = -1;
  const int vSpawned = ::posix_spawn(&vChild, cTool, &vActions, nullptr, vArgv.data(), vNoEnvironment);
  posix_spawn_file_actions_destroy(&vActions);
  ::close(vPipe[1]);

  std::string vOutput;
  if (vSpawned == 0) {
    char vBuffer[4096];
    for (;;) {
      const ssize_t vRead = ::read(vPipe[0], vBuffer, sizeof vBuffer);
      if (vRead < 0 && errno == EINTR) continue;
      if (vRead <= 0) break;
      vOutput.append(vBuffer, static_cast<std::size_t>(vRead));
    }
    int vStatus = 0;
    while (::waitpid(vChild, &vStatus, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(vStatus) || WEXITSTATUS(vStatus) != 0) vOutput.clear();
  }
  ::close(vPipe[0]);
  return vOutput;
}

struct TFrameInfo {
  std::uintptr_t vAddress = 0;
  std::string vModule;
  std::string vFunction;
  std::string vSource;
};

}  // namespace

std::vector<std::string> FSymbolize(const std::vector<void*>& pFrames) {
  std::vector<TFrameInfo> vInfos(pFrames.size());
  // Main-program frames grouped for one addr2line run: index and address
  // relative to the load bias.
  std::vector<std::size_t> vMainIndexes;
  std::vector<std::uintptr_t> vMainAddresses;
  const std::string vMainPath = FMainProgramPath();

  for (std::size_t vIndex = 0; vIndex < pFrames.size(); ++vIndex) {
    TFrameInfo& vInfo = vInfos[vIndex];
    vInfo.vAddress = reinterpret_cast<std::uintptr_t>(pFrames[vIndex]);
    // A return address points past its call; look up the call itself.
    void* vLookup = reinterpret_cast<void*>(vInfo.vAddress - 1);
    Dl_info vDl {};
    link_map* vMap = nullptr;
    if (::dladdr1(vLookup, &vDl, reinterpret_cast<void**>(&vMap), RTLD_DL_LINKMAP) == 0) {
      vInfo.vModule.assign(1, '?');
      continue;
    }
    const bool vMain = vMap != nullptr && (vMap->l_name == nullptr || vMap->l_name[0] == '\0');
    vInfo.vModule = FBaseName(vMain ? vMainPath : std::string(vDl.dli_fname ? vDl.dli_fname : "?"));
    if (vDl.dli_sname != nullptr) {
      char vOffset[32];
      std::snprintf(vOffset, sizeof vOffset, "+0x%llx",
                    static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pFrames[vIndex]) -
                                                    reinterpret_cast<std::uintptr_t>(vDl.dli_saddr)));
      vInfo.vFunction = FDemangle(vDl.dli_sname) + vOffset;
    }
    if (vMain && vMap != nullptr && !vMainPath.empty()) {
      vMainIndexes.push_back(vIndex);
      vMainAddresses.push_back(reinterpret_cast<std::uintptr_t>(vLookup) - vMap->l_addr);
    }
  }

  if (!vMainAddresses.empty()) {
    // addr2line answers two lines per address: function, then file:line.
    const std::string vOutput = FRunAddr2Line(vMainPath, vMainAddresses);
    std::size_t vPos = 0;
    const auto FNextLine = [&]() -> std::optional<std::string> {
      if (vPos >= vOutput.size()) return std::nullopt;
      const auto vEnd = vOutput.find('\n', vPos);
      std::string vLine = vOutput.substr(vPos, vEnd == std::string::npos ? std::string::npos : vEnd - vPos);
      vPos = vEnd == std::string::npos ? vOutput.size() : vEnd + 1;
      return vLine;
    };
    for (const auto vIndex : vMainIndexes) {
      const auto vFunction = FNextLine();
      const auto vSource = FNextLine();
      if (!vFunction || !vSource) break;
      if (*vFunction != "??") vInfos[vIndex].vFunction = *vFunction;
      std::string vWhere = *vSource;
      const auto vDiscriminator = vWhere.find(" (discriminator");
      if (vDiscriminator != std::string::npos) vWhere.erase(vDiscriminator);
      const auto FEndsWith = [&](const char* pTail) {
        const std::size_t vLength = std::strlen(pTail);
        return vWhere.size() >= vLength && vWhere.compare(vWhere.size() - vLength, vLength, pTail) == 0;
      };
      if (vWhere.rfind("??", 0) != 0 && !FEndsWith(":0") && !FEndsWith(":?")) {
        vInfos[vIndex].vSource = FBaseName(vWhere);
      }
    }
  }

  std::vector<std::string> vLines;
  vLines.reserve(vInfos.size());
  for (const auto& vInfo : vInfos) {
    std::string vLine = FHex(vInfo.vAddress) + " " + vInfo.vModule;
    if (!vInfo.vFunction.empty()) vLine += " " + vInfo.vFunction;
    if (!vInfo.vSource.empty()) vLine += " (" + vInfo.vSource + ")";
    vLines.push_back(std::move(vLine));
  }
  return vLines;
}

}  // namespace port

