#pragma once
// Records that arrive in any order, each with its place in a view, handed on in
// the order of their places. A whole-table read takes the records in the order
// the file keeps them (one pass over the file instead of a search for each
// record, which costs a disk read each when the list order is not the order of
// entry) and must give them in list order. The records wait in a scratch file, in
// buckets of neighbouring places, so that memory holds about one bucket at a time
// however large the table is.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

class PlaceSorter {
  public:
    // The visitor may take the values: the row is filled anew for each record.
    using Visit = std::function<void(std::vector<std::string>&)>;

    // places: how many places the view has (0 to places - 1); every record has
    // fieldCount fields.
    PlaceSorter(std::size_t places, std::size_t fieldCount, Visit visit);

    // Appends a record in the form it waits in, which takes about as long as
    // converting it: a reader packs on the thread that converts.
    static void pack(std::size_t place, const std::vector<std::string>& fields, std::string& out);

    // Takes a record for its place, with what pack made of it; each place at most
    // once. A record whose turn it is (every place before it visited) is visited
    // at once: a table read in the order it was entered in goes through without
    // waiting.
    void add(std::size_t place, std::vector<std::string>& fields, std::string_view packed);

    // Visits the records that wait, in the order of their places; a place that
    // no record was added for is left out. Throws FileError when the scratch file
    // cannot be read back.
    void finish();

  private:
    struct Chunk {
        long offset;
        std::size_t size;
    };
    struct Bucket {
        std::vector<Chunk> spilled; // in the scratch file, in the order written
        std::string pending;        // not yet written
    };

    void spill(Bucket& bucket);
    std::string takeWhole(Bucket& bucket);
    std::vector<std::size_t> recordStarts(const std::string& bytes, std::size_t firstPlace) const;
    void unpack(const std::string& bytes, std::span<const std::size_t> starts,
                std::vector<std::vector<std::string>>& rows) const;
    void visitBucket(const std::string& bytes, std::size_t firstPlace);

    std::size_t places_;
    std::size_t fieldCount_;
    Visit visit_;
    std::size_t nextTurn_ = 0; // every place before it is visited
    std::vector<Bucket> buckets_;
    // Opened at the first spill. Without one (no temporary folder, a full disk)
    // the records stay in memory.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> scratch_{nullptr, &std::fclose};
    bool scratchRefused_ = false;
    long scratchEnd_ = 0;
};

} // namespace mivora
