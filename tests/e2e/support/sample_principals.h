// The sample principals that populate creates, as the whole-program tests run them.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_SAMPLE_PRINCIPALS_H_
#define NESTWALK_TESTS_E2E_SUPPORT_SAMPLE_PRINCIPALS_H_

#include <ostream>
#include <string>

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

// How a list for -in names the principal of `c`, in the domain of flat name `flat`.
inline std::string ListLine(const std::string& flat, const PrincipalCase& c) {
  const std::string option = c.option;
  const std::string kind = option == "-comp" ? "computer " : option == "-group" ? "group " : "";
  return kind + flat + "\\" + c.typed + "\n";
}

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_SAMPLE_PRINCIPALS_H_
