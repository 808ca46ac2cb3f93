// Status vectors of the client library turned into our exception.
//
// Every failed client call of the data layer ends in PRaise: the database's
// own message (every entry of the vector, one line each), the statement
// that met it, the vector's first error code, and whether that code means
// the connection broke (EDatabaseError::FConnectionLost()).
//
// Internal to data/ (brings in the client's types).
#pragma once

#include <ibase.h>

#include <string>

namespace data {

// True when the vector holds an error.
[[nodiscard]] inline bool FFailed(const ISC_STATUS* pStatus) noexcept {
  return pStatus[0] == isc_arg_gds && pStatus[1] != 0;
}

// Raises EDatabaseError for a failed call's vector.
[[noreturn]] void PRaise(const ISC_STATUS* pStatus, const std::string& pStatement = {});
// The same for a failed attach: whatever its code, no connection was lost
// (a server that cannot be reached is not one that went away).
[[noreturn]] void PRaiseAttachFailure(const ISC_STATUS* pStatus);

// Raises when the call that filled pStatus failed; nothing otherwise.
inline void PCheck(const ISC_STATUS* pStatus, const std::string& pStatement = {}) {
  if (FFailed(pStatus)) PRaise(pStatus, pStatement);
}

// The error codes after which the attachment is of no further use: the
// server or the network went away, the connection was shut down or cut
// off (by the call watchdog, or the engine), or the handle is gone.
[[nodiscard]] bool FIsConnectionLostCode(long pCode) noexcept;

}  // namespace data
