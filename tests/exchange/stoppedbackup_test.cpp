// A real `mivora backup` process stopped at each of its writes, syncs, renames and
// removals in the backup folder (strace stops it there with a full disk or with a
// kill): whatever point it was stopped at, restoring the pair gives back either the
// records of the backup before or those of the new one.

#include "exchange/exchange.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "support/tempdir.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sys/wait.h>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

using Records = std::vector<std::vector<std::string>>;

std::string quoted(const fs::path& path) {
    std::string text = "'";
    text += path.string();
    return text + "'";
}

// The system call a line of strace names: the lower-case word before its "(", or
// nothing for a line that starts otherwise.
std::string callName(const std::string& line) {
    const std::size_t open = line.find('(');
    if (open == 0 || open == std::string::npos)
        return {};
    const bool word =
        std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(open), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        });
    return word ? line.substr(0, open) : std::string();
}

int shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The 47 columns of every vehicle, in no particular order.
Records recordsIn(const fs::path& dataFolder) {
    Table vehicles(tablePath(dataFolder, vehicleTable()));
    vehicles.open();
    const auto columns = columnIndexes(vehicles);
    Records records;
    vehicles.forEach([&](const std::vector<std::string>& row) {
        records.emplace_back();
        for (int column : columns)
            records.back().push_back(row[column]);
    });
    std::sort(records.begin(), records.end());
    return records;
}

// One system call of the backup that touches the backup folder: its name and its
// number among the calls of that name.
struct StopPoint {
    std::string call;
    int invocation;
};

class StoppedBackupTest : public ::testing::Test {
  protected:
    StoppedBackupTest() {
        createTables(data_);
        fillSampleData(data_);
        fs::create_directory(out_);
    }

    std::string backupCommand() const {
        return std::string(MIVORA_BINARY) + " backup " + quoted(out_ / "pair.TXT") +
               " --row 1 --cardata " + quoted(data_) + " >/dev/null 2>" + quoted(errors_);
    }

    int restore() const {
        return shell(std::string(MIVORA_BINARY) + " restore " + quoted(out_ / "pair.TXT") +
                     " --cardata " + quoted(data_) + " >/dev/null 2>&1");
    }

    // The tables and the folder as they stand now, to go back to before each stop.
    void keepState() {
        for (const fs::path& file : fs::directory_iterator(data_))
            saved_[file] = readBytes(file);
        for (const fs::path& file : fs::directory_iterator(out_))
            saved_[file] = readBytes(file);
    }
    void backToState() {
        fs::remove_all(out_);
        fs::create_directory(out_);
        for (const auto& [file, bytes] : saved_)
            std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    }

    // A name as strace writes it: bytes beyond ASCII in octal.
    static std::string asTraced(const std::string& name) {
        std::string traced;
        for (unsigned char c : name) {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            traced += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string(octal);
        }
        return traced;
    }

    // The calls of one whole backup that touch the backup folder.
    std::vector<StopPoint> stopPoints() {
        const fs::path log = dir_.path() / "calls.log";
        const std::string traced = "write,fsync,rename,renameat,renameat2,openat,unlink,unlinkat";
        EXPECT_EQ(shell("strace -qq -y -o " + quoted(log) + " -e trace=" + traced + " " +
                        backupCommand()),
                  0);
        std::vector<StopPoint> points;
        std::map<std::string, int> counts;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) {
            const std::string call = callName(line);
            if (call.empty())
                continue;
            const int invocation = ++counts[call];
            if (line.find(asTraced(out_.string())) != std::string::npos)
                points.push_back({call, invocation});
        }
        return points;
    }

    TempDir dir_;
    fs::path data_ = dir_.path() / "CARDATA";
    fs::path out_ = dir_.path() / "out";
    fs::path errors_ = dir_.path() / "errors.txt";
    std::map<fs::path, std::string> saved_;
};

TEST_F(StoppedBackupTest, APairStoppedAnywhereRestoresOldOrNewRecords) {
    if (shell("strace -qq -o /dev/null true") != 0)
        GTEST_SKIP() << "strace cannot trace here";
    ASSERT_EQ(shell(backupCommand()), 0);
    const Records before = recordsIn(data_);
    {
        Table vehicles(tablePath(data_, vehicleTable()));
        vehicles.open();
        vehicles.setText(sj("使用者"), std::string(56, 'N')); // wider than its count of 40
        vehicles.next();
        vehicles.setText(sj("電話番号"), "099-999-9999");
        vehicles.post();
    }
    const Records after = recordsIn(data_);
    ASSERT_NE(before, after);
    keepState();

    const std::vector<StopPoint> points = stopPoints();
    ASSERT_GE(points.size(), 8u); // writes, syncs and renames of both files and the journal
    for (const StopPoint& point : points)
        for (const char* stop : {"error=ENOSPC", "signal=KILL"}) {
            SCOPED_TRACE(point.call + " #" + std::to_string(point.invocation) + " " + stop);
            backToState();
            const int status =
                shell("strace -qq -o /dev/null -e inject=" + point.call + ":" + stop +
                      ":when=" + std::to_string(point.invocation) + " " + backupCommand());
            if (status != 0 && std::string(stop) == "error=ENOSPC") {
                const std::string message = readBytes(errors_);
                EXPECT_NE(message.find("pair.TXT"), std::string::npos) << message;
                EXPECT_NE(message.find("pair.TIF"), std::string::npos) << message;
            }
            ASSERT_EQ(restore(), 0);
            const Records restored = recordsIn(data_);
            EXPECT_TRUE(restored == before || restored == after);
        }

    // A backup killed halfway leaves its temporary files; the next one removes them.
    backToState();
    shell("strace -qq -o /dev/null -e inject=" + points[1].call +
          ":signal=KILL:when=" + std::to_string(points[1].invocation) + " " + backupCommand());
    ASSERT_EQ(shell(backupCommand()), 0);
    std::vector<std::string> left;
    for (const fs::path& file : fs::directory_iterator(out_))
        left.push_back(file.filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"pair.TIF", "pair.TXT"}));
}

} // namespace
} // namespace mivora::test
