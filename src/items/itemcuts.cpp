#include "items/itemcuts.h"

#include "items/charconv.h"
#include "items/charsearch.h"
#include "text/sjis.h"

namespace mivora {

namespace {

// The first full-width digit at or after from, walking whole characters.
std::size_t nextFullDigit(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); i += charLength(text, i))
        if (isFullDigitAt(text, i))
            return i;
    return kNotFound;
}

std::size_t endOfFullDigits(std::string_view text, std::size_t from) {
    std::size_t i = from;
    while (i < text.size() && isFullDigitAt(text, i))
        i += 2;
    return i;
}

std::string_view trimBlanks(std::string_view text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// What follows the first separator, padded on the left with pad up to width bytes;
// the text unchanged without the separator.
std::string afterSeparator(std::string text, std::string_view separator, std::string_view pad,
                           std::size_t width) {
    const std::size_t at = findChars(text, separator);
    if (at == kNotFound)
        return text;
    std::string rest = text.substr(at + separator.size());
    std::string padding;
    while (padding.size() + rest.size() < width)
        padding += pad;
    return padding + rest;
}

} // namespace

std::string platePiece(std::string_view plate, PlatePiece piece) {
    const std::string whole(plate);
    const std::size_t classStart = nextFullDigit(plate, plate.empty() ? 0 : charLength(plate, 0));
    if (classStart == kNotFound)
        return whole;
    if (piece == PlatePiece::FromClass)
        return std::string(plate.substr(classStart));
    if (piece == PlatePiece::Office)
        return std::string(plate.substr(0, classStart));
    const std::size_t classEnd = endOfFullDigits(plate, classStart);
    if (classEnd >= plate.size())
        return whole;
    if (piece == PlatePiece::Class)
        return std::string(plate.substr(classStart, classEnd - classStart));
    const std::size_t serial = nextFullDigit(plate, classEnd);
    if (serial == kNotFound)
        return whole;
    if (piece == PlatePiece::Kana)
        return std::string(plate.substr(classEnd, serial - classEnd));
    return std::string(plate.substr(serial));
}

std::string chassisTail(std::string_view chassis) {
    static const std::string& fullBlank = sj("　");
    static const std::string& fullHyphen = sj("－");
    std::string_view text = trimBlanks(chassis);
    while (endsWithChars(text, fullBlank))
        text.remove_suffix(fullBlank.size());
    std::string tail(tailBytes(text, 14));
    tail = afterSeparator(std::move(tail), fullHyphen, fullBlank, 14);
    return afterSeparator(std::move(tail), "-", " ", 7);
}

std::string chassisMarks(std::string tail, std::string_view mark) {
    CharCheck(tail, 1);
    static const std::string& fullBlank = sj("　");
    const std::string_view blank = mark.size() == 2 ? std::string_view(fullBlank) : " ";
    std::string marks;
    for (std::size_t i = 0; i + 1 < tail.size(); i += 2)
        marks += tail[i] >= '0' && tail[i] <= '9' ? blank : mark;
    return marks;
}

std::string withoutPrefecture(std::string_view address) {
    static const std::string prefectures[] = {sj("東京都"), sj("北海道"), sj("大阪府"),
                                              sj("京都府"), sj("県")};
    for (const std::string& name : prefectures) {
        const std::size_t at = findChars(address, name);
        if (at != kNotFound)
            address.remove_prefix(at + name.size());
    }
    return std::string(address);
}

std::string firstWordOfMake(std::string_view make) {
    make = make.substr(0, make.find(' '));
    static const std::string& fullBlank = sj("　");
    const std::size_t blankAt = findChars(make, fullBlank);
    return std::string(blankAt == kNotFound ? make : make.substr(0, blankAt));
}

} // namespace mivora
