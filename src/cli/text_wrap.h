#pragma once
// Breaking help texts into lines that fit a terminal, for English, where
// lines break at spaces, and for Chinese, where they may break between any
// two characters.

#include <QString>
#include <QStringList>

// Terminal columns the text takes: East Asian wide characters take two.
int ColumnsOf(const QString &text);

// The text in lines of at most `limit` columns, broken after a space (which
// is dropped) or beside a wide character; a word longer than a line stays
// whole.
QStringList WrapToColumns(const QString &text, int limit);
