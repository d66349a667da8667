#include "store/onethread.h"

#include <sqlite3.h>

namespace mivora {

void useTablesFromOneThread() {
    // Both refuse once SQLite has started, which leaves it as safe as it was.
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

} // namespace mivora
