// A Directory that hands every call to another one: the base of a decorator, which overrides
// only the calls it changes.
#ifndef NESTWALK_PLATFORM_DIRECTORY_WRAPPER_H_
#define NESTWALK_PLATFORM_DIRECTORY_WRAPPER_H_

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::platform {

class DirectoryWrapper : public Directory {
 public:
  // `target` is not owned and must outlive the wrapper.
  explicit DirectoryWrapper(Directory& target) : target_(target) {}
  // A wrapper of a wrapper must wrap it, not copy its target: without these, a derived wrapper
  // passed as the target would pick the copy and skip the wrapper in between.
  DirectoryWrapper(const DirectoryWrapper&) = delete;
  DirectoryWrapper& operator=(const DirectoryWrapper&) = delete;

  Directory& target() const { return target_; }

  OpenResult Open(const std::optional<std::string>& host, int port, bool ssl) override {
    return target_.Open(host, port, ssl);
  }
  int SetOption(LdapHandle connection, LdapOption option, int value) override {
    return target_.SetOption(connection, option, value);
  }
  int SimpleBind(LdapHandle connection, const std::optional<std::string>& dn,
                 const std::optional<std::string>& password) override {
    return target_.SimpleBind(connection, dn, password);
  }
  int NegotiateBind(LdapHandle connection,
                    const std::optional<ExplicitCredentials>& credentials) override {
    return target_.NegotiateBind(connection, credentials);
  }
  SearchResult Search(LdapHandle connection, const SearchRequest& request) override {
    return target_.Search(connection, request);
  }
  int SendSearch(LdapHandle connection, const SearchRequest& request) override {
    return target_.SendSearch(connection, request);
  }
  std::vector<SearchAnswer> AwaitAnswers(std::chrono::milliseconds maxWait) override {
    return target_.AwaitAnswers(maxWait);
  }
  std::unique_ptr<PagedSearch> StartPagedSearch(LdapHandle connection, const SearchRequest& request,
                                                int pageSize) override {
    return target_.StartPagedSearch(connection, request, pageSize);
  }
  std::string ErrorText(int code) override { return target_.ErrorText(code); }
  std::optional<std::string> ServerErrorText(LdapHandle connection) override {
    return target_.ServerErrorText(connection);
  }
  std::optional<std::string> BindFailureReason(LdapHandle connection) override {
    return target_.BindFailureReason(connection);
  }
  void Unbind(LdapHandle connection) override { target_.Unbind(connection); }

 private:
  Directory& target_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_DIRECTORY_WRAPPER_H_
