// How the walk reads: one read at a time, each where the walk makes it, or with the reads it will
// make sent ahead (-fast). The walk itself is the same with either; a strategy only changes when
// a read or a bind is done, never what it gives or which lines it writes.
#ifndef NESTWALK_MEMBERSHIP_WALK_STRATEGY_H_
#define NESTWALK_MEMBERSHIP_WALK_STRATEGY_H_

#include <cstddef>
#include <functional>
#include <string>

#include "ldap/connection_strategy.h"
#include "platform/console.h"
#include "platform/directory.h"
#include "platform/services.h"

namespace nestwalk {

// Which strategy a session walks with.
enum class WalkPace { kOneReadAtATime, kReadAhead };

class WalkStrategy : public ConnectionStrategy {
 public:
  // The account `accountDn` was found: its direct memberships will be read over `dc` and the
  // forest's GC `gc`.
  virtual void ForeseeDirectReads(platform::LdapHandle dc, platform::LdapHandle gc,
                                  const std::string& accountDn) = 0;
  // The walk will read the group `dn` (empty: none).
  virtual void ForeseeGroup(const std::string& dn) = 0;

  // Work of one piece of a batch: it writes to `console` and reaches the directory through
  // `services` only, and changes no state shared with the other pieces.
  using Piece =
      std::function<void(std::size_t index, Console& console, platform::Services& services)>;
  // Does the pieces 0 to count - 1 and, in that order on the caller's thread, calls
  // `takeIn(index)` once piece `index` is done and its lines are written to `console`.
  virtual void RunEach(Console& console, std::size_t count, const Piece& piece,
                       const std::function<void(std::size_t index)>& takeIn) = 0;

  // In debug mode, one line on what was read ahead; nothing when nothing is.
  virtual void WriteSummary(Console& console) const = 0;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_WALK_STRATEGY_H_
