#include "ParameterBlocks.h"

#include <memory>

#include "ClientStatus.h"

namespace dbvfb {
namespace {

struct BuilderDisposal {
  void operator()(Firebird::IXpbBuilder* builder) const { builder->dispose(); }
};
using Builder = std::unique_ptr<Firebird::IXpbBuilder, BuilderDisposal>;

Builder newBuilder(const ClientApi& api, ClientStatus& status, unsigned kind) {
  return Builder(api.util()->getXpbBuilder(&status, kind, nullptr, 0));
}

ParameterBlock contents(Firebird::IXpbBuilder* builder, ClientStatus& status) {
  const unsigned char* bytes = builder->getBuffer(&status);
  return ParameterBlock(bytes, bytes + builder->getBufferLength(&status));
}

}  // namespace

ParameterBlock attachmentBlock(const ClientApi& api, const ConnectionSettings& settings, const std::string& userName,
                               const std::string& password) {
  ClientStatus status(api.master());
  Builder dpb = newBuilder(api, status, Firebird::IXpbBuilder::DPB);
  if (settings.osAuthentication) {
    // The operating system vouches for the user (where the client has a
    // plugin for it); no name or password goes to the server.
    dpb->insertTag(&status, isc_dpb_trusted_auth);
  } else {
    if (!userName.empty()) dpb->insertString(&status, isc_dpb_user_name, userName.c_str());
    if (!password.empty()) dpb->insertString(&status, isc_dpb_password, password.c_str());
  }
  if (!settings.roleName.empty()) dpb->insertString(&status, isc_dpb_sql_role_name, settings.roleName.c_str());
  if (!settings.serverCharSet.empty()) dpb->insertString(&status, isc_dpb_lc_ctype, settings.serverCharSet.c_str());
  dpb->insertInt(&status, isc_dpb_sql_dialect, settings.sqlDialect);
  if (settings.connectionTimeout > 0) dpb->insertInt(&status, isc_dpb_connect_timeout, settings.connectionTimeout);
  return contents(dpb.get(), status);
}

ParameterBlock transactionBlock(const ClientApi& api, const TransactionKind& kind) {
  ClientStatus status(api.master());
  Builder tpb = newBuilder(api, status, Firebird::IXpbBuilder::TPB);
  tpb->insertTag(&status, kind.readOnly ? isc_tpb_read : isc_tpb_write);
  if (kind.snapshot) {
    tpb->insertTag(&status, isc_tpb_concurrency);
  } else {
    // Firebird has no dirty read; reading the latest committed version
    // without waiting for writers is the closest it comes.
    tpb->insertTag(&status, isc_tpb_read_committed);
    tpb->insertTag(&status, isc_tpb_rec_version);
  }
  tpb->insertTag(&status, kind.waitOnLocks ? isc_tpb_wait : isc_tpb_nowait);
  return contents(tpb.get(), status);
}

std::string describeTransaction(const TransactionKind& kind) {
  std::string text = kind.snapshot ? "snapshot" : "read committed";
  if (kind.readOnly) text += ", read only";
  text += kind.waitOnLocks ? ", wait" : ", no wait";
  if (kind.commitRetaining) text += ", commit retaining";
  return text;
}

}  // namespace dbvfb
