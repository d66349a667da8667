#include "text/codec.h"

#include "text/errors.h"

#include <array>
#include <cstdint>
#include <iconv.h>
#include <unordered_map>

namespace mivora {

namespace {

constexpr char32_t kEscapeBase = 0xF0000;

bool isCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

class Iconv {
  public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw ConversionError("文字コード変換 (CP932) を利用できません。");
    }
    ~Iconv() { iconv_close(handle_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts a whole input; false when any of it does not convert.
    bool convert(const std::string& in, std::string& out) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
            return false;
        if (iconv(handle_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1))
            return false;
        out.assign(buffer, outPtr);
        return inLeft == 0;
    }

  private:
    iconv_t handle_;
};

// Code points of every CP932 character that survives the trip there and back,
// and the way back for each of them.
class Tables {
  public:
    Tables() {
        Iconv decoder("UTF-32LE", "CP932");
        Iconv encoder("CP932", "UTF-32LE");
        auto learn = [&](const std::string& bytes, char32_t& slot) {
            std::string utf32, back;
            if (!decoder.convert(bytes, utf32) || utf32.size() != 4)
                return;
            char32_t cp = static_cast<unsigned char>(utf32[0]) |
                          static_cast<unsigned char>(utf32[1]) << 8 |
                          static_cast<unsigned char>(utf32[2]) << 16 |
                          static_cast<char32_t>(static_cast<unsigned char>(utf32[3])) << 24;
            if (!encoder.convert(utf32, back) || back != bytes)
                return;
            slot = cp;
            encode_.emplace(cp, bytes);
        };
        single_.fill(0);
        pair_.fill(0);
        for (int b = 0; b < 256; ++b)
            if (!isCp932Lead(static_cast<unsigned char>(b)))
                learn(std::string(1, static_cast<char>(b)), single_[b]);
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932Lead(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                learn(std::string{static_cast<char>(lead), static_cast<char>(trail)},
                      pair_[lead << 8 | trail]);
        }
        single_[0] = 0; // NUL decodes to U+0000, which is also "unknown" in the table
        encode_[0] = std::string(1, '\0');
    }

    // 0 when the byte is no character of its own (NUL is handled by the caller).
    char32_t single(unsigned char b) const { return single_[b]; }
    char32_t pair(unsigned char lead, unsigned char trail) const {
        return pair_[lead << 8 | trail];
    }
    const std::string* encode(char32_t cp) const {
        auto found = encode_.find(cp);
        return found == encode_.end() ? nullptr : &found->second;
    }

  private:
    std::array<char32_t, 256> single_;
    std::array<char32_t, 65536> pair_;
    std::unordered_map<char32_t, std::string> encode_;
};

const Tables& tables() {
    static const Tables instance;
    return instance;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one code point at pos; false for malformed UTF-8.
bool readUtf8(std::string_view text, std::size_t& pos, char32_t& cp) {
    unsigned char b = static_cast<unsigned char>(text[pos]);
    int extra;
    char32_t minimum;
    if (b < 0x80) {
        cp = b, extra = 0, minimum = 0;
    } else if ((b & 0xE0) == 0xC0) {
        cp = b & 0x1F, extra = 1, minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        cp = b & 0x0F, extra = 2, minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        cp = b & 0x07, extra = 3, minimum = 0x10000;
    } else {
        return false;
    }
    if (pos + extra >= text.size())
        return false;
    for (int i = 1; i <= extra; ++i) {
        unsigned char c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80)
            return false;
        cp = cp << 6 | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    pos += extra + 1;
    return true;
}

} // namespace

std::string toUtf8(std::string_view cp932) {
    const Tables& t = tables();
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    for (std::size_t i = 0; i < cp932.size();) {
        unsigned char b = static_cast<unsigned char>(cp932[i]);
        if (isCp932Lead(b) && i + 1 < cp932.size()) {
            if (char32_t cp = t.pair(b, static_cast<unsigned char>(cp932[i + 1]))) {
                appendUtf8(out, cp);
                i += 2;
                continue;
            }
        }
        char32_t cp = b == 0 ? 0 : t.single(b);
        appendUtf8(out, b == 0 || cp ? cp : kEscapeBase + b);
        ++i;
    }
    return out;
}

std::string fromUtf8(std::string_view utf8) {
    const Tables& t = tables();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        if (!readUtf8(utf8, i, cp))
            throw ConversionError("文字列が UTF-8 として正しくありません。");
        if (cp >= kEscapeBase && cp < kEscapeBase + 256) {
            out += static_cast<char>(cp - kEscapeBase);
        } else if (const std::string* bytes = t.encode(cp)) {
            out += *bytes;
        } else {
            std::string shown;
            appendUtf8(shown, cp);
            throw ConversionError("「" + shown + "」は Shift-JIS で表せない文字です。");
        }
    }
    return out;
}

} // namespace mivora
