#include <gtest/gtest.h>

#include <memory>

#include "driver/DriverFactory.h"
#include "driver/TVM30.h"
#include "settings/DriverSettings.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

using sbtest::ReadFile;
using sbtest::WriteFile;

class SettingsTest : public ::testing::Test {
protected:
    sb::TVM30& Build() {
        driver_.reset(&sb::TVM30::From(sb::NewDriver(nullptr, path)));
        return *driver_;
    }

    sbtest::TempDir dir;
    std::string path = dir.File("cnf.INI");
    std::unique_ptr<sb::TVM30> driver_;
};

TEST_F(SettingsTest, MissingFileGivesDefaults) {
    sb::TVM30& driver = Build();
    EXPECT_EQ(driver.Baud, 2400);
    EXPECT_EQ(driver.SDec, 100);
    EXPECT_EQ(driver.PDec, 100);
    for (uint8_t p = 1; p <= sb::kPointCount; ++p) EXPECT_FALSE(driver.Point(p).T10Line) << int(p);
}

TEST_F(SettingsTest, BadNumbersAndScalesOutsideTheDialogsChoicesTakeTheDefault) {
    const std::string text =
        "[Other]\r\nBaud=9600\r\n[sb]\r\nBaud = 1234\r\nSDec=abc\r\nPDec=-10\r\nT10_3=1\r\n"
        "T10_9=1\r\nT10_4=7\r\nT10_5=0\r\nT10_6=\r\nT10_8=1\r\n";
    WriteFile(path, text);
    sbtest::LogCapture log;
    sb::TVM30& driver = Build();
    EXPECT_EQ(driver.Baud, 1234);
    EXPECT_EQ(driver.SDec, 100);
    EXPECT_EQ(driver.PDec, 100);
    // The operator is alerted to a scale the dialog would not offer; a key that is not a number is not.
    EXPECT_TRUE(log.Has("Недопустимое значение PDec=-10 (" + path + "): используется 100"));
    EXPECT_EQ(log.Texts().size(), 1u);
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_TRUE(driver.Point(3).T10Line);
    EXPECT_TRUE(driver.Point(4).T10Line);
    EXPECT_FALSE(driver.Point(5).T10Line);
    EXPECT_FALSE(driver.Point(6).T10Line);
    EXPECT_TRUE(driver.Point(8).T10Line);
    EXPECT_FALSE(driver.Point(9).T10Line);
}

TEST(SettingInteger, AcceptsOnlyWholeDecimalNumbersThatFit) {
    EXPECT_EQ(sb::ParseSettingInteger("9600"), 9600);
    EXPECT_EQ(sb::ParseSettingInteger(" +7 "), 7);
    EXPECT_EQ(sb::ParseSettingInteger("-2147483648"), INT32_MIN);
    EXPECT_FALSE(sb::ParseSettingInteger("2147483648"));
    EXPECT_FALSE(sb::ParseSettingInteger("12a"));
    EXPECT_FALSE(sb::ParseSettingInteger("-"));
    EXPECT_FALSE(sb::ParseSettingInteger(""));
    EXPECT_FALSE(sb::ParseSettingInteger("0x10"));
}

TEST_F(SettingsTest, WritingCreatesTheSectionWithElevenKeysInOrder) {
    sb::DriverSettings settings;
    settings.Baud = 9600;
    settings.T10Line[2] = true;
    ASSERT_TRUE(sb::SaveSettings(path, settings));
    EXPECT_EQ(ReadFile(path),
              "[SB]\r\nBaud=9600\r\nSDec=100\r\nPDec=100\r\nT10_1=0\r\nT10_2=1\r\nT10_3=0\r\nT10_4=0\r\nT10_5=0\r\n"
              "T10_6=0\r\nT10_7=0\r\nT10_8=0\r\n");
}

TEST_F(SettingsTest, WritingKeepsOtherSectionsAndKeys) {
    WriteFile(path, "; station\r\n[Pumps]\r\nCount=4\r\n\r\n[SB]\r\nSDec=10\r\nExtra=yes\r\n\r\n[Tail]\r\nx=1\r\n");
    sb::DriverSettings settings = Build().Settings.Current();
    EXPECT_EQ(settings.SDec, 10);
    settings.SDec = 1000;
    ASSERT_TRUE(sb::SaveSettings(path, settings));
    EXPECT_EQ(ReadFile(path),
              "; station\r\n[Pumps]\r\nCount=4\r\n\r\n[SB]\r\nSDec=1000\r\nExtra=yes\r\nBaud=2400\r\nPDec=100\r\n"
              "T10_1=0\r\nT10_2=0\r\nT10_3=0\r\nT10_4=0\r\nT10_5=0\r\nT10_6=0\r\nT10_7=0\r\nT10_8=0\r\n\r\n"
              "[Tail]\r\nx=1\r\n");
    // What was written reads back the same.
    EXPECT_EQ(sb::LoadSettings(path).SDec, 1000);
}

}  // namespace
