#include "text/json_writer.h"

#include "text/byte_scan.h"

namespace nestwalk {

namespace {

bool NeedsJsonEscape(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\';
}

void AppendEscapedCharacter(std::string& out, char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  const auto byte = static_cast<unsigned char>(c);
  out += "\\u00";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

}  // namespace

void AppendQuotedJson(std::string& out, std::string_view text) {
  out += '"';
  auto inWord = [](byte_scan::Word word) {
    return (byte_scan::Below(word, 0x20) | byte_scan::Holds(word, '"') |
            byte_scan::Holds(word, '\\')) != 0;
  };
  if (!byte_scan::AnyByte(text, inWord, NeedsJsonEscape)) {
    out += text;
  } else {
    for (const char c : text) {
      if (NeedsJsonEscape(c)) {
        AppendEscapedCharacter(out, c);
      } else {
        out += c;
      }
    }
  }
  out += '"';
}

void JsonWriter::NewLine(std::size_t depth) {
  out_ += '\n';
  out_.append(2 * depth, ' ');
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (empty_.empty()) return;  // the document itself
  if (!empty_.back()) out_ += ',';
  empty_.back() = false;
  if (!oneLine_) NewLine(empty_.size());
}

void JsonWriter::Key(std::string_view key) {
  BeforeValue();
  AppendQuotedJson(out_, key);
  out_ += oneLine_ ? ":" : ": ";
  afterKey_ = true;
}

void JsonWriter::Open(char opener) {
  BeforeValue();
  out_ += opener;
  empty_.push_back(true);
}

void JsonWriter::Close(char closer) {
  const bool empty = empty_.back();
  empty_.pop_back();
  if (!empty && !oneLine_) NewLine(empty_.size());
  out_ += closer;
}

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  AppendQuotedJson(out_, text);
}

void JsonWriter::Integer(long long value) {
  BeforeValue();
  out_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
}

void JsonWriter::Written(std::string_view json) {
  BeforeValue();
  out_ += json;
}

}  // namespace nestwalk
