// Real Firebird databases for tests: a temporary embedded database built
// from an SQL script with isql-fb, and a private Firebird server started on
// a free local port and stopped again.
//
// Both use the build's Firebird root (<build>/firebird); PUseFirebirdRoot()
// sets FIREBIRD for the whole test process and is called by both.
// Scripts are written to a file and run with "isql-fb -i": isql drops
// non-ASCII bytes read from a pipe. Errors throw std::runtime_error with
// isql's output.
#pragma once

#include <string>
#include <sys/types.h>

namespace testsupport {

// <build>/firebird.
[[nodiscard]] std::string FFirebirdRoot();
// Sets FIREBIRD (and nothing else) for this process.
void PUseFirebirdRoot();

// A fresh directory under the system's temp directory, removed with its
// contents when destroyed.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  [[nodiscard]] const std::string& FPath() const noexcept { return vPath; }

 private:
  std::string vPath;
};

// Runs an isql-fb script file: "-q -b -i <file>" plus the extra arguments,
// with FIREBIRD set to pRoot. Returns isql's output; throws when isql fails.
std::string FRunIsql(const std::string& pRoot, const std::string& pScript, const std::string& pWorkDir,
                     const std::string& pDatabase = {}, const std::string& pUser = {});

// A dialect-1 embedded database made from pScript (the statements that
// follow CREATE DATABASE; the fixture writes that part). Deleted with the
// object.
class TTempDatabase {
 public:
  explicit TTempDatabase(const std::string& pScript, int pDialect = 1);
  ~TTempDatabase() = default;
  [[nodiscard]] const std::string& FPath() const noexcept { return vPath; }
  // Runs further statements on the database (with a COMMIT added).
  void PRun(const std::string& pScript) const;

 private:
  TTempDir vDir;
  std::string vPath;
};

// A TCP port of 127.0.0.1 that nothing listens on right now.
[[nodiscard]] int FFreePort();
// True when something accepts connections on 127.0.0.1:pPort.
[[nodiscard]] bool FAccepts(int pPort);

// A Firebird server (Super mode) on 127.0.0.1 and a free port, with its own
// root, security database (SYSDBA / masterkey) and lock directory. Started
// by the constructor (which waits until it accepts connections), stopped by
// the destructor.
class TFirebirdServer {
 public:
  TFirebirdServer();
  ~TFirebirdServer();
  TFirebirdServer(const TFirebirdServer&) = delete;
  TFirebirdServer& operator=(const TFirebirdServer&) = delete;

  [[nodiscard]] int FPort() const noexcept { return vPort; }
  // The server's process, for tests that stop and continue it.
  [[nodiscard]] pid_t FPid() const noexcept { return vPid; }
  // Kills the server (as a crash would: its connections are cut) and starts
  // it again on the same port; returns once it accepts connections.
  void PRestart();
  // "localhost/<port>:<path>", the way a client names a database on it.
  [[nodiscard]] std::string FDatabaseSpec(const std::string& pPath) const;

 private:
  void PStart();

  TTempDir vDir;
  int vPort = 0;
  pid_t vPid = -1;
};

}  // namespace testsupport
