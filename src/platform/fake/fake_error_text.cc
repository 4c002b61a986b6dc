#include "platform/fake/fake_error_text.h"

#include <map>

namespace nestwalk::fake {

std::string LibldapErrorText(int code) {
  static const std::map<int, std::string> kTexts{
      {0, "Success"},
      {1, "Operations error"},
      {2, "Protocol error"},
      {3, "Time limit exceeded"},
      {4, "Size limit exceeded"},
      {5, "Compare False"},
      {6, "Compare True"},
      {7, "Authentication method not supported"},
      {8, "Strong(er) authentication required"},
      {9, "Partial results and referral received"},
      {10, "Referral"},
      {11, "Administrative limit exceeded"},
      {12, "Critical extension is unavailable"},
      {13, "Confidentiality required"},
      {14, "SASL bind in progress"},
      {16, "No such attribute"},
      {17, "Undefined attribute type"},
      {18, "Inappropriate matching"},
      {19, "Constraint violation"},
      {20, "Type or value exists"},
      {21, "Invalid syntax"},
      {32, "No such object"},
      {33, "Alias problem"},
      {34, "Invalid DN syntax"},
      {36, "Alias dereferencing problem"},
      {48, "Inappropriate authentication"},
      {49, "Invalid credentials"},
      {50, "Insufficient access"},
      {51, "Server is busy"},
      {52, "Server is unavailable"},
      {53, "Server is unwilling to perform"},
      {54, "Loop detected"},
      {64, "Naming violation"},
      {65, "Object class violation"},
      {66, "Operation not allowed on non-leaf"},
      {67, "Operation not allowed on RDN"},
      {68, "Already exists"},
      {69, "Cannot modify object class"},
      {71, "Operation affects multiple DSAs"},
      {80, "Other (e.g., implementation specific) error"},
      {-1, "Can't contact LDAP server"},
      {-2, "Local error"},
      {-3, "Encoding error"},
      {-4, "Decoding error"},
      {-5, "Timed out"},
      {-6, "Unknown authentication method"},
      {-7, "Bad search filter"},
      {-8, "User cancelled operation"},
      {-9, "Bad parameter to an ldap routine"},
      {-10, "Out of memory"},
      {-11, "Connect error"},
      {-12, "Not Supported"},
      {-13, "Control not found"},
      {-14, "No results returned"},
      {-15, "More results to return"},
      {-16, "Client Loop"},
      {-17, "Referral Limit Exceeded"},
  };
  auto found = kTexts.find(code);
  if (found != kTexts.end()) return found->second;
  return code < 0 ? "Unknown API error" : "Unknown error";
}

}  // namespace nestwalk::fake
