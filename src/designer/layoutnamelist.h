#pragma once
// The layout-name list kept in PrintName.INI for the programs that start this one
// with a layout number: pairs of lines, a layout's name and its record number, the
// last pair "新規追加" with the number a new layout would get. The list follows
// every store of a layout and is written at every close of the designer.

#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

class LayoutNameList {
  public:
    struct Pair {
        std::string name;   // CP932
        std::string number; // decimal text; "-1" for a layout stored while being added
        bool operator==(const Pair&) const = default;
    };

    // Fills the list from the file, if it exists; a last name without its number
    // gets an empty one. Throws FileError.
    void read(const std::filesystem::path& file);

    // A layout is about to be stored: the first pair with the key as its number
    // takes the name, or the pair is appended.
    void upkeep(const std::string& key, const std::string& name);

    // Makes the list exactly recordCount pairs long (pairs never filled stay empty)
    // with ("新規追加", recordCount + 1) last, and rewrites the file with it. The list
    // stays so for the later stores and closes. Throws FileError.
    void write(const std::filesystem::path& file, int recordCount);

    const std::vector<Pair>& pairs() const { return pairs_; }

  private:
    std::vector<Pair> pairs_;
};

} // namespace mivora
