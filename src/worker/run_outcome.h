#pragma once
// What one run leaves behind: which workbooks failed and why, and how many
// were done.

#include <QString>
#include <QStringList>

enum class RunEnd {
    Completed,        // every workbook of the list had its turn
    Stopped,          // RequestStop() ended the run before the list was done
    NoApplication,    // the backend offered no workbooks collection
    TemplateUnusable, // the template did not open or has no sheet with cells
};

struct WorkbookResult {
    bool done = false;
    QString reason; // why the workbook failed; empty when done
};

struct RunOutcome {
    QStringList failures; // workbook paths in workbook-list order
    QStringList reasons;  // one per failure, same order
    int successCount = 0;

    void Record(const QString &path, const WorkbookResult &result)
    {
        if (result.done) {
            ++successCount;
            return;
        }
        failures << path;
        reasons << result.reason;
    }
};
