// The lines of an account list (-in), read once from front to back. Whatever the input (a pipe,
// /dev/zero, a file of one endless line), at most kMaxListLineBytes of a line are held: a longer
// line is read past and given as too long. The first line also tells whether the list is UTF-8
// text at all, before anything is done with it.
#ifndef NESTWALK_DRIVER_ACCOUNT_LIST_LINES_H_
#define NESTWALK_DRIVER_ACCOUNT_LIST_LINES_H_

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

namespace nestwalk {

// Far beyond any account line: a name AD allows is at most 256 characters.
inline constexpr std::size_t kMaxListLineBytes = 4096;

// What the start of a list says of its text.
enum class ListEncoding {
  kUtf8,               // (ASCII too); a UTF-8 byte order mark before it is dropped
  kUtf16LittleEndian,  // byte order mark FF FE, or NUL bytes at odd offsets only (ASCII)
  kUtf16BigEndian,     // FE FF, or NUL bytes at even offsets only
  kNulBytes,           // a quarter or more NUL bytes, both ways: no text (/dev/zero, binary)
};

// The encoding that the first line of a list (its first kMaxListLineBytes bytes at most) shows.
// A single stray NUL byte leaves it kUtf8: that is its line's fault, not the list's.
ListEncoding EncodingOfFirstLine(std::string_view firstLine);

struct ListLine {
  std::size_t number = 0;  // from 1
  std::string text;        // without its "\n"; empty when tooLong
  bool tooLong = false;    // more than kMaxListLineBytes bytes, read past
};

class AccountListLines {
 public:
  // `list` is not owned and must outlive this.
  explicit AccountListLines(std::istream& list) : list_(list) {}

  // The encoding of the list, from the start of its first line (read here if it was not yet;
  // Next still gives that line). A list that is not kUtf8 must not be read on: its first line
  // may never end.
  ListEncoding Encoding();

  // The next line, into `line`; false at the end of the list or when a read failed.
  bool Next(ListLine& line);

  // Whether the list ended on a read that failed (a directory, an I/O error), not at its end.
  bool failed() const { return failed_; }

 private:
  enum class Piece { kWhole, kStartOnly, kNone };

  void ReadFirstLine();
  // A whole line, or the start of one longer than the bound (its rest still unread), into
  // `text`; kNone at the end or on a failed read.
  Piece ReadPiece(std::string& text);
  void SkipRestOfLine();

  std::istream& list_;
  bool firstRead_ = false;
  std::string first_;  // the first line, until Next gives it
  Piece firstPiece_ = Piece::kNone;
  ListEncoding encoding_ = ListEncoding::kUtf8;
  std::size_t number_ = 0;
  bool failed_ = false;
};

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_ACCOUNT_LIST_LINES_H_
