#pragma once
// The engine never lets an exception cross its face: each entry point runs
// its body through NoThrow, which turns what it throws into an error.

#include "engine/error.h"

#include <exception>
#include <new>
#include <string>

namespace engine
{

template <typename Result, typename Body> Result NoThrow(Error &error, Result failed, Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        error.Set(ErrorCode::LimitExceeded, "not enough memory for this workbook");
    } catch (const std::exception &exception) {
        error.Set(ErrorCode::Unsupported, std::string("internal error: ") + exception.what());
    }
    return failed;
}

} // namespace engine
