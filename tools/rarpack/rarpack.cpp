// rarpack: writes a RAR 5.0 archive of a folder.
//   rarpack [-p PASSWORD] [-hp] [-v SIZE] [--tweaked-crc] ARCHIVE FOLDER
// -hp encrypts the headers too (needs -p); -v splits into volumes of SIZE
// bytes (suffix k or m), named ARCHIVE-without-.rar + ".partN.rar";
// --tweaked-crc stores password-keyed checksums (test fixtures).

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "PackFolder.hpp"

#ifdef _WIN32
#include "WinApi.hpp"
#include <shellapi.h>
#endif

namespace {

struct Arguments {
  rarpack::WriterOptions options;
  std::filesystem::path archive;
  std::filesystem::path folder;
};

uint64_t ParseSize(const std::string& text) {
  size_t used = 0;
  uint64_t value = std::stoull(text, &used);
  const std::string suffix = text.substr(used);
  if (suffix == "k" || suffix == "K") value *= 1024;
  else if (suffix == "m" || suffix == "M") value *= 1024 * 1024;
  else if (!suffix.empty()) throw rarpack::WriterError("bad size: " + text);
  return value;
}

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

Arguments Parse(const std::vector<std::string>& args) {
  Arguments out;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "-p" && hasValue) out.options.password = args[++i];
    else if (a == "-hp") out.options.encryptHeaders = true;
    else if (a == "-v" && hasValue) out.options.volumeSize = ParseSize(args[++i]);
    else if (a == "--tweaked-crc") out.options.tweakedChecksums = true;
    else if (!a.empty() && a[0] == '-') throw rarpack::WriterError("unknown option " + a);
    else positional.push_back(a);
  }
  if (positional.size() != 2)
    throw rarpack::WriterError("usage: rarpack [-p PASSWORD] [-hp] [-v SIZE] [--tweaked-crc] ARCHIVE FOLDER");
  out.archive = PathOf(positional[0]);
  out.folder = PathOf(positional[1]);
  return out;
}

// The arguments as UTF-8, from the wide command line on Windows so that
// names and passwords outside the ANSI code page survive.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> out;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; wide && i < count; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, s.data(), n, nullptr, nullptr);
    out.push_back(s);
  }
  LocalFree(wide);
#else
  for (int i = 1; i < argc; ++i) out.emplace_back(argv[i]);
#endif
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Arguments a = Parse(Utf8Arguments(argc, argv));
    const unsigned volumes = rarpack::PackFolderToFile(a.folder, a.archive, a.options);
    std::printf("rarpack: %u volume(s) written\n", volumes);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rarpack: %s\n", e.what());
    return 1;
  }
}
