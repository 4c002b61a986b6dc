#include "platform/linux/linux_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace nestwalk::platform {
namespace {

std::optional<std::string> CacheName() {
  const char* name = std::getenv("KRB5CCNAME");
  return name != nullptr ? std::optional<std::string>(name) : std::nullopt;
}

void SetCacheName(const std::optional<std::string>& name) {
  if (name) {
    setenv("KRB5CCNAME", name->c_str(), 1);
  } else {
    unsetenv("KRB5CCNAME");
  }
}

// An empty KRB5CCNAME made libkrb5 read past the end of the name: it counts as unset.
TEST(LinuxPlatformTest, AnEmptyCacheNameIsUnsetBeforeAnythingReadsIt) {
  const std::optional<std::string> saved = CacheName();
  struct Case {
    std::optional<std::string> before;
    std::optional<std::string> after;
  };
  const Case cases[] = {
      {"", std::nullopt},
      {std::nullopt, std::nullopt},
      {"FILE:/tmp/nestwalk-test-cache", "FILE:/tmp/nestwalk-test-cache"},
  };
  for (const Case& c : cases) {
    SetCacheName(c.before);
    { const LinuxPlatform platform; }
    EXPECT_EQ(CacheName(), c.after) << c.before.value_or("(unset)");
  }
  SetCacheName(saved);
}

}  // namespace
}  // namespace nestwalk::platform
