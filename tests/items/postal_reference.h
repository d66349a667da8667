#pragma once
// The postal lookup as a plain reading of the list from its first line on, for
// every address: slow, but each rule stands on its own line. The indexed lookup of
// items/postal.h must give exactly its answers; the tests and the benchmark hold
// one against the other.

#include "items/postal.h"

#include <string>
#include <string_view>
#include <vector>

namespace mivora::test {

class PostalReference {
  public:
    // bytes: the content of a KEN_ALL.CSV file. Only the lines are found here; the
    // fields are read anew by every lookup.
    explicit PostalReference(std::string bytes);

    PostalAnswer lookup(std::string_view address, int mode) const;

    // The same for many addresses: one reading of the list serves them all, each
    // address with its own state, as if each were read alone.
    std::vector<PostalAnswer> lookupAll(const std::vector<std::string>& addresses, int mode) const;

    struct Reading;
    struct ListLine;

  private:
    void read(std::vector<Reading*> readings) const;

    std::string bytes_;
    std::vector<std::string_view> lines_;
};

} // namespace mivora::test
