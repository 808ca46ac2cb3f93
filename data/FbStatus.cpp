#include "data/FbStatus.h"

#include <algorithm>
#include <iterator>

#include "data/FbClientApi.h"
#include "data/SQLConnection.h"

namespace data {

namespace {

// One entry of a status vector as text. Firebird's own messages are far
// shorter; a longer one is cut here by the client, not overrun.
constexpr unsigned cStatusLineBufferSize = 1024;

constexpr ISC_STATUS cConnectionLostCodes[] = {
    isc_network_error,        // the request could not reach the server
    isc_net_read_err,         // the server's answer could not be read
    isc_net_write_err,        // the request could not be sent
    isc_net_server_shutdown,  // the server is shutting down
    isc_lost_db_connection,   // the client lost the connection
    isc_conn_lost,            // the local transport to the server broke
    isc_att_shutdown,         // the attachment was shut down (also by fb_cancel_abort)
    isc_shutdown,             // the database was shut down
    isc_bad_db_handle,        // no active connection behind the handle
};

// The database's message for a failed call's vector, one line per entry.
std::string FStatusMessage(const ISC_STATUS* pStatus) {
  std::string vMessage;
  const ISC_STATUS* vCursor = pStatus;
  char vBuffer[cStatusLineBufferSize];
  const TFbClientApi& vApi = FClientApi();
  while (vApi.fb_interpret(vBuffer, sizeof vBuffer, &vCursor) > 0) {
    if (!vMessage.empty()) vMessage += '\n';
    vMessage += vBuffer;
  }
  if (vMessage.empty()) vMessage = "Unknown database error";
  return vMessage;
}

}  // namespace

void PRaise(const ISC_STATUS* pStatus, const std::string& pStatement) {
  const long vCode = static_cast<long>(pStatus[1]);
  throw EDatabaseError(FStatusMessage(pStatus), pStatement, vCode, FIsConnectionLostCode(vCode));
}

void PRaiseAttachFailure(const ISC_STATUS* pStatus) {
  throw EDatabaseError(FStatusMessage(pStatus), {}, static_cast<long>(pStatus[1]), false);
}

bool FIsConnectionLostCode(long pCode) noexcept {
  return std::find(std::begin(cConnectionLostCodes), std::end(cConnectionLostCodes), pCode) !=
         std::end(cConnectionLostCodes);
}

}  // namespace data
