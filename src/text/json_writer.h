// JSON text written straight into a string as its values come, without a document tree: a
// review writes a document per account, and building and freeing a tree for each cost far more
// than the text. The layout is nlohmann::json's dump, byte for byte: indented by two spaces
// ("key": value, one member or element a line, "{}" and "[]" when empty) or on one line with no
// spaces at all; strings escaped as it escapes them ('"', '\\', \b \f \n \r \t, other control
// characters \u00xx in lower-case hex; everything else as it is).
#ifndef NESTWALK_TEXT_JSON_WRITER_H_
#define NESTWALK_TEXT_JSON_WRITER_H_

#include <string>
#include <cstddef>
#include <string_view>
#include <vector>

namespace nestwalk {

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
  void Key(std::string_view key);
  // `text` must be valid UTF-8 (EscapeInvalidUtf8 makes it so).
  void String(std::string_view text);
  void Integer(long long value);
  void Bool(bool value);
  void Null();
  // A value already written as JSON (a string quoted with AppendQuotedJson): a text written many
  // times, such as a DN on many chains, is escaped once.
  void Written(std::string_view json);

 private:
  void BeforeValue();
  void Open(char opener);
  void Close(char closer);
  void NewLine(std::size_t depth);

  std::string& out_;
  bool oneLine_;
  bool afterKey_ = false;
  std::vector<bool> empty_;  // of each object or array open, outermost first: no value yet
};

// Appends `text` as a JSON string, quotes included; `text` must be valid UTF-8.
void AppendQuotedJson(std::string& out, std::string_view text);

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_JSON_WRITER_H_
