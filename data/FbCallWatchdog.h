// The cut-off for a client call that waits too long.
//
// Once attached, the client library waits for the server's reply without
// any limit: a server host that freezes or vanishes in the middle of a
// statement would hang the request until the web server kills it. Every
// client call on an attachment is marked with a TCallBound; a call that has
// waited cCallLimitSeconds has its attachment aborted from the client side
// (fb_cancel_abort). The waiting call then returns with an error that
// EDatabaseError::FConnectionLost() recognises, and the attachment is of no
// further use.
//
// One watchdog per process with its own thread, started on first use.
// Calls nest (a release inside a prepare); the limit runs from the
// outermost one. One thread of calls at a time, like the connection.
//
// Internal to data/ (brings in the client's types).
#pragma once

#include <ibase.h>

namespace data {

// The lock wait (5 s) plus a margin for the server to report it: a call
// that takes longer is not waiting for a lock but for a server that is gone.
inline constexpr int cCallLimitSeconds = 8;

// Marks one client call on pDb for the watchdog while it runs.
class TCallBound {
 public:
  explicit TCallBound(isc_db_handle pDb);
  ~TCallBound();
  TCallBound(const TCallBound&) = delete;
  TCallBound& operator=(const TCallBound&) = delete;
};

}  // namespace data
