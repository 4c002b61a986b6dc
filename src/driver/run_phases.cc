#include "driver/run_phases.h"

#include "driver/forest_wide_mode.h"
#include "driver/read_needs.h"
#include "driver/run_report.h"
#include "membership/account_walk.h"
#include "membership/forest_session.h"

namespace nestwalk {

int RunDirectoryPhases(Console& console, platform::Platform& platform, const RunSettings& settings,
                       const SecurityPrincipal& principal, SinceReport* since) {
  ForestSession session(console, platform,
                        settings.fast ? WalkPace::kReadAhead : WalkPace::kOneReadAtATime,
                        ReadNeedsOf(settings), settings.initialServer);
  const AccountName name{principal.kind, principal.samName};
  if (!session.Connect(principal.domain, AccountWalk::ForeseeLookup(session, name))) return -1;

  const SelectedServers& servers = session.servers();
  AccountWalk walk(session, name, {servers.dcRootDse.defaultNamingContext, servers.dcConnection});
  if (!walk.LookUp()) {
    console.Err("Terminating program.\n");
    session.Close();
    return -1;
  }
  walk.ReadDirectMemberships();
  // Only adds diagnostic output; nothing below depends on what it finds.
  if (settings.tryAll) RunForestWideMode(console, session.services(), servers);
  walk.ExpandNested();
  session.strategy().WriteSummary(console);
  if (settings.complete) walk.AddDomainLocalGroups();

  ReportWriter(settings, since).Write(console, principal, walk.account(), walk.groups());
  if (since != nullptr) since->Finish(console);
  session.Close();
  return 0;
}

}  // namespace nestwalk
