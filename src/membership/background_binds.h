// DCs of further domains located and bound ahead, each on a thread of its own, while the walk
// goes on; the walk takes each one where it would have bound it, with its lines.
#ifndef NESTWALK_MEMBERSHIP_BACKGROUND_BINDS_H_
#define NESTWALK_MEMBERSHIP_BACKGROUND_BINDS_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "membership/domain_controller_binder.h"
#include "platform/work_ahead.h"

namespace nestwalk {

class BackgroundBinds : public DomainControllerBinder {
 public:
  // `runServices` serve the binds made on the caller's thread and close the connections that
  // nobody took; the bind threads use `threadDirectory` (calls from several threads at once)
  // with the locator of `runServices`. Lines are kept with the flags of `like`. `whileWaiting`
  // is called again and again while Bind waits for a bind under way. All must outlive this.
  BackgroundBinds(const Console& like, platform::Services& runServices,
                  platform::Directory& threadDirectory, std::string initialServer,
                  std::function<void()> whileWaiting);
  // Waits for the binds under way and closes, without a word, the connections nobody took.
  ~BackgroundBinds() override = default;
  BackgroundBinds(const BackgroundBinds&) = delete;
  BackgroundBinds& operator=(const BackgroundBinds&) = delete;

  // Starts locating and binding a DC of `dnsName`, unless that was started before.
  void Start(const std::string& dnsName);
  // The binds that have finished since the last call, each once, taken or not: a valid
  // connection stays owned here (or by whoever took it).
  std::vector<std::pair<std::string, BoundDomainController>> Finished();

  // The first call for a domain started ahead takes that bind (waiting for it if need be) and
  // writes its lines to `console` now; any other call binds during the call.
  BoundDomainController Bind(Console& console, const std::string& dnsName) override;

 private:
  struct Started {
    std::unique_ptr<WorkAhead<BoundDomainController>> bind;
    bool reported = false;  // handed out by Finished
  };

  const Console& like_;
  platform::Services& runServices_;
  platform::Services threadServices_;
  std::string initialServer_;
  std::function<void()> whileWaiting_;
  InlineDomainControllerBinder inline_;
  std::map<std::string, Started> started_;  // by DNS name
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_BACKGROUND_BINDS_H_
