#include "cmdline/run_settings_reader.h"

#include <algorithm>

#include "text/dn_names.h"

namespace nestwalk {

void ReadOutputSwitches(const CCmdLine& commandLine, RunSettings& settings) {
  if (commandLine.HasSwitch("q")) settings.quiet = true;
  if (commandLine.HasSwitch("d")) settings.debug = true;
}

bool AsksForUsage(const CCmdLine& commandLine) {
  return commandLine.HasSwitch("h") || commandLine.HasSwitch("?");
}

bool ReadPrincipalSwitches(const CCmdLine& commandLine, RunSettings& settings) {
  if (commandLine.HasSwitch("np")) settings.resolvePrimaryGroup = false;
  if (commandLine.HasSwitch("tryall")) settings.tryAll = true;
  settings.principalText = commandLine.GetArgument("u");
  if (commandLine.HasSwitch("comp")) {
    settings.principalKind = PrincipalKind::kComputer;
    settings.principalText = commandLine.GetArgument("comp");
  }
  if (commandLine.HasSwitch("group")) {
    // A group has no primary group of its own to add.
    settings.principalKind = PrincipalKind::kGroup;
    settings.resolvePrimaryGroup = false;
    settings.principalText = commandLine.GetArgument("group");
    if (settings.principalText.empty()) return false;
  }
  return true;
}

void ReadAdditionSwitches(const CCmdLine& commandLine, RunSettings& settings) {
  settings.fast = commandLine.HasSwitch("fast");
  settings.path = commandLine.HasSwitch("path");
  settings.token = commandLine.HasSwitch("token");
  settings.json = commandLine.HasSwitch("json");
  settings.complete = commandLine.HasSwitch("complete");
}

std::string ReadAccountListSwitches(const CCmdLine& commandLine, RunSettings& settings) {
  settings.csv = commandLine.HasSwitch("csv");
  struct ListSwitch {
    const char* name;
    const char* what;
    std::string& value;
  };
  for (const ListSwitch& list : {ListSwitch{"in", "a file", settings.inputFile},
                                 ListSwitch{"under", "a DN", settings.underDn},
                                 ListSwitch{"since", "a file", settings.sinceFile}}) {
    if (!commandLine.HasSwitch(list.name)) continue;
    list.value = commandLine.GetFollowingWord(list.name);
    if (list.value.empty()) {
      return std::string("Error: Must specify ") + list.what + " with -" + list.name +
             " option.\n";
    }
  }
  // The subtree's domain comes from the DN's DC= parts: without them no DC can be found.
  if (!settings.underDn.empty() && DomainOfDn(settings.underDn).empty()) {
    return "Error: -under needs a DN that ends in DC= parts: " + settings.underDn + "\n";
  }
  return {};
}

std::string ReadPingWaitSwitch(const CCmdLine& commandLine, RunSettings& settings) {
  constexpr int kLongestWait = 60;
  if (!commandLine.HasSwitch("pingwait")) return {};
  const std::string text = commandLine.GetArgument("pingwait");
  int seconds = 0;
  const bool digits = !text.empty() && text.size() <= 2 &&
                      std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
  if (digits) seconds = std::stoi(text);
  if (seconds < 1 || seconds > kLongestWait) {
    return "Error: -pingwait takes a whole number of seconds from 1 to 60.\n";
  }
  settings.pingWaitSeconds = seconds;
  return {};
}

std::string ReadMembersSwitch(const CCmdLine& commandLine, RunSettings& settings) {
  if (!commandLine.HasSwitch("members")) return {};
  settings.membersOf = commandLine.GetArgument("members");
  if (settings.membersOf.empty()) return "Error: Must specify a group with -members option.\n";
  if (settings.reviewsAccounts()) return "Error: -members cannot be combined with -in or -under.\n";
  // A group's members are not a review of accounts: there is no earlier one to compare with.
  if (!settings.sinceFile.empty()) return "Error: -members cannot be combined with -since.\n";
  return {};
}

std::string ReadIdentitySwitches(const CCmdLine& commandLine, RunSettings& settings) {
  if (commandLine.HasSwitch("as")) {
    settings.bindAs = commandLine.GetArgument("as");
    if (settings.bindAs.empty()) return "Error: Must specify an account with -as option.\n";
  }
  if (commandLine.HasSwitch("passfile")) {
    settings.passwordFile = commandLine.GetFollowingWord("passfile");
    if (settings.passwordFile.empty()) return "Error: Must specify a file with -passfile option.\n";
    if (settings.bindAs.empty()) return "Error: -passfile needs -as.\n";
  }
  return {};
}

void ReadServerSwitch(const CCmdLine& commandLine, RunSettings& settings) {
  settings.initialServer = commandLine.GetArgument("s");
}

}  // namespace nestwalk
