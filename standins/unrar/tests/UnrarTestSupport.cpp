#include "UnrarTestSupport.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Rar5Format.hpp"

namespace unrar_test {

namespace {

template <typename F>
void Bind(HMODULE module, F& f, const char* name) {
  f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (!f) throw std::runtime_error(std::string("unrar.dll lacks ") + name);
}

std::string Narrow(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

const UnrarLibrary& Lib() {
  static const UnrarLibrary lib = [] {
    UnrarLibrary l;
    l.module = LoadLibraryA("unrar.dll");
    if (!l.module) throw std::runtime_error("unrar.dll not found");
    Bind(l.module, l.OpenArchive, "RAROpenArchive");
    Bind(l.module, l.OpenArchiveEx, "RAROpenArchiveEx");
    Bind(l.module, l.CloseArchive, "RARCloseArchive");
    Bind(l.module, l.ReadHeader, "RARReadHeader");
    Bind(l.module, l.ReadHeaderEx, "RARReadHeaderEx");
    Bind(l.module, l.ProcessFile, "RARProcessFile");
    Bind(l.module, l.SetCallback, "RARSetCallback");
    Bind(l.module, l.SetPassword, "RARSetPassword");
    return l;
  }();
  return lib;
}

fs::path Fixture(const std::string& name) { return fs::path(RAR_FIXTURES_DIR) / name; }
fs::path FixtureTree() { return Fixture("tree"); }

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = fs::path(temp) / (L"unrar-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Read-only files would stop remove_all.
  for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored))
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(path_, ignored);
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const fs::path& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string Ansi(const fs::path& path) { return Narrow(path.wstring(), CP_ACP); }
std::string Oem(const fs::path& path) { return Narrow(path.wstring(), CP_OEMCP); }

int CallbackLog::Count(UINT message) const {
  int n = 0;
  for (UINT m : messages) n += m == message;
  return n;
}

int CALLBACK RecordingCallback(UINT msg, LPARAM userData, LPARAM p1, LPARAM p2) {
  auto* log = reinterpret_cast<CallbackLog*>(userData);
  log->messages.push_back(msg);
  switch (msg) {
    case UCM_PROCESSDATA:
      log->largestBlock = std::max(log->largestBlock, static_cast<size_t>(p2));
      log->bytes += static_cast<uint64_t>(p2);
      return log->bytes >= log->cancelAfter ? -1 : 0;
    case UCM_CHANGEVOLUME:
      log->volumeNames.emplace_back(reinterpret_cast<const char*>(p1));
      log->volumeModes.push_back(p2);
      return log->acceptVolumes ? 0 : -1;
    case UCM_NEEDPASSWORD:
      if (log->password.empty() || static_cast<size_t>(p2) <= log->password.size()) return -1;
      std::memcpy(reinterpret_cast<char*>(p1), log->password.c_str(), log->password.size() + 1);
      return 0;
    default:
      return 0;
  }
}

int ExtractAll(const fs::path& archive, const fs::path& destination, const char* password, CallbackLog* log) {
  const UnrarLibrary& lib = Lib();
  std::string name = Ansi(archive), dest = Oem(destination);
  RAROpenArchiveDataEx open{};
  open.ArcName = name.data();
  open.OpenMode = RAR_OM_EXTRACT;
  HANDLE h = lib.OpenArchiveEx(&open);
  if (!h) return static_cast<int>(open.OpenResult);
  if (password) lib.SetPassword(h, const_cast<char*>(password));
  if (log) lib.SetCallback(h, RecordingCallback, reinterpret_cast<LPARAM>(log));
  int r = 0;
  RARHeaderData header{};
  while ((r = lib.ReadHeader(h, &header)) == 0) {
    r = lib.ProcessFile(h, RAR_EXTRACT, dest.data(), nullptr);
    if (r != 0) break;
  }
  lib.CloseArchive(h);
  return r == ERAR_END_ARCHIVE ? 0 : r;
}

int ListAll(const fs::path& archive, const char* password, std::vector<Listed>& out, unsigned mode,
            CallbackLog* log) {
  const UnrarLibrary& lib = Lib();
  std::string name = Ansi(archive);
  RAROpenArchiveDataEx open{};
  open.ArcName = name.data();
  open.OpenMode = mode;
  HANDLE h = lib.OpenArchiveEx(&open);
  if (!h) return static_cast<int>(open.OpenResult);
  if (password) lib.SetPassword(h, const_cast<char*>(password));
  if (log) lib.SetCallback(h, RecordingCallback, reinterpret_cast<LPARAM>(log));
  int r = 0;
  static RARHeaderDataEx header;
  while ((r = lib.ReadHeaderEx(h, &header)) == 0) {
    out.push_back({header.FileName, header.FileNameW, header.Flags,
                   header.UnpSize | (uint64_t{header.UnpSizeHigh} << 32)});
    if ((r = lib.ProcessFile(h, RAR_SKIP, nullptr, nullptr)) != 0) break;
  }
  lib.CloseArchive(h);
  return r;
}

std::vector<std::string> CompareTrees(const fs::path& expected, const fs::path& actual) {
  std::vector<std::string> diffs;
  auto walk = [](const fs::path& root) {
    std::vector<fs::path> names;
    for (const auto& e : fs::recursive_directory_iterator(root)) names.push_back(fs::relative(e.path(), root));
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto a = walk(expected), b = walk(actual);
  if (a != b) diffs.push_back("the trees hold different names");
  for (const auto& rel : a) {
    if (fs::is_regular_file(expected / rel) && ReadAll(expected / rel) != ReadAll(actual / rel))
      diffs.push_back("content differs: " + rel.string());
  }
  return diffs;
}

namespace {

std::string Block(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> sized;
  rar5::PutVint(sized, body.size());
  sized.insert(sized.end(), body.begin(), body.end());
  std::vector<uint8_t> out;
  rar5::PutU32(out, rar5::Crc32(0, sized.data(), sized.size()));
  out.insert(out.end(), sized.begin(), sized.end());
  return std::string(out.begin(), out.end());
}

std::string FileBlock(const RawEntry& e) {
  std::vector<uint8_t> body = {static_cast<uint8_t>(rar5::kFileHeader), static_cast<uint8_t>(rar5::kBlockData)};
  rar5::PutVint(body, e.data.size());
  rar5::PutVint(body, rar5::kFileCrc | (e.directory ? rar5::kFileDirectory : 0));
  rar5::PutVint(body, e.data.size());
  rar5::PutVint(body, e.directory ? 0x10 : 0x20);
  const uint32_t crc = rar5::Crc32(0, e.data.data(), e.data.size());
  rar5::PutU32(body, e.wrongCrc ? ~crc : crc);
  rar5::PutVint(body, e.compression);
  rar5::PutVint(body, rar5::kHostWindows);
  rar5::PutVint(body, e.name.size());
  body.insert(body.end(), e.name.begin(), e.name.end());
  return Block(body) + e.data;
}

}  // namespace

RawArchive BuildRawArchive(const std::vector<RawEntry>& entries) {
  RawArchive a;
  a.bytes.assign(reinterpret_cast<const char*>(rar5::kSignature), sizeof rar5::kSignature);
  a.boundaries.push_back(a.bytes.size());
  a.bytes += Block({static_cast<uint8_t>(rar5::kMainHeader), 0, 0});
  for (const auto& e : entries) {
    a.boundaries.push_back(a.bytes.size());
    a.bytes += FileBlock(e);
  }
  a.boundaries.push_back(a.bytes.size());
  a.bytes += Block({static_cast<uint8_t>(rar5::kEndHeader), 0, 0});
  a.boundaries.push_back(a.bytes.size());
  return a;
}

}  // namespace unrar_test
