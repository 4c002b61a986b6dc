// The sample principals that populate creates, as the whole-program tests run them.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_SAMPLE_PRINCIPALS_H_
#define NESTWALK_TESTS_E2E_SUPPORT_SAMPLE_PRINCIPALS_H_

#include <ostream>

namespace nestwalk::e2e {

struct PrincipalCase {
  const char* test_name;
  const char* option;  // -u, -comp or -group
  const char* typed;   // the name after "CORP\"
  const char* sam;     // its sAMAccountName
  const char* tag;     // kind tag of the principal line
  bool primary_group;  // users and computers have one; -group runs skip it
};

inline constexpr PrincipalCase kPrincipals[] = {
    {"NestedUniversalAndDomainLocal", "-u", "alice", "alice", "[USER] ", true},
    {"MembershipCycle", "-u", "bob", "bob", "[USER] ", true},
    {"CustomNestedPrimaryGroupAndUtf8", "-u", "carol", "carol", "[USER] ", true},
    {"Administrator", "-u", "Administrator", "Administrator", "[USER] ", true},
    {"NameInOtherLetterCase", "-u", "ALICE", "alice", "[USER] ", true},
    {"Computer", "-comp", "WS1", "WS1$", "[COMPUTER] ", true},
    {"ComputerWithDollar", "-comp", "WS1$", "WS1$", "[COMPUTER] ", true},
    {"GlobalGroup", "-group", "Sales Team", "Sales Team", "[GROUP] ", false},
    {"GroupInsideCycle", "-group", "Cycle A", "Cycle A", "[GROUP] ", false},
    {"GroupWithCommaInDn", "-group", "Printers Floor 2", "Printers Floor 2", "[GROUP] ", false},
    {"Utf8Group", "-group", "Größe Ärzte", "Größe Ärzte", "[GROUP] ", false},
};

// Names the case in failure messages instead of a byte dump.
inline void PrintTo(const PrincipalCase& c, std::ostream* os) { *os << c.test_name; }

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_SAMPLE_PRINCIPALS_H_
