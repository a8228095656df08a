#include "base/formula_shift.h"

#include "engine/a1_text.h"
#include "engine/cell_area.h"

#include <cctype>
#include <optional>

namespace engine
{

namespace
{

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '$' ||
           c == '\\' || c == '?' || static_cast<unsigned char>(c) >= 0x80;
}

// Copies a quoted run ("text" or 'sheet name'), doubled quotes included.
size_t QuotedEnd(std::string_view text, size_t begin)
{
    const char quote = text[begin];
    size_t pos = begin + 1;
    while (pos < text.size()) {
        if (text[pos] == quote && pos + 1 < text.size() && text[pos + 1] == quote)
            pos += 2;
        else if (text[pos] == quote)
            return pos + 1;
        else
            ++pos;
    }
    return pos;
}

size_t BracketEnd(std::string_view text, size_t begin)
{
    int depth = 0;
    for (size_t pos = begin; pos < text.size(); ++pos) {
        depth += text[pos] == '[' ? 1 : text[pos] == ']' ? -1 : 0;
        if (depth == 0)
            return pos + 1;
    }
    return text.size();
}

struct Part {
    bool anchored = false;
    std::string_view digits;  // row part
    std::string_view letters; // column part
};

// Splits "$AB$12", "AB", "$12" into their column and row parts.
bool SplitReference(std::string_view token, Part &column, Part &row)
{
    size_t pos = 0;
    column.anchored = pos < token.size() && token[pos] == '$';
    pos += column.anchored;
    const size_t lettersBegin = pos;
    while (pos < token.size() && std::isalpha(static_cast<unsigned char>(token[pos])))
        ++pos;
    column.letters = token.substr(lettersBegin, pos - lettersBegin);
    row.anchored = pos < token.size() && token[pos] == '$';
    pos += row.anchored;
    const size_t digitsBegin = pos;
    while (pos < token.size() && std::isdigit(static_cast<unsigned char>(token[pos])))
        ++pos;
    row.digits = token.substr(digitsBegin, pos - digitsBegin);
    if (pos != token.size() || column.letters.size() > 3 || row.digits.size() > 7)
        return false;
    if (column.letters.empty() && column.anchored && !row.digits.empty()) {
        row.anchored = true; // "$12" reads as an anchored row
        column.anchored = false;
    }
    return true;
}

std::optional<long> ColumnNumber(std::string_view letters)
{
    long column = 0;
    for (char c : letters)
        column = column * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
    return column >= 1 && column <= long(kMaxColumn) ? std::optional(column) : std::nullopt;
}

std::optional<long> RowNumberOf(std::string_view digits)
{
    const long row = std::stol(std::string(digits));
    return row >= 1 && row <= long(kMaxRow) ? std::optional(row) : std::nullopt;
}

enum class Kind { Cell, Column, Row, None };

Kind KindOf(std::string_view token)
{
    Part column, row;
    if (token.empty() || !SplitReference(token, column, row))
        return Kind::None;
    const bool hasColumn = !column.letters.empty() && ColumnNumber(column.letters);
    const bool hasRow = !row.digits.empty() && RowNumberOf(row.digits);
    if (hasColumn && hasRow)
        return Kind::Cell;
    if (hasColumn && row.digits.empty() && !row.anchored)
        return Kind::Column;
    if (hasRow && column.letters.empty())
        return Kind::Row;
    return Kind::None;
}

// The token moved by the offsets; nothing when it leaves the sheet.
std::optional<std::string> Shift(std::string_view token, long rowOffset, long columnOffset)
{
    Part column, row;
    SplitReference(token, column, row);
    std::string moved;
    if (!column.letters.empty()) {
        long number = *ColumnNumber(column.letters) + (column.anchored ? 0 : columnOffset);
        if (number < 1 || number > long(kMaxColumn))
            return std::nullopt;
        moved += (column.anchored ? "$" : "") + ColumnName(std::uint32_t(number));
    }
    if (!row.digits.empty()) {
        long number = *RowNumberOf(row.digits) + (row.anchored ? 0 : rowOffset);
        if (number < 1 || number > long(kMaxRow))
            return std::nullopt;
        moved += (row.anchored ? "$" : "") + std::to_string(number);
    }
    return moved;
}

size_t WordEnd(std::string_view text, size_t begin)
{
    size_t end = begin;
    while (end < text.size() && IsWordChar(text[end]))
        ++end;
    return end;
}

class Shifter
{
  public:
    Shifter(std::string_view text, long rowOffset, long columnOffset)
        : text_(text), rows_(rowOffset), columns_(columnOffset)
    {
    }

    std::string Run()
    {
        size_t pos = 0;
        while (pos < text_.size())
            pos = Step(pos);
        return out_;
    }

  private:
    size_t Step(size_t pos)
    {
        const char c = text_[pos];
        size_t end = pos + 1;
        if (c == '"' || c == '\'')
            end = QuotedEnd(text_, pos);
        else if (c == '[')
            end = BracketEnd(text_, pos);
        else if (IsWordChar(c))
            return Word(pos);
        out_.append(text_.substr(pos, end - pos));
        return end;
    }

    size_t Word(size_t begin)
    {
        const size_t end = WordEnd(text_, begin);
        const std::string_view token = text_.substr(begin, end - begin);
        const char next = end < text_.size() ? text_[end] : '\0';
        const Kind kind = KindOf(token);
        if (next == '(' || next == '!' || kind == Kind::None)
            return Copy(begin, end);
        if (kind == Kind::Cell)
            return Replace(token, end);
        // bare columns and rows count only as the two ends of a range
        if (next != ':')
            return Copy(begin, end);
        const size_t secondEnd = WordEnd(text_, end + 1);
        const std::string_view second = text_.substr(end + 1, secondEnd - end - 1);
        if (KindOf(second) != kind)
            return Copy(begin, end);
        const auto first = Shift(token, rows_, columns_);
        const auto last = Shift(second, rows_, columns_);
        out_ += first && last ? *first + ":" + *last : std::string("#REF!");
        return secondEnd;
    }

    size_t Copy(size_t begin, size_t end)
    {
        out_.append(text_.substr(begin, end - begin));
        return end;
    }

    size_t Replace(std::string_view token, size_t end)
    {
        const auto moved = Shift(token, rows_, columns_);
        out_ += moved ? *moved : std::string("#REF!");
        return end;
    }

    std::string_view text_;
    long rows_;
    long columns_;
    std::string out_;
};

} // namespace

std::string ShiftFormula(std::string_view formula, long rowOffset, long columnOffset)
{
    if (rowOffset == 0 && columnOffset == 0)
        return std::string(formula);
    return Shifter(formula, rowOffset, columnOffset).Run();
}

} // namespace engine
