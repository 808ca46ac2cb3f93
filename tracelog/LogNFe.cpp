// The trace log: file naming, line layout, the open-lock-write-close of each
// line with its bounded retries, exception entries with their stack
// listing, and the process-wide instance.
#include "tracelog/LogNFe.h"

#include <atomic>
#include <charconv>
#include <optional>

#include "port/Env.h"
#include "port/Exception.h"
#include "port/StackTrace.h"

namespace tracelog {

namespace {

// The file is 8-bit text in the host code page (Windows-1252): the accented
// letters are written as their single bytes.
constexpr std::string_view cLogIniciado = "**** Log iniciado ****";
constexpr std::string_view cLogFinalizado = "**** Log finalizado ****";
constexpr std::string_view cTraceDesabilitado = "Trace desabilitado.";
constexpr std::string_view cExcecao = "Exce\xE7\xE3o ";  // "Exceção %s: %s"
constexpr std::string_view cErroPilha = "Erro ao analisar a pilha: ";
constexpr const char* cSelf = "TLog";

constexpr int cOpenAttempts = 16;
constexpr int cMinPauseMs = 1;
constexpr int cMaxPauseMs = 16;
constexpr std::size_t cSenderWidth = 32;
constexpr std::size_t cListingIndent = 74;

std::string_view FNivelTexto(TNivelLog pLevel) {
  switch (pLevel) {
    case TNivelLog::DEBUG: return "DEBUG ";
    case TNivelLog::INFO: return "INFO  ";
    case TNivelLog::ALERTA: return "ALERTA";
    case TNivelLog::ERRO: return "ERRO  ";
  }
  return "ERRO  ";
}

// Appends pValue zero-filled to pWidth digits.
void PAppendNumber(std::string& pText, int pValue, int pWidth) {
  char vDigits[16];
  const auto vEnd = std::to_chars(vDigits, vDigits + sizeof vDigits, pValue < 0 ? 0 : pValue).ptr;
  const int vCount = static_cast<int>(vEnd - vDigits);
  if (vCount < pWidth) pText.append(static_cast<std::size_t>(pWidth - vCount), '0');
  pText.append(vDigits, vEnd);
}

std::string FComposeLine(const port::TDateTime& pNow, std::uint32_t pThreadId, TNivelLog pLevel,
                         TSender pSender, std::string_view pMessage) {
  // "%s %s %s : [%s] %s" + CR LF
  std::string vLine;
  vLine.reserve(76 + pMessage.size());
  PAppendNumber(vLine, pNow.vYear, 4);
  vLine += '-';
  PAppendNumber(vLine, pNow.vMonth, 2);
  vLine += '-';
  PAppendNumber(vLine, pNow.vDay, 2);
  vLine += ' ';
  PAppendNumber(vLine, pNow.vHour, 2);
  vLine += ':';
  PAppendNumber(vLine, pNow.vMinute, 2);
  vLine += ':';
  PAppendNumber(vLine, pNow.vSecond, 2);
  vLine += ' ';
  constexpr std::string_view cHex = "0123456789ABCDEF";
  for (int vShift = 28; vShift >= 0; vShift -= 4) vLine += cHex[(pThreadId >> vShift) & 0xF];
  vLine += ' ';
  vLine += FNivelTexto(pLevel);
  vLine += " : [";
  if (pSender == nullptr) {
    vLine += '*';
  } else {
    const std::string_view vName(pSender);
    vLine += vName;
    if (vName.size() < cSenderWidth) vLine.append(cSenderWidth - vName.size(), ' ');
  }
  vLine += "] ";
  vLine += pMessage;
  vLine += "\r\n";
  return vLine;
}

}  // namespace

TLog::TLog(port::IEnv& pEnv, const std::string& pName, const std::string& pSwitch) : vEnv(&pEnv) {
  port::IEnv& vOs = *vEnv;
  // A log that cannot even name its file stays silent rather than fail
  // the process that creates it.
  try {
    const std::string vExePath = vOs.FExePath();
    const std::string vName = pName.empty() ? port::FFileNameWithoutExtension(vExePath) : pName;
    const std::string vDirectory = port::FExtractFilePath(vExePath) + "log/";
    // The date is fixed here: a process that runs past midnight keeps
    // writing into the file of the day it started.
    const port::TDateTime vToday = vOs.FNow();
    std::string vDate;
    PAppendNumber(vDate, vToday.vYear, 4);
    PAppendNumber(vDate, vToday.vMonth, 2);
    PAppendNumber(vDate, vToday.vDay, 2);
    vFilePrefix = vDirectory + "Log" + vName;
    vFileName = vFilePrefix + vDate + ".txt";
    if (!vOs.FFileExists(vDirectory)) {
      // A failure shows later as lines that cannot be opened and are dropped.
      (void)vOs.FForceDirectories(vDirectory);
    }
  } catch (...) {
  }
  vTrace = true;
  vEnabled = pSwitch == "S";
  Info(cSelf, cLogIniciado);
  // Only an enabled log can ever list a stack, so only it pays for the
  // recording of every throw.
  if (vEnabled) port::PStartStackRecording();
}

TLog::~TLog() {
  if (vEnabled) port::PStopStackRecording();
  Info(cSelf, cLogFinalizado);
}

void TLog::Info(TSender pSender, std::string_view pMessage) noexcept {
  PWriteLine(TNivelLog::INFO, pSender, pMessage);
}

void TLog::Erro(TSender pSender, std::string_view pMessage) noexcept {
  PWriteLine(TNivelLog::ERRO, pSender, pMessage);
}

void TLog::Excecao(TSender pSender, const std::exception& pException) noexcept {
  // A disabled log writes nothing, so it need not read the stack at all.
  if (!vEnabled) return;
  try {
    std::string vEntry(cExcecao);
    vEntry += port::FExceptionClassName(pException);
    vEntry += ": ";
    vEntry += pException.what();

    // Built before the lock is taken: symbolising may take a while.
    std::string vListing;
    if (vTrace) {
      try {
        const std::vector<void*> vFrames = port::FRecordedStack(pException);
        if (!vFrames.empty()) {
          for (const std::string& vFrame : vEnv->FSymbolize(vFrames)) {
            vListing.append(cListingIndent, ' ');
            vListing += vFrame;
            vListing += "\r\n";
          }
        }
      } catch (const std::exception& vFailure) {
        vListing.clear();
        std::string vMessage(cErroPilha);
        vMessage += vFailure.what();
        Erro(cSelf, vMessage);
      }
    }
    if (!vListing.empty()) {
      vEntry += "\r\n";
      vEntry += vListing;
    }
    Erro(pSender, vEntry);
  } catch (...) {
    // Out of memory while composing: the entry is lost, the caller is not told.
  }
}

void TLog::PSetTrace(bool pValue) noexcept {
  if (vTrace && !pValue) {
    Info(cSelf, cTraceDesabilitado);
  }
  vTrace = pValue;
}

void TLog::PWriteLine(TNivelLog pLevel, TSender pSender, std::string_view pMessage) noexcept {
  try {
    std::lock_guard vGuard(vLock);
    if (!vEnabled) return;
    port::IEnv& vOs = *vEnv;
    // A daily file is named after the line's own time, taken once for both.
    std::optional<port::TDateTime> vLineTime;
    std::string vDailyName;
    if (vDailyFile) {
      vLineTime = vOs.FNow();
      vDailyName = vFilePrefix;
      PAppendNumber(vDailyName, vLineTime->vYear, 4);
      PAppendNumber(vDailyName, vLineTime->vMonth, 2);
      PAppendNumber(vDailyName, vLineTime->vDay, 2);
      vDailyName += ".txt";
    }
    const std::string& vFileName = vDailyFile ? vDailyName : this->vFileName;
    std::unique_ptr<port::IAppendFile> vFile;
    // A long-lived process keeps the file of the day open between lines
    // (opening and closing it costs more than the line); it is locked
    // again for each line, and opened anew on a new day or when the file
    // was removed or renamed meanwhile.
    if (vKeptFile && vKeptName == vFileName && vKeptFile->FRelock()) vFile = std::move(vKeptFile);
    vKeptFile.reset();
    for (int vAttempt = 0; vAttempt < cOpenAttempts && !vFile; ++vAttempt) {
      vFile = vOs.FOpenAppendLocked(vFileName);
      if (vFile) break;
      // Pausing only helps against another writer's lock. Without the log
      // directory (a file in its place, say) the line is dropped at once
      // instead of costing every line of the request 16 pauses.
      if (!vOs.FFileExists(port::FExtractFilePath(vFileName))) break;
      vOs.PSleepMs(vOs.FRandomRange(cMinPauseMs, cMaxPauseMs));
    }
    if (!vFile) return;
    // One write per line while the lock is held. A file opened for this
    // line is closed (and unlocked) when vFile goes out of scope, also when
    // composing fails; a long-lived process unlocks it and keeps it.
    (void)vFile->FWrite(FComposeLine(vLineTime ? *vLineTime : vOs.FNow(), vOs.FThreadId(), pLevel, pSender, pMessage));
    if (vDailyFile) {
      vFile->PUnlock();
      vKeptFile = std::move(vFile);
      vKeptName = vFileName;
    }
  } catch (...) {
    // Every failure of the log is swallowed: the line is lost.
  }
}

// The installed slot. A plain pointer with constant initialisation:
// nothing runs at start-up, and only TProcessLog sets it.
namespace {

std::atomic<TProcessLog*> vInstalled{nullptr};

}  // namespace

TProcessLog::TProcessLog(port::IEnv& pEnv) : vEnv(pEnv) { vInstalled.store(this); }

TProcessLog::~TProcessLog() {
  PLiberaLog();
  TProcessLog* vSelf = this;
  (void)vInstalled.compare_exchange_strong(vSelf, nullptr);
}

void TProcessLog::PCriaLog(const std::string& pName, const std::string& pSwitch) {
  std::lock_guard vGuard(vLock);
  if (!vLog) vLog = std::make_unique<TLog>(vEnv, pName, pSwitch);
}

TLog& TProcessLog::FRetornaLog() {
  std::lock_guard vGuard(vLock);
  if (!vLog) vLog = std::make_unique<TLog>(vEnv, std::string(), "N");
  return *vLog;
}

void TProcessLog::PLiberaLog() noexcept {
  std::unique_ptr<TLog> vOld;
  {
    std::lock_guard vGuard(vLock);
    vOld = std::move(vLog);
  }
  // Destroyed outside the lock: its finish banner must not hold it.
}

TLog& FRetornaLog() {
  if (TProcessLog* vSlot = vInstalled.load()) return vSlot->FRetornaLog();
  // Writes nothing and owns nothing; deliberately never freed, so a line
  // written during static destruction still finds it.
  static TLog* const vDisabled = new TLog();
  return *vDisabled;
}

void PCriaLog(const std::string& pName, const std::string& pSwitch) {
  if (TProcessLog* vSlot = vInstalled.load()) vSlot->PCriaLog(pName, pSwitch);
}

}  // namespace tracelog
