// JSON text written straight into a string as its values come, without a document tree: a
// review writes a document per account, and building and freeing a tree for each cost far more
// than the text. The layout is nlohmann::json's dump, byte for byte: indented by two spaces
// ("key": value, one member or element a line, "{}" and "[]" when empty) or on one line with no
// spaces at all; strings escaped as it escapes them ('"', '\\', \b \f \n \r \t, other control
// characters \u00xx in lower-case hex; everything else as it is).
#ifndef NESTWALK_TEXT_JSON_WRITER_H_
#define NESTWALK_TEXT_JSON_WRITER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nestwalk {

// Appends `text` as a JSON string, quotes included. A byte of `text` that is not part of a
// well-formed UTF-8 sequence is written "\XX" (EscapeInvalidUtf8), so that the document is valid
// UTF-8 whatever the text holds.
void AppendQuotedJson(std::string& out, std::string_view text);

// A key of an object, made from a string literal when the program is compiled, with its quotes,
// its colon and the comma that may come before it. As a template argument of JsonWriter::Key it
// is a constant of the program: writing it is one append from it (a review writes hundreds of
// millions). The literal is written as it is: plain ASCII with no quote, backslash or control
// character, of at most 28 characters. Its members are public only because a template argument
// must be so.
struct JsonKey {
  template <std::size_t N>
  consteval JsonKey(const char (&name)[N]) : size(N + 3) {  // implicit: Key<"name">()
    static_assert(N + 3 <= kCapacity, "a key of at most 28 characters");
    text[0] = ',';
    text[1] = '"';
    for (std::size_t i = 0; i + 1 < N; ++i) text[2 + i] = name[i];
    text[N + 1] = '"';
    text[N + 2] = ':';
  }

  // ,"name":
  constexpr std::string_view withComma() const { return {text, size}; }

  static constexpr std::size_t kCapacity = 32;
  char text[kCapacity] = {};
  std::size_t size;
};

// The small calls are defined here, to be inlined: a review makes hundreds of millions.
class JsonWriter {
 public:
  // Appends to `out`, which must outlive the writer; indented unless `oneLine`.
  JsonWriter(std::string& out, bool oneLine) : out_(out), oneLine_(oneLine) {}

  // A value is one of these, or an object or array between its Begin and End; inside an object
  // each value follows its Key. Nesting is the caller's to keep right: nothing is checked.
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  template <JsonKey key>
  void Key() {
    std::string_view text = key.withComma();
    if (oneLine_) {
      if (empty_.back() != 0) text.remove_prefix(1);
      empty_.back() = 0;
      out_ += text;
    } else {
      BeforeValue();
      out_ += text.substr(1);
      out_ += ' ';
    }
    afterKey_ = true;
  }
  // As AppendQuotedJson writes it.
  void String(std::string_view text) {
    BeforeValue();
    AppendQuotedJson(out_, text);
  }
  void Integer(long long value) {
    BeforeValue();
    out_ += std::to_string(value);
  }
  void Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
  }
  void Null() {
    BeforeValue();
    out_ += "null";
  }
  // A value already written as JSON (a string quoted with AppendQuotedJson): a text written many
  // times, such as a DN on many chains, is escaped once.
  void Written(std::string_view json) {
    BeforeValue();
    out_ += json;
  }
  // One line only, in an array just begun: its elements already written as JSON, separated by
  // commas (what the elements of a one-line writer would give); nothing when empty.
  void WrittenElements(std::string_view elements) {
    if (elements.empty()) return;
    out_ += elements;
    empty_.back() = 0;
  }
  bool oneLine() const { return oneLine_; }

 private:
  void BeforeValue() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (empty_.empty()) return;  // the document itself
    if (empty_.back() == 0) out_ += ',';
    empty_.back() = 0;
    if (!oneLine_) NewLine(empty_.size());
  }
  void Open(char opener) {
    BeforeValue();
    out_ += opener;
    empty_.push_back(1);
  }
  void Close(char closer) {
    const bool empty = empty_.back() != 0;
    empty_.pop_back();
    if (!empty && !oneLine_) NewLine(empty_.size());
    out_ += closer;
  }
  void NewLine(std::size_t depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
  }

  std::string& out_;
  bool oneLine_;
  bool afterKey_ = false;
  std::vector<char> empty_;  // of each object or array open, outermost first: no value yet
};

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_JSON_WRITER_H_
