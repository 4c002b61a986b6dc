#include "platform/linux/sasl_interact.h"

#include <gtest/gtest.h>
#include <sasl/sasl.h>

#include <string>

namespace nestwalk::platform {
namespace {

TEST(SaslInteractTest, AnswersEveryPromptWithItsDefaultOrNothing) {
  sasl_interact_t prompts[] = {
      {SASL_CB_USER, "Authorization name", nullptr, nullptr, nullptr, 0},
      {SASL_CB_AUTHNAME, "Authentication name", nullptr, "alice", nullptr, 0},
      {SASL_CB_GETREALM, "Realm", nullptr, "CORP.EXAMPLE.COM", nullptr, 0},
      {SASL_CB_LIST_END, nullptr, nullptr, nullptr, nullptr, 0},
  };
  SaslBindDefaults defaults;
  ASSERT_EQ(AnswerSaslInteraction(nullptr, LDAP_SASL_QUIET, &defaults, prompts), LDAP_SUCCESS);
  const struct { std::string text; } expected[] = {{""}, {"alice"}, {"CORP.EXAMPLE.COM"}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(prompts[i].result, nullptr) << i;
    EXPECT_EQ(std::string(static_cast<const char*>(prompts[i].result), prompts[i].len),
              expected[i].text)
        << i;
  }
  EXPECT_EQ(prompts[3].result, nullptr);
}

TEST(SaslInteractTest, NoPromptsAndNoDefaultsSucceed) {
  EXPECT_EQ(AnswerSaslInteraction(nullptr, LDAP_SASL_QUIET, nullptr, nullptr), LDAP_SUCCESS);
}

}  // namespace
}  // namespace nestwalk::platform
