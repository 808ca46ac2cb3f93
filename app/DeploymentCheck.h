// The installer's check of a service installation (velmora-check). Run as
// the web server's user, in the environment the web server gives the
// service (FIREBIRD, FIREBIRD_LOCK), it looks at everything a request
// needs and that fails silently when it is wrong: the configuration file
// and its values, the log directory, the Firebird lock directory, the
// Firebird root and its server mode (or the server's port), the attach with
// the configured user and password, every statement of the five data
// operations prepared against the store database, and optionally one
// order header built by the data module itself.
//
// The configuration is read exactly as the service reads it
// (data::FLeConfiguracao), and the connection is the database module's own
// (data::TFireBird with the service's executable path), so what passes
// here is what a request meets.
//
// Output: one plain ASCII line per check, "ok    " or "FAIL  " followed by
// what was checked and, for a failure, the fix. The password never
// appears: only whether it is set. The exit status is 0 only when every
// check passed.
//
// The operating system beyond port::IEnv (access rights of the effective
// user, owners, directory listings, TCP) is behind ICheckSystem.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/uClassChavePedido.h"

namespace port {
class IEnv;
}

namespace app {

// What the check asks of the operating system besides port::IEnv.
class ICheckSystem {
 public:
  virtual ~ICheckSystem() = default;

  struct TFileInfo {
    bool vExists = false;
    bool vDirectory = false;
    unsigned vOwner = 0;  // uid
  };

  // The effective user, and its name ("" when it has none).
  [[nodiscard]] virtual unsigned FUid() = 0;
  [[nodiscard]] virtual std::string FUserName(unsigned pUid) = 0;
  // The name of the effective group ("" when it has none).
  [[nodiscard]] virtual std::string FGroupName() = 0;
  // The entry behind pPath (symbolic links followed).
  [[nodiscard]] virtual TFileInfo FInfo(const std::string& pPath) = 0;
  // Where pPath links to when it is a symbolic link, else "".
  [[nodiscard]] virtual std::string FLinkTarget(const std::string& pPath) = 0;
  // Whether the effective user may read / write (and, for a directory,
  // enter) pPath.
  [[nodiscard]] virtual bool FCanRead(const std::string& pPath) = 0;
  [[nodiscard]] virtual bool FCanWrite(const std::string& pPath) = 0;
  // Names of the regular files directly in pDirectory.
  [[nodiscard]] virtual std::vector<std::string> FFiles(const std::string& pDirectory) = 0;
  // Opens a TCP connection to pHost and pPort (a number or a service name)
  // and closes it again: "" when one address answered within pSeconds,
  // else what went wrong.
  [[nodiscard]] virtual std::string FTcpAnswers(const std::string& pHost, const std::string& pPort,
                                                int pSeconds) = 0;
};

// The real operating system. Never null, never freed.
ICheckSystem& FDefaultCheckSystem();

struct TCheckOptions {
  // The service's directory (where velmora.cgi and caminhoBDQuindar.ini
  // are), with its trailing "/".
  std::string vDirectory;
  // An order key to run through the order header operation.
  std::optional<data::TChavePedido> vOrder;
};

// Runs every check, writes its lines to standard output as they come and
// returns the exit status: 0 when all passed, 1 otherwise.
[[nodiscard]] int FRunDeploymentCheck(port::IEnv& pEnv, ICheckSystem& pSystem, const TCheckOptions& pOptions);

// ---- The rules the check applies, exposed for tests.

// How the Firebird client reads a CAMINHO: a local file, or a database on
// a server reached over TCP ("host:/path", "host/port:/path",
// "inet://host:port/path").
struct TDatabaseAddress {
  enum class TKind { File, Server, Other };
  TKind vKind = TKind::Other;
  std::string vHost;
  std::string vPort;  // "3050" when not given
  std::string vPath;  // the file, on this machine or on the server
};
[[nodiscard]] TDatabaseAddress FParseDatabaseAddress(const std::string& pCaminho);

// The server mode a firebird.conf sets: the value of its last uncommented
// ServerMode line, "Super" (the engine's default) when it has none.
[[nodiscard]] std::string FServerMode(const std::string& pFirebirdConf);
// Whether that mode lets several processes open one database file.
[[nodiscard]] bool FIsClassic(const std::string& pServerMode);

// What looks wrong in a configuration value as read, or "" when nothing
// does: an inline comment (" ;" or " #": a value runs to the end of its
// line), quotes around it (kept as part of it), control characters, and
// for a user name blanks inside it.
[[nodiscard]] std::string FValueProblem(const std::string& pValue, bool pIsUserName);

// pText as plain ASCII: bytes outside 0x20..0x7E as "\xNN".
[[nodiscard]] std::string FAscii(std::string_view pText);

}  // namespace app
