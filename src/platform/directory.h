// The directory half of the platform seam: an LDAP client reduced to what the program needs,
// with C++ value types so that callers never hold library memory.
#ifndef NESTWALK_PLATFORM_DIRECTORY_H_
#define NESTWALK_PLATFORM_DIRECTORY_H_

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nestwalk::platform {

// An opaque connection handle. The default value means "no connection". Copies name the same
// connection; whoever keeps the run's list of connections decides when it is unbound.
class LdapHandle {
 public:
  constexpr LdapHandle() = default;
  constexpr explicit LdapHandle(std::uint64_t id) : id_(id) {}
  constexpr bool valid() const { return id_ != 0; }
  constexpr std::uint64_t id() const { return id_; }
  friend constexpr bool operator==(LdapHandle, LdapHandle) = default;

 private:
  std::uint64_t id_ = 0;
};

enum class SearchScope { kBase = 0, kSubtree = 2 };

// The three connection options the program sets. kReferrals asks for referrals to be followed,
// and a referral is followed only with the caller's own credentials: libldap cannot do that (it
// would bind anonymously), so on Linux a referral is never followed, whatever kReferrals says.
enum class LdapOption { kProtocolVersion, kReferrals, kEncryption };

// One attribute of an entry as the server returned it. The name keeps the server's spelling,
// including options such as "memberOf;range=0-1499". Values are byte strings: text values and
// binary values (objectSid) alike.
struct Attribute {
  std::string name;
  std::vector<std::string> values;
};

struct Entry {
  std::string dn;
  std::vector<Attribute> attributes;

  // The values of the attribute whose name equals `name` ignoring ASCII case (options
  // included, so "memberOf" does not find "memberOf;range=0-1499"); nullptr when absent.
  const std::vector<std::string>* Find(std::string_view name) const;
  // The first value of that attribute, or nullopt when it is absent or has no values.
  std::optional<std::string> First(std::string_view name) const;
  // The first value read as a decimal int (a 32-bit attribute such as trustDirection); nullopt
  // when it is absent or no decimal in the int range.
  std::optional<int> FirstNumber(std::string_view name) const;
};

struct SearchRequest {
  std::string base;  // empty: the RootDSE
  SearchScope scope = SearchScope::kBase;
  std::string filter;
  std::vector<std::string> attributes;  // empty: all attributes
  bool attributesOnly = false;
};

// code 0 is success; entries are in the order received (search references are not entries).
// A referral is never followed with anything but the caller's own credentials: an implementation
// that does not follow it answers kLdapReferral with the URLs the server named.
struct SearchResult {
  int code = 0;
  std::vector<Entry> entries;
  std::vector<std::string> referrals = {};  // with kLdapReferral: the URLs the server named
};

struct OpenResult {
  LdapHandle handle;  // invalid on failure
  int error = 0;      // the failure code when handle is invalid
};

// Explicit credentials of a negotiate bind; without them the caller's own ticket is used.
struct ExplicitCredentials {
  std::string user;
  std::string domain;  // empty: none given
  std::string password;
};

// A paged search in progress (simple paged results, one page held at a time).
class PagedSearch {
 public:
  virtual ~PagedSearch() = default;
  // Requests the next page and replaces `page` with its entries, in the order received.
  // Returns 0 when a page came; any other value ends the walk, and that includes the normal
  // end of the results (the request after the last page).
  virtual int NextPage(std::vector<Entry>& page) = 0;
};

inline constexpr int kPageSize = 1000;

// The answer to a search sent with Directory::SendSearch.
struct SearchAnswer {
  LdapHandle connection;
  int id = 0;  // what SendSearch returned
  SearchResult result;
};

// Result codes used by the program and its implementations (LDAP standard and libldap values).
inline constexpr int kLdapSuccess = 0;
inline constexpr int kLdapReferral = 10;
inline constexpr int kLdapNoSuchObject = 32;
inline constexpr int kLdapInvalidCredentials = 49;
inline constexpr int kLdapServerDown = -1;
inline constexpr int kLdapLocalError = -2;
inline constexpr int kLdapTimeout = -5;
inline constexpr int kLdapNoResultsReturned = 0x5e;

// Calls on different connections may come from different threads at once (a DC is bound on
// one thread while searches of other connections go out on another); one connection is used by
// one thread at a time, and SendSearch and AwaitAnswers come from one thread.
class Directory {
 public:
  virtual ~Directory() = default;

  // Creates a connection to `host` (nullopt: the library's default server) on `port`, over SSL
  // when `ssl`. Does not contact the server yet on every implementation.
  virtual OpenResult Open(const std::optional<std::string>& host, int port, bool ssl) = 0;
  // Returns 0 or an LDAP result code.
  virtual int SetOption(LdapHandle connection, LdapOption option, int value) = 0;
  // nullopt passes no DN / no password (anonymous); an empty text is passed as an empty text.
  virtual int SimpleBind(LdapHandle connection, const std::optional<std::string>& dn,
                         const std::optional<std::string>& password) = 0;
  // Negotiate (Kerberos) bind with the caller's credentials, or with explicit ones.
  virtual int NegotiateBind(LdapHandle connection,
                            const std::optional<ExplicitCredentials>& credentials) = 0;
  virtual SearchResult Search(LdapHandle connection, const SearchRequest& request) = 0;
  // Sends `request` over `connection` without waiting for its answer and returns its id (> 0,
  // never reused by this directory). AwaitAnswers delivers the answer, with the same result a
  // Search would have given; a search that cannot even be sent is answered with its failure
  // code. Searches of one connection may be in flight together; Search may be called on a
  // connection while sent searches of it are unanswered.
  virtual int SendSearch(LdapHandle connection, const SearchRequest& request) = 0;
  // Waits at most `maxWait` for answers to sent searches and returns every answer that has come
  // (in any order), each exactly once. A sent search whose server does not answer within the
  // response timeout is answered with kLdapTimeout. Returns at once, empty, when no sent search
  // is unanswered. Unbind drops the unanswered searches of its connection.
  virtual std::vector<SearchAnswer> AwaitAnswers(std::chrono::milliseconds maxWait) = 0;
  // Starts a paged search asking for `pageSize` entries a page; nullptr when it cannot start.
  virtual std::unique_ptr<PagedSearch> StartPagedSearch(LdapHandle connection,
                                                        const SearchRequest& request,
                                                        int pageSize) = 0;
  // The library's own description of a result code.
  virtual std::string ErrorText(int code) = 0;
  // The text the server attached to its last error on this connection, if any.
  virtual std::optional<std::string> ServerErrorText(LdapHandle connection) = 0;
  // Why the last bind of `connection` failed, in one line, where its code alone would mislead
  // (the Kerberos reason behind a local error and what to do about it, a missing SASL module);
  // nullopt when there is nothing to add, after a success, and for an unknown handle. An
  // implementation that cannot tell need not override it.
  virtual std::optional<std::string> BindFailureReason(LdapHandle /*connection*/) {
    return std::nullopt;
  }
  // Closes the connection. The handle must not be used again afterwards.
  virtual void Unbind(LdapHandle connection) = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_DIRECTORY_H_
