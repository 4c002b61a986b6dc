#include "ldap/open_ldap.h"

#include <string_view>
#include <utility>
#include <vector>

#include "ldap/ldap_error.h"
#include "text/case_folding.h"
#include "text/leading_decimal.h"
#include "text/split_text.h"

namespace nestwalk {

namespace {

constexpr int kDefaultPort = 389;
constexpr int kSecurePort = 636;
constexpr int kGlobalCatalogPort = 3268;
constexpr int kSecureGlobalCatalogPort = 3269;
// SplitHostPort reads no more than this many characters of the port text.
constexpr std::size_t kPortDigits = 6;
// What the trace shows for a password, whatever its length.
constexpr std::string_view kMaskedPassword = "********";

int ResolvePort(std::string& serverText, int requestedPort, bool secure) {
  int port = kDefaultPort;
  if (int named = SplitHostPort(serverText); named != 0) port = named;
  if (requestedPort == kDefaultPortSelector && secure) port = kSecurePort;
  if (requestedPort == kGlobalCatalogPortSelector) {
    port = secure ? kSecureGlobalCatalogPort : kGlobalCatalogPort;
  }
  if (requestedPort > kGlobalCatalogPortSelector) port = requestedPort;
  return port;
}

std::string_view Flag(bool value) { return value ? "1" : "0"; }

void WriteTrace(Console& console, const OpenLdapRequest& request, const std::string& serverText,
                int port, bool simple) {
  if (!console.debug()) return;
  std::string trace = "DEBUG: In OpenLDAP... Params:\n";
  if (request.server) trace += "DEBUG:    Server:    " + serverText + "\n";
  trace += "DEBUG:    SSL: " + std::string(Flag(request.secure)) + "\n";
  trace += "DEBUG:    Port:        " + std::to_string(port) + "\n";
  trace += "DEBUG:    Ref:       " + std::string(Flag(request.referrals)) + "\n";
  trace += "DEBUG:    V3:        " + std::string(Flag(request.version3)) + "\n";
  trace += "DEBUG:    Anonymous: " + std::string(Flag(request.anonymous)) + "\n";
  trace += "DEBUG:    userdn: " + request.userDn + "\n";
  // A password is never written out, not even to a diagnostic trace.
  trace += "DEBUG:    password: " + std::string(request.password.empty() ? "" : kMaskedPassword) +
           "\n";
  trace += "DEBUG:    Simple: " + std::string(Flag(simple)) + "\n";
  trace += "DEBUG:    LDAP_OPT_ENCRYPT: " + std::string(Flag(request.encrypt)) + "\n";
  trace += "DEBUG:    Delegation: " + std::string(Flag(request.delegation)) + "\n";
  trace += "DEBUG:    Extended Error Info: " + std::string(Flag(request.extendedErrorInfo)) + "\n";
  console.Out(trace);
}

// A failed option is reported and the open goes on: the bind decides whether the server is
// usable.
void SetAnnouncedOption(Console& console, platform::Directory& directory,
                        platform::LdapHandle connection, const std::string& serverText,
                        std::string_view announcement, platform::LdapOption option, int value,
                        std::string_view failureLabel) {
  console.DebugErr(announcement);
  if (int code = directory.SetOption(connection, option, value); code != platform::kLdapSuccess) {
    ReportLdapError(console, directory, failureLabel, serverText, code, platform::LdapHandle());
  }
}

void ConfigureOptions(Console& console, platform::Directory& directory,
                      platform::LdapHandle connection, const OpenLdapRequest& request,
                      const std::string& serverText) {
  if (request.version3) {
    SetAnnouncedOption(console, directory, connection, serverText, "LDAP_OPTION: Version 3\n",
                       platform::LdapOption::kProtocolVersion, 3, "LDAP_OPTION (Version3): ");
  }
  if (!request.referrals) {
    SetAnnouncedOption(console, directory, connection, serverText, "LDAP_OPTION: No referrals\n",
                       platform::LdapOption::kReferrals, 0, "LDAP_OPTION (NoReferrals): ");
  }
  if (request.encrypt) {
    SetAnnouncedOption(console, directory, connection, serverText,
                       "LDAP_OPTION: Kerberos Encryption\n", platform::LdapOption::kEncryption, 1,
                       "LDAP_OPTION (Kerberos Encryption On): ");
  }
}

// A connection opened here and not yet handed to the caller. Nobody else holds it, so every
// path on which OpenLDAP gives up on it closes it.
class PendingConnection {
 public:
  PendingConnection(platform::Directory& directory, platform::LdapHandle handle)
      : directory_(directory), handle_(handle) {}
  ~PendingConnection() {
    if (handle_.valid()) directory_.Unbind(handle_);
  }
  PendingConnection(const PendingConnection&) = delete;
  PendingConnection& operator=(const PendingConnection&) = delete;

  platform::LdapHandle get() const { return handle_; }
  // Hands the bound connection on: the caller's connection list owns it from now on.
  platform::LdapHandle Release() { return std::exchange(handle_, platform::LdapHandle()); }

 private:
  platform::Directory& directory_;
  platform::LdapHandle handle_;
};

platform::ExplicitCredentials CredentialsFor(const OpenLdapRequest& request) {
  return CredentialsOf(request.userDn, request.password);
}

}  // namespace

platform::ExplicitCredentials CredentialsOf(const std::string& account, std::string password) {
  platform::ExplicitCredentials credentials;
  credentials.password = std::move(password);
  if (account.find('\\') == std::string::npos) {
    credentials.user = account;
    return credentials;
  }
  std::vector<std::string> pieces;
  SplitText(account, "\\", pieces);
  if (!pieces.empty()) credentials.domain = pieces[0];
  if (pieces.size() > 1) credentials.user = pieces[1];
  return credentials;
}

int SplitHostPort(std::string& server) {
  if (server.find(':') == std::string::npos) return 0;
  std::vector<std::string> pieces;
  SplitText(server, ":", pieces);
  server = pieces.empty() ? std::string() : pieces[0];
  if (pieces.size() < 2) return 0;
  return LeadingDecimal(std::string_view(pieces[1]).substr(0, kPortDigits));
}

platform::LdapHandle OpenLDAP(Console& console, platform::Directory& directory,
                              const OpenLdapRequest& request) {
  std::string serverText = request.server.value_or(std::string());
  const int port = ResolvePort(serverText, request.port, request.secure);
  if (serverText.find('.') == 0) serverText = "localhost";
  const bool simple = request.simple || request.anonymous;
  WriteTrace(console, request, serverText, port, simple);

  // An empty host lets the library pick its default server.
  std::optional<std::string> host;
  if (!serverText.empty()) host = serverText;
  platform::OpenResult opened = directory.Open(host, port, request.secure);
  if (!opened.handle.valid()) {
    ReportLdapError(console, directory, "LDAP_SSLINIT", serverText, opened.error,
                    platform::LdapHandle());
    return platform::LdapHandle();
  }
  PendingConnection pending(directory, opened.handle);
  const platform::LdapHandle connection = pending.get();
  ConfigureOptions(console, directory, connection, request, serverText);

  int result = platform::kLdapSuccess;
  if (simple && request.anonymous) {
    result = directory.SimpleBind(connection, std::nullopt, std::nullopt);
  } else if (simple) {
    result = directory.SimpleBind(connection, request.userDn, request.password);
  } else if (request.userDn.empty()) {
    result = directory.NegotiateBind(connection, std::nullopt);
  } else if (LowerCaseText(request.userDn).find("cn=") != std::string::npos) {
    console.Out("ERROR: DN format not currently supported for secure bind.\n\n");
    return platform::LdapHandle();
  } else {
    result = directory.NegotiateBind(connection, CredentialsFor(request));
  }

  if (result == platform::kLdapSuccess) {
    console.DebugErr("LDAP_BIND: [" + request.server.value_or(std::string()) + "] Successful\n");
    return pending.Release();
  }
  ReportLdapError(console, directory, "LDAP_BIND", serverText, result,
                  request.extendedErrorInfo ? connection : platform::LdapHandle());
  if (std::optional<std::string> reason = directory.BindFailureReason(connection)) {
    console.Err("   " + *reason + "\n");
  }
  return platform::LdapHandle();
}

platform::LdapHandle OpenWithCallerCredentials(Console& console, platform::Directory& directory,
                                               const std::string& server, int portSelector,
                                               bool referrals) {
  OpenLdapRequest request;
  request.server = server;
  request.port = portSelector;
  request.referrals = referrals;
  request.version3 = true;
  return OpenLDAP(console, directory, request);
}

platform::LdapHandle OpenGlobalCatalogPort(Console& console, platform::Directory& directory,
                                           const std::string& server) {
  return OpenWithCallerCredentials(console, directory, server, kGlobalCatalogPortSelector,
                                   /*referrals=*/true);
}

}  // namespace nestwalk
