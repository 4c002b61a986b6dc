#include "platform/linux/gss_credentials.h"

#include <gssapi/gssapi_ext.h>
#include <gssapi/gssapi_krb5.h>

#include <string_view>
#include <utility>

#include "text/case_folding.h"

namespace nestwalk::platform {

namespace {

// Owns one imported GSS name.
class GssName {
 public:
  GssName() = default;
  ~GssName() {
    OM_uint32 minor = 0;
    if (handle_ != GSS_C_NO_NAME) gss_release_name(&minor, &handle_);
  }
  GssName(const GssName&) = delete;
  GssName& operator=(const GssName&) = delete;

  gss_name_t get() const { return handle_; }
  // Where gss_import_name writes the new name; only for an empty object.
  gss_name_t* receive() { return &handle_; }

 private:
  gss_name_t handle_ = GSS_C_NO_NAME;
};

// Owns the contents of a buffer that GSS-API fills in.
class GssBuffer {
 public:
  GssBuffer() = default;
  ~GssBuffer() {
    OM_uint32 minor = 0;
    gss_release_buffer(&minor, &buffer_);
  }
  GssBuffer(const GssBuffer&) = delete;
  GssBuffer& operator=(const GssBuffer&) = delete;

  // Where the library writes; only for an empty object.
  gss_buffer_t receive() { return &buffer_; }
  std::string_view text() const {
    return {static_cast<const char*>(buffer_.value), buffer_.length};
  }

 private:
  gss_buffer_desc buffer_ = GSS_C_EMPTY_BUFFER;
};

// Appends the texts of one status code (a major code may carry several).
void AppendStatusText(std::string& text, OM_uint32 code, int type) {
  OM_uint32 context = 0;
  do {
    OM_uint32 minor = 0;
    GssBuffer buffer;
    if (GSS_ERROR(
            gss_display_status(&minor, code, type, GSS_C_NO_OID, &context, buffer.receive()))) {
      return;
    }
    if (!text.empty() && !buffer.text().empty()) text += ": ";
    text += buffer.text();
  } while (context != 0);
}

AcquiredCredential Failure(OM_uint32 major, OM_uint32 minor) {
  AcquiredCredential failure;
  failure.major = major;
  failure.krb5Error = static_cast<std::int32_t>(minor);
  AppendStatusText(failure.message, major, GSS_C_GSS_CODE);
  if (minor != 0) AppendStatusText(failure.message, minor, GSS_C_MECH_CODE);
  return failure;
}

}  // namespace

GssCredential::~GssCredential() { Release(); }

void GssCredential::Release() {
  OM_uint32 minor = 0;
  if (handle_ != GSS_C_NO_CREDENTIAL) gss_release_cred(&minor, &handle_);
  handle_ = GSS_C_NO_CREDENTIAL;
}

GssCredential::GssCredential(GssCredential&& other) noexcept
    : handle_(std::exchange(other.handle_, GSS_C_NO_CREDENTIAL)) {}

GssCredential& GssCredential::operator=(GssCredential&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, GSS_C_NO_CREDENTIAL);
  }
  return *this;
}

std::string KerberosPrincipalFor(const std::string& user, const std::string& domain) {
  if (domain.empty()) return user;
  return user + "@" + UpperCaseText(domain);
}

AcquiredCredential AcquirePasswordCredential(const std::string& principal,
                                             const std::string& password) {
  OM_uint32 minor = 0;
  GssName name;
  gss_buffer_desc nameBuffer{principal.size(), const_cast<char*>(principal.data())};
  OM_uint32 major = gss_import_name(&minor, &nameBuffer, GSS_C_NT_USER_NAME, name.receive());
  if (GSS_ERROR(major)) return Failure(major, minor);

  // Kerberos only: SPNEGO would add nothing here, and AD's SASL GSSAPI wants krb5.
  gss_OID_set_desc mechanisms{1, gss_mech_krb5};
  gss_buffer_desc passwordBuffer{password.size(), const_cast<char*>(password.data())};
  gss_cred_id_t handle = GSS_C_NO_CREDENTIAL;
  major = gss_acquire_cred_with_password(&minor, name.get(), &passwordBuffer, GSS_C_INDEFINITE,
                                         &mechanisms, GSS_C_INITIATE, &handle, nullptr, nullptr);
  GssCredential credential(handle);
  if (GSS_ERROR(major)) return Failure(major, minor);
  AcquiredCredential acquired;
  acquired.credential = std::move(credential);
  return acquired;
}

}  // namespace nestwalk::platform
