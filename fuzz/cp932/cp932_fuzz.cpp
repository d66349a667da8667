// CP932 <-> UTF-8: every byte string comes back exactly, and any UTF-8 input either
// converts or is refused with a ConversionError.

#include "../support.h"

#include "text/codec.h"
#include "text/errors.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = mivora::fuzz::bytesOf(data, size);
    if (mivora::fromUtf8(mivora::toUtf8(bytes)) != bytes)
        std::abort();
    try {
        const std::string cp932 = mivora::fromUtf8(bytes);
        if (mivora::fromUtf8(mivora::toUtf8(cp932)) != cp932)
            std::abort();
    } catch (const mivora::ConversionError&) {
    }
    mivora::compareAsCp932(bytes.substr(0, size / 2), bytes.substr(size / 2));
    return 0;
}
