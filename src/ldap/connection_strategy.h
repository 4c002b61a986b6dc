// How a run binds its connections and sends its searches: each where the run reaches it, or
// ahead of that point where the run can foresee it (-fast). Either way a connection or an answer
// is the one the run would have got, and its lines are written where the run takes it.
#ifndef NESTWALK_LDAP_CONNECTION_STRATEGY_H_
#define NESTWALK_LDAP_CONNECTION_STRATEGY_H_

#include <string>

#include "ldap/domain_controller_binding.h"
#include "platform/console.h"
#include "platform/directory.h"
#include "platform/services.h"

namespace nestwalk {

class ConnectionStrategy {
 public:
  virtual ~ConnectionStrategy() = default;

  // What the run's searches, binds and locator queries go through.
  virtual platform::Services& services() = 0;
  // The run will make `request` over `connection` later; it may be sent now.
  virtual void ForeseeSearch(platform::LdapHandle connection,
                             const platform::SearchRequest& request) = 0;
  // The run will bind the GC port of `host` later; the bind may start now.
  virtual void ForeseeGlobalCatalogPort(Console& console, const std::string& host) = 0;
  // The GC port of `host` bound with the caller's credentials, as OpenWithCallerCredentials
  // gives it. The caller owns a valid returned handle.
  virtual platform::LdapHandle BindGlobalCatalogPort(Console& console, const std::string& host) = 0;
  // A located and bound DC of the domain `dnsName`, as LocateAndBindDomainController gives it.
  // The caller owns a valid returned connection.
  virtual BoundDomainController BindDomainController(Console& console,
                                                     const std::string& dnsName) = 0;
};

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_CONNECTION_STRATEGY_H_
