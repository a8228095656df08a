#pragma once
// Recognising the files that look like workbooks but are OLE compound files:
// a legacy binary .xls, or an OOXML workbook encrypted with a password
// (which Office stores as an OLE file with an EncryptionInfo stream).

#include "engine/error.h"

#include <string>

namespace engine
{

// False with the reason in error when the file is an OLE compound file.
bool RefuseOleFile(const std::string &path, Error &error);

} // namespace engine
