// Filling RunSettings from the parsed command line. The driver calls the readers in this
// order, with output in between: output switches, the banner, the usage question, the
// principal switches, the principal, the server switch.
#ifndef NESTWALK_CMDLINE_RUN_SETTINGS_READER_H_
#define NESTWALK_CMDLINE_RUN_SETTINGS_READER_H_

#include <string>

#include "cmdline/command_line.h"
#include "cmdline/run_settings.h"

namespace nestwalk {

// -q sets `quiet`, -d sets `debug`. Their values, if any, are ignored.
void ReadOutputSwitches(const CCmdLine& commandLine, RunSettings& settings);

// Whether -h or -? was given.
bool AsksForUsage(const CCmdLine& commandLine);

// -np, -tryall, -u, -comp and -group, in that order: -comp replaces the -u text (also with an
// empty one: the current machine), -group replaces both and turns the primary group off.
// Returns false when -group was given without a name; `settings` then holds what was read.
[[nodiscard]] bool ReadPrincipalSwitches(const CCmdLine& commandLine, RunSettings& settings);

// -fast, -path, -token, -json and -complete: the opt-in additions. Their values, if any, are
// ignored.
void ReadAdditionSwitches(const CCmdLine& commandLine, RunSettings& settings);

// -in, -under, -since and -csv. -in, -under and -since take the word after them whatever it is,
// so an absolute file name or "-" (standard input) can follow -in. Returns the error line when
// one of them has no word after it; empty otherwise.
[[nodiscard]] std::string ReadAccountListSwitches(const CCmdLine& commandLine,
                                                  RunSettings& settings);

// -pingwait SECONDS: how long the locator waits for a DC's LDAP ping, a whole number of seconds
// from 1 to 60. Returns the error line when it has no such number; empty otherwise.
[[nodiscard]] std::string ReadPingWaitSwitch(const CCmdLine& commandLine, RunSettings& settings);

// -members: `membersOf`. Returns the error line when it has no value or comes with -in or
// -under; empty otherwise.
[[nodiscard]] std::string ReadMembersSwitch(const CCmdLine& commandLine, RunSettings& settings);

// -as and -passfile. -passfile takes the word after it whatever it is, as -in does. Returns the
// error line when -as has no account after it, -passfile no word after it, or -passfile comes
// without -as; empty otherwise.
[[nodiscard]] std::string ReadIdentitySwitches(const CCmdLine& commandLine, RunSettings& settings);

// -s: `initialServer`, empty when absent or without a value.
void ReadServerSwitch(const CCmdLine& commandLine, RunSettings& settings);

}  // namespace nestwalk

#endif  // NESTWALK_CMDLINE_RUN_SETTINGS_READER_H_
