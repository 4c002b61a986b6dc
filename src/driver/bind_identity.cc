#include "driver/bind_identity.h"

#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "ldap/open_ldap.h"

namespace nestwalk {

namespace {

// The first line of the file without its line end ("\n" or "\r\n"); nullopt when the file
// cannot be read.
std::optional<std::string> FirstLineOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string line;
  std::getline(file, line);
  if (file.bad()) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The password, or nullopt after writing why there is none.
std::optional<std::string> PasswordOf(Console& console, platform::RunControl& control,
                                      const RunSettings& settings) {
  if (settings.passwordFile.empty()) {
    std::optional<std::string> typed = control.ReadSecret("Password for " + settings.bindAs + ": ");
    if (!typed || typed->empty()) {
      console.Err("Error: No password for " + settings.bindAs +
                  " was typed; without a terminal give it with -passfile FILE.\n");
      return std::nullopt;
    }
    return typed;
  }
  std::optional<std::string> line = FirstLineOf(settings.passwordFile);
  if (!line) {
    console.Err("Error: Cannot read the password file " + settings.passwordFile + ".\n");
  } else if (line->empty()) {
    console.Err("Error: The password file " + settings.passwordFile +
                " holds no password on its first line.\n");
    line.reset();
  }
  return line;
}

}  // namespace

bool UseBindIdentity(Console& console, platform::Platform& platform, const RunSettings& settings) {
  std::optional<std::string> password = PasswordOf(console, platform.control(), settings);
  if (!password) return false;
  platform.UseIdentity(CredentialsOf(settings.bindAs, std::move(*password)));
  console.DebugErr("Binding as " + settings.bindAs + "\n");
  return true;
}

}  // namespace nestwalk
