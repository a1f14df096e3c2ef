// Measures extraction through unrar.dll builds that differ only in the size
// of the blocks handed to UCM_PROCESSDATA: one stored, encrypted file of
// about 200 MiB, extracted (written to disk) and tested (decrypted and
// checked only), best of three runs each.
// Usage: unrar_bench.exe <dll>...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "PackFolder.hpp"
#include "UnrarApi.hpp"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kFileSize = 200ull * 1024 * 1024;

struct Api {
  RAROpenArchiveExFunc open;
  RARCloseArchiveFunc close;
  RARReadHeaderFunc read;
  RARProcessFileFunc process;
  RARSetCallbackFunc callback;
  RARSetPasswordFunc password;
};

int CALLBACK CountBytes(UINT msg, LPARAM user, LPARAM, LPARAM p2) {
  if (msg == UCM_PROCESSDATA) *reinterpret_cast<uint64_t*>(user) += static_cast<uint64_t>(p2);
  return 0;
}

bool Bind(HMODULE m, Api& a) {
  auto get = [m](const char* name) { return reinterpret_cast<void*>(GetProcAddress(m, name)); };
  a.open = reinterpret_cast<RAROpenArchiveExFunc>(get("RAROpenArchiveEx"));
  a.close = reinterpret_cast<RARCloseArchiveFunc>(get("RARCloseArchive"));
  a.read = reinterpret_cast<RARReadHeaderFunc>(get("RARReadHeader"));
  a.process = reinterpret_cast<RARProcessFileFunc>(get("RARProcessFile"));
  a.callback = reinterpret_cast<RARSetCallbackFunc>(get("RARSetCallback"));
  a.password = reinterpret_cast<RARSetPasswordFunc>(get("RARSetPassword"));
  return a.open && a.close && a.read && a.process && a.callback && a.password;
}

// Seconds for one pass over the archive with the given operation.
double Run(const Api& api, const std::string& archive, const std::string& dest, int operation) {
  const auto start = std::chrono::steady_clock::now();
  std::string name = archive, folder = dest;
  RAROpenArchiveDataEx open{};
  open.ArcName = name.data();
  open.OpenMode = RAR_OM_EXTRACT;
  HANDLE h = api.open(&open);
  if (!h) return -1;
  uint64_t bytes = 0;
  api.password(h, const_cast<char*>("tulbek"));
  api.callback(h, CountBytes, reinterpret_cast<LPARAM>(&bytes));
  RARHeaderData header{};
  int r = 0;
  while ((r = api.read(h, &header)) == 0)
    if ((r = api.process(h, operation, folder.data(), nullptr)) != 0) break;
  api.close(h);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return r == ERAR_END_ARCHIVE && bytes == kFileSize ? seconds : -1;
}

void MakeArchive(const fs::path& work) {
  const fs::path tree = work / "tree";
  fs::create_directories(tree);
  {
    std::ofstream out(tree / "big.bin", std::ios::binary);
    std::mt19937_64 rng(2008);
    std::vector<uint64_t> block(1 << 17);
    for (uint64_t done = 0; done < kFileSize; done += block.size() * 8) {
      for (auto& v : block) v = rng();
      out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
    }
  }
  rarpack::WriterOptions options;
  options.password = "tulbek";
  rarpack::PackFolderToFile(tree, work / "bench.rar", options);
  fs::remove_all(tree);
}

}  // namespace

int main(int argc, char** argv) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const fs::path work = fs::path(temp) / "unrar-bench";
  fs::remove_all(work);
  fs::create_directories(work);
  MakeArchive(work);
  const std::string archive = (work / "bench.rar").string(), dest = (work / "out").string();
  std::printf("%-28s %12s %12s\n", "library", "extract MiB/s", "test MiB/s");
  for (int i = 1; i < argc; ++i) {
    HMODULE m = LoadLibraryA(argv[i]);
    Api api{};
    if (!m || !Bind(m, api)) {
      std::printf("%s: cannot load\n", argv[i]);
      continue;
    }
    double best[2] = {1e9, 1e9};
    for (int round = 0; round < 3; ++round) {
      for (int k = 0; k < 2; ++k) {
        const double s = Run(api, archive, dest, k == 0 ? RAR_EXTRACT : RAR_TEST);
        if (s > 0) best[k] = std::min(best[k], s);
        fs::remove_all(work / "out");
      }
    }
    const double mib = kFileSize / 1048576.0;
    std::printf("%-28s %12.1f %12.1f\n", fs::path(argv[i]).filename().string().c_str(), mib / best[0], mib / best[1]);
    FreeLibrary(m);
  }
  fs::remove_all(work);
  return 0;
}
