#include "platform/codepage.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace mivora {

namespace {

std::string bytesOf(unsigned code) {
    std::string bytes;
    if (code > 0xFF)
        bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
    return bytes;
}

} // namespace

#ifdef _WIN32

char32_t cp932Character(unsigned code) {
    const std::string bytes = bytesOf(code);
    wchar_t wide[4];
    const int length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), wide, 4);
    return length == 1 ? static_cast<char32_t>(wide[0]) : 0;
}

#else

namespace {

class Decoder {
  public:
    Decoder() : handle_(iconv_open("UTF-32LE", "CP932")) {}
    ~Decoder() {
        if (usable())
            iconv_close(handle_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    bool usable() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    char32_t character(std::string bytes) {
        if (!usable())
            return 0;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        unsigned char utf32[16];
        char* in = bytes.data();
        std::size_t inLeft = bytes.size();
        char* out = reinterpret_cast<char*>(utf32);
        std::size_t outLeft = sizeof utf32;
        const auto failed = static_cast<std::size_t>(-1);
        if (iconv(handle_, &in, &inLeft, &out, &outLeft) == failed || inLeft != 0 ||
            iconv(handle_, nullptr, nullptr, &out, &outLeft) == failed ||
            sizeof utf32 - outLeft != 4)
            return 0;
        return utf32[0] | utf32[1] << 8 | utf32[2] << 16 | static_cast<char32_t>(utf32[3]) << 24;
    }

  private:
    iconv_t handle_;
};

} // namespace

char32_t cp932Character(unsigned code) {
    thread_local Decoder decoder;
    return decoder.character(bytesOf(code));
}

#endif

} // namespace mivora
