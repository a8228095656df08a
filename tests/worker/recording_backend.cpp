#include "recording_backend.h"

#include <QFileInfo>
#include <QMutexLocker>

#include <vector>

struct RecordingBackend::State {
    mutable QMutex mutex;
    QList<RecordedCall> calls;
    QHash<QString, QStringList> sheets;
    QSet<QString> failingOpens;
    QSet<QString> failingSaves;
    QSet<QString> failingCopies;
    QSet<QString> celllessSheets;
    bool noWorkbooks = false;
    bool noApplication = false;
    bool parallelUse = false;
    std::function<void(const QString &)> openHook;

    void Log(const QString &object, const char *member, const QString &argument = QString())
    {
        QMutexLocker lock(&mutex);
        calls.append(RecordedCall{object, QString::fromLatin1(member), argument});
    }
};

namespace
{

using State = RecordingBackend::State;

// Every object of one app lives until the app is destroyed, as the interface
// promises; this holds them.
class Arena
{
  public:
    template <typename T, typename... Args> T *Make(Args &&...args)
    {
        auto object = std::make_shared<T>(std::forward<Args>(args)...);
        objects_.push_back(object);
        return object.get();
    }

  private:
    std::vector<std::shared_ptr<void>> objects_;
};

// What the ranges of one workbook tell it.
struct BookMarks {
    bool edited = false; // a paste or an unmerge was made
    bool copyFails = false;
};

class FakeRange : public automation::CellRange
{
  public:
    FakeRange(State &state, BookMarks &marks, QString name)
        : state_(state), marks_(marks), name_(std::move(name))
    {
    }
    void Copy() override
    {
        state_.Log(name_, "Copy()");
        if (marks_.copyFails)
            lastError_ = QStringLiteral("cannot read the range");
    }
    void PasteSpecial(int pasteType) override
    {
        state_.Log(name_, "PasteSpecial(conts QVariant&)", QString::number(pasteType));
        marks_.edited = true;
    }
    void UnMerge() override
    {
        state_.Log(name_, "UnMerge()");
        marks_.edited = true;
    }
    QString LastError() const override { return lastError_; }

  private:
    State &state_;
    BookMarks &marks_;
    QString name_;
    QString lastError_;
};

class FakeSheet : public automation::Sheet
{
  public:
    FakeSheet(State &state, Arena &arena, BookMarks &marks, QString name, QString object,
              bool cellless)
        : state_(state), arena_(arena), marks_(marks), name_(std::move(name)),
          object_(std::move(object)), cellless_(cellless)
    {
    }
    QString Name() override
    {
        state_.Log(object_, "Name");
        return name_;
    }
    automation::CellRange *Range(const QString &address) override
    {
        state_.Log(object_, "Range(const QString&)", address);
        return MakeRange(address);
    }
    automation::CellRange *UsedRange() override
    {
        state_.Log(object_, "UsedRange");
        return MakeRange(QStringLiteral("used"));
    }

  private:
    automation::CellRange *MakeRange(const QString &address)
    {
        if (cellless_)
            return nullptr;
        return arena_.Make<FakeRange>(state_, marks_, object_ + QLatin1Char('!') + address);
    }

    State &state_;
    Arena &arena_;
    BookMarks &marks_;
    QString name_;
    QString object_;
    bool cellless_;
};

class FakeSheets : public automation::SheetCollection
{
  public:
    FakeSheets(State &state, Arena &arena, BookMarks &marks, QString fileName, QStringList names)
        : state_(state), arena_(arena), marks_(marks), fileName_(std::move(fileName)),
          names_(std::move(names))
    {
    }
    int Count() override
    {
        state_.Log(fileName_ + QStringLiteral("/sheets"), "Count()");
        return names_.size();
    }
    automation::Sheet *Item(int oneBasedIndex) override
    {
        state_.Log(fileName_ + QStringLiteral("/sheets"), "Item(int)",
                   QString::number(oneBasedIndex));
        if (oneBasedIndex < 1 || oneBasedIndex > names_.size())
            return nullptr;
        const QString name = names_.at(oneBasedIndex - 1);
        const QString object = fileName_ + QLatin1Char('/') + name;
        QMutexLocker lock(&state_.mutex);
        const bool cellless = state_.celllessSheets.contains(object);
        lock.unlock();
        return arena_.Make<FakeSheet>(state_, arena_, marks_, name, object, cellless);
    }

  private:
    State &state_;
    Arena &arena_;
    BookMarks &marks_;
    QString fileName_;
    QStringList names_;
};

class FakeWorkbook : public automation::Workbook
{
  public:
    FakeWorkbook(State &state, Arena &arena, QString fileName, QStringList sheetNames,
                 bool saveFails, bool copyFails)
        : state_(state), arena_(arena), fileName_(std::move(fileName)),
          sheetNames_(std::move(sheetNames)), saveFails_(saveFails)
    {
        marks_.copyFails = copyFails;
    }
    automation::SheetCollection *Sheets() override
    {
        state_.Log(fileName_, "Sheets");
        return arena_.Make<FakeSheets>(state_, arena_, marks_, fileName_, sheetNames_);
    }
    bool Save() override
    {
        state_.Log(fileName_, "Save()");
        return !saveFails_;
    }
    void Close(bool saveChanges) override
    {
        state_.Log(fileName_, "Close (Boolean)", saveChanges ? "true" : "false");
    }
    QString LastError() const override
    {
        return saveFails_ ? QStringLiteral("disk full") : QString();
    }
    // As the native engine: a workbook nothing was done to is left as it was.
    bool SavedWithoutChange() const override { return !saveFails_ && !marks_.edited; }

  private:
    State &state_;
    Arena &arena_;
    QString fileName_;
    QStringList sheetNames_;
    bool saveFails_;
    BookMarks marks_;
};

class FakeWorkbooks : public automation::WorkbookCollection
{
  public:
    FakeWorkbooks(State &state, Arena &arena) : state_(state), arena_(arena) {}
    automation::Workbook *Open(const QString &path) override
    {
        state_.Log(QStringLiteral("books"), "Open(const QString&)", path);
        if (state_.openHook)
            state_.openHook(path);
        const QString fileName = QFileInfo(path).fileName();
        QMutexLocker lock(&state_.mutex);
        if (state_.failingOpens.contains(fileName))
            return nullptr;
        const QStringList sheets =
            state_.sheets.value(fileName, QStringList{QStringLiteral("Sheet1")});
        const bool saveFails = state_.failingSaves.contains(fileName);
        const bool copyFails = state_.failingCopies.contains(fileName);
        lock.unlock();
        return arena_.Make<FakeWorkbook>(state_, arena_, fileName, sheets, saveFails, copyFails);
    }
    QString LastOpenError() const override { return QStringLiteral("not a workbook"); }

  private:
    State &state_;
    Arena &arena_;
};

class FakeApp : public automation::SpreadsheetApp
{
  public:
    explicit FakeApp(std::shared_ptr<State> state) : state_(std::move(state)) {}
    void SetVisible(bool visible) override
    {
        state_->Log(QStringLiteral("app"), "SetVisible (bool Visible)", visible ? "true" : "false");
    }
    void SetDisplayAlerts(bool displayAlerts) override
    {
        state_->Log(QStringLiteral("app"), "DisplayAlerts", displayAlerts ? "true" : "false");
    }
    automation::WorkbookCollection *WorkBooks() override
    {
        state_->Log(QStringLiteral("app"), "WorkBooks");
        if (state_->noWorkbooks)
            return nullptr;
        return arena_.Make<FakeWorkbooks>(*state_, arena_);
    }
    void Quit() override { state_->Log(QStringLiteral("app"), "Quit(void)"); }
    bool SupportsParallelUse() const override { return state_->parallelUse; }

  private:
    std::shared_ptr<State> state_;
    Arena arena_;
};

QString AsText(const RecordedCall &call)
{
    return call.argument.isEmpty() ? call.member : call.member + QLatin1Char(' ') + call.argument;
}

} // namespace

RecordingBackend::RecordingBackend() : state_(std::make_shared<State>()) {}

automation::AppFactory RecordingBackend::Factory()
{
    std::shared_ptr<State> state = state_;
    return [state]() -> std::unique_ptr<automation::SpreadsheetApp> {
        if (state->noApplication)
            return nullptr;
        return std::make_unique<FakeApp>(state);
    };
}

void RecordingBackend::SetSheets(const QString &fileName, const QStringList &sheetNames)
{
    state_->sheets.insert(fileName, sheetNames);
}

void RecordingBackend::FailOpen(const QString &fileName)
{
    state_->failingOpens.insert(fileName);
}

void RecordingBackend::FailSave(const QString &fileName)
{
    state_->failingSaves.insert(fileName);
}

void RecordingBackend::FailCopy(const QString &fileName)
{
    state_->failingCopies.insert(fileName);
}

void RecordingBackend::MakeCellless(const QString &fileName, const QString &sheetName)
{
    state_->celllessSheets.insert(fileName + QLatin1Char('/') + sheetName);
}

void RecordingBackend::SetNoWorkbooks(bool noWorkbooks)
{
    state_->noWorkbooks = noWorkbooks;
}

void RecordingBackend::SetNoApplication(bool noApplication)
{
    state_->noApplication = noApplication;
}

void RecordingBackend::SetParallelUse(bool parallelUse)
{
    state_->parallelUse = parallelUse;
}

void RecordingBackend::SetOpenHook(std::function<void(const QString &)> hook)
{
    state_->openHook = std::move(hook);
}

QList<RecordedCall> RecordingBackend::Calls() const
{
    QMutexLocker lock(&state_->mutex);
    return state_->calls;
}

QStringList RecordingBackend::Members() const
{
    QStringList members;
    for (const RecordedCall &call : Calls())
        members << AsText(call);
    return members;
}

QStringList RecordingBackend::MembersOn(const QString &object) const
{
    QStringList members;
    for (const RecordedCall &call : Calls()) {
        if (call.object == object)
            members << AsText(call);
    }
    return members;
}
