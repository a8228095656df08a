// The engine behind the automation interface, as the runs call it.

#include "backends/native/native_backend.h"
#include "backends/range_check.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "python_check.h"
#include "zip_compare.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

class NativeBackendTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void sheetsInWorkbookOrderWithChartSheet();
    void unmergeOfUsedRangeThroughTheInterface();
    void refusedFileGivesReason();
    void pasteAppliesWhatWasCopied();
    void copyAfterAnEditSeesTheEdit();
    void closeWithoutSaveDiscards();
    void unreadableSheetFailsTheSave();
    void failedCopyFailsEveryPasteOfIt();
    void saveTellsWhetherTheFileChanged();
    void rangeTextCheck();

  private:
    QTemporaryDir dir_;
    QString rich_;
    std::unique_ptr<automation::SpreadsheetApp> app_;
};

void NativeBackendTest::init()
{
    QVERIFY(dir_.isValid());
    rich_ = dir_.filePath("rich.xlsx");
    QFile::remove(rich_);
    QVERIFY(WriteRichWorkbook(rich_));
    app_ = CreateNativeApp();
    QVERIFY(app_->WorkBooks());
}

void NativeBackendTest::sheetsInWorkbookOrderWithChartSheet()
{
    automation::Workbook *book = app_->WorkBooks()->Open(rich_);
    QVERIFY(book);
    automation::SheetCollection *sheets = book->Sheets();
    QCOMPARE(sheets->Count(), 3);
    QCOMPARE(sheets->Item(1)->Name(), QStringLiteral("Data"));
    QCOMPARE(sheets->Item(2)->Name(), QStringLiteral("Second"));
    QCOMPARE(sheets->Item(3)->Name(), QStringLiteral("Chart"));
    QVERIFY(!sheets->Item(0));
    QVERIFY(!sheets->Item(4));
    QVERIFY(!sheets->Item(3)->UsedRange());
    QVERIFY(!sheets->Item(3)->Range("A1"));
    QVERIFY(sheets->Item(1)->Range("b2:$D$9"));
    QVERIFY(!sheets->Item(1)->Range("Totals"));
    QVERIFY(!sheets->Item(1)->Range(""));
    QVERIFY(book->Save()); // nothing changed, nothing to fail
}

void NativeBackendTest::unmergeOfUsedRangeThroughTheInterface()
{
    automation::Workbook *book = app_->WorkBooks()->Open(rich_);
    QVERIFY(book);
    for (int i = 1; i <= book->Sheets()->Count(); ++i)
        if (automation::CellRange *used = book->Sheets()->Item(i)->UsedRange())
            used->UnMerge();
    QVERIFY2(book->Save(), qPrintable(book->LastError()));
    book->Close(false);
    const QJsonObject snapshot = WorkbookSnapshot(rich_);
    QCOMPARE(snapshot.keys(), QStringList({"Data", "Second"}));
    for (const QString &sheet : snapshot.keys())
        QVERIFY(snapshot[sheet].toObject()["merges"].toArray().isEmpty());
}

void NativeBackendTest::refusedFileGivesReason()
{
    // A compound file under an .xlsx name; under an .xls name, one that is damaged.
    const QByteArray ole = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(1024, 0);
    const QString legacy = dir_.filePath("old.xlsx");
    QVERIFY(WriteFileBytes(legacy, ole));
    automation::WorkbookCollection *books = app_->WorkBooks();
    QVERIFY(!books->Open(legacy));
    QVERIFY(books->LastOpenError().contains("legacy"));
    const QString damaged = dir_.filePath("old.xls");
    QVERIFY(WriteFileBytes(damaged, ole));
    QVERIFY(!books->Open(damaged));
    QVERIFY(!books->LastOpenError().isEmpty());
    QCOMPARE(FileBytes(damaged), ole);
    QVERIFY(books->Open(rich_));
    QVERIFY(books->LastOpenError().isEmpty());
}

void NativeBackendTest::pasteAppliesWhatWasCopied()
{
    const QString target = dir_.filePath("target.xlsx");
    QFile::remove(target);
    QVERIFY(QFile::copy(rich_, target));
    const QByteArray pristine = FileBytes(rich_);
    automation::WorkbookCollection *books = app_->WorkBooks();
    automation::Workbook *source = books->Open(rich_);
    automation::Workbook *book = books->Open(target);
    automation::CellRange *copied = source->Sheets()->Item(1)->Range("A1:D11");
    automation::CellRange *pasted = book->Sheets()->Item(2)->Range("A1:D11");
    // nothing copied yet, then a type no run asks for: neither changes anything
    pasted->PasteSpecial(automation::PasteFormats);
    copied->Copy();
    pasted->PasteSpecial(12);
    QVERIFY(book->Save());
    QCOMPARE(FileBytes(target), pristine);

    pasted->PasteSpecial(automation::PasteFormats);
    QVERIFY2(book->Save(), qPrintable(book->LastError()));
    source->Close(false);
    QCOMPARE(FileBytes(rich_), pristine);
    const QJsonObject after = WorkbookSnapshot(target);
    QCOMPARE(after.value("Second").toObject().value("merges").toArray(),
             after.value("Data").toObject().value("merges").toArray());
    const QJsonObject data = after.value("Data").toObject().value("cells").toObject();
    const QJsonObject second = after.value("Second").toObject().value("cells").toObject();
    int compared = 0;
    for (const QChar column : QStringLiteral("ABCD"))
        for (int row = 1; row <= 11; ++row) {
            const QString cell = column + QString::number(row);
            if (!data.contains(cell) || !second.contains(cell))
                continue; // a cell without value and format is not listed
            QCOMPARE(second.value(cell).toArray().toVariantList().mid(1),
                     data.value(cell).toArray().toVariantList().mid(1));
            ++compared;
        }
    QVERIFY(compared > 10);
}

void NativeBackendTest::copyAfterAnEditSeesTheEdit()
{
    const QString target = dir_.filePath("edited.xlsx");
    QFile::remove(target);
    QVERIFY(QFile::copy(rich_, target));
    automation::WorkbookCollection *books = app_->WorkBooks();
    automation::Workbook *source = books->Open(rich_);
    automation::Workbook *book = books->Open(target);
    automation::CellRange *copied = source->Sheets()->Item(1)->Range("A1:D11");
    copied->Copy();
    copied->UnMerge();
    copied->Copy();
    book->Sheets()->Item(1)->Range("A1:D11")->PasteSpecial(automation::PasteFormats);
    QVERIFY2(book->Save(), qPrintable(book->LastError()));
    const QJsonObject after = WorkbookSnapshot(target);
    QCOMPARE(after.value("Data").toObject().value("merges").toArray(), QJsonArray());
}

void NativeBackendTest::closeWithoutSaveDiscards()
{
    const QByteArray before = FileBytes(rich_);
    automation::Workbook *book = app_->WorkBooks()->Open(rich_);
    automation::Sheet *sheet = book->Sheets()->Item(1);
    automation::CellRange *used = sheet->UsedRange();
    used->UnMerge();
    book->Close(false);
    QCOMPARE(FileBytes(rich_), before);
    // Objects of a closed workbook stay callable and do nothing.
    used->UnMerge();
    QVERIFY(!book->Sheets());
    QVERIFY(sheet->Name().isEmpty());
    QVERIFY(!sheet->UsedRange());
    QVERIFY(!book->Save());
    app_->Quit();
}

void NativeBackendTest::unreadableSheetFailsTheSave()
{
    const QString path = dir_.filePath("broken-sheet.xlsx");
    QVERIFY(WritePackage(path, MinimalWorkbookParts({WorksheetXml("<sheetData><row>")})));
    automation::Workbook *book = app_->WorkBooks()->Open(path);
    QVERIFY(book);
    QVERIFY(!book->Sheets()->Item(1)->UsedRange());
    QVERIFY(!book->Save());
    QVERIFY(book->LastError().startsWith("sheet \"Sheet1\": damaged XML"));
}

void NativeBackendTest::rangeTextCheck()
{
    QVERIFY(FirstInvalidRangeEntry("").isNull());
    QVERIFY(FirstInvalidRangeEntry(",").isNull());
    QVERIFY(FirstInvalidRangeEntry("A1:C7,,B:B,1:9,$D$4").isNull());
    QCOMPARE(FirstInvalidRangeEntry("A1,Totals,XFE1"), QStringLiteral("Totals"));
    QCOMPARE(FirstInvalidRangeEntry("A1, B2"), QStringLiteral(" B2"));
    QCOMPARE(FirstInvalidRangeEntry(QString::fromUtf8("A1：C7")), QString::fromUtf8("A1：C7"));
    QCOMPARE(FirstInvalidRangeEntry("A1;C7"), QStringLiteral("A1;C7"));
}

// A template range that cannot be copied (no styles part here) says why, and
// every workbook it is pasted on refuses to save, untouched; a later good
// copy pastes again.
void NativeBackendTest::failedCopyFailsEveryPasteOfIt()
{
    const QString broken = dir_.filePath("broken.xlsx");
    PackageEntries entries;
    for (const QString &name : EntryNames(rich_))
        if (name != "xl/styles.xml")
            entries.emplace_back(name, EntryData(rich_, name));
    QVERIFY(WritePackage(broken, entries));
    const QString target = dir_.filePath("target.xlsx");
    QFile::remove(target);
    QVERIFY(QFile::copy(rich_, target));
    const QByteArray pristine = FileBytes(target);
    automation::WorkbookCollection *books = app_->WorkBooks();
    automation::CellRange *source = books->Open(broken)->Sheets()->Item(1)->Range("A1:D11");
    source->Copy();
    QVERIFY(!source->LastError().isEmpty());

    automation::Workbook *book = books->Open(target);
    automation::CellRange *pasted = book->Sheets()->Item(2)->Range("A1:D11");
    pasted->PasteSpecial(automation::PasteColumnWidths);
    QVERIFY(pasted->LastError().contains(source->LastError()));
    books->Open(rich_)->Sheets()->Item(1)->Range("A1:D11")->Copy();
    pasted->PasteSpecial(automation::PasteFormats);
    QVERIFY(pasted->LastError().isEmpty());
    QVERIFY(!book->Save());
    QVERIFY2(book->LastError().contains(source->LastError()), qPrintable(book->LastError()));
    QCOMPARE(FileBytes(target), pristine);
}

void NativeBackendTest::saveTellsWhetherTheFileChanged()
{
    const QString target = dir_.filePath("target.xlsx");
    QFile::remove(target);
    QVERIFY(QFile::copy(rich_, target));
    const QByteArray pristine = FileBytes(target);
    for (bool paste : {false, true}) {
        automation::Workbook *book = app_->WorkBooks()->Open(target);
        if (paste) {
            app_->WorkBooks()->Open(rich_)->Sheets()->Item(1)->Range("A1:D11")->Copy();
            book->Sheets()->Item(2)->Range("A1:D11")->PasteSpecial(automation::PasteFormats);
        }
        bool saved = false;
        book->SaveAndClose([&saved](bool ok, const QString &) { saved = ok; });
        app_->Quit(); // waits for the save to be finished
        QVERIFY(saved);
        QCOMPARE(book->SavedWithoutChange(), !paste);
        QCOMPARE(FileBytes(target) == pristine, !paste);
    }
}

QTEST_GUILESS_MAIN(NativeBackendTest)
#include "test_native_backend.moc"
