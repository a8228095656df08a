#pragma once
// Where the bytes of a stream land once a list of edits is made: the edits
// before a position shift it by what they add or remove.

#include "biff/stream_edit.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace engine
{

class PositionMap
{
  public:
    // `edits` ascending by begin, none overlapping another.
    explicit PositionMap(const std::vector<StreamEdit> &edits);

    // The new position of the record (or byte of an unedited record) that
    // begins at `old`: bytes inserted at `old` come before it. Nothing for a
    // position inside an edited range or at a removed record; a replaced
    // record's position is where its replacement begins.
    std::optional<size_t> Map(size_t old) const;
    // Whether an edit changes any byte of [begin, end).
    bool Touches(size_t begin, size_t end) const;

  private:
    const std::vector<StreamEdit> &edits_;
    std::vector<long long> shifts_; // by edit: the sum of what it and those before add
};

} // namespace engine
