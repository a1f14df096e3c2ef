// The start-up units: the registered hand cursors, the date-format flag,
// the processor feature bits and the level told to the JPEG library.
#include <gtest/gtest.h>

#include "DateUtil.hpp"
#include "FastDIB.hpp"
#include "FastFiles.hpp"
#include "Forms.hpp"
#include "VCLUtils.hpp"

namespace {

TEST(StartupUnits, TheHandCursorsAreRegisteredWithTheirHotSpots) {
  HCURSOR hand = Screen->Cursors(crHand), drag = Screen->Cursors(crDragHand);
  ASSERT_NE(hand, nullptr);
  EXPECT_NE(hand, Screen->Cursors(crDefault));
  EXPECT_NE(drag, Screen->Cursors(crDefault));
  EXPECT_NE(hand, drag);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 5u);
  EXPECT_EQ(info.yHotspot, 0u);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST(StartupUnits, FourDigitYearInAnyLetterCase) {
  EXPECT_TRUE(DateFormatHasFourDigitYear("dd.MM.yyyy"));
  EXPECT_TRUE(DateFormatHasFourDigitYear("YyYy-MM-dd"));
  EXPECT_FALSE(DateFormatHasFourDigitYear("M/d/yy"));
  EXPECT_FALSE(DateFormatHasFourDigitYear("y/yyy"));
}

TEST(StartupUnits, FeatureBitsComeFromTheirCpuidRegisters) {
  EXPECT_EQ(CpuFeatureBits(1u << 8, 0), cfCX8);
  EXPECT_EQ(CpuFeatureBits(1u << 15 | 1u << 23, 0), cfCMOV | cfMMX);
  EXPECT_EQ(CpuFeatureBits(1u << 25 | 1u << 26, 0), cfSSE | cfSSE2);
  EXPECT_EQ(CpuFeatureBits(0, 1u << 22 | 1u << 30 | 1u << 31), cfMMX2 | cf3DNow2 | cf3DNow);
  // The same bit numbers in the other register mean nothing here.
  EXPECT_EQ(CpuFeatureBits(1u << 22 | 1u << 31, 1u << 23), 0);
  EXPECT_EQ(CpuVendor.size(), 12u);
  EXPECT_GT(CpuCount, 0);
}

TEST(StartupUnits, JpegLibraryLevel) {
  EXPECT_EQ(IjlCpuLevel("AuthenticAMD", 6, 8, 0), 0);
  EXPECT_EQ(IjlCpuLevel("AuthenticAMD", 6, 8, cfMMX), 3);
  EXPECT_EQ(IjlCpuLevel("AuthenticAMD", 6, 8, cfMMX | cfSSE), 5);
  EXPECT_EQ(IjlCpuLevel("AuthenticAMD", 15, 1, cfMMX | cfSSE | cfSSE2), 6);
  EXPECT_EQ(IjlCpuLevel("GenuineIntel", 5, 4, 0), 1);
  EXPECT_EQ(IjlCpuLevel("GenuineIntel", 5, 4, cfMMX), 3);
  EXPECT_EQ(IjlCpuLevel("GenuineIntel", 6, 1, 0), 2);
  EXPECT_EQ(IjlCpuLevel("GenuineIntel", 6, 3, cfMMX), 4);  // MMX never lowers it
  EXPECT_EQ(IjlCpuLevel("GenuineIntel", 15, 2, 0), 0);
}

TEST(StartupUnits, MissingOptionalLibrariesLeaveNothingBound) {
  // Wine has no ijl15.dll in its system folder.
  EXPECT_FALSE(IjlLoaded);
  EXPECT_EQ(IjlHandle, nullptr);
  EXPECT_EQ(IjlRead, nullptr);
  // msimg32.dll is a system library, found in the system folder.
  EXPECT_NE(MsImg32AlphaBlend, nullptr);
}

}  // namespace
