#include "driver/account_list_lines.h"

#include <limits>
#include <utility>

namespace nestwalk {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

ListEncoding EncodingOfFirstLine(std::string_view firstLine) {
  if (firstLine.starts_with("\xFF\xFE")) return ListEncoding::kUtf16LittleEndian;
  if (firstLine.starts_with("\xFE\xFF")) return ListEncoding::kUtf16BigEndian;
  std::size_t evenNuls = 0;
  std::size_t oddNuls = 0;
  for (std::size_t offset = 0; offset < firstLine.size(); ++offset) {
    if (firstLine[offset] == '\0') ++(offset % 2 == 0 ? evenNuls : oddNuls);
  }
  // UTF-16 text of ASCII names has a NUL beside every character, on one side only; the line end
  // cuts the first line after the "\n" byte, so its NULs keep their side.
  if (evenNuls == 0 && oddNuls >= 2) return ListEncoding::kUtf16LittleEndian;
  if (oddNuls == 0 && evenNuls >= 2) return ListEncoding::kUtf16BigEndian;
  const std::size_t nuls = evenNuls + oddNuls;
  if (nuls > 0 && nuls * 4 >= firstLine.size()) return ListEncoding::kNulBytes;
  return ListEncoding::kUtf8;
}

ListEncoding AccountListLines::Encoding() {
  if (!firstRead_) ReadFirstLine();
  return encoding_;
}

bool AccountListLines::Next(ListLine& line) {
  if (!firstRead_) ReadFirstLine();
  Piece piece;
  if (number_ == 0) {
    line.text = std::move(first_);
    piece = firstPiece_;
  } else {
    piece = ReadPiece(line.text);
  }
  if (piece == Piece::kNone) return false;
  line.number = ++number_;
  line.tooLong = piece == Piece::kStartOnly;
  if (line.tooLong) {
    line.text.clear();
    SkipRestOfLine();
  }
  return true;
}

void AccountListLines::ReadFirstLine() {
  firstRead_ = true;
  firstPiece_ = ReadPiece(first_);
  encoding_ = EncodingOfFirstLine(first_);
  // Notepad and PowerShell 5 begin UTF-8 with a byte order mark: it is no part of the name.
  if (first_.starts_with(kUtf8Mark)) first_.erase(0, kUtf8Mark.size());
}

AccountListLines::Piece AccountListLines::ReadPiece(std::string& text) {
  // getline stores at most kMaxListLineBytes bytes; it fails when the line holds more (the
  // rest is left unread), and it takes NUL bytes as any other: the count tells the length.
  text.resize(kMaxListLineBytes + 1);
  list_.getline(text.data(), static_cast<std::streamsize>(text.size()));
  const auto read = static_cast<std::size_t>(list_.gcount());
  if (list_.bad()) {
    failed_ = true;
    text.clear();
    return Piece::kNone;
  }
  if (list_.fail()) {
    if (read == 0) {
      text.clear();
      return Piece::kNone;  // at the end: nothing was left
    }
    text.resize(read);
    list_.clear();
    return Piece::kStartOnly;
  }
  // The count holds the "\n" it took, unless the list ended first.
  text.resize(list_.eof() ? read : read - 1);
  return Piece::kWhole;
}

void AccountListLines::SkipRestOfLine() {
  list_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  if (list_.bad()) failed_ = true;
}

}  // namespace nestwalk
