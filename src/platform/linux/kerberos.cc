#include "platform/linux/kerberos.h"

#include <krb5.h>

#include <cstdlib>
#include <memory>

#include "platform/linux/principal_name.h"
#include "text/case_folding.h"

namespace nestwalk::platform {
namespace {

struct ContextDeleter {
  void operator()(krb5_context context) const { krb5_free_context(context); }
};
using Context = std::unique_ptr<std::remove_pointer_t<krb5_context>, ContextDeleter>;

Context OpenContext() {
  krb5_context context = nullptr;
  if (krb5_init_context(&context) != 0) return nullptr;
  return Context(context);
}

// A handle that needs the context to be released; the context must outlive it.
template <typename Handle, typename Release>
class ContextBound {
 public:
  explicit ContextBound(krb5_context context) : context_(context) {}
  ~ContextBound() {
    if (handle_) Release{}(context_, handle_);
  }
  ContextBound(const ContextBound&) = delete;
  ContextBound& operator=(const ContextBound&) = delete;
  Handle* out() { return &handle_; }
  Handle get() const { return handle_; }

 private:
  krb5_context context_;
  Handle handle_ = nullptr;
};

struct CloseCache {
  void operator()(krb5_context context, krb5_ccache cache) const { krb5_cc_close(context, cache); }
};
struct FreePrincipal {
  void operator()(krb5_context context, krb5_principal principal) const {
    krb5_free_principal(context, principal);
  }
};
struct CloseKeytab {
  void operator()(krb5_context context, krb5_keytab keytab) const {
    krb5_kt_close(context, keytab);
  }
};
struct FreeUnparsedName {
  void operator()(krb5_context context, char* text) const {
    krb5_free_unparsed_name(context, text);
  }
};
struct FreeDefaultRealm {
  void operator()(krb5_context context, char* text) const {
    krb5_free_default_realm(context, text);
  }
};
struct FreeHostRealms {
  void operator()(krb5_context context, char** realms) const {
    krb5_free_host_realm(context, realms);
  }
};
using CCache = ContextBound<krb5_ccache, CloseCache>;
using Principal = ContextBound<krb5_principal, FreePrincipal>;
using Keytab = ContextBound<krb5_keytab, CloseKeytab>;
using UnparsedName = ContextBound<char*, FreeUnparsedName>;
using DefaultRealmText = ContextBound<char*, FreeDefaultRealm>;
using HostRealms = ContextBound<char**, FreeHostRealms>;

// The contents of credentials the library filled in.
class Credentials {
 public:
  explicit Credentials(krb5_context context) : context_(context) {}
  ~Credentials() { krb5_free_cred_contents(context_, &creds_); }
  Credentials(const Credentials&) = delete;
  Credentials& operator=(const Credentials&) = delete;
  krb5_creds* get() { return &creds_; }

 private:
  krb5_context context_;
  krb5_creds creds_{};
};

class KeytabCursor {
 public:
  KeytabCursor(krb5_context context, krb5_keytab keytab) : context_(context), keytab_(keytab) {
    open_ = krb5_kt_start_seq_get(context_, keytab_, &cursor_) == 0;
  }
  ~KeytabCursor() {
    if (open_) krb5_kt_end_seq_get(context_, keytab_, &cursor_);
  }
  KeytabCursor(const KeytabCursor&) = delete;
  KeytabCursor& operator=(const KeytabCursor&) = delete;
  bool open() const { return open_; }
  krb5_kt_cursor* get() { return &cursor_; }

 private:
  krb5_context context_;
  krb5_keytab keytab_;
  krb5_kt_cursor cursor_{};
  bool open_ = false;
};

class KeytabEntry {
 public:
  explicit KeytabEntry(krb5_context context) : context_(context) {}
  ~KeytabEntry() { krb5_free_keytab_entry_contents(context_, &entry_); }
  KeytabEntry(const KeytabEntry&) = delete;
  KeytabEntry& operator=(const KeytabEntry&) = delete;
  krb5_keytab_entry* get() { return &entry_; }

 private:
  krb5_context context_;
  krb5_keytab_entry entry_{};
};

std::optional<std::string> PrincipalText(krb5_context context, krb5_const_principal principal) {
  UnparsedName text(context);
  if (krb5_unparse_name(context, principal, text.out()) != 0) return std::nullopt;
  return std::string(text.get());
}

// The realm Kerberos maps `host` to: krb5.conf's domain_realm, else its fallback (the host's
// domain upper-cased); empty when neither gives one.
std::string HostRealm(krb5_context context, const std::string& host) {
  HostRealms mapped(context);
  if (krb5_get_host_realm(context, host.c_str(), mapped.out()) == 0 && mapped.get() != nullptr &&
      mapped.get()[0] != nullptr && *mapped.get()[0] != '\0') {
    return mapped.get()[0];
  }
  krb5_data name{0, static_cast<unsigned>(host.size()), const_cast<char*>(host.data())};
  HostRealms fallback(context);
  if (krb5_get_fallback_host_realm(context, &name, fallback.out()) == 0 &&
      fallback.get() != nullptr && fallback.get()[0] != nullptr) {
    return fallback.get()[0];
  }
  return std::string();
}

// Whether the cache holds a ticket-granting ticket of `principal`'s own realm, and its end.
std::optional<krb5_timestamp> TicketGrantingTicketEnd(krb5_context context, krb5_ccache cache,
                                                      krb5_principal principal) {
  const krb5_data& realm = principal->realm;
  Principal service(context);
  if (krb5_build_principal_ext(context, service.out(), realm.length, realm.data, KRB5_TGS_NAME_SIZE,
                               KRB5_TGS_NAME, realm.length, realm.data, 0) != 0) {
    return std::nullopt;
  }
  krb5_creds wanted{};
  wanted.client = principal;
  wanted.server = service.get();
  Credentials found(context);
  if (krb5_cc_retrieve_cred(context, cache, 0, &wanted, found.get()) != 0) return std::nullopt;
  return found.get()->times.endtime;
}

}  // namespace

void ForgetEmptyCacheName() {
  const char* name = std::getenv("KRB5CCNAME");
  if (name != nullptr && *name == '\0') unsetenv("KRB5CCNAME");
}

CallerTicket CheckCallerTicket(const std::string& serverHost) {
  Context context = OpenContext();
  if (!context) return {};
  CallerTicket ticket;
  ticket.problem = TicketProblem::kNoTicket;
  CCache cache(context.get());
  if (krb5_cc_default(context.get(), cache.out()) != 0) return ticket;
  Principal principal(context.get());
  if (krb5_cc_get_principal(context.get(), cache.get(), principal.out()) != 0) return ticket;
  const krb5_data& realm = principal.get()->realm;
  ticket.ticketRealm.assign(realm.data, realm.length);
  const std::optional<krb5_timestamp> end =
      TicketGrantingTicketEnd(context.get(), cache.get(), principal.get());
  if (!end) return ticket;
  krb5_timestamp now = 0;
  if (krb5_timeofday(context.get(), &now) == 0 && *end <= now) {
    ticket.problem = TicketProblem::kExpired;
    return ticket;
  }
  if (!serverHost.empty()) ticket.serverRealm = HostRealm(context.get(), serverHost);
  const bool otherRealm = !ticket.serverRealm.empty() &&
                          UpperCaseText(ticket.serverRealm) != UpperCaseText(ticket.ticketRealm);
  ticket.problem = otherRealm ? TicketProblem::kOtherRealm : TicketProblem::kNone;
  return ticket;
}

CachePrincipal DefaultCachePrincipal() {
  Context context = OpenContext();
  if (!context) return {CachePrincipalError::kLibraryUnavailable, {}};
  CCache cache(context.get());
  if (krb5_cc_default(context.get(), cache.out()) != 0) return {CachePrincipalError::kNoCache, {}};
  Principal principal(context.get());
  const krb5_error_code code = krb5_cc_get_principal(context.get(), cache.get(), principal.out());
  if (code == KRB5_FCC_NOFILE || code == KRB5_CC_NOTFOUND) {
    return {CachePrincipalError::kNoCache, {}};
  }
  if (code != 0) return {CachePrincipalError::kNoPrincipal, {}};
  std::optional<std::string> text = PrincipalText(context.get(), principal.get());
  if (!text) return {CachePrincipalError::kNoPrincipal, {}};
  return {CachePrincipalError::kNone, std::move(*text)};
}

std::optional<std::string> DefaultRealm() {
  Context context = OpenContext();
  if (!context) return std::nullopt;
  DefaultRealmText realm(context.get());
  if (krb5_get_default_realm(context.get(), realm.out()) != 0) return std::nullopt;
  if (realm.get() == nullptr || *realm.get() == '\0') return std::nullopt;
  return std::string(realm.get());
}

std::optional<std::string> KeytabMachineRealm() {
  Context context = OpenContext();
  if (!context) return std::nullopt;
  Keytab keytab(context.get());
  if (krb5_kt_default(context.get(), keytab.out()) != 0) return std::nullopt;
  KeytabCursor cursor(context.get(), keytab.get());
  if (!cursor.open()) return std::nullopt;
  while (true) {
    KeytabEntry entry(context.get());
    if (krb5_kt_next_entry(context.get(), keytab.get(), entry.get(), cursor.get()) != 0) {
      return std::nullopt;
    }
    if (entry.get()->principal->length != 1) continue;  // host/..., cifs/...: not the account
    std::optional<std::string> text = PrincipalText(context.get(), entry.get()->principal);
    if (!text) continue;
    std::optional<PrincipalParts> parts = SplitPrincipalName(*text);
    if (parts && parts->name.size() > 1 && parts->name.back() == '$') return parts->realm;
  }
}

}  // namespace nestwalk::platform
