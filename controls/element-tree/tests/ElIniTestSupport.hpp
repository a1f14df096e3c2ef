// The ini storage tests' shared pieces: stores freed as objects, the bytes
// of binary records, and a temporary folder per test with its settings file.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ElIni.hpp"
#include "SysUtils.hpp"

namespace eltest {

struct FreeObject {
  void operator()(TObject* object) const { object->Free(); }
};
using IniPtr = std::unique_ptr<TElIniFile, FreeObject>;

inline IniPtr NewIni() { return IniPtr(new TElIniFile(nullptr)); }

inline std::string Int32Bytes(std::int32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); }
inline std::string StreamString(const std::string& s) { return Int32Bytes(std::int32_t(s.size())) + s; }
inline const std::string kNul("\0", 1);

// Each test works in a folder of its own under the temporary folder.
class IniFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    TempFileNameFromGUID("", folder_);
    ASSERT_TRUE(CreateDir(folder_));
    path_ = folder_ + "\\settings.ini";
  }
  void TearDown() override {
    TSearchRec rec;
    if (FindFirst(folder_ + "\\*", faAnyFile, rec) == 0) {
      do {
        if (!(rec.Attr & faDirectory)) DeleteFile(folder_ + "\\" + rec.Name);
      } while (FindNext(rec) == 0);
      FindClose(rec);
    }
    RemoveDir(folder_);
  }

  std::string FileBytes() const {
    TMemoryStream m;
    m.LoadFromFile(path_);
    return std::string(static_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.Size()));
  }
  void SetFileBytes(const std::string& bytes) const {
    TFileStream f(path_, fmCreate);
    if (!bytes.empty()) f.WriteBuffer(bytes.data(), std::int32_t(bytes.size()));
  }
  // The names in the folder other than the settings file.
  int StrayFiles() const {
    int count = 0;
    TSearchRec rec;
    if (FindFirst(folder_ + "\\*", faAnyFile, rec) == 0) {
      do {
        if (!(rec.Attr & faDirectory) && !AnsiSameText(rec.Name, "settings.ini")) ++count;
      } while (FindNext(rec) == 0);
      FindClose(rec);
    }
    return count;
  }
  IniPtr IniOnFile(bool binary = false) const {
    IniPtr ini = NewIni();
    ini->SetPath(path_);
    ini->SetBinaryMode(binary);
    return ini;
  }

  std::string folder_;
  std::string path_;
};

}  // namespace eltest
