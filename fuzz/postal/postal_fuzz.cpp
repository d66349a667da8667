// The postal list: the input is a KEN_ALL.CSV file whose first line is the address
// looked up in it (and the mode, from the first byte).

#include "../support.h"

#include "items/postal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string bytes = mivora::fuzz::bytesOf(data + 1, size - 1);
    const std::size_t end = bytes.find('\n');
    const std::string address = bytes.substr(0, end);
    const mivora::PostalList list(end == std::string::npos ? "" : bytes.substr(end + 1));
    list.lookup(address, data[0] % 3);
    list.lookup(address + address, 1);
    return 0;
}
