// The reverse question (-members DOMAIN\group or -members DN): every account and group inside a
// group, through any nesting, in every domain of the forest and of the domains it trusts.
#ifndef NESTWALK_DRIVER_MEMBERS_RUN_H_
#define NESTWALK_DRIVER_MEMBERS_RUN_H_

#include "cmdline/run_settings.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace nestwalk {

// Finds the group `settings.membersOf` names, walks down from it and writes the report (text,
// -csv or -json) on standard output, then a WARNING line on standard error when part of the
// answer could not be read. Returns 0 after the report (also an incomplete one), -1 after an
// error line when the group cannot be found, is no group, or no server of its domain answers.
int RunMembersOf(Console& console, platform::Platform& platform, const RunSettings& settings);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_MEMBERS_RUN_H_
