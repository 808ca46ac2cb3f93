// The process's trace log: one text file per executable and day in "log/"
// beside the executable, one append under an exclusive lock per line, so
// concurrent processes interleave whole lines. A process of one request
// opens and closes the file for each line; a long-lived one keeps it open.
//
// The log belongs to the process: the process object owns a TProcessLog,
// and while it lives the process-wide accessors PCriaLog/FRetornaLog reach
// it; its PLiberaLog (a shutdown step) destroys the log, which writes the
// finish banner. No writing operation ever throws to its caller.
#pragma once

#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace port {
class IEnv;
class IAppendFile;
}

namespace tracelog {

enum class TNivelLog { DEBUG, INFO, ALERTA, ERRO };

// A sender is shown by its class name; nullptr means "no sender" ("*").
using TSender = const char*;

class TLog;
[[nodiscard]] TLog& FRetornaLog();

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

  // The file of the day the log was created.
  [[nodiscard]] const std::string& FFileName() const noexcept { return vFileName; }
  // A process that serves many requests lives past midnight: with this on,
  // each line goes into the file of its own day instead of the file of the
  // day the log was created. Off by default (one request per process).
  void PSetDailyFile(bool pValue) noexcept { vDailyFile = pValue; }
  [[nodiscard]] bool FEnabled() const noexcept { return vEnabled; }

 private:
  friend TLog& FRetornaLog();
  TLog() = default;  // disabled, without a file: what a process without a log slot gets
  void PWriteLine(TNivelLog pLevel, TSender pSender, std::string_view pMessage) noexcept;

  port::IEnv* vEnv = nullptr;
  std::string vFileName;
  std::string vFilePrefix;  // directory, "Log" and the name: the date and ".txt" follow
  bool vDailyFile = false;
  // With vDailyFile: the file of the last line, kept open and unlocked.
  std::unique_ptr<port::IAppendFile> vKeptFile;
  std::string vKeptName;
  std::mutex vLock;
  bool vEnabled = false;
  bool vTrace = false;
};

// The slot that holds the process's log, made with the process's
// environment. Constructing one installs it as the target of the
// process-wide accessors below; destroying it destroys the log (finish
// banner) and uninstalls it.
// REQUIRES: at most one alive at a time; pEnv outlives it.
class TProcessLog {
 public:
  explicit TProcessLog(port::IEnv& pEnv);
  ~TProcessLog();
  TProcessLog(const TProcessLog&) = delete;
  TProcessLog& operator=(const TProcessLog&) = delete;

  // Creates the log when the slot has none yet; otherwise does nothing.
  void PCriaLog(const std::string& pName, const std::string& pSwitch);
  // The log; creates a disabled one when none exists yet.
  [[nodiscard]] TLog& FRetornaLog();
  // Destroys the log (finish banner); the next FRetornaLog makes a new one.
  void PLiberaLog() noexcept;

 private:
  port::IEnv& vEnv;
  std::mutex vLock;
  std::unique_ptr<TLog> vLog;
};

// The process's log, through the installed slot. Without a slot (a unit
// used on its own) the answer is a disabled log that writes nothing.
[[nodiscard]] TLog& FRetornaLog();
// PCriaLog of the installed slot; nothing without one.
void PCriaLog(const std::string& pName, const std::string& pSwitch);

}  // namespace tracelog
