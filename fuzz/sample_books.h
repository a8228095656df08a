#pragma once
// Ordinary workbooks written by libxlsxwriter, an independent writer: the
// format-transfer template and the seed workbooks the fuzzers start from.

#include <string>

// First sheet: widths, fonts, fills, borders, number formats, merged areas,
// formulas, shared strings and a conditional format over A1:F12.
bool WriteTemplateBook(const std::string &path);

// `sheets` sheets of values and formats with merged areas; `variant` varies
// the layout so seeds differ.
bool WriteMergedBook(const std::string &path, int sheets, int variant);

// One sheet of `rows` rows with a merged area at either end: big enough to be
// held around a hole when the fuzzer holds little.
bool WriteTallBook(const std::string &path, int rows);
