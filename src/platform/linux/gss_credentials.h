// Kerberos credentials for an explicit user and password, acquired through GSS-API so that
// SASL GSSAPI can use them instead of the caller's ticket cache.
#ifndef NESTWALK_PLATFORM_LINUX_GSS_CREDENTIALS_H_
#define NESTWALK_PLATFORM_LINUX_GSS_CREDENTIALS_H_

#include <gssapi/gssapi.h>

#include <cstdint>
#include <string>

namespace nestwalk::platform {

// Owns one GSS credential handle (released with gss_release_cred); empty when default-made.
class GssCredential {
 public:
  GssCredential() = default;
  explicit GssCredential(gss_cred_id_t handle) : handle_(handle) {}
  ~GssCredential();
  GssCredential(GssCredential&& other) noexcept;
  GssCredential& operator=(GssCredential&& other) noexcept;
  GssCredential(const GssCredential&) = delete;
  GssCredential& operator=(const GssCredential&) = delete;

  // Still owned by this object.
  gss_cred_id_t get() const { return handle_; }
  bool empty() const { return handle_ == GSS_C_NO_CREDENTIAL; }

 private:
  void Release();

  gss_cred_id_t handle_ = GSS_C_NO_CREDENTIAL;
};

// The Kerberos principal of an explicit user: "user@REALM" with the domain upper-cased as the
// realm; without a domain the user text alone, which Kerberos completes with the default realm
// (or which already is "user@REALM").
std::string KerberosPrincipalFor(const std::string& user, const std::string& domain);

struct AcquiredCredential {
  GssCredential credential;    // empty on failure
  std::uint32_t major = 0;     // GSS major status; 0 on success
  std::int32_t krb5Error = 0;  // the Kerberos error behind a failure (the minor status)
  std::string message;         // GSS's description of a failure; empty on success
};

// Asks the KDC for an initial ticket of `principal` with `password` (a Kerberos initiator
// credential held in memory; the caller's ticket cache is not touched). A wrong password or an
// unknown principal fails here, before any LDAP traffic.
AcquiredCredential AcquirePasswordCredential(const std::string& principal,
                                             const std::string& password);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_GSS_CREDENTIALS_H_
