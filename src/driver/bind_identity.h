// The account a run binds as with -as, instead of the caller: its password comes from the first
// line of the -passfile file or from the terminal, never from the command line or the
// environment.
#ifndef NESTWALK_DRIVER_BIND_IDENTITY_H_
#define NESTWALK_DRIVER_BIND_IDENTITY_H_

#include "cmdline/run_settings.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace nestwalk {

// Reads the password of `settings.bindAs` (prompting "Password for <account>: " on the terminal
// when no -passfile was given) and makes every bind of `platform` use that identity. Returns
// false after writing why no password could be had; the platform is then left as it was.
[[nodiscard]] bool UseBindIdentity(Console& console, platform::Platform& platform,
                                   const RunSettings& settings);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_BIND_IDENTITY_H_
