#pragma once
// Zip files of the national postal list, made the way it is published (one
// KEN_ALL.CSV, deflated) or wrongly, from the excerpt of the real list.

#include "platform/paths.h"
#include "text/lines.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace mivora::test {

struct ZipEntry {
    std::string name;
    std::string bytes;
    bool stored = false; // packed without compression, so that its bytes lie open in the file
};

inline void writeZip(const std::filesystem::path& file, const std::vector<ZipEntry>& entries) {
    int code = 0;
    zip_t* archive = zip_open(mivora::pathText(file).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr) << code;
    for (const ZipEntry& entry : entries) {
        zip_source_t* source =
            zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
        const zip_int64_t index =
            zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << zip_strerror(archive);
        if (entry.stored)
            zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

// The 40 lines of the excerpt, CP932 with CR LF, as the list's lines are.
inline std::string excerptList() {
    return readBytes(std::filesystem::path(MIVORA_TEST_DATA) / "ken_all_excerpt.csv");
}

// A list of the whole country: the excerpt and the first line of every other
// prefecture, in the order of the prefectures' codes as in the published list.
inline std::string countryList() {
    std::vector<std::string> lines;
    for (const char* file : {"ken_all_excerpt.csv", "ken_all_other_prefectures.csv"}) {
        const std::string bytes = readBytes(std::filesystem::path(MIVORA_TEST_DATA) / file);
        for (std::size_t pos = 0; pos < bytes.size();) {
            const std::size_t end = bytes.find("\r\n", pos);
            lines.push_back(bytes.substr(pos, end + 2 - pos));
            pos = end + 2;
        }
    }
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return a.compare(0, 2, b, 0, 2) < 0;
    });
    std::string list;
    for (const std::string& line : lines)
        list += line;
    return list;
}

inline void writePublishedZip(const std::filesystem::path& file, const std::string& list) {
    writeZip(file, {{"KEN_ALL.CSV", list}});
}

} // namespace mivora::test
