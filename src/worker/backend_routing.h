#pragma once
// Which backend serves which workbook. The front ends compose the backends
// (the composition root) and hand them to the worker; a lane sends each
// workbook to the backend of its kind.

#include "worker/automation.h"

#include <QString>

#include <functional>
#include <vector>

enum class BackendKind { Native, Office };

// What a run does with each workbook, which decides where an .xls one goes.
struct JobNeeds {
    bool readsRanges = false; // a template: its ranges are copied
    std::vector<int> pastes;  // the paste types a transfer makes
    bool wholeRows = false;   // a transfer of rows 1 to N rather than of ranges
};

// Unmerging workbooks; reading a template's ranges.
JobNeeds UnmergeNeeds();
JobNeeds TemplateNeeds();

// The backend a workbook goes to: an .xls workbook goes to the native engine
// when it does everything the job needs there, otherwise to the office
// backend; every other workbook to the native engine.
BackendKind BackendFor(const QString &path, const JobNeeds &needs);

// Why a workbook fails when no backend of its kind is there.
QString NoBackendReason(BackendKind kind);

// Converts a workbook only the office backend reads (an .xls template) into
// an .xlsx file the native engine reads; false, with the reason, when it cannot.
using ToNativeConverter =
    std::function<bool(const QString &sourcePath, const QString &xlsxPath, QString &error)>;

// One application factory per kind. An empty factory means no backend for
// those workbooks: each of them fails with NoBackendReason(). The native one
// decides, as the run's first application, whether a run can go on at all.
// A lane makes one application of each kind it needs, so every factory must
// allow one application per lane at work at once.
struct Backends {
    automation::AppFactory native;
    automation::AppFactory office;
    // The routing rule; tests give another to reach a kind that today's rule
    // sends nothing to.
    std::function<BackendKind(const QString &path, const JobNeeds &needs)> route = BackendFor;
    // Lets the native engine read an office-only template; empty without an office.
    ToNativeConverter toNative = nullptr;

    // One factory for every kind.
    static Backends AllFrom(const automation::AppFactory &factory);
    const automation::AppFactory &For(BackendKind kind) const;
};
