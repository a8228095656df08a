// The office backend driven through the automation interface, as the runs
// drive it, over one soffice; results read back with xlrd.
#include "backends/office/office_backend.h"
#include "python_check.h"
#include "xls_fixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace
{

QByteArray BytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonArray Cell(const QJsonObject &book, const char *sheet, int row, int column)
{
    return book[QLatin1String(sheet)]
        .toObject()[QLatin1String("cells")]
        .toObject()[QStringLiteral("%1,%2").arg(row).arg(column)]
        .toArray();
}

QJsonArray SheetField(const QJsonObject &book, const char *sheet, const char *field)
{
    return book[QLatin1String(sheet)].toObject()[QLatin1String(field)].toArray();
}

bool Bold(const QJsonArray &cell)
{
    return cell.at(2).toBool();
}

QString OfficeFolders()
{
    return QDir::tempPath() + QStringLiteral("/sheetwright-office-") + QString::number(::getuid());
}

long DeadPid()
{
    long pid = 4000000;
    while (::kill(static_cast<pid_t>(pid), 0) == 0)
        ++pid;
    return pid;
}

struct Saved {
    bool ok = false;
    QString error;
};

} // namespace

class OfficeBackendTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void refusesFilesLibreOfficeMustNotSee();
    void unmergeKeepsValuesAndFormatsOnEverySheet();
    void formatsAndWidthsLandOnRangesAndWholeRows();
    void formulasAndValuesReplaceContents();
    void refusedPasteFailsTheWorkbookAndLeavesItUntouched_data();
    void refusedPasteFailsTheWorkbookAndLeavesItUntouched();
    void pasteOntoFilteredRowsLandsInPlace();
    void saveKeepsModeAndRefusesReadOnlyWorkbooks();
    void stuckOfficeIsEndedAndTheNextWorkbookGetsAFreshOne();
    void xlsxTemplateFeedsXlsTargets();
    void nothingToChangeLeavesTheFileAsItWas();
    void vbaProjectIsStoredAsItWasRead();
    void formulaResultsKeepTheirType();
    void mergedTitleOverAnotherDefaultFont();
    void datesOfThe1904SystemAreRefused();
    void quitLeavesNoProcessAndNoFolder();

  private:
    QString Path(const char *name) const { return dir_.filePath(QLatin1String(name)); }
    automation::Workbook *Open(const char *name) { return books_->Open(Path(name)); }
    Saved SaveAndClose(automation::Workbook *book);
    void Unmerge(automation::Workbook *book);
    // The template's range pasted onto the same place of every sheet.
    void Transfer(automation::Sheet *templateSheet, automation::Workbook *book,
                  const QString &source, const QString &target, const QList<int> &pasteTypes);

    QTemporaryDir dir_;
    std::unique_ptr<automation::SpreadsheetApp> app_;
    automation::WorkbookCollection *books_ = nullptr;
    automation::Workbook *template_ = nullptr;
    QList<long> officePids_;
};

Saved OfficeBackendTest::SaveAndClose(automation::Workbook *book)
{
    Saved saved;
    saved.ok = book->Save();
    saved.error = book->LastError();
    book->Close(false);
    return saved;
}

void OfficeBackendTest::Unmerge(automation::Workbook *book)
{
    automation::SheetCollection *sheets = book->Sheets();
    for (int i = 1; i <= sheets->Count(); ++i)
        sheets->Item(i)->UsedRange()->UnMerge();
}

void OfficeBackendTest::Transfer(automation::Sheet *templateSheet, automation::Workbook *book,
                                 const QString &source, const QString &target,
                                 const QList<int> &pasteTypes)
{
    automation::SheetCollection *sheets = book->Sheets();
    for (int i = 1; i <= sheets->Count(); ++i) {
        templateSheet->Range(source)->Copy();
        automation::CellRange *destination = sheets->Item(i)->Range(target);
        for (const int type : pasteTypes)
            destination->PasteSpecial(type);
    }
}

void OfficeBackendTest::initTestCase()
{
    QVERIFY(OfficeInstalled());
    QVERIFY(MakeXlsFixtures(dir_.path()));
    QVERIFY(MakeRefusalFixtures(dir_.path()));
    OfficeOptions options;
    options.workbookTimeout = std::chrono::seconds(8);
    options.workbooksPerInstance = 5; // a fresh soffice now and then, the template loaded again
    options.afterLoad = [this](long pid, const QString &path) {
        if (!officePids_.contains(pid))
            officePids_ << pid;
        if (path.endsWith(QLatin1String("/stuck.xls")))
            ::kill(static_cast<pid_t>(pid), SIGSTOP); // as a soffice that hangs
    };
    // A run that died left its soffice folder behind; the next start removes it.
    const QString stale = OfficeFolders() + QStringLiteral("/%1-0").arg(DeadPid());
    QVERIFY(QDir().mkpath(stale + QStringLiteral("/profile/user")));
    app_ = OfficeAppFactory(options)();
    books_ = app_->WorkBooks();
    QVERIFY(books_);
    QVERIFY(!QFileInfo::exists(stale));
    template_ = Open("template.xls");
    QVERIFY(template_);
}

void OfficeBackendTest::refusesFilesLibreOfficeMustNotSee()
{
    const std::pair<const char *, const char *> files[] = {
        {"empty.xls", "empty"},
        {"junk.xls", "not an Excel 97-2003 workbook"},
        {"encrypted.xls", "encrypted"},
        {"excel5.xls", "Excel 5/95"},
    };
    for (const auto &[name, reason] : files) {
        const QByteArray before = BytesOf(Path(name));
        QVERIFY2(!Open(name), name);
        QVERIFY2(books_->LastOpenError().contains(QLatin1String(reason)),
                 qPrintable(books_->LastOpenError()));
        QCOMPARE(BytesOf(Path(name)), before);
    }
}

void OfficeBackendTest::unmergeKeepsValuesAndFormatsOnEverySheet()
{
    const QJsonObject before = XlsSnapshot(Path("merged.xls"));
    QCOMPARE(SheetField(before, "Guarded", "merges").size(), 2);
    automation::Workbook *book = Open("merged.xls");
    QVERIFY(book);
    Unmerge(book);
    const Saved saved = SaveAndClose(book);
    QVERIFY2(saved.ok, qPrintable(saved.error));
    QVERIFY(!QFile::exists(Path(".~lock.merged.xls#")));

    const QJsonObject after = XlsSnapshot(Path("merged.xls"));
    for (const char *sheet :
         {"Data", "Second", "Guarded"}) { // a protected sheet too, as our engine does
        QVERIFY2(SheetField(after, sheet, "merges").isEmpty(), sheet);
        const QJsonObject cells = before[QLatin1String(sheet)].toObject()["cells"].toObject();
        for (auto cell = cells.begin(); cell != cells.end(); ++cell) {
            const QJsonArray was = cell.value().toArray();
            const QJsonArray is =
                after[QLatin1String(sheet)].toObject()["cells"].toObject()[cell.key()].toArray();
            if (was.at(0).toInt() == 0 && is.isEmpty())
                continue; // an empty cell without a record
            QVERIFY2(was.at(1) == is.at(1) && was.at(2) == is.at(2) && was.at(3) == is.at(3),
                     qPrintable(QStringLiteral("%1!%2").arg(QLatin1String(sheet), cell.key())));
        }
    }
}

void OfficeBackendTest::formatsAndWidthsLandOnRangesAndWholeRows()
{
    automation::Sheet *templateSheet = template_->Sheets()->Item(1);
    const QJsonObject model = XlsSnapshot(Path("template.xls"));
    for (const char *name : {"target.xls", "after_stuck.xls"}) {
        const bool wholeRows = QLatin1String(name) == QLatin1String("after_stuck.xls");
        automation::Workbook *book = Open(name);
        QVERIFY(book);
        Transfer(templateSheet, book, wholeRows ? QStringLiteral("1:5") : QStringLiteral("A1:D5"),
                 wholeRows ? QStringLiteral("A1") : QStringLiteral("A1:D5"),
                 {automation::PasteColumnWidths, automation::PasteFormats});
        const Saved saved = SaveAndClose(book);
        QVERIFY2(saved.ok, qPrintable(saved.error));

        const QJsonObject after = XlsSnapshot(Path(name));
        const QJsonArray modelWidths = SheetField(model, "Template", "widths");
        for (const char *sheet : {"One", "Hidden", "Other"}) {
            const QJsonArray widths = SheetField(after, sheet, "widths");
            for (int column = 0; column < 4; ++column) // same default font: same units
                QVERIFY2(
                    qAbs(widths.at(column).toInt() - modelWidths.at(column).toInt()) < 64,
                    qPrintable(QStringLiteral("%1 %2 column %3").arg(name, sheet).arg(column)));
            QVERIFY(Bold(Cell(after, sheet, 0, 0)));
            QCOMPARE(Cell(after, sheet, 0, 0).at(3), Cell(model, "Template", 0, 0).at(3));
            QVERIFY(!Bold(Cell(after, sheet, 2, 0)));
            QCOMPARE(Cell(after, sheet, 0, 0).at(1).toString(), QStringLiteral("old00"));
            QCOMPARE(Cell(after, sheet, 7, 5).at(1).toString(), QStringLiteral("old75"));
            const QJsonArray merges = SheetField(after, sheet, "merges");
            QVERIFY(merges.contains(QJsonArray{3, 4, 1, 3})); // the template's B4:C4
            // The target's own E5:F5 lies outside the range, inside the whole rows.
            QCOMPARE(merges.contains(QJsonArray{4, 5, 4, 6}), !wholeRows);
        }
        QVERIFY(after["Hidden"].toObject()["hidden"].toBool());
        QVERIFY(!after["One"].toObject()["hidden"].toBool());
    }
}

void OfficeBackendTest::formulasAndValuesReplaceContents()
{
    automation::Sheet *templateSheet = template_->Sheets()->Item(1);
    automation::Workbook *book = Open("modes.xls");
    QVERIFY(book);
    automation::SheetCollection *sheets = book->Sheets();
    templateSheet->Range(QStringLiteral("A1:D5"))->Copy();
    sheets->Item(1)->Range(QStringLiteral("A1:D5"))->PasteSpecial(automation::PasteFormulas);
    templateSheet->Range(QStringLiteral("A1:D5"))->Copy();
    sheets->Item(3)->Range(QStringLiteral("A1:D5"))->PasteSpecial(automation::PasteValues);
    const Saved saved = SaveAndClose(book);
    QVERIFY2(saved.ok, qPrintable(saved.error));

    const QJsonObject after = XlsSnapshot(Path("modes.xls"));
    for (const char *sheet : {"One", "Other"}) {
        QCOMPARE(Cell(after, sheet, 0, 0).at(1).toString(), QStringLiteral("Head"));
        QCOMPARE(Cell(after, sheet, 1, 1).at(1).toDouble(), 3.0);
        QCOMPARE(Cell(after, sheet, 1, 2).at(1).toDouble(), 7.0);
        QCOMPARE(Cell(after, sheet, 2, 0).at(1).toString(), QString()); // emptied
        QVERIFY(!Bold(Cell(after, sheet, 0, 0)));                       // formats stay
        QCOMPARE(Cell(after, sheet, 5, 0).at(1).toString(), QStringLiteral("old50"));
    }
    QCOMPARE(Cell(after, "Hidden", 0, 0).at(1).toString(), QStringLiteral("old00"));
}

void OfficeBackendTest::refusedPasteFailsTheWorkbookAndLeavesItUntouched_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("protected sheet") << "guarded_target.xls"
                                     << "protected";
    QTest::newRow("array formulas") << "array.xls"
                                    << "part of an array formula";
}

// Each of these workbooks would refuse a paste on two sheets; a second
// refused paste in one document ends soffice, so none may follow the first.
void OfficeBackendTest::refusedPasteFailsTheWorkbookAndLeavesItUntouched()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const QByteArray before = BytesOf(dir_.filePath(name));
    automation::Workbook *book = books_->Open(dir_.filePath(name));
    QVERIFY(book);
    const long office = officePids_.last();
    Transfer(template_->Sheets()->Item(1), book, QStringLiteral("A1:D5"), QStringLiteral("A1:D5"),
             {automation::PasteColumnWidths, automation::PasteFormats, automation::PasteValues});
    const Saved saved = SaveAndClose(book);
    QVERIFY(!saved.ok);
    QVERIFY2(saved.error.contains(reason), qPrintable(saved.error));
    QCOMPARE(BytesOf(dir_.filePath(name)), before);
    QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral(".~lock.") + name + QLatin1Char('#'))));
    QVERIFY(::kill(static_cast<pid_t>(office), 0) == 0); // the same soffice goes on
}

// LibreOffice takes this paste; the template's rows must land on the same
// rows, filtered ones included, not be spread over the visible ones.
void OfficeBackendTest::pasteOntoFilteredRowsLandsInPlace()
{
    automation::Workbook *book = Open("filtered.xls");
    QVERIFY(book);
    Transfer(template_->Sheets()->Item(1), book, QStringLiteral("A1:D5"), QStringLiteral("A1:D5"),
             {automation::PasteFormats, automation::PasteValues});
    const Saved saved = SaveAndClose(book);
    QVERIFY2(saved.ok, qPrintable(saved.error));
    const QJsonObject after = XlsSnapshot(Path("filtered.xls"));
    for (const char *sheet : {"Sheet1", "Second"}) {
        QCOMPARE(Cell(after, sheet, 1, 1).at(1).toDouble(), 3.0);
        QCOMPARE(Cell(after, sheet, 2, 0).at(1).toString(), QString()); // a filtered row
        QCOMPARE(Cell(after, sheet, 3, 1).at(1).toString(), QStringLiteral("joined"));
        QCOMPARE(Cell(after, sheet, 5, 0).at(1).toString(), QStringLiteral("keep"));
    }
}

void OfficeBackendTest::saveKeepsModeAndRefusesReadOnlyWorkbooks()
{
    QVERIFY(::chmod(QFile::encodeName(Path("merged.xls")).constData(), 0640) == 0);
    automation::Workbook *book = Open("merged.xls");
    QVERIFY(book);
    Unmerge(book);
    QVERIFY(SaveAndClose(book).ok);
    struct stat info {
    };
    QVERIFY(::stat(QFile::encodeName(Path("merged.xls")).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, 0640u);

    QVERIFY(::chmod(QFile::encodeName(Path("readonly.xls")).constData(), 0444) == 0);
    const QByteArray before = BytesOf(Path("readonly.xls"));
    if (automation::Workbook *readOnly = Open("readonly.xls")) {
        Unmerge(readOnly);
        const Saved saved = SaveAndClose(readOnly);
        QVERIFY(!saved.ok);
        QVERIFY2(saved.error.contains(QLatin1String("read-only")), qPrintable(saved.error));
    } else {
        QVERIFY(books_->LastOpenError().contains(QLatin1String("read-only")));
    }
    QCOMPARE(BytesOf(Path("readonly.xls")), before);
    QVERIFY(::stat(QFile::encodeName(Path("readonly.xls")).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, 0444u);
}

void OfficeBackendTest::stuckOfficeIsEndedAndTheNextWorkbookGetsAFreshOne()
{
    const QByteArray before = BytesOf(Path("stuck.xls"));
    automation::Sheet *templateSheet = template_->Sheets()->Item(1);
    templateSheet->Range(QStringLiteral("A1"))->Copy(); // as a lane's first pass does
    automation::Workbook *book = Open("stuck.xls");
    QVERIFY(book);
    const long stuckPid = officePids_.last();
    // soffice hangs in the template's copy: the template must be loaded
    // again in the next soffice, not count as failed for good.
    Transfer(templateSheet, book, QStringLiteral("B2:C3"), QStringLiteral("B2:C3"),
             {automation::PasteFormats});
    const Saved saved = SaveAndClose(book);
    QVERIFY(!saved.ok);
    QVERIFY2(saved.error.contains(QLatin1String("LibreOffice")), qPrintable(saved.error));
    QCOMPARE(BytesOf(Path("stuck.xls")), before);
    QVERIFY(!QFile::exists(Path(".~lock.stuck.xls#")));
    QVERIFY(::kill(static_cast<pid_t>(stuckPid), 0) != 0);

    // The lane goes on: a fresh soffice, and the template loaded in it again.
    // It starts on a thread that then ends, as a lane's thread does, and lives on.
    automation::Workbook *next = nullptr;
    std::thread([&] { next = Open("target.xls"); }).join();
    QVERIFY2(next, qPrintable(books_->LastOpenError()));
    QVERIFY(officePids_.last() != stuckPid);
    Transfer(templateSheet, next, QStringLiteral("A1:D5"), QStringLiteral("A1:D5"),
             {automation::PasteFormats});
    const Saved nextSaved = SaveAndClose(next);
    QVERIFY2(nextSaved.ok, qPrintable(nextSaved.error));
}

void OfficeBackendTest::xlsxTemplateFeedsXlsTargets()
{
    QString error;
    QVERIFY2(ConvertToXlsx(Path("template.xls"), Path("template.xlsx"), error), qPrintable(error));
    const QJsonObject converted = testsupport::WorkbookSnapshot(Path("template.xlsx"));
    QVERIFY(converted["Template"].toObject()["cells"].toObject()["A1"].toArray().at(2).toBool());

    automation::Workbook *xlsxTemplate = books_->Open(Path("template.xlsx"));
    QVERIFY2(xlsxTemplate, qPrintable(books_->LastOpenError()));
    automation::Workbook *book = Open("excel_target.xls");
    QVERIFY(!book); // no such file: LibreOffice's answer is a reason, not a blank workbook
    QVERIFY(!books_->LastOpenError().isEmpty());
    book = Open("target.xls");
    QVERIFY(book);
    Transfer(xlsxTemplate->Sheets()->Item(1), book, QStringLiteral("A1:D5"),
             QStringLiteral("A1:D5"), {automation::PasteColumnWidths, automation::PasteFormats});
    const Saved saved = SaveAndClose(book);
    QVERIFY2(saved.ok, qPrintable(saved.error));
    QVERIFY(Bold(Cell(XlsSnapshot(Path("target.xls")), "Other", 0, 0)));
    QVERIFY(!xlsxTemplate->Save()); // a template is never written
    xlsxTemplate->Close(false);
}

void OfficeBackendTest::quitLeavesNoProcessAndNoFolder()
{
    template_->Close(false);
    app_->Quit();
    for (const long pid : officePids_)
        QVERIFY(::kill(static_cast<pid_t>(pid), 0) != 0);
    const QString ours = QString::number(::getpid()) + QLatin1Char('-');
    const QStringList left = QDir(OfficeFolders()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &folder : left)
        QVERIFY2(!folder.startsWith(ours), qPrintable(folder));
    QVERIFY(!QFile::exists(Path(".~lock.template.xls#")));
}

// No call changed it: never stored, so byte for byte as it was.
void OfficeBackendTest::nothingToChangeLeavesTheFileAsItWas()
{
    const QByteArray before = BytesOf(Path("songti.xls"));
    automation::Workbook *book = Open("songti.xls");
    QVERIFY(book);
    QCOMPARE(book->Sheets()->Count(), 1);
    QVERIFY(book->Sheets()->Item(1)->Range(QStringLiteral("A1:B2")));
    QVERIFY(book->Save());
    QVERIFY(book->SavedWithoutChange());
    book->Close(false);
    QCOMPARE(BytesOf(Path("songti.xls")), before);
}

// Every stream of the VBA storage as it was, the compiled-cache version and
// the editor's window places that LibreOffice's own export would rewrite.
void OfficeBackendTest::vbaProjectIsStoredAsItWasRead()
{
    const auto streams = [](const QString &path) {
        QFile script(QStringLiteral(OFFICE_TEST_DIR "/vba_streams.py"));
        script.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(
                   testsupport::RunPython(QString::fromUtf8(script.readAll()), {path})
                       .output.toUtf8())
            .object();
    };
    const QJsonObject before = streams(Path("vba.xls"));
    QVERIFY(before.contains(QStringLiteral("_VBA_PROJECT_CUR/VBA/dir")));
    automation::Workbook *book = Open("vba.xls");
    QVERIFY(book);
    Transfer(template_->Sheets()->Item(1), book, QStringLiteral("A1:D5"), QStringLiteral("A1:D5"),
             {automation::PasteValues});
    const Saved saved = SaveAndClose(book);
    QVERIFY2(saved.ok, qPrintable(saved.error));
    QCOMPARE(Cell(XlsSnapshot(Path("vba.xls")), "Sheet1", 0, 0).at(1).toString(),
             QStringLiteral("Head"));
    QCOMPARE(streams(Path("vba.xls")), before);
}

// Text, TRUE and an error as the cached results readers show, not 0 and 1.
void OfficeBackendTest::formulaResultsKeepTheirType()
{
    automation::Workbook *book = Open("results.xls");
    QVERIFY(book);
    Transfer(template_->Sheets()->Item(1), book, QStringLiteral("A1:D5"), QStringLiteral("A1:D5"),
             {automation::PasteValues});
    const Saved saved = SaveAndClose(book);
    QVERIFY2(saved.ok, qPrintable(saved.error));
    const QJsonObject after = XlsSnapshot(Path("results.xls"));
    const int text = 1, number = 2, boolean = 4, error = 5; // xlrd's cell types
    QCOMPARE(Cell(after, "Sheet1", 9, 0).at(0).toInt(), text);
    QCOMPARE(Cell(after, "Sheet1", 9, 0).at(1).toString(), QStringLiteral("ab"));
    QCOMPARE(Cell(after, "Sheet1", 9, 1).at(0).toInt(), boolean);
    QCOMPARE(Cell(after, "Sheet1", 9, 2).at(0).toInt(), error);
    QCOMPARE(Cell(after, "Sheet1", 9, 3).at(0).toInt(), number);
    QCOMPARE(Cell(after, "Sheet1", 9, 3).at(1).toDouble(), 5.0);
    QCOMPARE(Cell(after, "Sheet1", 0, 0).at(1).toString(), QStringLiteral("Head"));
}

// A template whose title row A1:C1 is merged, over cells of no format of
// their own, pasted with its values onto a workbook of another default
// font: the paste is taken, the title stays merged after the values, and
// the target's E4:E7 across the area's edge is dissolved, not cut.
void OfficeBackendTest::mergedTitleOverAnotherDefaultFont()
{
    // Converted, as the runs convert an .xls template.
    QString error;
    QVERIFY2(ConvertToXlsx(Path("titled.xls"), Path("titled.xlsx"), error), qPrintable(error));
    automation::Workbook *book = Open("songti.xls");
    QVERIFY(book);
    automation::Workbook *titled = Open("titled.xlsx");
    QVERIFY(titled);
    Transfer(titled->Sheets()->Item(1), book, QStringLiteral("A1:E5"), QStringLiteral("A1:E5"),
             {automation::PasteColumnWidths, automation::PasteFormats, automation::PasteValues});
    const Saved saved = SaveAndClose(book);
    titled->Close(false);
    QVERIFY2(saved.ok, qPrintable(saved.error));
    const QJsonObject after = XlsSnapshot(Path("songti.xls"));
    const QJsonArray titleOnly{QJsonArray{0, 1, 0, 3}};
    QCOMPARE(SheetField(after, "Data", "merges"), titleOnly);
    QCOMPARE(Cell(after, "Data", 0, 0).at(1).toString(), QStringLiteral("月度报表"));
    QVERIFY(Bold(Cell(after, "Data", 0, 0)));
    QCOMPARE(Cell(after, "Data", 1, 1).at(1).toDouble(), 12.5);
    QCOMPARE(Cell(after, "Data", 3, 4).at(1).toString(), QString()); // emptied by the paste
    QCOMPARE(Cell(after, "Data", 5, 0).at(1).toString(), QStringLiteral("old50"));
}

// Pasted serials would name other dates in a workbook counting from 1904.
void OfficeBackendTest::datesOfThe1904SystemAreRefused()
{
    const QByteArray before = BytesOf(Path("songti1904.xls"));
    automation::Workbook *book = Open("songti1904.xls");
    QVERIFY(book);
    automation::Workbook *titled = Open("titled.xlsx");
    QVERIFY(titled);
    Transfer(titled->Sheets()->Item(1), book, QStringLiteral("A1:E5"), QStringLiteral("A1:E5"),
             {automation::PasteValues});
    const Saved saved = SaveAndClose(book);
    titled->Close(false);
    QVERIFY(!saved.ok);
    QVERIFY2(saved.error.contains(QLatin1String("1904")), qPrintable(saved.error));
    QCOMPARE(BytesOf(Path("songti1904.xls")), before);
}

QTEST_GUILESS_MAIN(OfficeBackendTest)
#include "test_office_backend.moc"
