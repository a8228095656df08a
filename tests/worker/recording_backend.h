#pragma once
// A backend for tests: it edits nothing, logs every automation call by the
// member string the runs stand for, with its argument and the object called,
// and can be told which workbooks fail to open or save and which sheets have
// no cells.

#include "worker/automation.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

struct RecordedCall {
    QString object;   // "app", "books", a workbook's file name, "<file>/<sheet>", ...
    QString member;   // e.g. "Item(int)"
    QString argument; // empty when the call takes none
};

class RecordingBackend
{
  public:
    RecordingBackend();

    // The factory to hand to a MergeObject; every app it makes logs here.
    automation::AppFactory Factory();

    // Sheets of the workbook with this file name; others have one "Sheet1".
    void SetSheets(const QString &fileName, const QStringList &sheetNames);
    void FailOpen(const QString &fileName);
    void FailSave(const QString &fileName);
    // Range and UsedRange of that sheet give null, as for a chart sheet.
    void MakeCellless(const QString &fileName, const QString &sheetName);
    // The application offers no workbooks collection.
    void SetNoWorkbooks(bool noWorkbooks);
    // The factory makes no application at all.
    void SetNoApplication(bool noApplication);
    // Its apps say they may work on several threads at once (each app is still
    // used by one thread at a time); the open hook must then be thread-safe.
    void SetParallelUse(bool parallelUse);
    // Called on every Open, with the path, before the result is decided.
    void SetOpenHook(std::function<void(const QString &)> hook);

    QList<RecordedCall> Calls() const;
    // Each call as "member" or "member argument", in call order.
    QStringList Members() const;
    // The same, limited to calls on one object.
    QStringList MembersOn(const QString &object) const;

    // Used by the fake objects.
    struct State;

  private:
    std::shared_ptr<State> state_;
};
