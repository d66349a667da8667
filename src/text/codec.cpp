#include "text/codec.h"

#include "platform/codepage.h"
#include "text/errors.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace mivora {

namespace {

constexpr char32_t kEscapeBase = 0xF0000;

bool isCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Two-byte codes that Windows reads as the same character as another code
// (NEC row 13 and both IBM extension blocks repeat each other and JIS rows) read
// as that character followed by one of these variation selectors, which fonts
// draw as nothing: the text shows, searches and prints as the character, and the
// selector takes it back to the code it was read from. Text typed without one
// enters as the code Windows itself writes. FE00 marks a code in the NEC rows
// (0x87, 0xED, 0xEE), FE01 one in the IBM rows (0xFA-0xFC); no character has two
// other codes in the same kind of row.
constexpr char32_t kAlternateMarker = 0xFE00;
constexpr int kAlternateMarkers = 2;
// Where a pair's table entry keeps which marker follows its code point (0: none).
constexpr int kMarkerShift = 24;
constexpr char32_t kCodePointMask = (char32_t{1} << kMarkerShift) - 1;

// 1 or 2 when text holds the first or second marker at pos, else 0.
int markerAt(std::string_view text, std::size_t pos) {
    if (pos + 3 > text.size() || text[pos] != '\xEF' || text[pos + 1] != '\xB8')
        return 0;
    const unsigned char last = static_cast<unsigned char>(text[pos + 2]);
    const unsigned char first = 0x80 | (kAlternateMarker & 0x3F);
    return last >= first && last < first + kAlternateMarkers ? last - first + 1 : 0;
}

// Which of a character's codes Windows writes: the lowest rank.
int windowsRank(std::uint16_t code) {
    const int lead = code >> 8;
    if (lead == 0x87)
        return 1;
    if (lead >= 0xFA && lead <= 0xFC)
        return 2;
    if (lead == 0xED || lead == 0xEE)
        return 3;
    return 0;
}

// The marker of a code that Windows does not write, counted from 1.
int markerOf(std::uint16_t code) {
    return code >> 8 >= 0xFA ? 2 : 1;
}

// Code points of every CP932 character, and the way back for each of them.
class Tables {
  public:
    Tables() {
        if (cp932Character(0x8140) != 0x3000)
            throw ConversionError("文字コード変換 (CP932) を利用できません。");
        single_.fill(0);
        pair_.fill(0);
        encode_.fill(0);
        for (unsigned b = 1; b < 0x100; ++b) {
            const char32_t cp = isCp932Lead(static_cast<unsigned char>(b)) ? 0 : cp932Character(b);
            // The bytes that Windows maps to control or private characters of
            // its own (0x80, 0xA0, 0xFD-0xFF) stay bytes, as elsewhere.
            if (cp == b || (cp >= 0xFF61 && cp <= 0xFF9F)) {
                single_[b] = cp;
                encode_[cp] = static_cast<std::uint16_t>(b);
            }
        }
        // Every code first, so that each character's code for writing is known
        // before the others are marked.
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932Lead(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
                const char32_t cp = cp932Character(code);
                if (cp == 0 || cp >= encode_.size())
                    continue;
                pair_[code] = cp;
                std::uint16_t& written = encode_[cp];
                if (written == 0 || (written > 0xFF && windowsRank(code) < windowsRank(written)))
                    written = code;
            }
        }
        for (std::size_t code = 0; code < pair_.size(); ++code) {
            const char32_t cp = pair_[code];
            if (cp == 0 || encode_[cp] == code)
                continue;
            const int marker = markerOf(static_cast<std::uint16_t>(code));
            const std::uint32_t key = alternateKey(cp, marker);
            if (alternate(key) != 0) {
                pair_[code] = 0; // travels escaped, as a code without a character does
                continue;
            }
            alternates_.insert(std::upper_bound(alternates_.begin(), alternates_.end(),
                                                std::pair{key, std::uint16_t{0}}),
                               {key, static_cast<std::uint16_t>(code)});
            pair_[code] = cp | static_cast<char32_t>(marker) << kMarkerShift;
        }
        learnJisVariants();
    }

    // 0 when the byte is no character of its own (NUL is handled by the caller).
    char32_t single(unsigned char b) const { return single_[b]; }
    // The code point, with the marker that follows it above kMarkerShift.
    char32_t pair(unsigned char lead, unsigned char trail) const {
        return pair_[lead << 8 | trail];
    }
    // Writes the CP932 bytes of cp, read from text just before pos, at out: a
    // marker at pos that takes cp to another code is taken too. Returns the end
    // of what was written, or nullptr when cp has no code. Every CP932 character
    // lies in the Basic Multilingual Plane.
    char* encode(char32_t cp, std::string_view text, std::size_t& pos, char* out) const {
        if (cp == 0) {
            *out = '\0';
            return out + 1;
        }
        std::uint16_t code = cp < encode_.size() ? encode_[cp] : 0;
        if (code == 0)
            return nullptr;
        if (int marker = markerAt(text, pos)) {
            if (std::uint16_t other = alternate(alternateKey(cp, marker))) {
                code = other;
                pos += 3;
            }
        }
        if (code > 0xFF)
            *out++ = static_cast<char>(code >> 8);
        *out = static_cast<char>(code & 0xFF);
        return out + 1;
    }

  private:
    // Linux input methods and other programs type the JIS standard's code points
    // for symbols that CP932 holds under other ones; they enter as CP932's symbol
    // and read back as CP932's own character.
    void learnJisVariants() {
        static constexpr std::pair<char32_t, std::uint16_t> kVariants[] = {
            {0x301C, 0x8160}, // WAVE DASH
            {0x2212, 0x817C}, // MINUS SIGN
            {0x2016, 0x8161}, // DOUBLE VERTICAL LINE
            {0x00A2, 0x8191}, // CENT SIGN
            {0x00A3, 0x8192}, // POUND SIGN
            {0x00AC, 0x81CA}, // NOT SIGN
            {0x2014, 0x815C}, // EM DASH
        };
        for (const auto& [cp, code] : kVariants)
            if (encode_[cp] == 0)
                encode_[cp] = code;
    }

    static std::uint32_t alternateKey(char32_t cp, int marker) {
        return static_cast<std::uint32_t>(cp) << 2 | static_cast<std::uint32_t>(marker);
    }
    std::uint16_t alternate(std::uint32_t key) const {
        auto it = std::lower_bound(alternates_.begin(), alternates_.end(),
                                   std::pair{key, std::uint16_t{0}});
        return it != alternates_.end() && it->first == key ? it->second : 0;
    }

    std::array<char32_t, 256> single_;
    std::array<char32_t, 65536> pair_;
    std::array<std::uint16_t, 0x10000> encode_; // code point -> CP932 code, 0 for none
    // (code point, marker) -> the code Windows does not write, sorted
    std::vector<std::pair<std::uint32_t, std::uint16_t>> alternates_;
};

const Tables& tables() {
    static const Tables instance;
    return instance;
}

// Writes the UTF-8 bytes of cp at out (at most four); returns their end.
char* putUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | cp >> 6);
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | cp >> 12);
        *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | cp >> 18);
        *out++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    char bytes[4];
    out.append(bytes, putUtf8(bytes, cp));
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

// The common case of readUtf8 on its own, for the loops that convert whole
// records: kana, kanji and full-width forms are all three bytes long. False,
// with pos untouched, for anything else.
inline bool readThreeByteUtf8(std::string_view text, std::size_t& pos, char32_t& cp) {
    if (pos + 2 >= text.size())
        return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data()) + pos;
    if ((bytes[0] & 0xF0) != 0xE0 || (bytes[1] & 0xC0) != 0x80 || (bytes[2] & 0xC0) != 0x80)
        return false;
    cp = static_cast<char32_t>(bytes[0] & 0x0F) << 12 |
         static_cast<char32_t>(bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F);
    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    pos += 3;
    return true;
}

// Copies the run of ASCII at text[pos] to out eight bytes at a time, as far as
// whole words go: most fields are digits, dates and plate numbers. Both encodings
// write ASCII as it is; with stopAtNul, a word that holds a NUL byte is left to
// the caller.
inline void copyAsciiWords(std::string_view text, std::size_t& pos, char*& out,
                           bool stopAtNul = false) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    while (pos + 8 <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        if ((word & kHighBits) || (stopAtNul && ((word - kOnes) & ~word & kHighBits)))
            return;
        std::memcpy(out, &word, 8);
        out += 8;
        pos += 8;
    }
}

} // namespace

std::string toUtf8(std::string_view cp932) {
    std::string out;
    toUtf8(cp932, out);
    return out;
}

void toUtf8(std::string_view cp932, std::string& out) {
    const Tables& t = tables();
    // Written through a pointer into room for the longest outcome: a byte may
    // become four (an escaped byte), a pair three.
    out.resize(cp932.size() * 4);
    char* end = out.data();
    for (std::size_t i = 0; i < cp932.size();) {
        copyAsciiWords(cp932, i, end, true);
        if (i == cp932.size())
            break;
        unsigned char b = static_cast<unsigned char>(cp932[i]);
        // A NUL travels as a byte without a character: a server's text cannot hold it.
        if (b < 0x80 && b != 0) { // the same in both
            *end++ = static_cast<char>(b);
            ++i;
            continue;
        }
        if (isCp932Lead(b) && i + 1 < cp932.size()) {
            if (char32_t cp = t.pair(b, static_cast<unsigned char>(cp932[i + 1]))) {
                end = putUtf8(end, cp & kCodePointMask);
                if (cp > kCodePointMask)
                    end = putUtf8(end, kAlternateMarker + (cp >> kMarkerShift) - 1);
                i += 2;
                continue;
            }
        }
        char32_t cp = t.single(b);
        end = putUtf8(end, cp ? cp : kEscapeBase + b);
        ++i;
    }
    out.resize(static_cast<std::size_t>(end - out.data()));
}

namespace {

constexpr char32_t kMalformed = 0xFFFFFFFF;

// Writes the CP932 bytes of utf8 at out, which has room for utf8.size() bytes (no
// character has more CP932 bytes than UTF-8 bytes), up to the first code point
// that does not convert. Returns where it stopped; failed is then that code
// point (kMalformed for text that is not UTF-8), else left alone.
std::size_t writeCp932(std::string_view utf8, char*& out, char32_t& failed) {
    const Tables& t = tables();
    std::size_t i = 0;
    while (i < utf8.size()) {
        copyAsciiWords(utf8, i, out);
        if (i == utf8.size())
            break;
        if (static_cast<unsigned char>(utf8[i]) < 0x80) { // the same in both
            *out++ = utf8[i++];
            continue;
        }
        const std::size_t start = i;
        char32_t cp;
        if (!readThreeByteUtf8(utf8, i, cp) && !readUtf8(utf8, i, cp)) {
            failed = kMalformed;
            return start;
        }
        if (cp >= kEscapeBase && cp < kEscapeBase + 256) {
            *out++ = static_cast<char>(cp - kEscapeBase);
        } else if (char* end = t.encode(cp, utf8, i, out)) {
            out = end;
        } else {
            failed = cp;
            return start;
        }
    }
    return i;
}

// Converts utf8 and appends it to out; returns where the conversion stopped
// (utf8.size() when all of it converted), with failed set as writeCp932 does.
std::size_t appendConverted(std::string_view utf8, std::string& out, char32_t& failed) {
    const std::size_t before = out.size();
    out.resize(before + utf8.size());
    char* end = out.data() + before;
    const std::size_t stopped = writeCp932(utf8, end, failed);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return stopped;
}

} // namespace

std::string fromUtf8(std::string_view utf8) {
    std::string out;
    fromUtf8(utf8, out);
    return out;
}

void fromUtf8(std::string_view utf8, std::string& out) {
    out.clear();
    char32_t failed = 0;
    const std::size_t stopped = appendConverted(utf8, out, failed);
    if (failed == kMalformed)
        throw ConversionError("文字列が UTF-8 として正しくありません。");
    if (failed != 0) {
        // The character alone may show as an empty box in a font without it: its
        // code and place let the user find it in the text all the same.
        std::size_t place = 1;
        for (std::size_t i = 0; i < stopped; ++i)
            place += (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(failed));
        std::string shown;
        appendUtf8(shown, failed);
        throw ConversionError(std::to_string(place) + " 文字目の「" + shown + "」(" + code +
                              ") は Shift-JIS で表せない文字です。");
    }
}

namespace {

// The CP932 bytes of a UTF-8 text, one at a time, without building the text. Text
// that does not convert yields its UTF-8 bytes from there on.
class Cp932Bytes {
  public:
    explicit Cp932Bytes(std::string_view utf8) : utf8_(utf8) {}

    // The next byte, or -1 at the end.
    int next() {
        if (pending_ < pendingSize_)
            return static_cast<unsigned char>(pendingBytes_[pending_++]);
        if (pos_ >= utf8_.size())
            return -1;
        if (raw_)
            return static_cast<unsigned char>(utf8_[pos_++]);
        std::size_t start = pos_;
        char32_t cp;
        char* end = nullptr;
        if (!readUtf8(utf8_, pos_, cp) || !(end = encodeOne(cp, pendingBytes_))) {
            raw_ = true;
            pos_ = start;
            return static_cast<unsigned char>(utf8_[pos_++]);
        }
        pendingSize_ = static_cast<std::size_t>(end - pendingBytes_);
        pending_ = 1;
        return static_cast<unsigned char>(pendingBytes_[0]);
    }

  private:
    char* encodeOne(char32_t cp, char* bytes) {
        if (cp >= kEscapeBase && cp < kEscapeBase + 256) {
            *bytes = static_cast<char>(cp - kEscapeBase);
            return bytes + 1;
        }
        return tables().encode(cp, utf8_, pos_, bytes);
    }

    std::string_view utf8_;
    std::size_t pos_ = 0;
    bool raw_ = false;
    char pendingBytes_[2] = {0, 0};
    std::size_t pending_ = 0;
    std::size_t pendingSize_ = 0;
};

} // namespace

int compareAsCp932(std::string_view utf8A, std::string_view utf8B) {
    // Equal code points convert to equal bytes: only the rest from the first
    // differing code point needs converting.
    std::size_t same =
        std::mismatch(utf8A.begin(), utf8A.end(), utf8B.begin(), utf8B.end()).first - utf8A.begin();
    while (same > 0 && same < utf8A.size() && same < utf8B.size() &&
           (static_cast<unsigned char>(utf8A[same]) & 0xC0) == 0x80)
        --same;
    // A marker right after the equal part changes the code of the code point before
    // it: start one code point earlier, or two when that one is a marker itself.
    for (int step = 0; step < 2 && same > 0; ++step) {
        do
            --same;
        while (same > 0 && (static_cast<unsigned char>(utf8A[same]) & 0xC0) == 0x80);
        if (!markerAt(utf8A, same))
            break;
    }
    Cp932Bytes a(utf8A.substr(same)), b(utf8B.substr(same));
    for (;;) {
        int x = a.next(), y = b.next();
        if (x != y)
            return x < y ? -1 : 1;
        if (x == -1)
            return 0;
    }
}

void appendAsCp932(std::string_view utf8, std::string& out) {
    char32_t failed = 0;
    const std::size_t stopped = appendConverted(utf8, out, failed);
    out.append(utf8.substr(stopped)); // as compareAsCp932 sees the rest
}

} // namespace mivora
