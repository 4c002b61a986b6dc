// A seam SearchRequest in the wide form that the wldap32 search calls take.
#ifndef NESTWALK_PLATFORM_WINDOWS_WIDE_SEARCH_REQUEST_H_
#define NESTWALK_PLATFORM_WINDOWS_WIDE_SEARCH_REQUEST_H_

#include <string>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::platform {

// Keeps the converted texts and the C views of them. Not copyable: the views point into the
// texts. The base is passed as given ("" for the RootDSE), an empty filter asks for every
// object, and an empty attribute list for all user attributes.
class WideSearchRequest {
 public:
  explicit WideSearchRequest(const SearchRequest& request);
  WideSearchRequest(const WideSearchRequest&) = delete;
  WideSearchRequest& operator=(const WideSearchRequest&) = delete;

  // wldap32 takes non-const pointers but does not write through them.
  wchar_t* base() { return base_.data(); }
  unsigned long scope() const { return scope_; }
  wchar_t* filter() { return filter_.data(); }
  // Null-terminated, or nullptr for all attributes.
  wchar_t** attributes() { return attributeViews_.size() > 1 ? attributeViews_.data() : nullptr; }
  unsigned long attributesOnly() const { return attributesOnly_ ? 1 : 0; }

 private:
  std::wstring base_;
  unsigned long scope_;
  std::wstring filter_;
  std::vector<std::wstring> attributes_;
  std::vector<wchar_t*> attributeViews_;
  bool attributesOnly_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WIDE_SEARCH_REQUEST_H_
