#include "cmdline/usage.h"

#include <string_view>

namespace nestwalk {

namespace {

constexpr std::string_view kUsageText =
    "Usage:\n"
    " Nestwalk [-s DomainController] [-u userid] [-group groupname] [-comp [computername]] "
    "[-np]\n\n"
    "   DomainController    DC to direct queries to. Default value - Default\n"
    "                       LDAP Server\n"
    "\n"
    "   userid              User Id to look up. Default value - current user\n"
    "                       format: domain\\username\n"
    "\n"
    "   groupname           Group SAMName to lookup if -group specified.\n"
    "                       format: domain\\GroupName\n"
    "\n"
    "   computername        Computer account to look up. Default value - localhost\n"
    "                       format: domain\\ComputerName\n"
    "\n"
    "   -np                 Disables default action of grabbing primary group\n"
    "                       and adding to the list. The primary group is not a \n"
    "                       member of memberOf attribute so it has to be grabbed\n"
    "                       specially.\n"
    "\n"
    "  Ex1: Nestwalk\n"
    "          This look up the current user info on whatever DC it finds.\n"
    "\n"
    "  Ex2: Nestwalk -s DC1 -u quorvane\\tibbet\n"
    "           Will verify that DC1 is a DC that has info for quorvane\n"
    "           and then lookup info for the quorvane\\tibbet id.\n"
    "\n"
    "  Ex3: Nestwalk -np\n"
    "           Look up current user on default ldap server, don't get primary\n"
    "           group information.\n"
    "\n\n"
    "Further switches:\n"
    "   -tryall             Also trace the forest: domains, GCs, site link costs\n"
    "   -fast               Many reads in flight: the same report, fewer round trips\n"
    "   -path               After each group, the shortest chain that leads to it\n"
    "   -token              After the report, the Kerberos token size estimate\n"
    "   -json               One JSON document on standard output, not the report\n"
    "   -complete           Also search every domain for domain-local groups\n"
    "   -in FILE            Accounts to look up, one a line, - for standard input\n"
    "   -under DN           Every user and computer under that DN\n"
    "   -csv                With -in or -under: one CSV row per account and group\n"
    "   -members GROUP      Every member of the group, through nesting (domain\\name or DN)\n"
    "   -pingwait SECONDS   Wait this long for a DC's LDAP ping (default 2.5 s)\n"
    "   -since FILE         Only what changed since FILE, an earlier -csv or -json\n"
    "\n"
    "Nestwalk lists the groups an account belongs to, directly or through nesting, in every\n"
    "domain of the forest. It needs a Kerberos ticket of the caller (kinit).\n"
    "See man nestwalk for every switch, the exit statuses and the files it reads.\n"
    "\n";

}  // namespace

int ShowUsage(Console& console) {
  console.Err(kUsageText);
  return kUsageStatus;
}

}  // namespace nestwalk
