// python3.exe for the Windows tests under Wine: a test that checks a document with the host's
// Python (std::system("python3 ...")) reaches /usr/bin/python3 through it. Each argument that
// is a Windows path ("C:\users\...") is given as the host's path, and the exit status is
// Python's. Only Wine has the two entry points it uses; it is never part of nestwalk.exe.
#include <windows.h>

#include <string>
#include <vector>

namespace {

using UnixSpawn = long(__cdecl*)(char* const argv[], int wait);
using UnixFileName = char*(__cdecl*)(const wchar_t* dosName);

// An entry point of `module` by name, as the type it has; null when the module lacks it.
template <typename Function>
Function EntryPoint(const wchar_t* module, const char* name) {
  // Through the generic function type, which converts to any other without a warning.
  using Generic = void (*)();
  return reinterpret_cast<Function>(
      reinterpret_cast<Generic>(GetProcAddress(GetModuleHandleW(module), name)));
}

std::string Utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);  // the terminating null
  return narrow;
}

bool IsWindowsPath(const wchar_t* text) {
  return ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z')) &&
         text[1] == L':' && (text[2] == L'\\' || text[2] == L'/');
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const auto spawn = EntryPoint<UnixSpawn>(L"ntdll.dll", "__wine_unix_spawnvp");
  const auto unixFileName = EntryPoint<UnixFileName>(L"kernel32.dll", "wine_get_unix_file_name");
  if (spawn == nullptr || unixFileName == nullptr) return 127;

  std::vector<std::string> words{"/usr/bin/python3"};
  for (int at = 1; at < argc; ++at) {
    char* unixName = IsWindowsPath(argv[at]) ? unixFileName(argv[at]) : nullptr;
    words.push_back(unixName != nullptr ? std::string(unixName) : Utf8(argv[at]));
    if (unixName != nullptr) HeapFree(GetProcessHeap(), 0, unixName);
  }
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return static_cast<int>(spawn(pointers.data(), /*wait=*/1));
}
