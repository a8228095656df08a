// Cell formats pasted from an .xlsx template onto an xlwt .xls workbook in
// place: xlrd reads the pasted formats as the template has them and every
// value, type and other cell as it was; only format and cell records differ.
#include "biff/record_reader.h"
#include "biff_stream_builder.h"
#include "engine/workbook.h"
#include "engine/xls_workbook.h"
#include "transfer/clipboard_snapshot.h"
#include "xls/cell_formats.h"
#include "xls_check.h"
#include "xls_paste_scripts.h"

#include "file_bytes.h"
#include "python_check.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace engine;
using testsupport::RunPython;

class XlsFormatPasteTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

    QString Path(const QString &name) const { return dir_.filePath(name); }

    ClipboardSnapshot Copied(const char *area)
    {
        Error error;
        auto book = Workbook::Open(Path("template.xlsx").toStdString(), error);
        ClipboardSnapshot snapshot;
        TransferState state(*book);
        if (!book || !state.Copy(0, *ParseA1Area(area), snapshot, error))
            qFatal("copy %s: %s", area, error.message.c_str());
        return snapshot;
    }

    QString Stream(const QString &xls)
    {
        const QString stream = xls + ".stream";
        return RunPython(kTakeStream, {xls, stream}).ok ? stream : QString();
    }

  private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        const auto made = RunPython(kMakePasteFixtures, {dir_.path()});
        QVERIFY2(made.ok, qPrintable(made.errors));
        QVERIFY(QFile::copy(Path("target.xls"), Path("before.xls")));
    }

    void formatsPastedInPlace()
    {
        const ClipboardSnapshot snapshot = Copied("A1:C3");
        Error error;
        auto target = XlsWorkbook::Open(Path("target.xls").toStdString(), error);
        QVERIFY2(target, error.message.c_str());
        QVERIFY2(target->PasteFormats(0, snapshot, {1, 1}, error), error.message.c_str());
        QVERIFY(target->Changed());
        QVERIFY2(target->Save(error), error.message.c_str());

        const auto check = RunPython(kCheckPaste, {Path("before.xls"), Path("target.xls")});
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
        bool ok = false;
        const QStringList differing = xlscheck::DifferingRecordTypes(
            Stream(Path("before.xls")), Stream(Path("target.xls")), ok);
        QVERIFY(ok);
        // The format tables (the theme colours of the template's fonts in
        // XFEXT), MERGEDCELLS and the cell records of A1:C3 only.
        const QStringList allowed = {"0x0031", "0x041e", "0x00e0", "0x087c", "0x087d",
                                     "0x00e5", "0x0201", "0x00be", "0x0203", "0x027e",
                                     "0x00fd", "0x0205", "0x0006"};
        for (const QString &type : differing)
            QVERIFY2(allowed.contains(type), qPrintable(type));
        QVERIFY(differing.contains("0x00e0") && differing.contains("0x00e5"));
        QVERIFY(xlscheck::StreamPositionsHold(Stream(Path("target.xls"))));

        // The same paste again finds its formats: nothing to write.
        const QByteArray saved = testsupport::FileBytes(Path("target.xls"));
        auto again = XlsWorkbook::Open(Path("target.xls").toStdString(), error);
        QVERIFY(again && again->PasteFormats(0, snapshot, {1, 1}, error));
        QVERIFY(!again->Changed());
        QVERIFY(again->Save(error));
        QCOMPARE(testsupport::FileBytes(Path("target.xls")), saved);
    }

    // Pastes A1:E1 of the template onto row 6 of `path`, whose missing
    // cells A6, C6, E6 are a new first cell, one between, one after the last.
    void PasteOntoRowSix(const QString &path)
    {
        Error error;
        auto target = XlsWorkbook::Open(path.toStdString(), error);
        QVERIFY2(target, error.message.c_str());
        QVERIFY2(target->PasteFormats(0, Copied("A1:E1"), {6, 1}, error), error.message.c_str());
        QVERIFY2(target->Save(error), error.message.c_str());
        const auto check = RunPython(kCheckBlanks, {path});
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
        QVERIFY(xlscheck::StreamPositionsHold(Stream(path)));
    }

    // Cells without records in rows that have cells get BLANK records in
    // column order: xlrd reads them formatted, LibreOffice too, also in a
    // workbook LibreOffice wrote, and the positions the stream holds of its
    // records still hold.
    void blanksAddedInRows()
    {
        QVERIFY(QFile::copy(Path("before.xls"), Path("blanks.xls")));
        PasteOntoRowSix(Path("blanks.xls"));
        bool ok = false;
        const QStringList differing = xlscheck::DifferingRecordTypes(
            Stream(Path("before.xls")), Stream(Path("blanks.xls")), ok);
        QVERIFY(ok);
        for (const char *type : {"0x0201", "0x0208", "0x0200"})
            QVERIFY2(differing.contains(type), qPrintable(differing.join(' ')));

        QVERIFY(QDir().mkpath(Path("office")));
        if (!xlscheck::ConvertWithLibreOffice(Path("blanks.xls"), Path("office")) ||
            !xlscheck::ConvertWithLibreOffice(Path("before.xls"), Path("office")))
            QSKIP("LibreOffice is not installed");
        const auto office = RunPython(kCheckBlanks, {Path("office/blanks.xls")});
        QVERIFY2(office.ok, qPrintable(office.output + office.errors));
        PasteOntoRowSix(Path("office/before.xls"));
    }

    // Rows without cells get them, and ROW records where they have none, in
    // a sheet without row blocks (xlwt's); LibreOffice reads them too. In one
    // with row blocks (LibreOffice's) the paste is refused, nothing changed.
    void cellsAddedInRowsWithoutCells()
    {
        QVERIFY(QFile::copy(Path("before.xls"), Path("rows.xls")));
        Error error;
        auto target = XlsWorkbook::Open(Path("rows.xls").toStdString(), error);
        QVERIFY(target);
        QVERIFY2(target->PasteFormats(0, Copied("A1:C3"), {5, 5}, error), error.message.c_str());
        QVERIFY2(target->Save(error), error.message.c_str());
        const auto check = RunPython(kCheckNewRows, {Path("rows.xls")});
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
        QVERIFY(xlscheck::StreamPositionsHold(Stream(Path("rows.xls"))));

        QVERIFY(QDir().mkpath(Path("office-rows")));
        if (!xlscheck::ConvertWithLibreOffice(Path("rows.xls"), Path("office-rows")) ||
            !xlscheck::ConvertWithLibreOffice(Path("before.xls"), Path("office-rows")))
            QSKIP("LibreOffice is not installed");
        const auto office = RunPython(kCheckNewRows, {Path("office-rows/rows.xls")});
        QVERIFY2(office.ok, qPrintable(office.output + office.errors));
        const QString written = Path("office-rows/before.xls");
        const QByteArray before = testsupport::FileBytes(written);
        auto onBlocks = XlsWorkbook::Open(written.toStdString(), error);
        QVERIFY(onBlocks);
        const bool pasted = onBlocks->PasteFormats(0, Copied("A1:C3"), {5, 5}, error);
        if (RunPython(kHasRowBlocks, {Stream(written)}).ok) {
            QVERIFY(!pasted);
            QVERIFY2(QString::fromStdString(error.message).contains("E5"), error.message.c_str());
            QVERIFY(onBlocks->Save(error));
            QCOMPARE(testsupport::FileBytes(written), before);
        } else {
            QVERIFY2(pasted && onBlocks->Save(error), error.message.c_str());
            const auto again = RunPython(kCheckNewRows, {written});
            QVERIFY2(again.ok, qPrintable(again.output + again.errors));
        }
    }

    // A sheet whose rows INDEX and DBCELL records index takes new cells only
    // in rows with cells; one without takes them in any row.
    void rowsTakeCellsAsTheirSheetAllows()
    {
        for (const bool blocks : {true, false}) {
            BiffStreamBuilder b;
            b.Bof(0x0010);
            b.Add(0x0200, U32(0) + U32(1) + U16(0) + U16(1) + U16(0));
            b.Add(0x0208, U16(0) + std::string(14, '\0'));
            b.Add(0x0201, U16(0) + U16(0) + U16(15));
            if (blocks)
                b.Add(0x00D7, U32(24) + U16(0));
            b.Eof();
            std::vector<BiffRecord> records;
            Error error;
            CellFormats cells;
            QVERIFY(ReadSubstream(b.Bytes(), 0, "sheet", records, error));
            QVERIFY(cells.Load(b.Bytes(), records, error));
            QVERIFY(cells.RowTakesCells(0));
            QCOMPARE(cells.RowTakesCells(4), !blocks);
            QCOMPARE(cells.AddBlank(4, 2, 15), !blocks);
            QCOMPARE(cells.Changed(), !blocks);
        }
    }

    // The template's merged areas in the range are made on the target.
    void templateMergesMade()
    {
        QVERIFY(QFile::copy(Path("before.xls"), Path("merges.xls")));
        Error error;
        auto target = XlsWorkbook::Open(Path("merges.xls").toStdString(), error);
        QVERIFY(target);
        QVERIFY2(target->PasteFormats(0, Copied("E5:F5"), {3, 1}, error), error.message.c_str());
        QVERIFY2(target->Save(error), error.message.c_str());
        const auto check = RunPython(kCheckMerges, {Path("merges.xls")});
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
        QVERIFY(xlscheck::StreamPositionsHold(Stream(Path("merges.xls"))));
    }

    // A paste reaching past column IV is cut off at the sheet's edge.
    void cutAtSheetEdge()
    {
        QVERIFY(QFile::copy(Path("before.xls"), Path("edge.xls")));
        Error error;
        auto target = XlsWorkbook::Open(Path("edge.xls").toStdString(), error);
        QVERIFY(target);
        QVERIFY2(target->PasteFormats(0, Copied("A1:C3"), {1, 255}, error), error.message.c_str());
        QVERIFY2(target->Save(error), error.message.c_str());
        const auto check = RunPython(kCheckEdge, {Path("edge.xls")});
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
    }

    // What the native path does not paste yet is refused before anything
    // changes: whole rows.
    void refusedUnchanged()
    {
        const QByteArray before = testsupport::FileBytes(Path("before.xls"));
        Error error;
        auto target = XlsWorkbook::Open(Path("before.xls").toStdString(), error);
        QVERIFY(target);
        QVERIFY(!target->PasteFormats(0, Copied("1:1"), {1, 1}, error));
        QCOMPARE(error.code, ErrorCode::Unsupported);
        QVERIFY(!target->Changed());
        QVERIFY(target->Save(error));
        QCOMPARE(testsupport::FileBytes(Path("before.xls")), before);
    }
};

QTEST_GUILESS_MAIN(XlsFormatPasteTest)
#include "test_xls_format_paste.moc"
