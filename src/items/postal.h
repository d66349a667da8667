#pragma once
// Postal codes of addresses, from the national postal-code list KEN_ALL.CSV in the
// program directory (CP932, one postal area per line, sorted by region). A lookup
// also tells which prefecture an address that lacks one should get in front.
//
// The list is read once and kept in memory, grouped by prefecture and city; a
// lookup finds the first group whose city the address names and walks only the
// lines of that group and the groups right after it, which gives the same answer
// as reading the whole list from the top, line by line.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

struct PostalAnswer {
    std::string code;            // seven digits, or empty when no line fits the address
    std::string prefectureToAdd; // for an address without prefecture, else empty
};

class PostalList {
  public:
    // bytes: the content of a KEN_ALL.CSV file. Lines with fewer than nine fields,
    // or without prefecture or city, are left out. An area name that the file
    // continues on following lines (an open "（" closed on a later line of the same
    // code and city) is joined whole, byte for byte.
    explicit PostalList(std::string bytes);
    PostalList(const PostalList&) = delete;
    PostalList& operator=(const PostalList&) = delete;

    // Reads a file; throws FileError.
    static std::shared_ptr<const PostalList> read(const std::filesystem::path& file);

    // The code of the line that explains most of the address (the first of them),
    // else of the city's catch-all line. Mode 1 takes only lines of the prefecture
    // that the address names; any other mode, when no city of that prefecture fits,
    // takes the first city of another prefecture that the address names (a wrong
    // or mistyped prefecture).
    PostalAnswer lookup(std::string_view address, int mode) const;

    // Postal areas, continued lines joined.
    std::size_t areaCount() const { return lines_.size(); }
    // Lines left out as broken (blank lines not counted).
    std::size_t brokenLineCount() const { return brokenLines_; }
    // Lines holding bytes that are no CP932 text: a file in another encoding.
    std::size_t nonCp932LineCount() const { return nonCp932Lines_; }

  private:
    struct AreaField {
        std::string_view text;   // without its quotes
        std::string_view head;   // before "（", when parenthesised
        std::string_view listed; // after "（", up to "番地" or "）"
        bool parenthesised = false;
        bool others = false;               // the parenthesis says "その他）"
        bool catchAll = false;             // stands for the whole city or what is not listed
        bool catchAllWhenFollowed = false; // stands for the city when a number follows
    };
    struct Line {
        std::string_view code;
        std::uint32_t firstArea;
        std::uint32_t areaEnd;
    };
    struct Group { // consecutive lines of one prefecture and city
        std::string_view prefecture;
        std::string_view city;
        std::uint32_t firstLine;
        std::uint32_t lineEnd;
    };
    struct Query {
        std::string_view address;
        bool strict; // only groups of a prefecture the address names
        bool marked; // the address names a prefecture, or seems to
    };
    struct Entry;
    struct Weighing;

    std::string_view joinContinuedArea(std::string_view all, std::size_t& pos,
                                       const std::vector<std::string_view>& fields);
    void addLine(const std::vector<std::string_view>& fields, std::string_view area);
    AreaField describeArea(std::string_view quoted) const;
    void buildCityIndex();
    std::vector<std::uint32_t> groupsNamedIn(std::string_view address) const;
    bool weighGroups(const Query& query, Weighing& weighing) const;
    Entry enter(const Group& group, const Query& query) const;
    void weighLine(const Line& line, std::string_view rest, Weighing& weighing) const;
    bool matchArea(const AreaField& area, std::string_view& rest, std::size_t& length) const;
    bool matchListed(const AreaField& area, std::string_view rest, std::size_t& length) const;

    std::string bytes_;
    std::deque<std::string> joinedAreas_; // quoted area names joined from several lines
    std::vector<AreaField> areas_;
    std::vector<Line> lines_;
    std::vector<Group> groups_;
    // (first four bytes of the city, group), sorted; cities shorter than four bytes
    // apart, since they are always possible.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> cityIndex_;
    std::vector<std::uint32_t> shortCityGroups_;
    std::size_t brokenLines_ = 0;
    std::size_t nonCp932Lines_ = 0;
};

// The list of programDir/KEN_ALL.CSV, read on first use and again whenever the
// file's size or modification time has changed; null when there is no such file.
std::shared_ptr<const PostalList> postalListIn(const std::filesystem::path& programDir);

// The 47 prefectures (CP932), in the order of their codes as the list has them.
const std::vector<std::string>& prefectureNames();

// Whether the address names one of the 47 prefectures.
bool containsPrefectureName(std::string_view address);

// Looks up the address in slot 4 of values: result becomes its postal code (or an
// empty text), and the prefecture is put in front of slot 4 when the address lacks
// it. No other slot is touched.
void PostRead(std::string& result, int mode, std::array<std::string, 49>& values,
              const PostalList& list);

// The same on the program directory's KEN_ALL.CSV. Without that file nothing
// changes: result keeps what the caller put in it.
void PostRead(std::string& result, int mode, std::array<std::string, 49>& values,
              const std::filesystem::path& programDir);

} // namespace mivora
