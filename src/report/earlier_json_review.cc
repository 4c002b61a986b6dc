#include "report/earlier_json_review.h"

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace nestwalk {

namespace {

using Json = nlohmann::json;

// The members a comparison takes; every other is passed over.
enum class Field { kOther, kPrincipal, kGroups, kComplete, kName, kDn, kSamName, kScope, kKind };

Field FieldNamed(std::string_view key) {
  static constexpr std::pair<std::string_view, Field> kFields[] = {
      {"principal", Field::kPrincipal},
      {"groups", Field::kGroups},
      {"complete", Field::kComplete},
      {"name", Field::kName},
      {"dn", Field::kDn},
      {"sAMAccountName", Field::kSamName},
      {"scope", Field::kScope},
      {"kind", Field::kKind},
  };
  for (const auto& [name, field] : kFields) {
    if (key == name) return field;
  }
  return Field::kOther;
}

// One report document, its events as nlohmann::json's SAX parser gives them, into the review.
class ReportEvents {
 public:
  explicit ReportEvents(EarlierReview& review) : review_(review) {}

  // Why the document read is no report; empty when it is one.
  const std::string& problem() const { return problem_; }

  bool null() { return true; }
  bool boolean(bool value) {
    if (At(Where::kRoot, Field::kComplete)) complete_ = value;
    return true;
  }
  bool number_integer(Json::number_integer_t) { return true; }
  bool number_unsigned(Json::number_unsigned_t) { return true; }
  bool number_float(Json::number_float_t, const std::string&) { return true; }
  bool binary(Json::binary_t&) { return true; }
  bool string(std::string& value) {
    if (levels_.empty()) return Fail("it is a string, not a document");
    const Field field = levels_.back().field;
    if (levels_.back().where == Where::kPrincipal) {
      if (field == Field::kName) name_ = std::move(value);
      if (field == Field::kDn) dn_ = std::move(value);
    } else if (levels_.back().where == Where::kGroup) {
      if (field == Field::kDn) group_.dn = std::move(value);
      if (field == Field::kSamName) group_.name = std::move(value);
      if (field == Field::kScope) group_.scope = std::move(value);
      if (field == Field::kKind) group_.kind = std::move(value);
    }
    return true;
  }
  bool key(std::string& key) {
    levels_.back().field = FieldNamed(key);
    return true;
  }
  bool start_object(std::size_t) {
    Where where = Where::kOther;
    if (levels_.empty()) {
      where = Where::kRoot;
    } else if (At(Where::kRoot, Field::kPrincipal)) {
      where = Where::kPrincipal;
    } else if (levels_.back().where == Where::kGroups) {
      where = Where::kGroup;
      group_ = {};
    }
    levels_.push_back({where, Field::kOther});
    return true;
  }
  bool end_object() {
    const Where where = levels_.back().where;
    levels_.pop_back();
    if (where == Where::kPrincipal) {
      if (name_.empty() || dn_.empty()) return Fail("its principal has no name or no dn");
      review_.BeginAccount(name_, dn_);
      begun_ = true;
    } else if (where == Where::kGroup) {
      if (!begun_) return Fail("its groups come before its principal");
      if (group_.dn.empty()) return Fail("a group has no dn");
      review_.AddGroup(group_.dn, group_.name, group_.scope, group_.kind);
    } else if (where == Where::kRoot) {
      if (!begun_ || !complete_) return Fail("it has no principal or no \"complete\"");
      if (!*complete_) review_.MarkShortfall("\"complete\": false");
    }
    return true;
  }
  bool start_array(std::size_t) {
    levels_.push_back(
        {At(Where::kRoot, Field::kGroups) ? Where::kGroups : Where::kOther, Field::kOther});
    return true;
  }
  bool end_array() {
    levels_.pop_back();
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
    // "[json.exception.parse_error.101] parse error at line 1, ...": the words after the tag.
    const std::string_view what = error.what();
    if (what.find("unexpected end of input") != std::string_view::npos) {
      return Fail("the document ends in the middle: the file is cut short");
    }
    return Fail("it is no JSON: " + std::string(what.substr(what.find(']') + 2)));
  }

 private:
  enum class Where { kRoot, kPrincipal, kGroups, kGroup, kOther };
  struct Level {
    Where where;
    Field field;  // the member whose value comes next
  };
  struct Group {
    std::string dn;
    std::string name;
    std::string scope;
    std::string kind;
  };

  bool At(Where where, Field field) const {
    return !levels_.empty() && levels_.back().where == where && levels_.back().field == field;
  }
  bool Fail(std::string problem) {
    if (problem_.empty()) problem_ = std::move(problem);
    return false;
  }

  EarlierReview& review_;
  std::vector<Level> levels_;
  std::string name_;
  std::string dn_;
  Group group_;
  bool begun_ = false;
  std::optional<bool> complete_;
  std::string problem_;
};

// One document read into `review`; why it is no report, or empty.
std::string ReadDocument(const std::string& text, EarlierReview& review) {
  ReportEvents events(review);
  if (!Json::sax_parse(text, &events) && events.problem().empty()) return "it is no document";
  return events.problem();
}

}  // namespace

bool IsJsonReportStart(std::string_view firstLine) {
  return firstLine == "{" || firstLine.starts_with("{\"principal\":");
}

std::string ReadJsonReview(std::istream& in, std::string_view firstLine, EarlierReview& review) {
  std::string line(firstLine);
  std::string document;
  std::size_t number = 1;
  auto next = [&] {
    if (!std::getline(in, line)) return false;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  };
  for (bool more = true; more; more = next()) {
    if (line.empty()) continue;
    const std::size_t first = number;
    const std::string* text = &line;
    // An indented document ends with "}" alone on its line: nothing inside it is at column 0.
    if (line == "{") {
      document = line;
      while (line != "}" && next()) {
        document += '\n';
        document += line;
      }
      text = &document;
    }
    if (std::string problem = ReadDocument(*text, review); !problem.empty()) {
      return "line " + std::to_string(first) + ": " + problem;
    }
  }
  if (in.bad()) return "could not be read past line " + std::to_string(number);
  return {};
}

}  // namespace nestwalk
