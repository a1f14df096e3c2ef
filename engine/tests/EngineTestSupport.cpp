#include "EngineTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <shlobj.h>

#include "SysUtils.hpp"

namespace enginetest {

AnsiString Ansi(const char* utf8) {
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
  wide.resize(length - 1);
  return WideToAnsi(wide);
}

AnsiString ProgramFolder() {
  char buffer[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  return ExtractFilePath(buffer);
}

AnsiString BuildTreeFile(const AnsiString& relative) {
  // The test programs sit one folder below the build's root.
  return ExpandFileName(ProgramFolder() + "..\\" + relative);
}

TScratchFolder::TScratchFolder(const AnsiString& tag) {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof(temp), temp);
  path_ = AnsiString(temp) + "engine-" + tag + "-" + IntToStr(GetCurrentProcessId()) + "-" +
          IntToStr(counter++);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TScratchFolder::~TScratchFolder() { RemoveTree(path_); }

void WriteFile(const AnsiString& path, const std::string& contents) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(file, contents.data(), DWORD(contents.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, contents.size());
}

std::string ReadFile(const AnsiString& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string contents(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file, contents.data(), DWORD(contents.size()), &read, nullptr);
  CloseHandle(file);
  contents.resize(read);
  return contents;
}

bool FileThere(const AnsiString& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderThere(const AnsiString& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

static void ListInto(const AnsiString& folder, const AnsiString& prefix, std::vector<AnsiString>& out) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    AnsiString name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(prefix + name + "\\");
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        ListInto(folder + "\\" + name, prefix + name + "\\", out);
    } else {
      out.push_back(prefix + name);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

std::vector<AnsiString> ListTree(const AnsiString& folder) {
  std::vector<AnsiString> out;
  ListInto(folder, "", out);
  std::sort(out.begin(), out.end());
  return out;
}

void RemoveTree(const AnsiString& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      AnsiString name = data.cFileName;
      if (name == "." || name == "..") continue;
      AnsiString path = folder + "\\" + name;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(path.c_str());
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string RegistryBytes(HKEY root, const AnsiString& key, const AnsiString& value, bool& found) {
  found = false;
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return std::string();
  DWORD type = 0, size = 0;
  std::string bytes;
  if (RegQueryValueExA(handle, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    bytes.resize(size);
    if (RegQueryValueExA(handle, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
        ERROR_SUCCESS) {
      found = true;
      bytes.resize(size);
      if ((type == REG_SZ || type == REG_EXPAND_SZ) && !bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    }
  }
  RegCloseKey(handle);
  return bytes;
}

bool RegistryKeyThere(HKEY root, const AnsiString& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

void SetRegistryString(HKEY root, const AnsiString& key, const AnsiString& value, const std::string& data) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr), ERROR_SUCCESS);
  RegSetValueExA(handle, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), DWORD(data.size() + 1));
  RegCloseKey(handle);
}

void DeleteRegistryValue(HKEY root, const AnsiString& key, const AnsiString& value) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return;
  RegDeleteValueA(handle, value.c_str());
  RegCloseKey(handle);
}

TShortcut ReadShortcut(const AnsiString& linkFile) {
  TShortcut result;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return result;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(AnsiToWide(linkFile).c_str(), STGM_READ))) {
      char buffer[1024];
      result.Loaded = true;
      if (SUCCEEDED(link->GetPath(buffer, sizeof(buffer), nullptr, SLGP_RAWPATH))) result.Path = buffer;
      buffer[0] = '\0';
      if (SUCCEEDED(link->GetDescription(buffer, sizeof(buffer)))) result.Description = buffer;
      buffer[0] = '\0';
      if (SUCCEEDED(link->GetArguments(buffer, sizeof(buffer)))) result.Arguments = buffer;
      buffer[0] = '\0';
      if (SUCCEEDED(link->GetWorkingDirectory(buffer, sizeof(buffer)))) result.WorkingFolder = buffer;
      int icon = 0;
      buffer[0] = '\0';
      if (SUCCEEDED(link->GetIconLocation(buffer, sizeof(buffer), &icon))) result.IconFile = buffer;
    }
    file->Release();
  }
  link->Release();
  return result;
}

bool WaitForFile(const AnsiString& path, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!FileThere(path)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

TRunResult RunAndWait(const AnsiString& commandLine, DWORD timeoutMs) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  TRunResult result;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    result.StartError = GetLastError();
    return result;
  }
  CloseHandle(process.hThread);
  result.Started = true;
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) {
      result.Finished = true;
      result.ExitCode = code;
    }
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  return result;
}

std::ostream& operator<<(std::ostream& out, const TRunResult& run) {
  if (!run.Started) return out << "not started, error " << run.StartError;
  if (!run.Finished) return out << "did not end in time";
  return out << "exit code " << run.ExitCode;
}

namespace {

bool IsFolderLink(const AnsiString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool MakeFolderLink(const AnsiString& link, const AnsiString& target) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  using TCreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto create = reinterpret_cast<TCreateLink>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateSymbolicLinkA")));
  constexpr DWORD directoryLink = 1;
  if (create && create(link.c_str(), target.c_str(), directoryLink) && IsFolderLink(link)) return true;
  using TUnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<TUnixName>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (!unixName) return false;
  const char* from = unixName(AnsiToWide(target).c_str());
  const char* to = unixName(AnsiToWide(link).c_str());
  if (!from || !to) return false;
  // The host names are UTF-8; a wide command line carries them unchanged.
  auto wide = [](const char* utf8) {
    std::wstring out(size_t(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), int(out.size()));
    out.pop_back();
    return out;
  };
  std::wstring commandLine = L"Z:\\bin\\ln -s \"" + wide(from) + L"\" \"" + wide(to) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Wine does not wait for a host program through its process handle; the
  // link's appearance is waited for instead.
  for (int i = 0; i < 1200 && !IsFolderLink(link); ++i) Sleep(50);
  return IsFolderLink(link);
}

void PackFolder(const AnsiString& folder, const AnsiString& archive, const TPackOptions& options) {
  AnsiString command = "\"" + BuildTreeFile("tools\\rarpack\\rarpack.exe") + "\"";
  if (!options.Password.empty()) command += " -p \"" + options.Password + "\"";
  if (options.EncryptHeaders) command += " -hp";
  if (options.VolumeSize) command += " -v " + IntToStr(Int64(options.VolumeSize));
  command += " \"" + archive + "\" \"" + folder + "\"";
  const TRunResult run = RunAndWait(command);
  ASSERT_TRUE(run.Succeeded()) << command << ": " << run;
}

}  // namespace enginetest
