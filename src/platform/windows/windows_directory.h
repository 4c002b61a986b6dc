// The directory seam on wldap32, the LDAP client of Windows, through its wide (W) entry points:
// negotiate binds with the logged-on user's credentials or an explicit identity record.
#ifndef NESTWALK_PLATFORM_WINDOWS_WINDOWS_DIRECTORY_H_
#define NESTWALK_PLATFORM_WINDOWS_WINDOWS_DIRECTORY_H_

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bind_failure_reasons.h"
#include "platform/directory.h"
#include "platform/windows/ldap_sent_searches.h"

namespace nestwalk::platform {

// Owns every connection it opens until Unbind or its own destruction. Operations on a handle
// it does not know (never opened, or already unbound) do nothing and return kLdapParamError;
// ServerErrorText gives nullopt for them. Result codes are the program's (ProgramLdapCode).
// Paged searches it starts must not outlive it.
class WindowsDirectory : public Directory {
 public:
  // Connect time limit of every connection: a dead host costs this long, not minutes.
  static constexpr std::chrono::seconds kConnectTimeout{10};
  // How long a search (each page of a paged one, each search sent ahead) may wait for the
  // server's answer before it fails with kLdapTimeout. wldap32 has no such limit for a bind.
  static constexpr std::chrono::seconds kResponseTimeout{60};

  WindowsDirectory();
  ~WindowsDirectory() override = default;
  WindowsDirectory(const WindowsDirectory&) = delete;
  WindowsDirectory& operator=(const WindowsDirectory&) = delete;

  // ldap_sslinitW; it does not connect yet. On failure the library's last error is the error.
  OpenResult Open(const std::optional<std::string>& host, int port, bool ssl) override;
  // kProtocolVersion: the value as protocol version; kReferrals: chasing on when non-zero;
  // kEncryption: LDAP_OPT_ENCRYPT (sealing) on when non-zero.
  int SetOption(LdapHandle connection, LdapOption option, int value) override;
  // Binds connect first, within kConnectTimeout.
  int SimpleBind(LdapHandle connection, const std::optional<std::string>& dn,
                 const std::optional<std::string>& password) override;
  // LDAP_AUTH_NEGOTIATE without an identity record (the logged-on user) or with one for
  // `credentials`; the password's wide copy is wiped after the bind.
  int NegotiateBind(LdapHandle connection,
                    const std::optional<ExplicitCredentials>& credentials) override;
  SearchResult Search(LdapHandle connection, const SearchRequest& request) override;
  int SendSearch(LdapHandle connection, const SearchRequest& request) override;
  std::vector<SearchAnswer> AwaitAnswers(std::chrono::milliseconds maxWait) override;
  // nullptr for an unknown handle, a page size below 1, or a search the library cannot start.
  std::unique_ptr<PagedSearch> StartPagedSearch(LdapHandle connection, const SearchRequest& request,
                                                int pageSize) override;
  std::string ErrorText(int code) override;
  // LDAP_OPT_SERVER_ERROR, nullopt when the library gives none or an empty one.
  std::optional<std::string> ServerErrorText(LdapHandle connection) override;
  // Why a bind with explicit credentials was refused: see RefusedBindReason.
  std::optional<std::string> BindFailureReason(LdapHandle connection) override;
  void Unbind(LdapHandle connection) override;

 private:
  BindFailureReasons bindFailureReasons_;
  LdapConnections connections_;
  LdapSentSearches sent_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WINDOWS_DIRECTORY_H_
