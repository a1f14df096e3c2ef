// Binding the RAR library, listing and extracting archives written by the
// build's rarpack, and the callback's answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "EngineTestSupport.hpp"
#include "InstallRecord.hpp"
#include "SysUtils.hpp"
#include "UnRAR.hpp"
#include "lib_Method12_ExtractRAR.hpp"

using namespace enginetest;

namespace {

void BindRealLibrary() {
  LoadUnRarLibrary(BuildTreeFile("standins\\unrar\\unrar.dll"));
  ASSERT_TRUE(UnRarLoaded);
}

// Records every progress report and answers as the test scripts it.
class TProgressLog : public TObject {
 public:
  struct TReport {
    AnsiString FileName;
    std::int32_t Total;
  };
  std::vector<TReport> Reports;
  int StopAfter = -1;  // answer false at this report (0-based); -1 never

  bool OnProgress(const AnsiString& fileName, std::int32_t total) {
    Reports.push_back({fileName, total});
    return StopAfter < 0 || int(Reports.size()) <= StopAfter;
  }
  TExtractProgressEvent Event() { return TExtractProgressEvent(this, &TProgressLog::OnProgress); }
};

// A small payload: folders, a Cyrillic name, an empty file, and a file
// larger than one data block.
struct TPayload {
  explicit TPayload(const TScratchFolder& scratch) : Source(scratch / "src") {
    CreateDirectoryA(Source.c_str(), nullptr);
    CreateDirectoryA((Source + "\\Storage").c_str(), nullptr);
    CreateDirectoryA((Source + "\\Storage\\Tutorial").c_str(), nullptr);
    CreateDirectoryA((Source + "\\" + Ansi("Шаблоны")).c_str(), nullptr);
    Add("Storage\\Tutorial\\index.htm", "<html><body>Tutorial</body></html>");
    Add(Ansi("Шаблоны\\Главная страница.htm"), std::string(5000, 'x'));
    Add("empty.txt", "");
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char((i * 131) >> 7);
    Add("zz-big.bin", big);
  }
  void Add(const AnsiString& name, const std::string& contents) {
    WriteFile(Source + "\\" + name, contents);
    Files.push_back({name, contents});
    Total += std::int32_t(contents.size());
  }
  AnsiString Source;
  std::vector<std::pair<AnsiString, std::string>> Files;
  std::int32_t Total = 0;
};

void ExpectExtracted(const TPayload& payload, const AnsiString& destination) {
  for (const auto& [name, contents] : payload.Files) {
    ASSERT_TRUE(FileThere(destination + "\\" + name)) << name;
    EXPECT_TRUE(ReadFile(destination + "\\" + name) == contents) << name;
  }
}

}  // namespace

TEST(UnRarBinding, OnlyACompleteLibraryIsBound) {
  // Start from an unbound library, whatever ran before.
  UnRarLoaded = false;
  UnRarHandle = nullptr;

  LoadUnRarLibrary(ProgramFolder() + "no-such-unrar.dll");
  EXPECT_FALSE(UnRarLoaded);

  LoadUnRarLibrary(ProgramFolder() + "partial_unrar.dll");
  EXPECT_FALSE(UnRarLoaded);
  EXPECT_EQ(UnRarHandle, nullptr);
  EXPECT_EQ(RARSetCallback, nullptr);
  // Unbound, both routines answer 100 and leave the total alone.
  std::int32_t total = 1234;
  EXPECT_EQ(GetArchiveUnpackedSize("any.rar", total, "tulbek"), RarNotLoaded);
  EXPECT_EQ(total, 1234);
  EXPECT_EQ(ExtractArchive("any.rar", "C:\\x", "tulbek", nullptr), RarNotLoaded);
  // The half library was let go again.
  EXPECT_EQ(GetModuleHandleA("partial_unrar.dll"), nullptr);

  BindRealLibrary();
  EXPECT_NE(UnRarHandle, nullptr);
  for (void* entry : {reinterpret_cast<void*>(RAROpenArchive), reinterpret_cast<void*>(RAROpenArchiveEx),
                      reinterpret_cast<void*>(RARCloseArchive), reinterpret_cast<void*>(RARReadHeader),
                      reinterpret_cast<void*>(RARReadHeaderEx), reinterpret_cast<void*>(RARProcessFile),
                      reinterpret_cast<void*>(RARSetCallback), reinterpret_cast<void*>(RARSetPassword)})
    EXPECT_NE(entry, nullptr);
}

TEST(ArchiveCallback, AnswersEachMessageAsTheInstallNeeds) {
  TProgressLog log;
  TClassForCallback state(log.Event());
  state.FileName = "a.txt";
  state.RunningTotal = 100;
  LPARAM data = reinterpret_cast<LPARAM>(&state);
  char buffer[256] = {};
  EXPECT_EQ(ArchiveCallback(UCM_CHANGEVOLUME, data, LPARAM(buffer), 0), -1);
  EXPECT_EQ(ArchiveCallback(UCM_NEEDPASSWORD, data, LPARAM(buffer), sizeof(buffer)), -1);
  EXPECT_EQ(buffer[0], 0) << "no password is offered";
  EXPECT_EQ(ArchiveCallback(UCM_PROCESSDATA, data, LPARAM(buffer), 50), 0);
  EXPECT_EQ(state.RunningTotal, 150);
  ASSERT_EQ(log.Reports.size(), 1u);
  EXPECT_EQ(log.Reports[0].FileName, "a.txt");
  EXPECT_EQ(log.Reports[0].Total, 150);
  log.StopAfter = 1;
  EXPECT_EQ(ArchiveCallback(UCM_PROCESSDATA, data, LPARAM(buffer), 50), -1);
  EXPECT_EQ(ArchiveCallback(77, data, 0, 0), 0);

  TClassForCallback silent(nullptr);
  EXPECT_EQ(ArchiveCallback(UCM_PROCESSDATA, reinterpret_cast<LPARAM>(&silent), LPARAM(buffer), 7), 0);
  EXPECT_EQ(silent.RunningTotal, 7);
}

class ExtractRar : public ::testing::Test {
 protected:
  void SetUp() override { BindRealLibrary(); }
  AnsiString Pack(const AnsiString& folder, const AnsiString& name, TPackOptions options = {"tulbek"}) {
    AnsiString archive = scratch_ / name;
    PackFolder(folder, archive, options);
    return archive;
  }
  TScratchFolder scratch_{"rar"};
};

TEST_F(ExtractRar, ListingSumsTheUnpackedSizes) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  std::int32_t total = -1;
  EXPECT_EQ(GetArchiveUnpackedSize(archive, total, "tulbek"), 0);
  EXPECT_EQ(total, payload.Total);
  // With encrypted headers too.
  AnsiString hidden = Pack(payload.Source, "hidden.rar", {"tulbek", true});
  total = -1;
  EXPECT_EQ(GetArchiveUnpackedSize(hidden, total, "tulbek"), 0);
  EXPECT_EQ(total, payload.Total);
}

TEST_F(ExtractRar, ExtractsEveryFileUnderTheFolderWithProgress) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  AnsiString destination = scratch_ / Ansi("Программы\\Kestrum\\Lumbrix 2008");
  TProgressLog log;
  TInstallRecord record;
  record.Begin(destination);
  ASSERT_EQ(ExtractArchive(archive, destination, "tulbek", log.Event(), &record), 0);
  ExpectExtracted(payload, destination);
  ASSERT_FALSE(log.Reports.empty());
  EXPECT_EQ(log.Reports.back().Total, payload.Total);
  EXPECT_TRUE(std::is_sorted(log.Reports.begin(), log.Reports.end(),
                             [](const auto& a, const auto& b) { return a.Total < b.Total; }));
  // The large file is reported block by block, never in one piece.
  int bigReports = int(std::count_if(log.Reports.begin(), log.Reports.end(),
                                     [](const auto& r) { return r.FileName == "zz-big.bin"; }));
  EXPECT_GE(bigReports, 4);
  // Every folder and file the extraction made is recorded, parents first,
  // the destination's own missing parents before it.
  const auto& created = record.CreatedPaths();
  auto position = [&](const AnsiString& path) { return std::find(created.begin(), created.end(), path); };
  ASSERT_NE(position(scratch_ / Ansi("Программы")), created.end());
  EXPECT_LT(position(scratch_ / Ansi("Программы")), position(destination));
  ASSERT_NE(position(destination + "\\Storage\\Tutorial"), created.end());
  ASSERT_NE(position(destination + "\\Storage\\Tutorial\\index.htm"), created.end());
  EXPECT_LT(position(destination + "\\Storage"), position(destination + "\\Storage\\Tutorial"));
  EXPECT_LT(position(destination + "\\Storage\\Tutorial"), position(destination + "\\Storage\\Tutorial\\index.htm"));
  // Two parents and the destination, three folders, every file.
  EXPECT_EQ(created.size(), 3u + 3u + payload.Files.size());
}

TEST_F(ExtractRar, FilesThatWereThereBeforeAreNotRecordedAsCreated) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  AnsiString destination = scratch_ / "dest";
  CreateDirectoryA(destination.c_str(), nullptr);
  CreateDirectoryA((destination + "\\Storage").c_str(), nullptr);
  WriteFile(destination + "\\empty.txt", "user's own");
  TInstallRecord record;
  record.Begin(destination);
  ASSERT_EQ(ExtractArchive(archive, destination, "tulbek", nullptr, &record), 0);
  const auto& created = record.CreatedPaths();
  EXPECT_EQ(std::count(created.begin(), created.end(), destination), 0);
  EXPECT_EQ(std::count(created.begin(), created.end(), destination + "\\Storage"), 0);
  EXPECT_EQ(std::count(created.begin(), created.end(), destination + "\\empty.txt"), 0);
  EXPECT_EQ(std::count(created.begin(), created.end(), destination + "\\zz-big.bin"), 1);
  for (const auto& path : created) EXPECT_EQ(path.compare(0, destination.size() + 1, destination + "\\"), 0) << path;
  // The user's file was moved aside for the product's; both are listed.
  const auto& names = record.InstalledNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "empty.txt|empty.txt.lumbrix-original"), 1);
  EXPECT_EQ(ReadFile(destination + "\\empty.txt.lumbrix-original"), "user's own");
  EXPECT_EQ(std::count(names.begin(), names.end(), "Storage\\"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Storage\\Tutorial\\"), 1);
}

TEST_F(ExtractRar, TheLibraryNeverEntersAFolderLinkUnderTheDestination) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  const AnsiString destination = scratch_ / "dest", outside = scratch_ / "outside";
  ASSERT_TRUE(ForceDirectories(destination) && ForceDirectories(outside));
  if (!MakeFolderLink(destination + "\\Storage", outside)) GTEST_SKIP() << "no folder links here";
  // Without a record nothing is refused before the library is asked.
  EXPECT_EQ(ExtractArchive(archive, destination, "tulbek", nullptr), ERAR_ECREATE);
  EXPECT_TRUE(ListTree(outside).empty());
}

TEST_F(ExtractRar, EmptyArchiveListsZeroAndExtractsNothing) {
  AnsiString empty = scratch_ / "empty";
  CreateDirectoryA(empty.c_str(), nullptr);
  AnsiString archive = Pack(empty, "empty.rar");
  std::int32_t total = -1;
  EXPECT_EQ(GetArchiveUnpackedSize(archive, total, "tulbek"), 0);
  EXPECT_EQ(total, 0);
  TProgressLog log;
  EXPECT_EQ(ExtractArchive(archive, scratch_ / "out", "tulbek", log.Event()), 0);
  EXPECT_TRUE(log.Reports.empty());
  EXPECT_TRUE(ListTree(scratch_ / "out").empty());
}

TEST_F(ExtractRar, WrongOrMissingPasswordIsAnErrorNeverAPrompt) {
  TPayload payload(scratch_);
  AnsiString plainHeaders = Pack(payload.Source, "plain.rar");
  AnsiString hiddenHeaders = Pack(payload.Source, "hidden.rar", {"tulbek", true});
  std::int32_t total = 0;
  // Encrypted headers: the listing itself fails.
  int listing = GetArchiveUnpackedSize(hiddenHeaders, total, "wrong");
  EXPECT_NE(listing, 0);
  EXPECT_NE(listing, ERAR_END_ARCHIVE);
  // Plain headers: the listing works, the extraction fails on the data.
  EXPECT_EQ(GetArchiveUnpackedSize(plainHeaders, total, "wrong"), 0);
  int extraction = ExtractArchive(plainHeaders, scratch_ / "out", "wrong", nullptr);
  EXPECT_NE(extraction, 0);
  // No password at all: the library's question is refused.
  int unanswered = ExtractArchive(plainHeaders, scratch_ / "out2", "", nullptr);
  EXPECT_NE(unanswered, 0);
  EXPECT_FALSE(FileThere(scratch_ / "out2\\zz-big.bin"));
}

TEST_F(ExtractRar, DamagedDataIsReportedAsBadData) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  std::string bytes = ReadFile(archive);
  ASSERT_GT(bytes.size(), 2u * 1024 * 1024);
  // The middle of the archive lies in the large file's data.
  bytes[bytes.size() / 2] ^= 0x5A;
  WriteFile(archive, bytes);
  EXPECT_EQ(ExtractArchive(archive, scratch_ / "out", "tulbek", nullptr), ERAR_BAD_DATA);
}

TEST_F(ExtractRar, ASecondVolumeIsNeverOffered) {
  TPayload payload(scratch_);
  AnsiString archive = scratch_ / "split.rar";
  PackFolder(payload.Source, archive, {"tulbek", false, 1024 * 1024});
  ASSERT_TRUE(FileThere(scratch_ / "split.part2.rar"));
  AnsiString first = scratch_ / "split.part1.rar";
  std::int32_t total = 0;
  // The listing asks no questions: it walks into the volume it finds.
  EXPECT_EQ(GetArchiveUnpackedSize(first, total, "tulbek"), 0);
  EXPECT_EQ(total, payload.Total);
  // The extraction is asked, refuses, and fails at the end of the first.
  EXPECT_EQ(ExtractArchive(first, scratch_ / "out", "tulbek", nullptr), ERAR_EOPEN);
}

TEST_F(ExtractRar, CancelDuringALargeFileStopsWithinOneBlock) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  // Stop at the first report that comes from inside the big file.
  AnsiString out = scratch_ / "out";
  class TStopInBig : public TProgressLog {
   public:
    bool OnBig(const AnsiString& name, std::int32_t total) {
      Reports.push_back({name, total});
      return name != "zz-big.bin";
    }
  } stopper;
  ExtractArchive(archive, out, "tulbek", TExtractProgressEvent(&stopper, &TStopInBig::OnBig));
  ASSERT_FALSE(stopper.Reports.empty());
  EXPECT_EQ(stopper.Reports.back().FileName, "zz-big.bin");
  const std::int32_t beforeBig =
      stopper.Reports.size() > 1 ? stopper.Reports[stopper.Reports.size() - 2].Total : 0;
  // The library stopped after the first block of the big file.
  EXPECT_GT(stopper.Reports.back().Total, beforeBig);
  EXPECT_LE(stopper.Reports.back().Total, beforeBig + 1024 * 1024);
  EXPECT_EQ(std::count_if(stopper.Reports.begin(), stopper.Reports.end(),
                          [](const auto& r) { return r.FileName == "zz-big.bin"; }),
            1);
}

TEST_F(ExtractRar, CancelBetweenFilesStopsBeforeTheNextHeaderWithResultZero) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  AnsiString out = scratch_ / "out";
  // Small files report once each; stop at the report after the first file.
  class TStopAfterFirstFile : public TProgressLog {
   public:
    bool OnReport(const AnsiString& name, std::int32_t total) {
      Reports.push_back({name, total});
      return !(name == "empty.txt");
    }
  } stopper;
  EXPECT_EQ(ExtractArchive(archive, out, "tulbek", TExtractProgressEvent(&stopper, &TStopAfterFirstFile::OnReport)), 0);
  EXPECT_TRUE(FileThere(out + "\\empty.txt"));
  EXPECT_FALSE(FileThere(out + "\\zz-big.bin"));
  EXPECT_EQ(stopper.Reports.back().FileName, "empty.txt");
}

TEST_F(ExtractRar, AnExceptionOnTheWayIsAnErrorCodeAndTheArchiveIsClosed) {
  TPayload payload(scratch_);
  AnsiString archive = Pack(payload.Source, "payload.rar");
  // The after-file report stands for any step of the engine that raises.
  class TRaising : public TObject {
   public:
    bool OutOfMemory = true;
    bool OnReport(const AnsiString&, std::int32_t) {
      if (OutOfMemory) throw std::bad_alloc();
      throw EConvertError("not a number");
    }
  } raising;
  TExtractProgressEvent event(&raising, &TRaising::OnReport);
  EXPECT_EQ(ExtractArchive(archive, scratch_ / "out", "tulbek", event), ERAR_NO_MEMORY);
  // Nothing holds the archive open any more: it can be deleted.
  AnsiString moved = scratch_ / "moved.rar";
  EXPECT_TRUE(MoveFileA(archive.c_str(), moved.c_str())) << GetLastError();
  raising.OutOfMemory = false;
  EXPECT_EQ(ExtractArchive(moved, scratch_ / "out2", "tulbek", event), ERAR_UNKNOWN);
  EXPECT_TRUE(DeleteFileA(moved.c_str())) << GetLastError();
}
