// uninsts.exe: deletes the product folder (first argument) and the
// Start-menu folder (second, optional), both quoted with their trailing
// backslash. No window; the exit code says whether both are gone.
#include "FolderRemoval.hpp"
#include "WinApi.hpp"

namespace {

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::vector<std::string> args = uninsts::SplitCommandLine(GetCommandLineA());
  if (args.size() < 2 || args.size() > 3) return 2;
  std::vector<uninsts::Removal> results;
  results.push_back(uninsts::RemoveFolder(FromAnsi(args[1]), uninsts::FolderKind::Product));
  if (args.size() == 3) results.push_back(uninsts::RemoveFolder(FromAnsi(args[2]), uninsts::FolderKind::Plain));
  return uninsts::ExitCode(results);
}
