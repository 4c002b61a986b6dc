#include "platform/windows/windows_directory.h"

#include <utility>

#include "platform/windows/ldap_chain.h"
#include "platform/windows/ldap_result_codes.h"
#include "platform/windows/refused_bind.h"
#include "platform/windows/wide_search_request.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_handles.h"
#include "platform/windows/windows_paged_search.h"

namespace nestwalk::platform {

namespace {

constexpr int kHighestPort = 65535;

l_timeval Seconds(std::chrono::seconds seconds) {
  return l_timeval{static_cast<LONG>(seconds.count()), 0};
}

// A wide copy of a secret that is wiped when it goes.
class WipedWideText {
 public:
  explicit WipedWideText(const std::string& text) : text_(WideFromUtf8(text)) {}
  ~WipedWideText() { SecureZeroMemory(text_.data(), text_.size() * sizeof(wchar_t)); }
  WipedWideText(const WipedWideText&) = delete;
  WipedWideText& operator=(const WipedWideText&) = delete;

  std::wstring& text() { return text_; }

 private:
  std::wstring text_;
};

// The identity record of a negotiate bind with explicit credentials; no domain gives none.
int BindWithIdentity(LDAP* ld, const ExplicitCredentials& credentials) {
  std::wstring user = WideFromUtf8(credentials.user);
  std::wstring domain = WideFromUtf8(credentials.domain);
  WipedWideText password(credentials.password);
  SEC_WINNT_AUTH_IDENTITY_W identity{};
  identity.User = reinterpret_cast<unsigned short*>(user.data());
  identity.UserLength = static_cast<unsigned long>(user.size());
  identity.Domain = domain.empty() ? nullptr : reinterpret_cast<unsigned short*>(domain.data());
  identity.DomainLength = static_cast<unsigned long>(domain.size());
  identity.Password = reinterpret_cast<unsigned short*>(password.text().data());
  identity.PasswordLength = static_cast<unsigned long>(password.text().size());
  identity.Flags = SEC_WINNT_AUTH_IDENTITY_UNICODE;
  const ULONG code =
      ldap_bind_sW(ld, nullptr, reinterpret_cast<PWCHAR>(&identity), LDAP_AUTH_NEGOTIATE);
  SecureZeroMemory(&identity, sizeof identity);
  return ProgramLdapCode(code);
}

// The connection is made before a bind so that a dead host costs kConnectTimeout.
int Connect(LDAP* ld) {
  l_timeval timeout = Seconds(WindowsDirectory::kConnectTimeout);
  return ProgramLdapCode(ldap_connect(ld, &timeout));
}

}  // namespace

WindowsDirectory::WindowsDirectory() : sent_(connections_, kResponseTimeout) {}

OpenResult WindowsDirectory::Open(const std::optional<std::string>& host, int port, bool ssl) {
  // wldap32 would keep only the low 16 bits and connect to some other port.
  if (port > kHighestPort) return OpenResult{LdapHandle(), kLdapParamError};
  std::wstring wideHost = host ? WideFromUtf8(*host) : std::wstring();
  LdapPtr ld(
      ldap_sslinitW(host ? wideHost.data() : nullptr, static_cast<ULONG>(port), ssl ? 1 : 0));
  if (!ld) return OpenResult{LdapHandle(), ProgramLdapCode(LdapGetLastError())};
  return OpenResult{connections_.Add(std::move(ld)), 0};
}

int WindowsDirectory::SetOption(LdapHandle connection, LdapOption option, int value) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return kLdapParamError;
  ULONG code = LDAP_PARAM_ERROR;
  switch (option) {
    case LdapOption::kProtocolVersion:
      code = ldap_set_optionW(ld, LDAP_OPT_PROTOCOL_VERSION, &value);
      break;
    case LdapOption::kReferrals:
      code = ldap_set_optionW(ld, LDAP_OPT_REFERRALS, value != 0 ? LDAP_OPT_ON : LDAP_OPT_OFF);
      break;
    case LdapOption::kEncryption: {
      ULONG on = value != 0 ? 1 : 0;
      code = ldap_set_optionW(ld, LDAP_OPT_ENCRYPT, &on);
      break;
    }
  }
  return ProgramLdapCode(code);
}

int WindowsDirectory::SimpleBind(LdapHandle connection, const std::optional<std::string>& dn,
                                 const std::optional<std::string>& password) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return kLdapParamError;
  bindFailureReasons_.Keep(connection, std::string());
  if (const int connected = Connect(ld); connected != kLdapSuccess) return connected;
  std::wstring wideDn = dn ? WideFromUtf8(*dn) : std::wstring();
  WipedWideText secret(password.value_or(std::string()));
  return ProgramLdapCode(ldap_simple_bind_sW(ld, dn ? wideDn.data() : nullptr,
                                             password ? secret.text().data() : nullptr));
}

int WindowsDirectory::NegotiateBind(LdapHandle connection,
                                    const std::optional<ExplicitCredentials>& credentials) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return kLdapParamError;
  int code = Connect(ld);
  if (code == kLdapSuccess) {
    code = credentials ? BindWithIdentity(ld, *credentials)
                       : ProgramLdapCode(ldap_bind_sW(ld, nullptr, nullptr, LDAP_AUTH_NEGOTIATE));
  }
  bindFailureReasons_.Keep(connection,
                           RefusedBindReason(code, ServerErrorText(connection).value_or(""),
                                             credentials.has_value()));
  return code;
}

SearchResult WindowsDirectory::Search(LdapHandle connection, const SearchRequest& request) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return SearchResult{kLdapParamError, {}};
  WideSearchRequest wide(request);
  l_timeval timeout = Seconds(kResponseTimeout);
  LDAPMessage* raw = nullptr;
  const ULONG code =
      ldap_search_ext_sW(ld, wide.base(), wide.scope(), wide.filter(), wide.attributes(),
                         wide.attributesOnly(), nullptr, nullptr, &timeout, 0, &raw);
  const LdapMessagePtr messages(raw);
  return ResultOfChain(ld, code, messages.get());
}

int WindowsDirectory::SendSearch(LdapHandle connection, const SearchRequest& request) {
  return sent_.Send(connection, request);
}

std::vector<SearchAnswer> WindowsDirectory::AwaitAnswers(std::chrono::milliseconds maxWait) {
  return sent_.Await(maxWait);
}

std::unique_ptr<PagedSearch> WindowsDirectory::StartPagedSearch(LdapHandle connection,
                                                                const SearchRequest& request,
                                                                int pageSize) {
  return WindowsPagedSearch::Start(connections_, connection, request, pageSize, kResponseTimeout);
}

std::string WindowsDirectory::ErrorText(int code) {
  return Utf8FromWide(ldap_err2stringW(WindowsLdapCode(code)));
}

std::optional<std::string> WindowsDirectory::ServerErrorText(LdapHandle connection) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return std::nullopt;
  wchar_t* raw = nullptr;
  if (ldap_get_optionW(ld, LDAP_OPT_SERVER_ERROR, &raw) != LDAP_SUCCESS) return std::nullopt;
  const LdapWideTextPtr text(raw);
  if (!text || *text == L'\0') return std::nullopt;
  return Utf8FromWide(text.get());
}

std::optional<std::string> WindowsDirectory::BindFailureReason(LdapHandle connection) {
  return bindFailureReasons_.Of(connection);
}

void WindowsDirectory::Unbind(LdapHandle connection) {
  bindFailureReasons_.Keep(connection, std::string());
  sent_.Drop(connection);
  connections_.Close(connection);
}

}  // namespace nestwalk::platform
