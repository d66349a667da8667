#include "support/privatepostgres.h"

#include "store/postgres.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace mivora::test {

namespace {

namespace fs = std::filesystem;

std::string runScript(const std::string& arguments) {
    const std::string command = "bash " MIVORA_SOURCE_DIR "/scripts/pgserver.sh " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (pclose(pipe) != 0)
        throw std::runtime_error(command + " failed");
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return output;
}

class Server {
  public:
    Server() {
        if (fs::exists(fs::path(MIVORA_TEST_POSTGRES_DIR) / ".s.PGSQL.5432")) {
            connection_ = "host=" MIVORA_TEST_POSTGRES_DIR " dbname=postgres user=postgres";
            return;
        }
        own_ = fs::temp_directory_path() / ("mivora-pg-" + std::to_string(getpid()));
        connection_ = runScript("start " + own_.string());
    }
    ~Server() {
        if (!own_.empty())
            runScript("stop " + own_.string());
    }
    const std::string& connection() const { return connection_; }

  private:
    fs::path own_;
    std::string connection_;
};

} // namespace

std::string freshServerSchema() {
    static Server server;
    static int made = 0;
    const std::string schema = "test_" + std::to_string(getpid()) + "_" + std::to_string(++made);
    PostgresDatabase(server.connection(), "").exec("CREATE SCHEMA " + schema);
    return server.connection() + " options='-csearch_path=" + schema + "'";
}

std::string useServerFor(const fs::path& dataFolder) {
    const std::string connection = freshServerSchema();
    fs::create_directories(dataFolder);
    std::ofstream(dataFolder / "CARDATA.conn") << connection << "\n";
    return connection;
}

} // namespace mivora::test
