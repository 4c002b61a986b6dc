#include "platform/windows/wide_search_request.h"

#include "platform/windows/wide_text.h"

namespace nestwalk::platform {

namespace {

// wldap32's LDAP_SCOPE_BASE and LDAP_SCOPE_SUBTREE.
constexpr unsigned long kScopeBase = 0x00;
constexpr unsigned long kScopeSubtree = 0x02;

}  // namespace

WideSearchRequest::WideSearchRequest(const SearchRequest& request)
    : base_(WideFromUtf8(request.base)),
      scope_(request.scope == SearchScope::kBase ? kScopeBase : kScopeSubtree),
      filter_(request.filter.empty() ? std::wstring(L"(objectClass=*)")
                                     : WideFromUtf8(request.filter)),
      attributesOnly_(request.attributesOnly) {
  for (const std::string& attribute : request.attributes) {
    attributes_.push_back(WideFromUtf8(attribute));
  }
  for (std::wstring& attribute : attributes_) attributeViews_.push_back(attribute.data());
  attributeViews_.push_back(nullptr);
}

}  // namespace nestwalk::platform
