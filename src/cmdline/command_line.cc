#include "cmdline/command_line.h"

#include "text/case_folding.h"

namespace nestwalk {

namespace {

bool IsSwitch(std::string_view word) {
  if (word.empty()) return false;
  if (word[0] == '/') return true;
  if (word[0] != '-') return false;
  return word.size() == 1 || word[1] < '0' || word[1] > '9';
}

}  // namespace

CCmdLine::CCmdLine(const std::vector<std::string>& words, bool caseSensitive)
    : caseSensitive_(caseSensitive) {
  if (words.empty()) return;
  programPath_ = words.front();
  // An empty pending name means no switch waits for a value, so the value-less switch "-"
  // never takes one.
  std::string pending;
  for (auto word = words.begin() + 1; word != words.end(); ++word) {
    if (IsSwitch(*word)) {
      pending = StoredName(std::string_view(*word).substr(1));
      switches_[pending].clear();
      followingWords_[pending] = word + 1 != words.end() ? *(word + 1) : std::string();
    } else if (pending.empty()) {
      plainArguments_.push_back(*word);
    } else {
      switches_[pending] = *word;
      pending.clear();
    }
  }
}

bool CCmdLine::HasSwitch(std::string_view name) const {
  return switches_.contains(StoredName(name));
}

std::string CCmdLine::GetArgument(std::string_view name) const {
  auto found = switches_.find(StoredName(name));
  return found == switches_.end() ? std::string() : found->second;
}

std::string CCmdLine::GetFollowingWord(std::string_view name) const {
  auto found = followingWords_.find(StoredName(name));
  return found == followingWords_.end() ? std::string() : found->second;
}

std::string CCmdLine::StoredName(std::string_view name) const {
  return caseSensitive_ ? std::string(name) : LowerCaseText(name);
}

}  // namespace nestwalk
