// A directory whose negotiate binds without credentials of their own bind as a given identity
// instead of the caller: the -as of a run, applied to every bind of the process (the run's and
// the platform's own lookups alike), as "runas /netonly" does on Windows.
#ifndef NESTWALK_PLATFORM_IDENTITY_DIRECTORY_H_
#define NESTWALK_PLATFORM_IDENTITY_DIRECTORY_H_

#include <optional>
#include <utility>

#include "platform/directory.h"
#include "platform/directory_wrapper.h"

namespace nestwalk::platform {

class IdentityDirectory : public DirectoryWrapper {
 public:
  // `target` is not owned and must outlive this. Until Use, every call passes through as it is.
  explicit IdentityDirectory(Directory& target) : DirectoryWrapper(target) {}

  // From now on a negotiate bind without credentials binds as `identity`. Before any bind and
  // before other threads use the directory.
  void Use(ExplicitCredentials identity) { identity_ = std::move(identity); }
  // Whether binds go as an identity of Use rather than as the caller.
  bool bindsAsIdentity() const { return identity_.has_value(); }

  int NegotiateBind(LdapHandle connection,
                    const std::optional<ExplicitCredentials>& credentials) override {
    return DirectoryWrapper::NegotiateBind(connection, credentials ? credentials : identity_);
  }

 private:
  std::optional<ExplicitCredentials> identity_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_IDENTITY_DIRECTORY_H_
