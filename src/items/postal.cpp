#include "items/postal.h"

#include "items/charconv.h"
#include "text/filenames.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <system_error>

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCodeField = 2;
constexpr std::size_t kPrefectureField = 6;
constexpr std::size_t kCityField = 7;
constexpr std::size_t kAreaField = 8;
constexpr std::size_t npos = std::string_view::npos;

// Only positions where a character begins count, so that a name never matches
// the second byte of one character and the first byte of the next.
std::size_t findText(std::string_view text, std::string_view part) {
    if (part.empty())
        return 0;
    for (std::size_t pos = 0; pos + part.size() <= text.size(); pos += charLength(text, pos))
        if (text[pos] == part[0] && text.substr(pos, part.size()) == part)
            return pos;
    return npos;
}

bool contains(std::string_view text, std::string_view part) {
    return findText(text, part) != npos;
}

std::string_view cutAt(std::string_view text, std::string_view part) {
    return text.substr(0, findText(text, part));
}

std::string_view unquote(std::string_view field) {
    if (!field.empty() && field.front() == '"')
        field.remove_prefix(1);
    if (!field.empty() && field.back() == '"')
        field.remove_suffix(1);
    return field;
}

// The line that begins at pos, without its end (CR LF, LF or a lone CR); pos moves
// to the next line.
std::string_view nextLine(std::string_view bytes, std::size_t& pos) {
    const std::size_t start = pos;
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    pos = end;
    if (pos < bytes.size())
        pos += bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n' ? 2 : 1;
    return bytes.substr(start, end - start);
}

void splitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == npos ? npos : comma - start));
        if (comma == npos)
            return;
        start = comma + 1;
    }
}

bool isCp932(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF))
            continue;
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        if (!lead || ++i == line.size())
            return false;
        const auto trail = static_cast<unsigned char>(line[i]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
            return false;
    }
    return true;
}

std::uint32_t firstFourBytes(const char* bytes) {
    std::uint32_t key;
    std::memcpy(&key, bytes, sizeof key);
    return key;
}

// The words of the list that steer a lookup, as CP932 bytes.
struct Words {
    const std::string& open = sj("（");
    const std::string& close = sj("）");
    const std::string& others = sj("その他）");
    const std::string& blockNumber = sj("番地");
    const std::string& wholeCity = sj("一円");
    const std::string& notListed = sj("\"以下に掲載がない場合\"");
    const std::string& numberFollows = sj("次に番地がくる場合");
    const std::string& range = sj("～");
    const std::string& comma = sj("、");
    const std::string& dot = sj("・");
    // Where an address names one of these, it is taken to carry its prefecture.
    const std::string prefectureMarks[5] = {sj("東京都"), sj("北海道"), sj("大阪府"), sj("京都府"),
                                            sj("県")};
};

const Words& words() {
    static const Words instance;
    return instance;
}

bool hasPrefectureMark(std::string_view address) {
    for (const std::string& mark : words().prefectureMarks)
        if (contains(address, mark))
            return true;
    return false;
}

// One entry of a parenthesised list: "１～１９丁目" gives "１" opening a range and
// "１９丁目".
struct Piece {
    std::string_view text;
    bool opensRange = false;
};

std::vector<Piece> splitListed(std::string_view listed) {
    const Words& w = words();
    std::vector<Piece> pieces;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < listed.size();) {
        const std::string_view rest = listed.substr(pos);
        const std::string* separator = nullptr;
        for (const std::string* candidate : {&w.range, &w.comma, &w.dot})
            if (rest.starts_with(*candidate))
                separator = candidate;
        if (!separator) {
            pos += charLength(listed, pos);
            continue;
        }
        pieces.push_back({listed.substr(start, pos - start), separator == &w.range});
        pos += separator->size();
        start = pos;
    }
    pieces.push_back({listed.substr(start), false});
    return pieces;
}

// Numbers of a range are read after a conversion to half-width, so that "１９丁目"
// counts as 19.
int halfWidthNumber(std::string_view text) {
    std::string converted(text);
    CharCheck(converted, 1);
    return leadingInteger(converted);
}

} // namespace

struct PostalList::Entry {
    bool matches = false;
    std::string_view rest;            // of the address, after its city
    std::string_view prefectureToAdd; // the group's prefecture, when the address lacks it
};

// The weighing of the lines that an address reaches: the most specific candidate
// (the first of the greatest length) beats the last catch-all line seen.
struct PostalList::Weighing {
    std::string_view fallback;
    std::string_view best;
    std::size_t bestLength = 0;
    bool hasCandidate = false;
    std::string_view prefectureToAdd; // of the last group entered
};

PostalList::PostalList(std::string bytes) : bytes_(std::move(bytes)) {
    const std::string_view all(bytes_);
    std::vector<std::string_view> fields;
    for (std::size_t pos = 0; pos < all.size();) {
        const std::string_view line = nextLine(all, pos);
        if (line.empty())
            continue;
        nonCp932Lines_ += !isCp932(line);
        splitFields(line, fields);
        // A line without prefecture or city would fit every address.
        if (fields.size() <= kAreaField || unquote(fields[kPrefectureField]).empty() ||
            unquote(fields[kCityField]).empty()) {
            ++brokenLines_;
            continue;
        }
        addLine(fields, joinContinuedArea(all, pos, fields));
    }
    buildCityIndex();
}

std::shared_ptr<const PostalList> PostalList::read(const fs::path& file) {
    return std::make_shared<const PostalList>(readBytes(file));
}

// The list cuts long area names into pieces on consecutive lines of the same code
// and city: the first piece opens "（" and the last one closes it. The pieces are
// put together again, so that every listed number takes part in the lookup. The
// real list never spreads an area over more than a few lines; a "（" that is never
// closed ends its group after kMaxContinuedLines, and the lines after it are read
// as lines of their own.
std::string_view PostalList::joinContinuedArea(std::string_view all, std::size_t& pos,
                                               const std::vector<std::string_view>& fields) {
    constexpr int kMaxContinuedLines = 64;
    const std::string_view area = fields[kAreaField];
    const std::string& close = words().close;
    if (!contains(unquote(area), words().open) || contains(unquote(area), close))
        return area;
    std::string joined(unquote(area));
    // Where the search for "）" goes on: the pieces already searched are not read again.
    std::size_t searched = 0;
    auto closed = [&] {
        for (; searched + close.size() <= joined.size(); searched += charLength(joined, searched))
            if (std::string_view(joined).substr(searched, close.size()) == close)
                return true;
        return false;
    };
    std::vector<std::string_view> next;
    for (int continued = 0; continued < kMaxContinuedLines && !closed() && pos < all.size();
         ++continued) {
        std::size_t after = pos;
        const std::string_view line = nextLine(all, after);
        splitFields(line, next);
        if (next.size() <= kAreaField || next[kCodeField] != fields[kCodeField] ||
            next[kPrefectureField] != fields[kPrefectureField] ||
            next[kCityField] != fields[kCityField])
            break;
        nonCp932Lines_ += !isCp932(line);
        joined += unquote(next[kAreaField]);
        pos = after;
    }
    joinedAreas_.push_back('"' + joined + '"');
    return joinedAreas_.back();
}

void PostalList::addLine(const std::vector<std::string_view>& fields, std::string_view area) {
    const std::string_view prefecture = unquote(fields[kPrefectureField]);
    const std::string_view city = unquote(fields[kCityField]);
    const auto lineIndex = static_cast<std::uint32_t>(lines_.size());
    if (groups_.empty() || groups_.back().prefecture != prefecture || groups_.back().city != city)
        groups_.push_back({prefecture, city, lineIndex, lineIndex});
    Line line{unquote(fields[kCodeField]), static_cast<std::uint32_t>(areas_.size()), 0};
    areas_.push_back(describeArea(area));
    // The area name may go on in further fields, up to the first flag "0" or "1".
    for (std::size_t i = kAreaField + 1; i < fields.size() && fields[i] != "0" && fields[i] != "1";
         ++i)
        areas_.push_back(describeArea(fields[i]));
    line.areaEnd = static_cast<std::uint32_t>(areas_.size());
    lines_.push_back(line);
    groups_.back().lineEnd = lineIndex + 1;
}

PostalList::AreaField PostalList::describeArea(std::string_view quoted) const {
    const Words& w = words();
    AreaField area;
    area.text = unquote(quoted);
    area.catchAll = contains(quoted, w.wholeCity) || quoted == w.notListed;
    area.catchAllWhenFollowed = contains(quoted, w.numberFollows);
    const std::size_t open = findText(area.text, w.open);
    area.parenthesised = open != npos;
    if (area.parenthesised) {
        area.head = area.text.substr(0, open);
        const std::string_view inner = area.text.substr(open + w.open.size());
        area.others = inner == w.others;
        area.listed = cutAt(cutAt(inner, w.blockNumber), w.close);
    }
    return area;
}

void PostalList::buildCityIndex() {
    for (std::uint32_t g = 0; g < groups_.size(); ++g) {
        const std::string_view city = groups_[g].city;
        if (city.size() < sizeof(std::uint32_t))
            shortCityGroups_.push_back(g);
        else
            cityIndex_.emplace_back(firstFourBytes(city.data()), g);
    }
    std::sort(cityIndex_.begin(), cityIndex_.end());
}

// The groups whose city may occur in the address: every group whose city's first
// four bytes occur somewhere in it. Ascending, so in the order of the file.
std::vector<std::uint32_t> PostalList::groupsNamedIn(std::string_view address) const {
    std::vector<std::uint32_t> found(shortCityGroups_);
    for (std::size_t pos = 0; pos + sizeof(std::uint32_t) <= address.size(); ++pos) {
        const std::uint32_t key = firstFourBytes(address.data() + pos);
        auto it = std::lower_bound(cityIndex_.begin(), cityIndex_.end(), std::pair(key, 0u));
        for (; it != cityIndex_.end() && it->first == key; ++it)
            found.push_back(it->second);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

// Whether the lines of a group take part: the address must name the group's city,
// after the group's prefecture when the address names prefectures at all. A strict
// lookup leaves out groups of a prefecture that the address does not name.
PostalList::Entry PostalList::enter(const Group& group, const Query& query) const {
    std::string_view rest = query.address;
    std::string_view prefectureToAdd = group.prefecture;
    if (query.marked) {
        const std::size_t at = findText(rest, group.prefecture);
        if (at != npos) {
            rest.remove_prefix(at + group.prefecture.size());
            prefectureToAdd = {};
        } else if (query.strict) {
            return {};
        }
    }
    const std::size_t at = findText(rest, group.city);
    if (at == npos)
        return {};
    rest.remove_prefix(at + group.city.size());
    return {true, rest, prefectureToAdd};
}

// An address that names a prefecture is looked up in that prefecture first; a
// tolerant lookup goes on to the cities of other prefectures only when no city of
// the named one fits. Many ward names (中央区, 北区, 港区) stand in several
// prefectures, and the first in the list must not win over the one named.
PostalAnswer PostalList::lookup(std::string_view address, int mode) const {
    const bool marked = hasPrefectureMark(address);
    Weighing weighing;
    if (!weighGroups({address, true, marked}, weighing) && marked && mode != 1)
        weighGroups({address, false, marked}, weighing);
    PostalAnswer answer;
    answer.code = weighing.hasCandidate ? weighing.best : weighing.fallback;
    // A prefecture goes only in front of an address that names none: a wrong one
    // stays as the user wrote it rather than getting a second prefecture.
    if (!containsPrefectureName(address))
        answer.prefectureToAdd = weighing.prefectureToAdd;
    return answer;
}

// Weighs the lines of the first group the address enters and of the groups right
// after it; false when it enters none.
bool PostalList::weighGroups(const Query& query, Weighing& weighing) const {
    for (const std::uint32_t first : groupsNamedIn(query.address)) {
        if (!enter(groups_[first], query).matches)
            continue;
        // The lines of one city stand together: the first group after it that the
        // address does not enter ends the lookup. The end of the list ends it the
        // same way, so the last city keeps its catch-all code and its prefecture.
        for (std::size_t g = first; g < groups_.size(); ++g) {
            const Entry entry = enter(groups_[g], query);
            if (!entry.matches)
                break;
            weighing.prefectureToAdd = entry.prefectureToAdd;
            for (std::uint32_t l = groups_[g].firstLine; l < groups_[g].lineEnd; ++l)
                weighLine(lines_[l], entry.rest, weighing);
        }
        return true;
    }
    return false;
}

// A line is a candidate when every one of its area fields occurs in the rest of
// the address; its length is how much of the address the line explains.
void PostalList::weighLine(const Line& line, std::string_view rest, Weighing& weighing) const {
    std::size_t length = 0;
    for (std::uint32_t a = line.firstArea; a < line.areaEnd; ++a) {
        const AreaField& area = areas_[a];
        if (area.catchAll || (area.catchAllWhenFollowed && !rest.empty())) {
            weighing.fallback = line.code;
            return;
        }
        if (!matchArea(area, rest, length))
            return;
    }
    if (!weighing.hasCandidate || length > weighing.bestLength) {
        weighing.best = line.code;
        weighing.bestLength = length;
        weighing.hasCandidate = true;
    }
}

bool PostalList::matchArea(const AreaField& area, std::string_view& rest,
                           std::size_t& length) const {
    if (!area.parenthesised) {
        if (!contains(rest, area.text))
            return false;
        length += area.text.size();
        return true;
    }
    const std::size_t at = findText(rest, area.head);
    if (at == npos)
        return false;
    if (area.others) {
        length += area.head.size();
        return true;
    }
    rest.remove_prefix(at);
    return matchListed(area, rest, length);
}

// The parenthesis lists numbers, ranges "Ｍ～Ｎ" or names after the head; the first
// entry that fits the address counts.
bool PostalList::matchListed(const AreaField& area, std::string_view rest,
                             std::size_t& length) const {
    const std::vector<Piece> pieces = splitListed(area.listed);
    for (std::size_t i = 0; i < pieces.size();) {
        const Piece& piece = pieces[i];
        bool fits;
        if (piece.opensRange) {
            const std::string_view high = i + 1 < pieces.size() ? pieces[i + 1].text : "";
            const int number = halfWidthNumber(rest.substr(area.head.size()));
            fits = halfWidthNumber(piece.text) <= number && number <= halfWidthNumber(high);
            i += 2;
        } else {
            fits = contains(rest, std::string(area.head) + std::string(piece.text));
            ++i;
        }
        if (fits) {
            length += area.head.size() + piece.text.size();
            return true;
        }
    }
    return false;
}

const std::vector<std::string>& prefectureNames() {
    static const std::vector<std::string> names = [] {
        const char* const utf8[] = {
            "北海道", "青森県", "岩手県", "宮城県", "秋田県", "山形県",   "福島県", "茨城県",
            "栃木県", "群馬県", "埼玉県", "千葉県", "東京都", "神奈川県", "新潟県", "富山県",
            "石川県", "福井県", "山梨県", "長野県", "岐阜県", "静岡県",   "愛知県", "三重県",
            "滋賀県", "京都府", "大阪府", "兵庫県", "奈良県", "和歌山県", "鳥取県", "島根県",
            "岡山県", "広島県", "山口県", "徳島県", "香川県", "愛媛県",   "高知県", "福岡県",
            "佐賀県", "長崎県", "熊本県", "大分県", "宮崎県", "鹿児島県", "沖縄県"};
        std::vector<std::string> cp932;
        for (const char* name : utf8)
            cp932.push_back(sj(name));
        return cp932;
    }();
    return names;
}

bool containsPrefectureName(std::string_view address) {
    const std::vector<std::string>& names = prefectureNames();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return contains(address, name); });
}

std::shared_ptr<const PostalList> postalListIn(const fs::path& programDir) {
    struct Loaded {
        fs::path file;
        std::uintmax_t size = 0;
        fs::file_time_type time;
        std::shared_ptr<const PostalList> list;
    };
    static std::mutex mutex;
    static Loaded loaded;

    const fs::path file = findFile(programDir, "KEN_ALL.CSV");
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found ||
        (!error && !fs::is_regular_file(status))) // or a folder of that name
        return nullptr;
    std::error_code timeError;
    const std::uintmax_t size = fs::file_size(file, error);
    const fs::file_time_type time = fs::last_write_time(file, timeError);
    if (error || timeError) // unreadable or changing: read it now, keep nothing
        return PostalList::read(file);
    std::lock_guard lock(mutex);
    if (loaded.list && loaded.file == file && loaded.size == size && loaded.time == time)
        return loaded.list;
    auto list = PostalList::read(file);
    loaded = {file, size, time, list};
    return list;
}

void PostRead(std::string& result, int mode, std::array<std::string, 49>& values,
              const PostalList& list) {
    PostalAnswer answer = list.lookup(values[4], mode);
    result = std::move(answer.code);
    values[4].insert(0, answer.prefectureToAdd);
}

void PostRead(std::string& result, int mode, std::array<std::string, 49>& values,
              const fs::path& programDir) {
    if (const auto list = postalListIn(programDir))
        PostRead(result, mode, values, *list);
}

} // namespace mivora
