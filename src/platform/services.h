// Everything the program reaches of its platform, handed to the run as one reference so that a
// test can run the whole program against a fake.
#ifndef NESTWALK_PLATFORM_SERVICES_H_
#define NESTWALK_PLATFORM_SERVICES_H_

#include "platform/directory.h"
#include "platform/host_queries.h"
#include "platform/locator.h"

namespace nestwalk::platform {

struct Services {
  Directory& directory;
  Locator& locator;
  HostQueries& host;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_SERVICES_H_
