#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/Cp1251.h"
#include "logging/Log.h"
#include "support/RecordingClock.h"
#include "support/TempDir.h"

namespace {

using sbtest::ReadFile;

class LoggerTest : public ::testing::Test {
protected:
    std::string Copy(int n) const { return name + "." + std::to_string(n); }
    void MakeFile(const std::string& path, unsigned long long size) {
        sbtest::WriteFile(path, "x");
        std::filesystem::resize_file(path, size);
    }

    sbtest::RecordingClock clock;
    sbtest::TempDir dir;
    std::string name = dir.File("Host.pro");
    sb::Logger log;
};

TEST_F(LoggerTest, LinesCarryTimeStampAndCrLfWithOneEmptyLineFirst) {
    sbtest::WriteFile(name, "old\r\n");
    log.SetFileName(name);
    log.WriteLog(1, "GET COUNTER(3)");
    clock.Set(23, 59, 59, 999);
    log.WriteLog(1, "");
    log.WriteLog(1, "100% of %s %d");
    EXPECT_EQ(ReadFile(name),
              "old\r\n\r\n09:05:03.007 GET COUNTER(3)\r\n23:59:59.999 \r\n23:59:59.999 100% of %s %d\r\n");
}

TEST_F(LoggerTest, DetailAndDumpLines) {
    sb::Logger& processLog = sb::ProcessLog();
    const std::string previous = processLog.FileName();
    processLog.SetFileName(name);
    sb::LogDetail("abc");
    const uint8_t bytes[] = {0x02, 0x41, 0x03};
    sb::LogDump(bytes, 3, "P");
    sb::LogDump(bytes, 0, "P");
    uint8_t many[255];
    for (int i = 0; i < 255; ++i) many[i] = static_cast<uint8_t>(i);
    sb::LogDump(many, 255, "");
    // A thread's tap takes its lines without time stamps, with no file as well.
    static std::string tapped;
    sb::TapThreadLines([](std::initializer_list<std::string_view> parts) {
        for (std::string_view part : parts) tapped += part;
    });
    processLog.SetFileName("");
    sb::LogDump(bytes, 3, "P");
    sb::TapThreadLines(nullptr);
    processLog.SetFileName(previous);
    EXPECT_EQ(tapped, ":  P 02 41 03");

    const std::string text = ReadFile(name);
    EXPECT_NE(text.find("09:05:03.007 :  abc\r\n"), std::string::npos);
    EXPECT_NE(text.find("09:05:03.007 :  P 02 41 03\r\n"), std::string::npos);
    EXPECT_NE(text.find("09:05:03.007 :  P\r\n"), std::string::npos);
    const size_t dump = text.find(":   00 01 02");
    ASSERT_NE(dump, std::string::npos);
    const size_t end = text.find("\r\n", dump);
    EXPECT_EQ(end - dump, 3u + 255u * 3u);
    EXPECT_EQ(text.substr(end - 3, 3), " FE");
}

TEST_F(LoggerTest, RotatesOnlyAboveTheLimitAndStartsANewFileWithoutEmptyLine) {
    log.SetFileName(name);
    MakeFile(name, sb::Logger::kRotationLimit);
    log.WriteLog(1, "a");
    EXPECT_FALSE(std::filesystem::exists(Copy(0)));
    EXPECT_EQ(std::filesystem::file_size(name), sb::Logger::kRotationLimit + 2 + 16);

    log.WriteLog(1, "b");
    EXPECT_EQ(std::filesystem::file_size(Copy(0)), sb::Logger::kRotationLimit + 2 + 16);
    EXPECT_EQ(ReadFile(name), "09:05:03.007 b\r\n");
}

TEST_F(LoggerTest, RotationMovesGapsUpAndKeepsAtMostTwelveCopies) {
    MakeFile(name, sb::Logger::kRotationLimit + 1);
    sbtest::WriteFile(Copy(0), "zero");
    sbtest::WriteFile(Copy(5), "five");
    sb::RotateLog(name);
    EXPECT_EQ(ReadFile(Copy(1)), "zero");
    EXPECT_EQ(ReadFile(Copy(6)), "five");
    EXPECT_EQ(std::filesystem::file_size(Copy(0)), sb::Logger::kRotationLimit + 1);
    EXPECT_FALSE(std::filesystem::exists(Copy(5)));
    EXPECT_FALSE(std::filesystem::exists(name));

    for (int n = 0; n <= 11; ++n) sbtest::WriteFile(Copy(n), "copy" + std::to_string(n));
    MakeFile(name, sb::Logger::kRotationLimit + 1);
    sb::RotateLog(name);
    for (int n = 1; n <= 11; ++n) EXPECT_EQ(ReadFile(Copy(n)), "copy" + std::to_string(n - 1));
    EXPECT_FALSE(std::filesystem::exists(Copy(12)));
}

TEST_F(LoggerTest, UnwritablePlaceDropsTheLineSilentlyAndTheNextLineTriesAgain) {
    const std::string missing = dir.File("missing");
    log.SetFileName(missing + "/Host.pro");
    log.WriteLog(1, "lost");  // the directory does not exist: nothing to create the file in
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::filesystem::create_directory(missing);
    log.WriteLog(1, "kept");
    EXPECT_EQ(ReadFile(missing + "/Host.pro"), "\r\n09:05:03.007 kept\r\n");
}

TEST_F(LoggerTest, CriticalLinesAreQueuedOnceWhileWaiting) {
    log.SetFileName(name);
    const std::string lost = sb::ToCp1251("Нет связи");
    log.WriteLog(3, lost);
    clock.Set(10, 0, 0, 0);
    log.WriteLog(3, lost);
    log.WriteLog(3, sb::ToCp1251("Другое"));
    log.WriteLog(1, "trace only");
    EXPECT_EQ(log.Alerts().Size(), 2u);
    EXPECT_TRUE(log.AlertEvent().Wait(0));  // signalled for every critical line

    EXPECT_EQ(log.Alerts().TakeFirst(), "09:05:03.007 " + sb::ToCp1251("Нет связи"));
    log.WriteLog(3, lost);  // shown already: queued again
    EXPECT_EQ(log.Alerts().TakeFirst(), "10:00:00.000 " + sb::ToCp1251("Другое"));
    EXPECT_EQ(log.Alerts().TakeFirst(), "10:00:00.000 " + sb::ToCp1251("Нет связи"));
    // Critical lines reach the file like any other.
    EXPECT_NE(ReadFile(name).find("09:05:03.007 " + sb::ToCp1251("Нет связи") + "\r\n"), std::string::npos);

    // Without a log file a critical line still reaches the operator; a trace line goes nowhere.
    sb::Logger noFile;
    noFile.WriteLog(3, lost);
    noFile.WriteLog(1, "trace only");
    EXPECT_EQ(noFile.Alerts().Size(), 1u);
}

TEST(LogFileName, ReplacesTheExtensionOfTheLastComponentOnly) {
    EXPECT_EQ(sb::LogFileNameFor("/opt/station/Host.exe"), "/opt/station/Host.pro");
    EXPECT_EQ(sb::LogFileNameFor("/opt/st.ation/host"), "/opt/st.ation/host.pro");
    EXPECT_EQ(sb::LogFileNameFor("D:\\Station\\Host.exe"), "D:\\Station\\Host.pro");
    EXPECT_EQ(sb::LogFileNameFor(""), "");
}

}  // namespace
