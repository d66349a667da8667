#pragma once
// SQLite locks around every call into it, for programs that share a connection
// between threads. A headless command uses each table from its one thread only,
// and restore and backup make millions of such calls.

namespace mivora {

// Lets SQLite leave that locking out. Takes effect only before the first table
// is opened in the process; later it changes nothing.
void useTablesFromOneThread();

} // namespace mivora
