// The operating system behind one small interface: environment, standard
// handles, the executable's path, files and directories, the per-line
// locked append of the trace log, clock, sleep, random numbers and thread
// identity. Logic that decides what to write talks to an IEnv, never to the
// system itself, so that tests can hand it a TMemEnv (port/MemEnv.h).
//
// FDefaultEnv() is the real implementation; it lives for the whole process
// and must not be deleted.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace port {

// Local wall-clock time, broken down.
struct TDateTime {
  int vYear = 0, vMonth = 0, vDay = 0;
  int vHour = 0, vMinute = 0, vSecond = 0, vMillisecond = 0;
};

// A file opened for appending (created when missing, never truncated) and
// held under an exclusive lock until destroyed.
class IAppendFile {
 public:
  virtual ~IAppendFile() = default;
  // Writes all of pData in one call; false on any failure.
  [[nodiscard]] virtual bool FWrite(std::string_view pData) = 0;
  // A writer that keeps the file open between lines (a long-lived process)
  // gives the lock up after each line and takes it again for the next.
  // FRelock is false when the lock cannot be had within about a
  // millisecond, or when the name no longer leads to this file (removed, or
  // renamed: that is seen within a second): the writer then opens the file
  // anew.
  virtual void PUnlock() = 0;
  [[nodiscard]] virtual bool FRelock() = 0;
};

class IEnv {
 public:
  virtual ~IEnv() = default;

  // Full path of the running executable, with "/" separators.
  [[nodiscard]] virtual std::string FExePath() = 0;

  // Every environment variable as (name, value), in the order the
  // process received them.
  [[nodiscard]] virtual std::vector<std::pair<std::string, std::string>> FEnvironment() = 0;

  // Reads up to pSize bytes of standard input; 0 at end or on error.
  [[nodiscard]] virtual std::size_t FReadStdin(char* pBuffer, std::size_t pSize) = 0;
  // Writes all bytes to standard output / standard error; false on failure.
  virtual bool FWriteStdout(std::string_view pData) = 0;
  virtual bool FWriteStderr(std::string_view pData) = 0;

  // True when pPath names a regular file, or a symbolic link to one; a
  // directory, a FIFO or a device under that name is no file. A path that
  // ends in "/" names a directory instead, and is true when it exists.
  [[nodiscard]] virtual bool FFileExists(const std::string& pPath) = 0;
  // The whole content of a regular file (or of one a symbolic link names);
  // nothing when pPath names anything else or the file cannot be read.
  [[nodiscard]] virtual std::optional<std::string> FReadFile(const std::string& pPath) = 0;
  // Creates the directory and any missing parents; true when it exists after.
  virtual bool FForceDirectories(const std::string& pPath) = 0;
  // Append-or-create in one step plus an exclusive lock; nullptr when the
  // file cannot be opened, or locked within about a millisecond.
  [[nodiscard]] virtual std::unique_ptr<IAppendFile> FOpenAppendLocked(const std::string& pPath) = 0;

  // A new directory only this user can enter (mode 0700) under the
  // temporary directory (TMPDIR, else /tmp), named pPrefix and a unique
  // suffix; "" when it cannot be made.
  [[nodiscard]] virtual std::string FMakePrivateDirectory(const std::string& pPrefix) = 0;
  // A new file of this user only in pDirectory, named pPrefix and a unique
  // suffix, holding pContent; "" when it cannot be made or written whole
  // (nothing is left behind then).
  [[nodiscard]] virtual std::string FWriteNewFile(const std::string& pDirectory, const std::string& pPrefix,
                                                  std::string_view pContent) = 0;
  // Removes a file or an empty directory; nothing when it is not there.
  virtual void PRemove(const std::string& pPath) = 0;

  [[nodiscard]] virtual TDateTime FNow() = 0;
  virtual void PSleepMs(int pMilliseconds) = 0;
  // Uniform integer in [pLow, pHigh].
  [[nodiscard]] virtual int FRandomRange(int pLow, int pHigh) = 0;
  [[nodiscard]] virtual std::uint32_t FThreadId() = 0;
  // One readable line per return address (port/StackTrace.h); naming them
  // asks the system's symbol tools. May throw on resource exhaustion.
  [[nodiscard]] virtual std::vector<std::string> FSymbolize(const std::vector<void*>& pFrames) = 0;

  // From here on the process is not ended from outside (SIGTERM, SIGHUP,
  // SIGINT, a standard output closed by the reader): it is about to write
  // its answer and ends by itself right after. A web server that has the
  // whole answer stops its CGI at once, which would cut off the trace
  // lines and the database detach that follow the answer.
  virtual void PHoldTermination() = 0;

  // The decimal separator of the host's number settings: the locale the
  // environment names (LC_ALL, LC_NUMERIC, LANG), read through
  // std::locale("") without touching the global locale; '.' when none or
  // an unknown one is named. Numbers read from the database as text follow
  // it; amounts in the documents always get their comma.
  [[nodiscard]] virtual char FDecimalSeparator() { return '.'; }

  // True when standard input is a listening socket: a FastCGI process
  // manager started the process (lighttpd's bin-path, spawn-fcgi, mod_fcgid,
  // a systemd socket unit). A CGI's standard input is a pipe or a file.
  [[nodiscard]] virtual bool FStdinIsListeningSocket() { return false; }
};

// The real operating system. Never null, never freed.
IEnv& FDefaultEnv();

// The decimal separator of the locale the process's environment names, read
// through std::locale("") (the real IEnv's FDecimalSeparator).
[[nodiscard]] char FLocaleDecimalSeparator();

// File name of a path without directory and extension ("/x/velmora.cgi" ->
// "velmora"); directory of a path with its trailing "/".
[[nodiscard]] std::string FFileNameWithoutExtension(const std::string& pPath);
[[nodiscard]] std::string FExtractFilePath(const std::string& pPath);
[[nodiscard]] std::string FChangeFileExtEmpty(const std::string& pPath);  // full path without extension

}  // namespace port
