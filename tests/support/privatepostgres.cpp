#include "support/privatepostgres.h"

#include "store/postgres.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace mivora::test {

namespace {

namespace fs = std::filesystem;

std::string runScript(const std::string& action, const fs::path& dir) {
    const std::string command =
        "bash " MIVORA_SOURCE_DIR "/scripts/pgserver.sh " + action + " " + dir.string();
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

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line))
        throw std::runtime_error("no connection string in " + file.string());
    return line;
}

// The folder of the server that CTest started for the whole run, or of this
// program's own.
const fs::path& sharedServerDir() {
    static std::unique_ptr<PrivateServer> own;
    static const fs::path dir = [] {
        const fs::path started(MIVORA_TEST_POSTGRES_DIR);
        if (fs::exists(started / "tls.conn"))
            return started;
        own = std::make_unique<PrivateServer>();
        return own->dir();
    }();
    return dir;
}

std::string sharedServer() {
    return firstLine(sharedServerDir() / "local.conn");
}

std::string schemaOn(const std::string& server) {
    static int made = 0;
    const std::string schema = "test_" + std::to_string(getpid()) + "_" + std::to_string(++made);
    PostgresDatabase(server, "").exec("CREATE SCHEMA " + schema);
    return server + " options='-csearch_path=" + schema + "'";
}

} // namespace

PrivateServer::PrivateServer() {
    static int started = 0;
    dir_ = fs::temp_directory_path() /
           ("mivora-pg-" + std::to_string(getpid()) + "-" + std::to_string(++started));
    connection_ = runScript("start", dir_);
}

std::string PrivateServer::tlsConnection() const {
    return firstLine(dir_ / "tls.conn");
}

PrivateServer::~PrivateServer() {
    try {
        runScript("stop", dir_);
    } catch (const std::exception&) {
        // The folder is under the temp folder; nothing else to do.
    }
}

void PrivateServer::halt() {
    runScript("halt", dir_);
}

void PrivateServer::resume() {
    runScript("resume", dir_);
}

std::string freshServerSchema() {
    return schemaOn(sharedServer());
}

std::string tlsServer() {
    return firstLine(sharedServerDir() / "tls.conn");
}

std::string useServerFor(const fs::path& dataFolder, std::string server) {
    const std::string connection = schemaOn(server.empty() ? sharedServer() : server);
    fs::create_directories(dataFolder);
    std::ofstream(dataFolder / "CARDATA.conn") << connection << "\n";
    return connection;
}

} // namespace mivora::test
