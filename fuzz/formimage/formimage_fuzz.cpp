// Form images, JPEG or BMP, decoded at their own size and at a page's.

#include "../support.h"

#include "print/formimage.h"
#include "text/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = mivora::fuzz::scratchFolder() / "form.img";
    mivora::fuzz::writeFile(file, mivora::fuzz::bytesOf(data, size));
    for (QSize fit : {QSize(), QSize(40, 30)}) {
        try {
            mivora::decodeFormImage(file, fit);
        } catch (const mivora::FileError&) {
        }
    }
    return 0;
}
