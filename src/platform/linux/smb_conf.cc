#include "platform/linux/smb_conf.h"

#include <fstream>
#include <sstream>

#include "text/case_folding.h"

namespace nestwalk::platform {
namespace {

std::string_view Trim(std::string_view text) {
  const char* const blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The parameter name as Samba compares it.
std::string Canonical(std::string_view name) {
  std::string canonical;
  for (char c : LowerCaseText(name)) {
    if (c != ' ' && c != '\t' && c != '_') canonical += c;
  }
  return canonical;
}

void Apply(SmbConfSettings& settings, std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string name = Canonical(line.substr(0, equals));
  std::string value(Trim(line.substr(equals + 1)));
  if (name == "netbiosname") {
    settings.netbiosName = std::move(value);
  } else if (name == "workgroup") {
    settings.workgroup = std::move(value);
  } else if (name == "realm") {
    settings.realm = std::move(value);
  } else if (name == "security") {
    settings.security = std::move(value);
  } else if (name == "serverrole") {
    settings.serverRole = std::move(value);
  }
}

}  // namespace

bool SmbConfSettings::JoinedToDomain() const {
  if (security && LowerCaseText(*security) == "ads") return true;
  if (!serverRole) return false;
  const std::string role = LowerCaseText(*serverRole);
  return role == "active directory domain controller" || role == "domain controller" ||
         role == "dc";
}

SmbConfSettings ParseSmbConf(std::string_view text) {
  SmbConfSettings settings;
  bool inGlobal = true;
  std::string logical;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view raw = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    std::string_view trimmed = Trim(raw);
    if (!trimmed.empty() && trimmed.back() == '\\') {
      logical.append(trimmed.substr(0, trimmed.size() - 1));
      if (!text.empty()) continue;
    } else {
      logical.append(trimmed);
    }
    const std::string_view line = Trim(logical);
    if (line.empty() || line[0] == ';' || line[0] == '#') {
      // comment or blank
    } else if (line[0] == '[') {
      const std::size_t close = line.find(']');
      inGlobal = close != std::string_view::npos &&
                 LowerCaseText(Trim(line.substr(1, close - 1))) == "global";
    } else if (inGlobal) {
      Apply(settings, line);
    }
    logical.clear();
  }
  return settings;
}

std::optional<SmbConfSettings> ReadSmbConf(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return ParseSmbConf(text.str());
}

}  // namespace nestwalk::platform
