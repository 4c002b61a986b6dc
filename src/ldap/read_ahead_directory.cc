#include "ldap/read_ahead_directory.h"

#include <algorithm>
#include <utility>

namespace nestwalk {

namespace {

// Between checks while a prefetched answer is awaited: short, as other answers may be due first.
constexpr std::chrono::milliseconds kAnswerPoll(5);

// Equal for the same connection and the same request, and only then: every text goes in with
// its length in front.
std::string SlotKey(platform::LdapHandle connection, const platform::SearchRequest& request) {
  std::string key = std::to_string(connection.id()) + ':' +
                    std::to_string(static_cast<int>(request.scope)) + ':' +
                    (request.attributesOnly ? '1' : '0');
  auto append = [&key](const std::string& text) {
    key += ':' + std::to_string(text.size()) + ':' + text;
  };
  append(request.base);
  append(request.filter);
  for (const std::string& attribute : request.attributes) append(attribute);
  return key;
}

}  // namespace

ReadAheadDirectory::ReadAheadDirectory(FailFastDirectory& directory)
    : DirectoryWrapper(static_cast<platform::Directory&>(directory)), failFast_(directory) {}

void ReadAheadDirectory::SetObserver(ReadAheadObserver* observer) { observer_ = observer; }

void ReadAheadDirectory::Prefetch(platform::LdapHandle connection,
                                  const platform::SearchRequest& request) {
  const int ticket = ++lastTicket_;
  std::string key = SlotKey(connection, request);
  byKey_[key].push_back(ticket);
  slots_.emplace(ticket, Slot{connection, request, std::move(key), 0, std::nullopt});
  sendQueues_[connection.id()].queued.push_back(ticket);
  SendQueued(connection);
}

void ReadAheadDirectory::SendQueued(platform::LdapHandle connection) {
  SendQueue& queue = sendQueues_[connection.id()];
  while (queue.inFlight < kReadWindow && !queue.queued.empty()) {
    const int ticket = queue.queued.front();
    queue.queued.pop_front();
    Send(ticket);
  }
}

void ReadAheadDirectory::Send(int ticket) {
  Slot& slot = slots_.at(ticket);
  slot.sentId = target().SendSearch(slot.connection, slot.request);
  bySentId_[slot.sentId] = ticket;
  SendQueue& queue = sendQueues_[slot.connection.id()];
  ++queue.inFlight;
  ++statistics_.sent;
  statistics_.mostInFlight = std::max(statistics_.mostInFlight, queue.inFlight);
}

void ReadAheadDirectory::CollectAnswers(std::chrono::milliseconds maxWait) {
  std::vector<int> arrived;
  for (platform::SearchAnswer& answer : target().AwaitAnswers(maxWait)) {
    auto sent = bySentId_.find(answer.id);
    if (sent == bySentId_.end()) continue;  // its connection was closed meanwhile
    const int ticket = sent->second;
    bySentId_.erase(sent);
    Slot& slot = slots_.at(ticket);
    slot.result = std::move(answer.result);
    --sendQueues_[slot.connection.id()].inFlight;
    arrived.push_back(ticket);
  }
  for (int ticket : arrived) {
    const Slot& slot = slots_.at(ticket);
    SendQueued(slot.connection);
    if (observer_ != nullptr) observer_->OnAnswer(slot.connection, slot.request, *slot.result);
  }
  if (observer_ != nullptr) observer_->OnCollected();
}

platform::SearchResult ReadAheadDirectory::Search(platform::LdapHandle connection,
                                                  const platform::SearchRequest& request) {
  if (std::optional<int> code = failFast_.GivenUpCode(connection)) return {*code, {}};
  // Answers already in may name the next reads: those go out before this one waits.
  CollectAnswers(std::chrono::milliseconds(0));
  auto unused = byKey_.find(SlotKey(connection, request));
  if (unused != byKey_.end()) {
    platform::SearchResult result = TakeAnswer(unused->second.front());
    // Taken now, as the search would have been made now.
    failFast_.Note(connection, result.code);
    return result;
  }

  platform::SearchResult result = DirectoryWrapper::Search(connection, request);
  if (observer_ != nullptr) observer_->OnAnswer(connection, request, result);
  return result;
}

platform::SearchResult ReadAheadDirectory::TakeAnswer(int ticket) {
  Slot& slot = slots_.at(ticket);
  if (slot.sentId == 0) {
    std::deque<int>& queued = sendQueues_[slot.connection.id()].queued;
    queued.erase(std::ranges::find(queued, ticket));
    queued.push_front(ticket);
    SendQueued(slot.connection);
  }
  while (!slot.result) CollectAnswers(kAnswerPoll);
  platform::SearchResult result = std::move(*slot.result);
  ++statistics_.used;
  Forget(ticket);
  return result;
}

void ReadAheadDirectory::Forget(int ticket) {
  auto slot = slots_.find(ticket);
  auto tickets = byKey_.find(slot->second.key);
  std::erase(tickets->second, ticket);
  if (tickets->second.empty()) byKey_.erase(tickets);
  if (slot->second.sentId != 0) bySentId_.erase(slot->second.sentId);
  slots_.erase(slot);
}

void ReadAheadDirectory::Unbind(platform::LdapHandle connection) {
  std::vector<int> dropped;
  for (const auto& [ticket, slot] : slots_) {
    if (slot.connection == connection) dropped.push_back(ticket);
  }
  for (int ticket : dropped) Forget(ticket);
  sendQueues_.erase(connection.id());
  DirectoryWrapper::Unbind(connection);
}

}  // namespace nestwalk
