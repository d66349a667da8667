#include "session/printeradjustment.h"
#include "support/tempdir.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <csignal>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <gtest/gtest.h>

namespace mivora::test {
namespace {

std::vector<std::string> fullFile() {
    return {"900", "250", "-2", "3",  "PrinterA", //
            "800", "240", "1",  "-1", "PrinterB", //
            "700", "230", "0",  "0",  "PrinterC"};
}

TEST(ToolEditFile, NumbersOutOfRangeTakeTheNearestBoundAndBadLinesTheDefault) {
    struct Case {
        std::size_t line;
        const char* text;
        int AdjustmentGroup::*member;
        int expected;
    };
    const Case cases[] = {
        {0, "2000", &AdjustmentGroup::numerator, 1000},
        {0, "0", &AdjustmentGroup::numerator, 1},
        {1, "-5", &AdjustmentGroup::denominator, 1},
        {2, "-20", &AdjustmentGroup::verticalOffset, -10},
        {3, "11", &AdjustmentGroup::horizontalOffset, 10},
        {0, "abc", &AdjustmentGroup::numerator, 1000},     // default
        {1, "", &AdjustmentGroup::denominator, 267},       // default
        {3, "1.5", &AdjustmentGroup::horizontalOffset, 1}, // default
        {0, "99999999999999999999999", &AdjustmentGroup::numerator, 1000},
        {2, " 5 ", &AdjustmentGroup::verticalOffset, 5},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = fullFile();
        lines[c.line] = c.text;
        EXPECT_EQ(parseToolEdit(lines)[0].*c.member, c.expected)
            << "line " << c.line << ": " << c.text;
    }
}

TEST(ToolEditFile, ShortFilesSetWhatTheyHold) {
    PrinterAdjustment adjustment = parseToolEdit({"900", "250", "-2", "3"});
    EXPECT_EQ(adjustment[0], (AdjustmentGroup{900, 250, -2, 3, ""}));
    EXPECT_EQ(adjustment[1], AdjustmentGroup{});
    EXPECT_EQ(adjustment[2], AdjustmentGroup{});

    adjustment = parseToolEdit({"900", "250", "-2", "3", "P", "800"}); // cut short
    EXPECT_EQ(adjustment[0].printerName, "P");
    EXPECT_EQ(adjustment[1], (AdjustmentGroup{800, 267, 0, 1, ""}));
    EXPECT_EQ(adjustment[2], AdjustmentGroup{});
}

// Written on Windows as "tooledit.ini": read, and written back under that name.
TEST(ToolEditFile, IsFoundWhateverTheCaseOfItsName) {
    TempDir dir;
    writeLines(dir.path() / "tooledit.ini", {"900", "250", "-2", "3"});
    PrinterAdjustment adjustment = readToolEdit(dir.path());
    EXPECT_EQ(adjustment[0].numerator, 900);
    writeToolEdit(dir.path(), adjustment);
    EXPECT_FALSE(spelledOnDisk(dir.path() / "ToolEdit.INI"));
    EXPECT_EQ(readLines(dir.path() / "tooledit.ini")->size(), 15u);
}

TEST(ToolEditFile, WritesFifteenLinesThatReadBackTheSame) {
    TempDir dir;
    writeLines(toolEditFile(dir.path()), {"900", "250", "-2", "3"});
    PrinterAdjustment adjustment = readToolEdit(dir.path());
    adjustment[1].printerName = sj("事務所のプリンタ");
    writeToolEdit(dir.path(), adjustment);

    const auto lines = readLines(toolEditFile(dir.path()));
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 15u);
    EXPECT_EQ((*lines)[0], "900");
    EXPECT_EQ((*lines)[4], "");
    EXPECT_EQ((*lines)[5], "1000");
    EXPECT_EQ((*lines)[9], sj("事務所のプリンタ"));
    EXPECT_EQ(readToolEdit(dir.path()), adjustment);
    EXPECT_EQ(readBytes(toolEditFile(dir.path())).substr(0, 10), "900\r\n250\r\n");
}

// The disk fills up while OK writes the file: the three groups stored before stay.
#ifndef _WIN32 // a full disk is made by the file size limit, which Windows lacks
TEST(ToolEditFile, AFailedWriteLeavesTheStoredGroupsWhole) {
    TempDir dir;
    const PrinterAdjustment stored = parseToolEdit(fullFile());
    writeToolEdit(dir.path(), stored);

    PrinterAdjustment changed = stored;
    changed[2].printerName = std::string(200, 'P');
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 40; // bytes a file may grow to: the disk is full
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(writeToolEdit(dir.path(), changed), FileError);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, signalBefore);

    EXPECT_EQ(readToolEdit(dir.path()), stored);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
#endif

TEST(AdjustmentGroupChoice, FollowsThePrinterNamesOnlyWithSeveralPrinters) {
    struct Case {
        const char* name1;
        const char* name2;
        const char* name3;
        bool several;
        const char* printer;
        int expectedGroup;
    };
    const Case cases[] = {
        {"A", "B", "C", true, "C", 3},
        {"A", "B", "C", true, "B", 2},
        {"A", "B", "C", true, "A", 1},
        {"A", "B", "C", true, "X", 1},
        {"A", "B", "B", true, "B", 3}, // group 3 is compared first
        {"", "B", "C", true, "B", 1},  // no printer in group 1: never told apart
        {"A", "B", "C", false, "C", 1},
        {"A", "", "", true, "", 1}, // an empty name names no printer
    };
    for (const Case& c : cases) {
        PrinterAdjustment adjustment;
        adjustment[0] = {101, 1, 0, 0, c.name1};
        adjustment[1] = {102, 1, 0, 0, c.name2};
        adjustment[2] = {103, 1, 0, 0, c.name3};
        const AdjustmentGroup& chosen = chooseAdjustmentGroup(adjustment, c.several, c.printer);
        EXPECT_EQ(chosen.numerator, 100 + c.expectedGroup)
            << c.name1 << "/" << c.name2 << "/" << c.name3 << " several=" << c.several
            << " printer=" << c.printer;
    }
}

} // namespace
} // namespace mivora::test
