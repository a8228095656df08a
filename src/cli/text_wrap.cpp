#include "cli/text_wrap.h"

namespace
{

// Hangul, CJK (with its punctuation and the kana), and the full-width forms.
bool IsWide(QChar c)
{
    const char16_t code = c.unicode();
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
           (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
           (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6);
}

bool MayBreakBefore(const QString &line, QChar next)
{
    if (line.isEmpty() || next == QLatin1Char(' '))
        return false;
    const QChar last = line.back();
    return last == QLatin1Char(' ') || IsWide(last) || IsWide(next);
}

} // namespace

int ColumnsOf(const QString &text)
{
    int columns = 0;
    for (const QChar c : text)
        columns += IsWide(c) ? 2 : 1;
    return columns;
}

QStringList WrapToColumns(const QString &text, int limit)
{
    QStringList lines;
    QString line;
    int breakAt = 0; // where `line` may be cut; 0 where it may not
    for (const QChar c : text) {
        if (MayBreakBefore(line, c))
            breakAt = line.size();
        line += c;
        // A space at the end is dropped if the line breaks there: it never overflows.
        if (breakAt > 0 && c != QLatin1Char(' ') && ColumnsOf(line) > limit) {
            lines << line.left(breakAt).trimmed();
            line = line.mid(breakAt);
            breakAt = 0;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}
