#pragma once
// Where one stream's bytes lie: its size and its chain of sectors, or of
// mini sectors when it is smaller than the cutoff.

#include "cfb/compound_tables.h"
#include "engine/error.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::cfb
{

struct StreamExtent {
    std::uint32_t entry = 0;
    std::uint64_t size = 0;
    bool mini = false;
    std::vector<std::uint32_t> chain; // at least as many sectors as the size needs
};

// False with the reason when the stream's size or chain is unsound, or its
// sectors are some table's.
bool LocateStream(std::string_view bytes, const CompoundTables &tables, std::uint32_t entry,
                  StreamExtent &extent, Error &error);

// False when the file ends before the stream does.
bool ReadExtent(std::string_view bytes, const CompoundTables &tables, const StreamExtent &extent,
                std::string &content, Error &error);

// False when another chain or another stream's start leads into the stream's
// sectors: rewriting them would change that other stream too.
bool OwnsItsSectors(std::string_view bytes, const CompoundTables &tables,
                    const StreamExtent &extent, Error &error);

} // namespace engine::cfb
