// Included by the benchmark too, so it reaches its header by a relative path.
#include "postal_reference.h"

#include "items/charconv.h"
#include "text/sjis.h"

#include <bitset>
#include <cstring>
#include <string>
#include <utility>

namespace mivora::test {

struct PostalReference::Reading {
    std::string_view address;
    bool strict = true;
    bool marked = false;
    bool matched = false;
    std::string result;
    std::string prefectureToAdd;
    std::vector<std::pair<std::string, std::size_t>> candidates;
    // The lines of one prefecture stand together: whether the address names it is
    // looked for once per run of lines.
    std::size_t prefectureRun = std::size_t(-1);
    bool namesRunPrefecture = false;
    // The pairs of neighbouring bytes of the address: a city whose first two bytes
    // are not among them is not in the address, which spares most searches.
    std::bitset<65536> bytePairs;
};

// One line of the list as the steps see it, its area name joined when it goes on
// over several lines.
struct PostalReference::ListLine {
    std::string_view code;
    std::string_view prefecture;
    std::string_view city;
    std::vector<std::string> areas; // quoted
    std::size_t prefectureRun = 0;
};

namespace {

constexpr auto npos = std::string_view::npos;

const std::string kOpen = sj("（");
const std::string kClose = sj("）");
const std::string kPrefectureMarks[] = {sj("東京都"), sj("北海道"), sj("大阪府"), sj("京都府"),
                                        sj("県")};

bool startsCharacter(std::string_view text, std::size_t at) {
    std::size_t pos = 0;
    while (pos < at)
        pos += charLength(text, pos);
    return pos == at;
}

// The first occurrence that begins a character.
std::size_t find(std::string_view text, std::string_view part) {
    if (part.empty())
        return 0;
    for (std::size_t at = text.find(part); at != npos; at = text.find(part, at + 1))
        if (startsCharacter(text, at))
            return at;
    return npos;
}

bool has(std::string_view text, std::string_view part) {
    return find(text, part) != npos;
}

std::string_view before(std::string_view text, std::string_view part) {
    const std::size_t at = find(text, part);
    return at == npos ? text : text.substr(0, at);
}

std::string_view after(std::string_view text, std::string_view part) {
    return text.substr(find(text, part) + part.size());
}

std::string_view unquoted(std::string_view field) {
    if (field.starts_with('"'))
        field.remove_prefix(1);
    if (field.ends_with('"'))
        field.remove_suffix(1);
    return field;
}

void fieldsOf(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != npos; start = comma + 1)
        fields.push_back(line.substr(start, comma - start));
    fields.push_back(line.substr(start));
}

bool sameArea(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    return a[2] == b[2] && a[6] == b[6] && a[7] == b[7];
}

int number(std::string_view text) {
    std::string half(text);
    CharCheck(half, 1);
    return leadingInteger(half);
}

// One area field in parentheses, "head（piece、piece～piece…）": whether a piece
// fits the address, and the length it explains.
bool parenthesisFits(std::string_view area, std::string_view& work, std::size_t& length) {
    const std::string_view head = before(area, kOpen);
    std::string_view inner = after(area, kOpen);
    if (!has(work, head))
        return false;
    if (inner == sj("その他）")) {
        length += head.size();
        return true;
    }
    work = work.substr(find(work, head));
    inner = before(before(inner, sj("番地")), kClose);
    std::vector<std::string_view> pieces;
    std::vector<std::string_view> separators;
    for (;;) {
        std::size_t cut = npos;
        std::string_view separator;
        for (const char* mark : {"～", "、", "・"}) {
            const std::size_t at = find(inner, sj(mark));
            if (at < cut) {
                cut = at;
                separator = sj(mark);
            }
        }
        pieces.push_back(inner.substr(0, cut));
        separators.push_back(separator);
        if (cut == npos)
            break;
        inner = inner.substr(cut + separator.size());
    }
    for (std::size_t i = 0; i < pieces.size();) {
        if (separators[i] == sj("～")) {
            const int value = number(work.substr(head.size()));
            const std::string_view high = i + 1 < pieces.size() ? pieces[i + 1] : "";
            if (number(pieces[i]) <= value && value <= number(high)) {
                length += head.size() + pieces[i].size();
                return true;
            }
            i += 2;
        } else if (has(work, std::string(head) + std::string(pieces[i]))) {
            length += head.size() + pieces[i].size();
            return true;
        } else {
            ++i;
        }
    }
    return false;
}

std::size_t pairOf(std::string_view text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]) << 8 | static_cast<unsigned char>(text[pos + 1]);
}

bool mayContain(const PostalReference::Reading& reading, std::string_view part) {
    return part.size() < 2 || reading.bytePairs[pairOf(part, 0)];
}

bool namesPrefecture(PostalReference::Reading& reading, const PostalReference::ListLine& line) {
    if (line.prefectureRun != reading.prefectureRun) {
        reading.prefectureRun = line.prefectureRun;
        reading.namesRunPrefecture = has(reading.address, line.prefecture);
    }
    return reading.namesRunPrefecture;
}

// The steps for one line; false when the reading stops.
bool readLine(PostalReference::Reading& reading, const PostalReference::ListLine& line) {
    std::string_view work = reading.address;
    std::string_view linePrefecture;
    if (!reading.marked)
        linePrefecture = line.prefecture;
    else if (namesPrefecture(reading, line))
        work = after(reading.address, line.prefecture);
    else if (reading.strict)
        return !reading.matched;
    else
        linePrefecture = line.prefecture;

    if (!mayContain(reading, line.city) || !has(work, line.city))
        return !reading.matched;
    work = after(work, line.city);
    reading.matched = true;
    reading.prefectureToAdd = linePrefecture;

    std::size_t length = 0;
    for (const std::string& quoted : line.areas) {
        if (has(quoted, sj("一円")) || quoted == sj("\"以下に掲載がない場合\"") ||
            (has(quoted, sj("次に番地がくる場合")) && !work.empty())) {
            reading.result = line.code;
            return true;
        }
        const std::string_view area = unquoted(quoted);
        if (has(area, kOpen)) {
            if (!parenthesisFits(area, work, length))
                return true;
        } else if (has(work, area)) {
            length += area.size();
        } else {
            return true;
        }
    }
    reading.candidates.emplace_back(line.code, length);
    return true;
}

// The first candidate of the greatest length, else the last catch-all line.
PostalAnswer answerOf(const PostalReference::Reading& reading) {
    PostalAnswer answer;
    answer.code = reading.result;
    std::size_t best = 0;
    for (std::size_t c = 0; c < reading.candidates.size(); ++c)
        if (c == 0 || reading.candidates[c].second > best) {
            best = reading.candidates[c].second;
            answer.code = reading.candidates[c].first;
        }
    if (!containsPrefectureName(reading.address))
        answer.prefectureToAdd = reading.prefectureToAdd;
    return answer;
}

} // namespace

PostalReference::PostalReference(std::string bytes) : bytes_(std::move(bytes)) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes_.size(); ++i) {
        if (i < bytes_.size() && bytes_[i] != '\r' && bytes_[i] != '\n')
            continue;
        lines_.emplace_back(bytes_.data() + start, i - start);
        if (i + 1 < bytes_.size() && bytes_[i] == '\r' && bytes_[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
}

// One reading of the list from the top, for several addresses side by side; an
// address leaves the reading where its own reading stops.
void PostalReference::read(std::vector<Reading*> readings) const {
    std::vector<std::string_view> fields;
    std::vector<std::string_view> next;
    ListLine line;
    for (std::size_t i = 0; i < lines_.size() && !readings.empty(); ++i) {
        fieldsOf(lines_[i], fields);
        if (fields.size() < 9 || unquoted(fields[6]).empty() || unquoted(fields[7]).empty())
            continue;
        line.prefectureRun += unquoted(fields[6]) != line.prefecture;
        line.code = unquoted(fields[2]);
        line.prefecture = unquoted(fields[6]);
        line.city = unquoted(fields[7]);
        // The area fields run up to the first flag; a "（" left open goes on in the
        // area field of the next lines of the same code and city until one closes it.
        line.areas.assign(1, std::string(fields[8]));
        for (std::size_t f = 9; f < fields.size() && fields[f] != "0" && fields[f] != "1"; ++f)
            line.areas.emplace_back(fields[f]);
        std::string area(unquoted(fields[8]));
        if (has(area, kOpen) && !has(area, kClose)) {
            while (!has(area, kClose) && i + 1 < lines_.size()) {
                fieldsOf(lines_[i + 1], next);
                if (next.size() < 9 || !sameArea(fields, next))
                    break;
                area += unquoted(next[8]);
                ++i;
            }
            line.areas[0] = '"' + area + '"';
        }
        std::size_t kept = 0;
        for (Reading* reading : readings)
            if (readLine(*reading, line))
                readings[kept++] = reading;
        readings.resize(kept);
    }
}

PostalAnswer PostalReference::lookup(std::string_view address, int mode) const {
    return lookupAll({std::string(address)}, mode).front();
}

// An address that names a prefecture is read strictly first; a tolerant lookup
// reads again, tolerating other prefectures, only when no city fitted.
std::vector<PostalAnswer> PostalReference::lookupAll(const std::vector<std::string>& addresses,
                                                     int mode) const {
    std::vector<Reading> readings(addresses.size());
    std::vector<Reading*> strict;
    for (std::size_t a = 0; a < addresses.size(); ++a) {
        Reading& reading = readings[a];
        reading.address = addresses[a];
        for (std::size_t pos = 0; pos + 1 < reading.address.size(); ++pos)
            reading.bytePairs.set(pairOf(reading.address, pos));
        for (const std::string& mark : kPrefectureMarks)
            reading.marked = reading.marked || has(reading.address, mark);
        strict.push_back(&reading);
    }
    read(strict);
    std::vector<Reading*> tolerant;
    for (Reading& reading : readings)
        if (!reading.matched && reading.marked && mode != 1) {
            reading.strict = false;
            tolerant.push_back(&reading);
        }
    read(tolerant);

    std::vector<PostalAnswer> answers;
    for (const Reading& reading : readings)
        answers.push_back(answerOf(reading));
    return answers;
}

} // namespace mivora::test
