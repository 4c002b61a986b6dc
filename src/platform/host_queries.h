// The host half of the platform seam: who runs the program and on which machine.
#ifndef NESTWALK_PLATFORM_HOST_QUERIES_H_
#define NESTWALK_PLATFORM_HOST_QUERIES_H_

#include <string>

namespace nestwalk::platform {

// Every answer carries a status: 0 is success, anything else a stable error code. `hint`, when
// not empty, is one line of advice for a user of this platform (for example "run kinit").
struct ComputerNameAnswer {
  int status = 0;
  std::string computerName;
  std::string hint;
};

struct JoinAnswer {
  int status = 0;
  bool joinedToDomain = false;
  std::string domainName;  // the flat name of the domain the machine is joined to
  std::string hint;
};

struct LoggedOnUserAnswer {
  int status = 0;
  std::string userName;
  std::string logonDomain;
  std::string hint;
};

class HostQueries {
 public:
  virtual ~HostQueries() = default;
  virtual ComputerNameAnswer GetComputerName() = 0;
  virtual JoinAnswer GetJoinInformation() = 0;
  virtual LoggedOnUserAnswer GetLoggedOnUser() = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_HOST_QUERIES_H_
