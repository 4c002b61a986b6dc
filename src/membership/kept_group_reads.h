// What the walks of one session read of each group, kept for the rest of the run, and the replay
// that takes kept groups into another account's map. A review walks thousands of accounts
// through the same groups: each kept membership is resolved to a number once, when kept, so
// that replaying it costs no folded-string lookup per membership and account.
#ifndef NESTWALK_MEMBERSHIP_KEPT_GROUP_READS_H_
#define NESTWALK_MEMBERSHIP_KEPT_GROUP_READS_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "membership/group_details.h"
#include "membership/member_of_reader.h"

namespace nestwalk {

class KeptGroupReads {
 public:
  // Whether the reads of the group `key` are kept.
  bool Has(std::string_view key) const;
  // Keeps what the reads of the group `key` gave; a group is kept once.
  void Keep(std::string_view key, std::vector<ObjectRead> reads);

  std::size_t groupsKept() const { return groupsKept_; }
  std::size_t readsKept() const { return reads_.size(); }

  // Takes kept groups into `groups` as the nested phase takes a group's reads in (TakeObjectRead
  // of each, then MarkProcessed) and in its order: the pending group with the smallest key
  // first, for as long as that group's reads are kept. Returns when nothing is pending or the
  // smallest pending group has no kept reads; writes no line. Linear in the map's entries, the
  // kept groups taken in and their memberships.
  void Replay(GroupDetailsMap& groups);

 private:
  using Id = std::uint32_t;
  static constexpr Id kNoGroup = UINT32_MAX;  // an empty memberOf value, which names none

  // The replay walks thousands of groups per account: what it reads of them lies in a few
  // flat arrays, by number, and points into the reads kept whole.
  struct GroupIndex {
    bool kept = false;
    std::uint32_t firstRead = 0;  // its reads are reads_[firstRead, firstRead + readCount)
    std::uint32_t readCount = 0;
  };
  struct KeptRead {
    const std::string* problem = nullptr;   // nullptr: the read fell short of nothing
    const GroupDetails* details = nullptr;  // nullptr: no entry was read
    std::uint32_t firstValue = 0;  // its memberOf values are values_[firstValue, + valueCount)
    std::uint32_t valueCount = 0;
  };
  struct KeptValue {
    Id group;               // kNoGroup for an empty value
    const std::string* dn;  // as the read spelled it
  };
  // One group's state in the replay under way; a slot of an older replay is stale.
  struct Slot {
    std::uint32_t replay = 0;
    bool held = false;            // an entry of the map when the replay began
    bool processed = false;
    bool hadDetails = false;      // held, with its details already stored
    const GroupDetails* details = nullptr;  // stored by this replay
    std::string_view dn;          // as the map spells it, or will
    std::string_view heldKey;     // the map's own copy of the key, once it holds one
  };

  // What a walk of kept groups did, to be taken into the map; kept from replay to replay, so
  // that their buffers are made once.
  struct Walked {
    std::vector<Id> added;          // groups new to the map, as reached
    std::vector<Id> heldProcessed;  // groups of the map that were pending
    std::vector<std::pair<Id, Id>> links;  // member, group
    std::vector<GroupDetailsMap::NewEntry> entries;  // `added` as the map takes them
    std::vector<MembershipLink> heldLinks;           // `links` as the map takes them

    // Empty again, each buffer keeping its room.
    void Clear() {
      added.clear();
      heldProcessed.clear();
      links.clear();
      entries.clear();
      heldLinks.clear();
    }
  };

  Id Intern(std::string_view key);
  void RefreshRanks();
  Slot& Fresh(Id id);
  // Slots for the entries of `groups`; returns the pending ones.
  std::vector<Id> TakeMapState(const GroupDetailsMap& groups);
  // Walks the kept groups from `pending` on, smallest rank first, until one is not kept.
  void WalkKept(GroupDetailsMap& groups, const std::vector<Id>& pending, Walked& walked);
  void TakeWalkedInto(GroupDetailsMap& groups, Walked& walked);

  std::deque<std::string> keys_;  // by id; a deque, so that views of the keys stay valid
  std::deque<std::vector<ObjectRead>> kept_;  // what reads_ and values_ point into
  std::vector<GroupIndex> index_;  // by id
  std::vector<KeptRead> reads_;
  std::vector<KeptValue> values_;
  std::unordered_map<std::string_view, Id> ids_;
  std::map<std::string_view, Id> inKeyOrder_;
  std::vector<std::uint32_t> ranks_;  // by id: the place of its key in key order
  bool ranksStale_ = false;
  std::size_t groupsKept_ = 0;
  std::vector<Slot> slots_;  // by id
  std::uint32_t replay_ = 0;
  Walked walked_;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_KEPT_GROUP_READS_H_
