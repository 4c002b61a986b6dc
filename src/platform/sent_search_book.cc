#include "platform/sent_search_book.h"

#include <algorithm>
#include <limits>

namespace nestwalk::platform {

SentSearchBook::SentSearchBook(std::chrono::seconds responseTimeout)
    : responseTimeout_(responseTimeout) {}

int SentSearchBook::Sent(LdapHandle connection, Message message) {
  const std::lock_guard lock(mutex_);
  const int id = ++lastId_;
  outstanding_[{connection.id(), message}] = Outstanding{id, Clock::now() + responseTimeout_};
  return id;
}

int SentSearchBook::Unsent(LdapHandle connection, int code) {
  const std::lock_guard lock(mutex_);
  const int id = ++lastId_;
  ready_.push_back(SearchAnswer{connection, id, SearchResult{code, {}}});
  return id;
}

std::vector<SearchAnswer> SentSearchBook::TakeReady() {
  std::vector<SearchAnswer> answers;
  const std::lock_guard lock(mutex_);
  answers.swap(ready_);
  return answers;
}

std::vector<LdapHandle> SentSearchBook::Busy() const {
  std::vector<LdapHandle> busy;
  const std::lock_guard lock(mutex_);
  for (const auto& [key, search] : outstanding_) {
    if (busy.empty() || busy.back().id() != key.first) busy.emplace_back(key.first);
  }
  return busy;
}

std::vector<SentSearchBook::Message> SentSearchBook::MessagesOf(LdapHandle connection) const {
  std::vector<Message> messages;
  const std::lock_guard lock(mutex_);
  for (auto item = outstanding_.lower_bound({connection.id(), std::numeric_limits<Message>::min()});
       item != outstanding_.end() && item->first.first == connection.id(); ++item) {
    messages.push_back(item->first.second);
  }
  return messages;
}

bool SentSearchBook::Answer(LdapHandle connection, Message message, SearchResult result,
                            std::vector<SearchAnswer>& answers) {
  const std::lock_guard lock(mutex_);
  auto found = outstanding_.find({connection.id(), message});
  if (found == outstanding_.end()) return false;
  answers.push_back(SearchAnswer{connection, found->second.id, std::move(result)});
  outstanding_.erase(found);
  return true;
}

void SentSearchBook::FailAll(LdapHandle connection, int code, std::vector<SearchAnswer>& answers) {
  const std::lock_guard lock(mutex_);
  std::erase_if(outstanding_, [&](const auto& item) {
    if (item.first.first != connection.id()) return false;
    answers.push_back(SearchAnswer{connection, item.second.id, SearchResult{code, {}}});
    return true;
  });
}

std::vector<std::pair<LdapHandle, SentSearchBook::Message>> SentSearchBook::ExpireOverdue(
    std::vector<SearchAnswer>& answers) {
  std::vector<std::pair<LdapHandle, Message>> overdue;
  const Clock::time_point now = Clock::now();
  const std::lock_guard lock(mutex_);
  std::erase_if(outstanding_, [&](const auto& item) {
    if (item.second.deadline > now) return false;
    const LdapHandle connection(item.first.first);
    overdue.emplace_back(connection, item.first.second);
    answers.push_back(SearchAnswer{connection, item.second.id, SearchResult{kLdapTimeout, {}}});
    return true;
  });
  return overdue;
}

SentSearchBook::Clock::time_point SentSearchBook::NextDeadline(Clock::time_point until) const {
  const std::lock_guard lock(mutex_);
  for (const auto& [key, search] : outstanding_) until = std::min(until, search.deadline);
  return until;
}

void SentSearchBook::Drop(LdapHandle connection) {
  const std::lock_guard lock(mutex_);
  std::erase_if(outstanding_,
                [connection](const auto& item) { return item.first.first == connection.id(); });
  std::erase_if(ready_, [connection](const SearchAnswer& answer) {
    return answer.connection == connection;
  });
}

}  // namespace nestwalk::platform
