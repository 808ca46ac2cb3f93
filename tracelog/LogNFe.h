// The process's trace log: one text file per executable and day in "log/"
// beside the executable, one open-append-close under an exclusive lock per
// line, so concurrent processes interleave whole lines.
//
// The log belongs to the process: PCriaLog/FRetornaLog create it once and
// PLiberaLog (called at shutdown) destroys it, writing the finish banner.
// No writing operation ever throws to its caller.
#pragma once

#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace port {
class IEnv;
}

namespace tracelog {

enum class TNivelLog { DEBUG, INFO, ALERTA, ERRO };

// A sender is shown by its class name; nullptr means "no sender" ("*").
using TSender = const char*;

class TLog {
 public:
  // pName empty: the executable's file name without extension.
  // pSwitch exactly "S": enabled; anything else writes nothing at all.
  TLog(port::IEnv& pEnv, const std::string& pName, const std::string& pSwitch);
  ~TLog();
  TLog(const TLog&) = delete;
  TLog& operator=(const TLog&) = delete;

  void Info(TSender pSender, std::string_view pMessage) noexcept;
  void Erro(TSender pSender, std::string_view pMessage) noexcept;
  // "Exceção <class>: <message>", followed by the call stack recorded when
  // pException was thrown (while Trace is on), at ERRO level.
  void Excecao(TSender pSender, const std::exception& pException) noexcept;

  [[nodiscard]] bool FTrace() const noexcept { return vTrace; }
  void PSetTrace(bool pValue) noexcept;

  [[nodiscard]] const std::string& FFileName() const noexcept { return vFileName; }
  [[nodiscard]] bool FEnabled() const noexcept { return vEnabled; }

 private:
  void PWriteLine(TNivelLog pLevel, TSender pSender, std::string_view pMessage) noexcept;

  port::IEnv& vEnv;
  std::string vFileName;
  std::mutex vLock;
  bool vEnabled = false;
  bool vTrace = false;
};

// The process's log; creates a disabled one when none exists yet.
[[nodiscard]] TLog& FRetornaLog();
// Creates the process's log when none exists yet; otherwise does nothing.
void PCriaLog(const std::string& pName, const std::string& pSwitch);
// Destroys the process's log (finish banner); the next FRetornaLog makes a new one.
void PLiberaLog() noexcept;
// The environment the process-wide log is made with (tests hand in a fake).
void PSetLogEnv(port::IEnv& pEnv) noexcept;

}  // namespace tracelog
