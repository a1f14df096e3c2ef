// Streams: short reads and writes, file modes and errors, memory, string and
// resource streams, CopyFrom.
#include <gtest/gtest.h>

#include "Classes.hpp"
#include "WinApi.hpp"

namespace {

class StreamFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    file_ = std::string(temp) + "classlib_stream_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
    DeleteFileA(file_.c_str());
  }
  void TearDown() override {
    SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file_.c_str());
  }
  std::string file_;
};

TEST(MemoryStream, ReadWriteSeekAndShortReads) {
  TMemoryStream m;
  m.WriteBuffer("hello world", 11);
  EXPECT_EQ(m.Size(), 11);
  EXPECT_EQ(m.Position(), 11);
  m.SetPosition(6);
  char buf[16] = {};
  EXPECT_EQ(m.Read(buf, 16), 5);  // short read: the rest only
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_EQ(m.Read(buf, 4), 0);
  m.SetPosition(6);
  EXPECT_THROW(m.ReadBuffer(buf, 6), EReadError);
  m.SetPosition(0);
  try {
    m.ReadBuffer(buf, 12);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  EXPECT_EQ(m.Seek(-5, soEnd), 6);
  EXPECT_EQ(m.Seek(2, soCurrent), 8);
  m.ReadBuffer(buf, 0);  // a zero count never raises
}

TEST(MemoryStream, WritePastTheEndGrowsAndSetSizeClips) {
  TMemoryStream m;
  m.SetPosition(4);
  m.WriteBuffer("ab", 2);
  EXPECT_EQ(m.Size(), 6);
  EXPECT_EQ(std::string(static_cast<char*>(m.Memory()), 6), std::string("\0\0\0\0ab", 6));
  m.SetSize(3);
  EXPECT_EQ(m.Position(), 3);
  EXPECT_EQ(m.Size(), 3);
  std::string big(100000, 'z');
  m.WriteBuffer(big.data(), static_cast<std::int32_t>(big.size()));
  EXPECT_EQ(m.Size(), 100003);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Position(), 0);
  EXPECT_EQ(m.Memory(), nullptr);
}

TEST(StringStream, ReadWriteAndSeekClamped) {
  TStringStream s("abcdef");
  EXPECT_EQ(s.ReadString(2), "ab");
  EXPECT_EQ(s.Seek(-1, soEnd), 5);
  EXPECT_EQ(s.Seek(10, soCurrent), 6);  // clamped to the end
  EXPECT_EQ(s.Seek(-10, soBeginning), 0);
  s.SetPosition(2);
  s.WriteString("XY");
  EXPECT_EQ(s.DataString(), "abXY");  // writing ends the string
  char c;
  EXPECT_EQ(s.Read(&c, 1), 0);
  EXPECT_THROW(s.ReadBuffer(&c, 1), EReadError);
  EXPECT_EQ(s.Size(), 4);
}

// A stream that accepts only a few bytes, like a full disk.
class TFullStream : public TMemoryStream {
 public:
  std::int32_t Write(const void* buffer, std::int32_t count) override {
    return TMemoryStream::Write(buffer, std::min<std::int32_t>(count, 3));
  }
};

TEST(Stream, ShortWriteRaisesAndCopyFromMovesEverything) {
  TFullStream full;
  try {
    full.WriteBuffer("12345", 5);
    FAIL();
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "Stream write error");
  }
  TMemoryStream src, dst;
  std::string data(200000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31);
  src.WriteBuffer(data.data(), static_cast<std::int32_t>(data.size()));
  src.SetPosition(1000);
  EXPECT_EQ(dst.CopyFrom(&src, 0), 200000);  // 0: the whole source from its start
  EXPECT_EQ(std::string(static_cast<char*>(dst.Memory()), 200000), data);
  src.SetPosition(199990);
  EXPECT_THROW(dst.CopyFrom(&src, 20), EReadError);  // the source runs short
}

TEST_F(StreamFiles, CreateWriteReopenAndSize) {
  {
    TFileStream f(file_, fmCreate);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
  }
  TFileStream f(file_, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(f.FileName(), file_);
  char buf[8] = {};
  EXPECT_EQ(f.Read(buf, 8), 4);
  EXPECT_EQ(std::string(buf, 4), "0123");
  EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
  EXPECT_EQ(f.Write("x", 1), 0);  // opened for reading
  EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
}

TEST_F(StreamFiles, OpenErrorsNameTheFileAndTheReason) {
  try {
    TFileStream f(file_, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file \"" + file_ + "\". ", 0), 0u) << e.Message();
    EXPECT_GT(e.Message().size(), file_.size() + 21);  // the system's reason follows
  }
  try {
    TFileStream f(file_ + "\\no\\such\\dir", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot create file \"", 0), 0u) << e.Message();
  }
  EXPECT_THROW(TFileStream(file_, fmOpenRead), EStreamError);  // a base class catches both
}

TEST_F(StreamFiles, ShareModesAreEnforced) {
  { TFileStream create(file_, fmCreate); }
  TFileStream reader(file_, fmOpenRead | fmShareDenyWrite);
  EXPECT_THROW(TFileStream(file_, fmOpenWrite), EFOpenError);
  TFileStream secondReader(file_, fmOpenRead | fmShareDenyNone);
  SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_THROW(TFileStream(file_, fmCreate), EFCreateError);
}

TEST_F(StreamFiles, MemoryStreamLoadsAndSavesFiles) {
  TMemoryStream m;
  m.WriteBuffer("payload", 7);
  m.SaveToFile(file_);
  TMemoryStream back;
  back.WriteBuffer("previous contents", 17);
  back.LoadFromFile(file_);
  EXPECT_EQ(back.Size(), 7);
  EXPECT_EQ(std::string(static_cast<char*>(back.Memory()), 7), "payload");
  THandleStream h(CreateFileA(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(h.Size(), 7);
  EXPECT_EQ(h.Seek(2, soBeginning), 2);
  char c = 0;
  h.ReadBuffer(&c, 1);
  EXPECT_EQ(c, 'y');
  CloseHandle(h.Handle());
}

TEST(ResourceStream, ReadsRcDataAndRaisesForAMissingResource) {
  // The library's string table is linked into every program; its block for
  // ids 65408..65423 is resource 4089 of type RT_STRING.
  TResourceStream s(HInstance, 65412 / 16 + 1, RT_STRING);
  EXPECT_GT(s.Size(), 0);
  std::vector<wchar_t> block(static_cast<std::size_t>(s.Size()) / 2);
  s.ReadBuffer(block.data(), static_cast<std::int32_t>(block.size() * 2));
  // Entry 4 of the block (65412 % 16) holds the index message.
  std::size_t at = 0;
  for (int i = 0; i < 65412 % 16; ++i) at += 1 + block[at];
  EXPECT_EQ(WideString(&block[at + 1], block[at]), L"List index out of bounds (%d)");
  EXPECT_THROW(s.Write("x", 1), EStreamError);
  TResourceStream named(HInstance, "TESTDATA", RT_RCDATA);
  ASSERT_GE(named.Size(), 12);
  std::string text(12, '\0');
  named.ReadBuffer(text.data(), 12);
  EXPECT_EQ(text, "payload-1234");
  try {
    TResourceStream missing(HInstance, "NOSUCHFORM", RT_RCDATA);
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource NOSUCHFORM not found");
  }
}

}  // namespace
