#pragma once
// An independent judge of a format transfer: openpyxl reads the template, the
// target before and the target after, and lists every difference from what
// the pastes promise (inside the area) and from the original (outside it).

#include <QString>
#include <QStringList>

struct TransferExpectation {
    QString templatePath;
    QString beforePath;
    QString afterPath;
    QString sheet;
    QString area;       // the template area; "1:12" for whole rows
    QStringList pastes; // of "widths", "formats", "formulas", "values"
};

// Empty when the target is what the pastes promise.
QStringList TransferProblems(const TransferExpectation &expectation);
