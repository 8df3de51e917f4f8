#include "ClientInfo.h"

#include <array>

namespace dbvfb {
namespace {

// Information blocks are clusters of a tag, a 2-byte little-endian length and
// that many bytes; integers inside are little-endian as well.
std::uint64_t littleEndian(const unsigned char* bytes, unsigned length) {
  std::uint64_t value = 0;
  for (unsigned i = length; i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

struct Cluster {
  unsigned char tag;
  unsigned length;
  const unsigned char* data;
};

// False at the end of the block or when a cluster does not fit in it.
bool nextCluster(const unsigned char*& cursor, const unsigned char* end, Cluster& cluster) {
  if (cursor >= end || *cursor == isc_info_end || end - cursor < 3) return false;
  cluster.tag = cursor[0];
  cluster.length = static_cast<unsigned>(littleEndian(cursor + 1, 2));
  cluster.data = cursor + 3;
  if (static_cast<std::size_t>(end - cluster.data) < cluster.length) return false;
  cursor = cluster.data + cluster.length;
  return true;
}

}  // namespace

std::uint64_t affectedRecords(Firebird::IStatement* statement, ClientStatus& status) {
  const unsigned char items[] = {isc_info_sql_records, isc_info_end};
  std::array<unsigned char, 64> answer{};
  statement->getInfo(&status, sizeof items, items, static_cast<unsigned>(answer.size()), answer.data());
  std::uint64_t count = 0;
  const unsigned char* cursor = answer.data();
  Cluster records;
  while (nextCluster(cursor, answer.data() + answer.size(), records)) {
    if (records.tag != isc_info_sql_records) continue;
    const unsigned char* inner = records.data;
    Cluster counter;
    while (nextCluster(inner, records.data + records.length, counter)) {
      switch (counter.tag) {
        case isc_info_req_insert_count:
        case isc_info_req_update_count:
        case isc_info_req_delete_count:
          count += littleEndian(counter.data, counter.length);
          break;
        default:
          break;  // selected rows are no change
      }
    }
  }
  return count;
}

std::uint64_t blobLength(Firebird::IBlob* blob, ClientStatus& status) {
  const unsigned char items[] = {isc_info_blob_total_length};
  std::array<unsigned char, 32> answer{};
  blob->getInfo(&status, sizeof items, items, static_cast<unsigned>(answer.size()), answer.data());
  const unsigned char* cursor = answer.data();
  Cluster cluster;
  while (nextCluster(cursor, answer.data() + answer.size(), cluster)) {
    if (cluster.tag == isc_info_blob_total_length) return littleEndian(cluster.data, cluster.length);
  }
  return 0;
}

}  // namespace dbvfb
