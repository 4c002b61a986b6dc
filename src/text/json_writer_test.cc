// The writer against nlohmann::json's own dump of the same values: the layout and the escapes
// must be its own byte for byte, indented and on one line.
#include "text/json_writer.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "text/utf8_escape.h"

namespace nestwalk {
namespace {

using Json = nlohmann::ordered_json;

// Every byte up to 0x7F, so that each escape and each byte left as it is shows.
std::string AsciiBytes() {
  std::string bytes;
  for (int byte = 0; byte < 0x80; ++byte) bytes += static_cast<char>(byte);
  return bytes;
}

TEST(JsonWriterTest, WritesWhatNlohmannJsonDumpsFromATree) {
  struct Case {
    const char* name;
    Json tree;
    std::function<void(JsonWriter&)> write;
  };
  const std::string ascii = AsciiBytes();
  const std::string utf8 = "\xC3\x84rzte \xE2\x82\xAC \xF0\x9F\x98\x80 CN=a\\,b";
  const Case cases[] = {
      {"an empty object", Json::object(), [](JsonWriter& w) { w.BeginObject(); w.EndObject(); }},
      {"an empty array", Json::array(), [](JsonWriter& w) { w.BeginArray(); w.EndArray(); }},
      {"a string", Json(ascii), [&](JsonWriter& w) { w.String(ascii); }},
      {"scalars in an array", Json::array({utf8, -12, 0, 1234567890123LL, true, false, nullptr}),
       [&](JsonWriter& w) {
         w.BeginArray();
         w.String(utf8);
         w.Integer(-12);
         w.Integer(0);
         w.Integer(1234567890123LL);
         w.Bool(true);
         w.Bool(false);
         w.Null();
         w.EndArray();
       }},
      {"nested, with empty members",
       Json{{"a", Json::object()},
            {"b", Json::array({Json::array(), Json{{"c", Json::array({1, 2})}}})},
            {"d", {{"e", nullptr}}}},
       [](JsonWriter& w) {
         w.BeginObject();
         w.Key<"a">();
         w.BeginObject();
         w.EndObject();
         w.Key<"b">();
         w.BeginArray();
         w.BeginArray();
         w.EndArray();
         w.BeginObject();
         w.Key<"c">();
         w.BeginArray();
         w.Integer(1);
         w.Written("2");
         w.EndArray();
         w.EndObject();
         w.EndArray();
         w.Key<"d">();
         w.BeginObject();
         w.Key<"e">();
         w.Null();
         w.EndObject();
         w.EndObject();
       }},
  };
  for (const Case& c : cases) {
    for (const bool oneLine : {false, true}) {
      std::string written = "kept:";
      JsonWriter writer(written, oneLine);
      c.write(writer);
      EXPECT_EQ(written, "kept:" + c.tree.dump(oneLine ? -1 : 2))
          << c.name << (oneLine ? ", on one line" : ", indented");
    }
  }
}

// A byte that is no UTF-8 is written "\XX", as EscapeInvalidUtf8 writes it, wherever it is.
TEST(JsonWriterTest, TextIsQuotedAsTheStringOfItsValidUtf8) {
  for (const std::string text :
       {"CN=\"Q\"\\uote\x01\x1F\x7F,DC=example", "CN=\xC4rzte\x01,DC=example,DC=com",
        "\xC3\x84rzte \"\xE2\x82", "0123456789\xFF"}) {
    std::string quoted;
    AppendQuotedJson(quoted, text);
    EXPECT_EQ(quoted, Json(EscapeInvalidUtf8(text)).dump()) << text;
    std::string written;
    JsonWriter(written, /*oneLine=*/true).String(text);
    EXPECT_EQ(written, quoted) << text;
  }
}

}  // namespace
}  // namespace nestwalk
