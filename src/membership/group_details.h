// The groups a run has found (GroupDetailsMap): the result of the membership resolution and the
// work list of the nested expansion.
#ifndef NESTWALK_MEMBERSHIP_GROUP_DETAILS_H_
#define NESTWALK_MEMBERSHIP_GROUP_DETAILS_H_

#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nestwalk {

// The sAMAccountName stored for a group whose entry was read without one.
inline constexpr std::string_view kUnknownAccountName = "~~Unknown~~";

// One group.
struct data {
  bool processed = false;      // its own memberOf has been read (whatever the outcome)
  std::string dn;              // as the directory returned it
  std::string sAMAccountName;  // empty until its own entry was read; "~~Unknown~~" when absent
  std::string groupType;       // empty until its own entry was read; "-1" when absent
  std::string objectSid;       // binary; empty unless the map reads SIDs and the entry had one
  std::string forest;  // DNS name of the trusting forest it belongs to; empty: the account's own
};

// What a read of a group's own entry gives it.
struct GroupDetails {
  std::string sAMAccountName;  // "~~Unknown~~" when the entry has none
  std::string groupType;       // "-1" when the entry has none
  std::string objectSid;       // binary; empty when not read or absent
};

// One membership as a read found it: `member` (the account or a group) is in `group`. Both are
// keys, viewing strings the map holds; the account's key may not be among its entries.
struct MembershipLink {
  std::string_view member;
  std::string_view group;
  bool primaryGroup = false;  // the account's primaryGroupID named it, not a memberOf value
};

// Why part of the answer could not be read.
struct ReadProblem {
  std::string subject;  // a group's DN, or the DNS name of a domain that could not be searched
  std::string reason;   // one line of plain words, no line end
};

using GroupEntries = std::map<std::string, data, std::less<>>;

// Nodes of maps that are gone, for the maps made after them: a review makes and drops a map of
// thousands of groups per account, and a node taken from here costs no allocation of its own,
// of its key or of its DN. Must outlive every map made with it.
class GroupNodePool {
 public:
  std::size_t size() const { return nodes_.size(); }

 private:
  friend class GroupDetailsMap;
  static constexpr std::size_t kMostNodes = std::size_t{1} << 16;  // more are freed
  std::vector<GroupEntries::node_type> nodes_;
};

// Keyed by LowerCaseText of the DN, ordered byte-wise with bytes taken as unsigned values.
// Entries are only added, never removed. Beside the map it keeps the keys of the pending
// (unprocessed) entries in order, so that the smallest one is found without a scan.
class GroupDetailsMap {
 public:
  using Entries = GroupEntries;

  GroupDetailsMap() = default;
  // Takes the nodes of groups taken in whole (AddEntriesInKeyOrder) from `pool` while it has
  // some, and gives every node to it when dropped.
  explicit GroupDetailsMap(GroupNodePool& pool) : pool_(&pool) {}
  ~GroupDetailsMap();
  // The pending set views the map's keys: a copy would view the wrong map, while a move keeps
  // the nodes and so the keys where they are.
  GroupDetailsMap(const GroupDetailsMap&) = delete;
  GroupDetailsMap& operator=(const GroupDetailsMap&) = delete;
  GroupDetailsMap(GroupDetailsMap&&) = default;
  // Gives its own nodes to its pool first, as dropping it would.
  GroupDetailsMap& operator=(GroupDetailsMap&& other);

  // Adds a pending entry for `dn` unless its key is already present. An empty DN names no group
  // and is never added. Returns true when an entry was added.
  bool AddGroup(const std::string& dn);
  // The same for a memberOf value `dn` read from the object `memberDn`; the link between them is
  // kept whether or not the group was new.
  bool AddGroupOf(const std::string& memberDn, const std::string& dn);
  // The same with the member and the group given by their keys as well.
  bool AddGroupOfKeys(const std::string& memberKey, const std::string& key, const std::string& dn);
  // The same for the primary group `dn` of the account `accountDn`; nothing for an empty `dn`.
  bool AddPrimaryGroup(const std::string& accountDn, const std::string& dn);

  // Notes that the group under `key` belongs to the trusting forest `forest` (its DNS name).
  void SetForest(std::string_view key, const std::string& forest);

  // The entry under `key`, or nullptr.
  const data* Find(std::string_view key) const;

  // Sets the details of the entry under `key` unless they were already set (the first read
  // wins). Returns true when they were stored; false when already set or there is no such entry.
  bool StoreDetails(std::string_view key, const GroupDetails& details);

  // The key of the pending entry with the smallest key, or nullptr when none is pending. The
  // pointer stays valid for the life of the map.
  const std::string* FirstUnprocessedGroup() const;

  // Marks the entry under `key` processed; nothing happens for an unknown key.
  void MarkProcessed(std::string_view key);

  // Groups taken in whole from reads kept elsewhere (KeptGroupReads), without a lookup each.
  struct NewEntry {
    std::string_view key;
    std::string_view dn;
    const GroupDetails* details = nullptr;  // nullptr: none stored
    bool processed = false;
  };
  // Adds `added`, which must be in key order and none of them present (each given its dn,
  // details and state as they stand); then points each key at the map's own copy, for
  // AddHeldLinks.
  void AddEntriesInKeyOrder(std::span<NewEntry> added);
  // Appends `links`, whose keys must view those the map holds: of entries() or of
  // AddEntriesInKeyOrder.
  void AddHeldLinks(std::span<const MembershipLink> links);

  // Notes that part of the answer fell short; the run goes on and reports it at the end. A
  // problem already noted (the same subject and reason, from another server's read) is kept once.
  void RecordProblem(std::string subject, std::string reason);
  // In the order first recorded.
  const std::vector<ReadProblem>& problems() const { return problems_; }

  // Every link in the order read; a link read twice (from a DC and a GC) is there twice.
  const std::vector<MembershipLink>& links() const { return links_; }

  const Entries& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }

 private:
  bool AddLinkedGroup(const std::string& memberKey, std::string key, const std::string& dn,
                      bool primaryGroup);
  // The entry's key as the map holds it, and whether the entry was added now.
  std::pair<const std::string*, bool> AddKeyedGroup(std::string key, const std::string& dn);
  // The map's own copy of `key`: an entry's, else one kept for members that are not entries.
  std::string_view HeldKey(const std::string& key);
  // Every node to the pool while it takes more; the views of the keys first.
  void GiveNodesBack();

  GroupNodePool* pool_ = nullptr;  // not owned; nullptr: none
  Entries entries_;
  // Keys of link members that are no entry (the account), for the links to view.
  std::set<std::string, std::less<>> memberKeys_;
  // Keys of unprocessed entries, viewing the keys of their nodes in `entries_`, which never move
  // because entries are never removed.
  std::set<std::string_view> pending_;
  std::vector<ReadProblem> problems_;
  std::set<std::pair<std::string, std::string>> problemsSeen_;
  std::vector<MembershipLink> links_;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_GROUP_DETAILS_H_
