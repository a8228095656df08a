#pragma once
// Template and target workbooks for the format transfer tests, written with
// libxlsxwriter and touched up where it cannot go (shared formulas, a
// calculation chain).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// First sheet "Template": fonts, fills, borders, built-in and custom number
// formats, alignment, protection, widths, heights, a formatted row and column,
// merges, conditional formats, formulas (a shared group in F2:F4), strings
// (rich text too), numbers, dates and a boolean.
bool WriteTransferTemplate(const QString &path);

// Sheets "Data" and "Second": values, formats, merges, conditional formats, a
// hidden column, a data validation and a shared formula group (B8:B12) that
// the area B2:D9 cuts.
bool WriteTransferTarget(const QString &path);

// Rewrites the package with each entry's data passed through `edit`, and
// `extra` entries appended.
bool EditPackage(const QString &path,
                 const std::function<QByteArray(const QString &, QByteArray)> &edit,
                 const QList<QPair<QString, QByteArray>> &extra = {});

// Sheet "Data" with conditional formats placed around the area B2:D9: a cell
// rule on A1:C4 (partly inside), one on "A5:E5 G1:G3 C7:C8" (several areas),
// one on C3:D4 (inside), one on F1:F3 (outside), and data bars with their
// extension twins on D1:D12 (partly inside) and B3:B6 (inside).
bool WriteConditionalTarget(const QString &path);

// Rewrites every part that has the spreadsheet main namespace as its default
// one to bind it to the prefix "x:" instead, every element of it prefixed
// ("<x:worksheet xmlns:x=...>"), as some writers do.
bool PrefixMainNamespace(const QString &path);

// Adds a calculation chain part with its relationship and content type.
bool AddCalcChain(const QString &path);
