#pragma once
// How the engine reports a failure: a code the caller can branch on and a
// message a user can read. The engine never prints and never throws.

#include <string>
#include <utility>

namespace engine
{

enum class ErrorCode {
    None,
    FileAccess,     // the file cannot be read or written
    Damaged,        // a zip or XML structure is broken
    NotSpreadsheet, // a valid zip, but no SpreadsheetML workbook inside
    LegacyFormat,   // a binary .xls (OLE compound file)
    Encrypted,      // a password-protected workbook
    LimitExceeded,  // hostile or oversized input
    Unsupported,    // a construct the engine refuses to handle
};

struct Error {
    ErrorCode code = ErrorCode::None;
    std::string message;

    explicit operator bool() const { return code != ErrorCode::None; }
    void Set(ErrorCode newCode, std::string newMessage)
    {
        code = newCode;
        message = std::move(newMessage);
    }
};

} // namespace engine
