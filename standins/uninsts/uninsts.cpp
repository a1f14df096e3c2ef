// uninsts.exe: deletes the product (first argument) as its list of installed
// files names it, and the Start-menu folder (second, optional) when it is
// empty; both quoted with their trailing backslash. No window; the exit
// code says what became of the product (ListRemoval.hpp).
#include "ListRemoval.hpp"
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
  if (args.size() < 2 || args.size() > 3) return static_cast<int>(uninsts::Outcome::BadArguments);
  const std::wstring menu = args.size() == 3 ? FromAnsi(args[2]) : std::wstring();
  return static_cast<int>(uninsts::RemoveProduct(FromAnsi(args[1]), menu));
}
