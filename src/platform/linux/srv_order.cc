#include "platform/linux/srv_order.h"

#include <algorithm>

namespace nestwalk::platform {

std::vector<SrvRecord> OrderSrvRecords(std::vector<SrvRecord> records) {
  std::erase_if(records, [](const SrvRecord& r) { return r.target.empty() || r.target == "."; });
  std::stable_sort(records.begin(), records.end(), [](const SrvRecord& a, const SrvRecord& b) {
    if (a.priority != b.priority) return a.priority < b.priority;
    return a.weight > b.weight;
  });
  return records;
}

}  // namespace nestwalk::platform
