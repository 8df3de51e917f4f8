#include "ConnectionState.h"

#include <ibase.h>
#include <iberror.h>

#include <initializer_list>

namespace dbvfb {
namespace {

// True when any error code of the vector is one of codes; the first code is
// not always the telling one ("connection shutdown" comes first, the reason
// after it).
bool namesAny(Firebird::IStatus* status, std::initializer_list<ISC_STATUS> codes) {
  const intptr_t* vector = status->getErrors();
  while (vector[0] != isc_arg_end) {
    if (vector[0] == isc_arg_gds) {
      for (const ISC_STATUS code : codes) {
        if (vector[1] == code) return true;
      }
    }
    vector += vector[0] == isc_arg_cstring ? 3 : 2;  // a counted string has a length and a pointer
  }
  return false;
}

}  // namespace

bool isNetworkFailure(Firebird::IStatus* status) {
  const intptr_t* errors = status->getErrors();
  if (errors[0] != isc_arg_gds) return false;
  switch (errors[1]) {
    case isc_network_error:
    case isc_net_connect_err:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
      return true;
    default:
      return false;
  }
}

bool isConnectionLoss(Firebird::IStatus* status) {
  return namesAny(status, {isc_network_error, isc_net_read_err, isc_net_write_err, isc_lost_db_connection,
                           isc_conn_lost, isc_net_server_shutdown, isc_shutdown, isc_att_shutdown});
}

}  // namespace dbvfb
