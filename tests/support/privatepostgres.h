#pragma once
// The PostgreSQL server of the tests: the one CTest started for the whole run
// (its folder is MIVORA_TEST_POSTGRES_DIR), or, when a test program runs on its
// own, a private one started at first use and stopped at the program's end.
// Every test gets a schema of its own on it.

#include <filesystem>
#include <string>

namespace mivora::test {

// The connection string of a new, empty schema; the test's tables go there.
std::string freshServerSchema();

// Writes CARDATA.conn into the data folder, pointing at a new schema, and
// returns its connection string.
std::string useServerFor(const std::filesystem::path& dataFolder);

} // namespace mivora::test
