#pragma once
// sheetwright-cli's messages, in the language the window speaks for the
// same locale (worker/text_language.h).

#include "worker/run_outcome.h"
#include "worker/text_language.h"

#include <QString>

// The text in this process's language; both are UTF-8.
QString Say(const char *chinese, const char *english);

// How many workbooks of a run ended each way.
struct OutcomeCounts {
    int done = 0;
    int unchanged = 0;
    int failed = 0;
};

// The closing line of a run: done, failed and unchanged workbooks apart, or
// that the run found none. In Chinese it is the window's summary, word for
// word, so that users see one text in both front ends.
QString RunSummaryText(const OutcomeCounts &counts, int workbookCount, qint64 elapsedSeconds);

// QCommandLineParser's error text (Qt's own English) in this process's language.
QString ParserErrorText(const QString &qtText);

// A reason the worker gives for a workbook, in this process's language.
QString ReasonText(const QString &reason);

// What the CLI says about a run that could not go through its workbooks (no
// application, a template that does not open, with the problem that made it
// unreadable if there was one); empty for the other ends. In Chinese these
// are the window's status texts.
QString RunEndText(RunEnd end, const QString &templatePath, const QString &templateProblem);
