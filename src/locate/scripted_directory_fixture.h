// Test support, not part of the program: a directory whose paged searches deliver scripted
// pages, for entries that no well-behaved server (and so no fake forest) would return.
#ifndef NESTWALK_LOCATE_SCRIPTED_DIRECTORY_FIXTURE_H_
#define NESTWALK_LOCATE_SCRIPTED_DIRECTORY_FIXTURE_H_

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::testing {

class ScriptedDirectory : public platform::Directory {
 public:
  // Each paged search delivers `pages` in order, then ends with `endStatus`.
  explicit ScriptedDirectory(std::vector<std::vector<platform::Entry>> pages, int endStatus = 1)
      : pages_(std::move(pages)), endStatus_(endStatus) {}

  int requestedPageSize = 0;
  int pageRequests = 0;
  // Requests that found entries of an earlier page still in the buffer handed in.
  int requestsWithPageStillHeld = 0;

  std::unique_ptr<platform::PagedSearch> StartPagedSearch(platform::LdapHandle,
                                                          const platform::SearchRequest&,
                                                          int pageSize) override {
    requestedPageSize = pageSize;
    return std::make_unique<ScriptedSearch>(*this);
  }

  platform::OpenResult Open(const std::optional<std::string>&, int, bool) override { return {}; }
  int SetOption(platform::LdapHandle, platform::LdapOption, int) override { return 0; }
  int SimpleBind(platform::LdapHandle, const std::optional<std::string>&,
                 const std::optional<std::string>&) override {
    return 0;
  }
  int NegotiateBind(platform::LdapHandle,
                    const std::optional<platform::ExplicitCredentials>&) override {
    return 0;
  }
  platform::SearchResult Search(platform::LdapHandle, const platform::SearchRequest&) override {
    return {};
  }
  int SendSearch(platform::LdapHandle, const platform::SearchRequest&) override { return 1; }
  std::vector<platform::SearchAnswer> AwaitAnswers(std::chrono::milliseconds) override {
    return {};
  }
  std::string ErrorText(int) override { return {}; }
  std::optional<std::string> ServerErrorText(platform::LdapHandle) override { return {}; }
  void Unbind(platform::LdapHandle) override {}

 private:
  class ScriptedSearch : public platform::PagedSearch {
   public:
    explicit ScriptedSearch(ScriptedDirectory& owner) : owner_(owner) {}
    int NextPage(std::vector<platform::Entry>& page) override {
      if (!page.empty()) ++owner_.requestsWithPageStillHeld;
      std::size_t index = static_cast<std::size_t>(owner_.pageRequests++);
      if (index >= owner_.pages_.size()) return owner_.endStatus_;
      page = owner_.pages_[index];
      return platform::kLdapSuccess;
    }

   private:
    ScriptedDirectory& owner_;
  };

  std::vector<std::vector<platform::Entry>> pages_;
  int endStatus_;
};

}  // namespace nestwalk::testing

#endif  // NESTWALK_LOCATE_SCRIPTED_DIRECTORY_FIXTURE_H_
