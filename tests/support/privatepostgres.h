#pragma once
// The PostgreSQL servers of the tests: the one CTest started for the whole run
// (its folder is MIVORA_TEST_POSTGRES_DIR), or, when a test program runs on its
// own, a private one started at first use and stopped at the program's end.
// Every test gets a schema of its own on it. The Windows programs under wine
// reach CTest's server over TCP alone.

#include <filesystem>
#include <string>

namespace mivora::test {

// A server of one test's own, for tests that stop it midway.
class PrivateServer {
  public:
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    const std::string& connection() const { return connection_; }
    std::string tlsConnection() const;
    // Stops the server, keeping its data, and starts it again.
    void halt();
    void resume();

  private:
    std::filesystem::path dir_;
    std::string connection_;
};

// The connection string of a new, empty schema; the test's tables go there.
std::string freshServerSchema();

// The shared server over TCP with TLS required (sslmode=require), as another PC
// reaches it.
std::string tlsServer();

// Writes CARDATA.conn into the data folder, pointing at a new schema of the
// given server (the shared one when empty), and returns its connection string.
std::string useServerFor(const std::filesystem::path& dataFolder, std::string server = "");

} // namespace mivora::test
