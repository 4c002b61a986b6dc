// The argument words of a run, parsed once into switches with their values and loose words.
#ifndef NESTWALK_CMDLINE_COMMAND_LINE_H_
#define NESTWALK_CMDLINE_COMMAND_LINE_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace nestwalk {

// A word is a switch when it starts with '/', or with '-' not followed by a digit ("-5" is a
// value); its name is the rest of the word. A switch takes the next word as its value when that
// word is no switch; a switch given again replaces its earlier value. Other words are plain
// arguments. The parser never rejects a word. With `caseSensitive` false, names are folded to
// lower case (ASCII) when stored and when asked for; values keep their letters.
class CCmdLine {
 public:
  // `words` are the argument words, the program path first; an empty list is an empty line.
  CCmdLine(const std::vector<std::string>& words, bool caseSensitive);

  bool HasSwitch(std::string_view name) const;
  // The switch's value; empty when the switch is absent or had no value word.
  std::string GetArgument(std::string_view name) const;
  // The word right after the switch's last occurrence, whatever it is (a file name such as
  // "/tmp/list" or "-" reads as a switch to GetArgument); empty when the switch is absent or
  // last on the line.
  std::string GetFollowingWord(std::string_view name) const;

  const std::string& programPath() const { return programPath_; }
  const std::vector<std::string>& plainArguments() const { return plainArguments_; }

 private:
  std::string StoredName(std::string_view name) const;

  bool caseSensitive_;
  std::string programPath_;
  std::map<std::string, std::string> switches_;
  std::map<std::string, std::string> followingWords_;
  std::vector<std::string> plainArguments_;
};

}  // namespace nestwalk

#endif  // NESTWALK_CMDLINE_COMMAND_LINE_H_
