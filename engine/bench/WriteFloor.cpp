// The install benchmark's floor: reads a folder tree wholly into memory, then
// writes it into the target folder with nothing but CreateDirectoryW,
// CreateFileW, WriteFile and CloseHandle, one write per file, and prints the
// time of the writing alone. What any installer pays under the same Wine for
// the same files. Run by install-benchmark.sh.
// Usage: engine_write_floor.exe SOURCE_FOLDER TARGET_FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TreeFile {
  std::wstring Name;  // relative to the tree's root
  std::vector<char> Data;
};

struct Tree {
  std::vector<std::wstring> Folders;  // relative, parents first
  std::vector<TreeFile> Files;
  unsigned long long Bytes = 0;
};

bool ReadWhole(const std::wstring& path, std::vector<char>& data) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0;
  if (ok) data.resize(std::size_t(size.QuadPart));
  std::size_t done = 0;
  while (ok && done < data.size()) {
    const DWORD want = DWORD(std::min<std::size_t>(data.size() - done, 1u << 30));
    DWORD got = 0;
    ok = ReadFile(file, data.data() + done, want, &got, nullptr) && got == want;
    done += got;
  }
  CloseHandle(file);
  return ok;
}

// Reads the folder below root named by relative ("" for root itself).
// Reparse points are left out: the tree is the folders and files it holds.
bool ReadTree(const std::wstring& root, const std::wstring& relative, Tree& tree) {
  const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree.Folders.push_back(child);
      ok = ReadTree(root, child, tree);
    } else {
      tree.Files.push_back({child, {}});
      ok = ReadWhole(root + L"\\" + child, tree.Files.back().Data);
      tree.Bytes += tree.Files.back().Data.size();
      if (!ok) std::fprintf(stderr, "cannot read %ls\n", (root + L"\\" + child).c_str());
    }
  } while (ok && FindNextFileW(search, &found));
  FindClose(search);
  return ok;
}

// The target folder and its missing parents, as an installer makes them.
bool MakeFolderPath(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
  const std::size_t slash = path.find_last_of(L'\\');
  if (GetLastError() != ERROR_PATH_NOT_FOUND || slash == std::wstring::npos || slash < 3) return false;
  return MakeFolderPath(path.substr(0, slash)) && CreateDirectoryW(path.c_str(), nullptr);
}

bool WriteWhole(const std::wstring& path, const std::vector<char>& data) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < data.size();) {
    const DWORD want = DWORD(std::min<std::size_t>(data.size() - done, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(file, data.data() + done, want, &written, nullptr) && written == want;
    done += written;
  }
  return CloseHandle(file) && ok;
}

bool WriteTree(const std::wstring& target, const Tree& tree) {
  if (!MakeFolderPath(target)) return false;
  for (const std::wstring& folder : tree.Folders)
    if (!CreateDirectoryW((target + L"\\" + folder).c_str(), nullptr)) return false;
  for (const TreeFile& file : tree.Files)
    if (!WriteWhole(target + L"\\" + file.Name, file.Data)) return false;
  return true;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) {
    std::fprintf(stderr, "usage: engine_write_floor SOURCE_FOLDER TARGET_FOLDER\n");
    return 2;
  }
  const std::wstring source = argv[1], target = argv[2];
  LocalFree(argv);
  auto tree = std::make_unique<Tree>();
  if (!ReadTree(source, L"", *tree)) {
    std::fprintf(stderr, "cannot read the tree %ls\n", source.c_str());
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const bool written = WriteTree(target, *tree);
  QueryPerformanceCounter(&end);
  if (!written) {
    std::fprintf(stderr, "cannot write into %ls (error %lu)\n", target.c_str(), GetLastError());
    return 1;
  }
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  const double mib = double(tree->Bytes) / (1024.0 * 1024.0);
  std::printf("files %u\nfolders %u\nwritten %.1f MiB\nseconds %.3f\nMiB/s %.1f\n",
              unsigned(tree->Files.size()), unsigned(tree->Folders.size()), mib, seconds,
              mib / seconds);
  return 0;
}
