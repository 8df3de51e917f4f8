#include "FailureClass.h"

#include <ibase.h>
#include <iberror.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "DriverContract.h"

namespace dbvfb {
namespace {

// "Unknown columns in index": the index names a column the table lacks, or a
// table that does not exist. Firebird 3's iberror.h has no name for it.
constexpr ISC_STATUS kUnknownIndexColumns = 336068728;

// Codes that report a failure inside an EXECUTE STATEMENT of the database's
// own code; whatever follows them is the other statement's or the other
// connection's, not this attachment's.
bool isNestedStatement(ISC_STATUS code) { return code >= isc_eds_provider_not_found && code <= isc_eds_input_prm_not_set; }

// The error codes of the vector that speak of this attachment's own request,
// in order. The first code is not always the telling one ("connection
// shutdown" comes first, the reason after it).
std::vector<ISC_STATUS> ownCodes(Firebird::IStatus* status) {
  std::vector<ISC_STATUS> codes;
  const intptr_t* vector = status->getErrors();
  while (vector[0] != isc_arg_end) {
    if (vector[0] == isc_arg_gds) {
      if (isNestedStatement(vector[1])) break;
      codes.push_back(vector[1]);
    }
    vector += vector[0] == isc_arg_cstring ? 3 : 2;  // a counted string has a length and a pointer
  }
  return codes;
}

bool namesAny(const std::vector<ISC_STATUS>& codes, std::initializer_list<ISC_STATUS> wanted) {
  return std::any_of(codes.begin(), codes.end(), [&](ISC_STATUS code) {
    return std::find(wanted.begin(), wanted.end(), code) != wanted.end();
  });
}

bool isNetworkFailure(const std::vector<ISC_STATUS>& codes) {
  if (codes.empty()) return false;
  switch (codes.front()) {
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

bool isConnectionLoss(const std::vector<ISC_STATUS>& codes) {
  return namesAny(codes, {isc_network_error, isc_net_read_err, isc_net_write_err, isc_lost_db_connection,
                          isc_conn_lost, isc_net_server_shutdown, isc_shutdown, isc_att_shutdown});
}

// "unsuccessful metadata update" first, then the reason. A reason raised in a
// trigger the statement fired ("At trigger ...") is the database's own code
// failing, whatever it says, and never a difference of shape.
bool isShapeDifference(const std::vector<ISC_STATUS>& codes, bool waitedOnLocks) {
  if (codes.empty() || codes.front() != isc_no_meta_update) return false;
  if (namesAny(codes, {isc_stack_trace})) return false;
  // A DDL statement writes the catalogue alone: a duplicate key there is a
  // column (RDB$RELATION_FIELDS) or an index (RDB$INDICES) already present.
  if (waitedOnLocks && namesAny(codes, {isc_unique_key_violation})) return true;
  return namesAny(codes, {isc_dsql_table_not_found, isc_dyn_dup_index, kUnknownIndexColumns});
}

}  // namespace

FailureClass classifyFailure(Firebird::IStatus* status, bool waitedOnLocks) {
  const std::vector<ISC_STATUS> codes = ownCodes(status);
  const bool lost = isConnectionLoss(codes);
  return {.status = isNetworkFailure(codes) ? dbv::status::ConnectionFailed : dbv::status::SqlError,
          .connectionLost = lost,
          .shapeDiffers = !lost && isShapeDifference(codes, waitedOnLocks)};
}

bool isReadOnlyRefusal(Firebird::IStatus* status) { return namesAny(ownCodes(status), {isc_read_only_trans}); }

}  // namespace dbvfb
