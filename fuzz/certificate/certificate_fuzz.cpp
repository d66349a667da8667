// The electronic certificate file of the viewer app, read into vehicle fields.

#include "../support.h"

#include "certificate/certificate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        mivora::readCertificate(mivora::fuzz::bytesOf(data, size));
    } catch (const mivora::Error&) {
    }
    return 0;
}
