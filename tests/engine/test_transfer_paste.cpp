// Copy and PasteSpecial end to end on the engine: every paste type and range
// shape, judged by openpyxl against the template and the untouched target.

#include "engine/transfer_state.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "parts/styles_memo.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer_check.h"
#include "transfer_fixtures.h"
#include "transfer_run.h"
#include "zip_compare.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

using engine::PasteKind;
Q_DECLARE_METATYPE(QList<PasteKind>)

namespace
{

const QList<PasteKind> kWidths = {PasteKind::ColumnWidths};
const QList<PasteKind> kFormats = {PasteKind::ColumnWidths, PasteKind::Formats};

} // namespace

class TransferPasteTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void pastesKeepTheirPromises_data();
    void pastesKeepTheirPromises();
    void onlyTheEditedPartsChange();
    void repeatedTransferAddsNoStyles();
    void contentPasteDropsTheCalculationChain();
    void widthsLeaveEverythingElse();
    void styleMemoChangesNoByte();
    void stylesInternedPerSnapshot();

  private:
    QString Fresh(const QString &name);
    QTemporaryDir dir_;
    QString template_;
    QString pristine_;
};

void TransferPasteTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    template_ = dir_.filePath("template.xlsx");
    pristine_ = dir_.filePath("pristine.xlsx");
    QVERIFY(WriteTransferTemplate(template_));
    QVERIFY(WriteTransferTarget(pristine_));
}

QString TransferPasteTest::Fresh(const QString &name)
{
    const QString path = dir_.filePath(name);
    QFile::remove(path);
    return QFile::copy(pristine_, path) ? path : QString();
}

void TransferPasteTest::pastesKeepTheirPromises_data()
{
    QTest::addColumn<QString>("areas");
    QTest::addColumn<QList<PasteKind>>("kinds");
    const QList<PasteKind> formulas = kFormats + QList{PasteKind::Formulas};
    const QList<PasteKind> values = kFormats + QList{PasteKind::Values};
    const QList<PasteKind> both = formulas + QList{PasteKind::Values};
    QTest::newRow("widths") << "B2:D9" << kWidths;
    QTest::newRow("formats") << "B2:D9" << kFormats;
    QTest::newRow("formulas") << "B2:D9" << formulas;
    QTest::newRow("values") << "B2:D9" << values;
    QTest::newRow("formulas then values") << "B2:D9" << both;
    QTest::newRow("two areas") << "B2:D9,F1:F20" << formulas;
    QTest::newRow("whole rows, formats") << "1:12" << kFormats;
    QTest::newRow("whole rows, values") << "1:12" << values;
    QTest::newRow("whole columns") << "B:C" << formulas;
    QTest::newRow("one cell") << "B2" << kFormats;
}

void TransferPasteTest::pastesKeepTheirPromises()
{
    QFETCH(QString, areas);
    QFETCH(QList<PasteKind>, kinds);
    const QString target = Fresh(QString(QTest::currentDataTag()).replace(' ', '_') + ".xlsx");
    QCOMPARE(Transfer(template_, target, areas.split(','), kinds), QString());
    for (const QString &sheet : {QStringLiteral("Data"), QStringLiteral("Second")}) {
        const QStringList problems =
            TransferProblems({template_, pristine_, target, sheet, areas, PasteNames(kinds)});
        QVERIFY2(problems.isEmpty(), qPrintable(sheet + ": " + problems.join('\n')));
    }
}

void TransferPasteTest::onlyTheEditedPartsChange()
{
    const QString target = Fresh("parts.xlsx");
    QCOMPARE(Transfer(template_, target, {"B2:D9"}, kFormats), QString());
    QCOMPARE(
        testsupport::DifferingEntries(pristine_, target),
        QStringList({"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/styles.xml"}));
    QCOMPARE(testsupport::EntryNames(target), testsupport::EntryNames(pristine_));
}

void TransferPasteTest::repeatedTransferAddsNoStyles()
{
    const QString target = Fresh("twice.xlsx");
    QCOMPARE(Transfer(template_, target, {"B2:D9", "F1:F20"}, kFormats), QString());
    const QString once = dir_.filePath("once.xlsx");
    QVERIFY(QFile::copy(target, once));
    QCOMPARE(Transfer(template_, target, {"B2:D9", "F1:F20"}, kFormats), QString());
    QCOMPARE(testsupport::EntryData(target, "xl/styles.xml"),
             testsupport::EntryData(once, "xl/styles.xml"));
    QCOMPARE(testsupport::EntryData(target, "xl/worksheets/sheet1.xml").count("<cfRule"),
             testsupport::EntryData(once, "xl/worksheets/sheet1.xml").count("<cfRule"));
}

void TransferPasteTest::contentPasteDropsTheCalculationChain()
{
    const QString target = Fresh("chain.xlsx");
    QVERIFY(AddCalcChain(target));
    QCOMPARE(Transfer(template_, target, {"B2:D9"}, kFormats), QString());
    QVERIFY(testsupport::EntryNames(target).contains("xl/calcChain.xml"));
    QCOMPARE(Transfer(template_, target, {"B2:D9"}, {PasteKind::Values}), QString());
    QVERIFY(!testsupport::EntryNames(target).contains("xl/calcChain.xml"));
    QVERIFY(!testsupport::EntryData(target, "[Content_Types].xml").contains("calcChain"));
    QVERIFY(!testsupport::EntryData(target, "xl/_rels/workbook.xml.rels").contains("calcChain"));
    QVERIFY(testsupport::EntryData(target, "xl/workbook.xml").contains("fullCalcOnLoad=\"1\""));
}

void TransferPasteTest::widthsLeaveEverythingElse()
{
    const QString target = Fresh("widths.xlsx");
    QCOMPARE(Transfer(template_, target, {"1:12"}, kWidths), QString());
    QCOMPARE(testsupport::DifferingEntries(pristine_, target),
             QStringList({"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"}));
    const QByteArray before = testsupport::EntryData(pristine_, "xl/worksheets/sheet1.xml");
    const QByteArray after = testsupport::EntryData(target, "xl/worksheets/sheet1.xml");
    const auto sheetData = [](const QByteArray &xml) { return xml.mid(xml.indexOf("<sheetData")); };
    QCOMPARE(sheetData(after), sheetData(before));
}

// Workbooks sharing a style table text get the memo's answers, one whose text
// differs in a single byte its own; either way the bytes are those of a
// transfer without the memo.
void TransferPasteTest::styleMemoChangesNoByte()
{
    const QStringList areas = {"B2:D9", "F1:F20", "1:12"};
    const QString otherFont = Fresh("other_font.xlsx");
    QVERIFY(EditPackage(otherFont, [](const QString &name, QByteArray data) {
        return name == "xl/styles.xml" ? data.replace("<sz val=\"11\"/>", "<sz val=\"12\"/>")
                                       : data;
    }));
    QVERIFY(testsupport::EntryData(otherFont, "xl/styles.xml") !=
            testsupport::EntryData(pristine_, "xl/styles.xml"));
    const QString otherFontPlain = dir_.filePath("other_font_plain.xlsx");
    QVERIFY(QFile::copy(otherFont, otherFontPlain));
    const QString plain = Fresh("memo_plain.xlsx");
    QCOMPARE(Transfer(template_, plain, areas, kFormats), QString());
    QCOMPARE(Transfer(template_, otherFontPlain, areas, kFormats), QString());

    engine::StyleTableMemo memo;
    for (const char *name : {"memo_first.xlsx", "memo_second.xlsx"}) {
        const QString target = Fresh(name);
        QCOMPARE(Transfer(template_, target, areas, kFormats, &memo), QString());
        QCOMPARE(testsupport::FileBytes(target), testsupport::FileBytes(plain));
    }
    QCOMPARE(Transfer(template_, otherFont, areas, kFormats, &memo), QString());
    QCOMPARE(testsupport::FileBytes(otherFont), testsupport::FileBytes(otherFontPlain));
    const QByteArray styles = testsupport::EntryData(pristine_, "xl/styles.xml");
    QCOMPARE(memo.RecordsOf(styles.toStdString()).size(), size_t(1));
}

// A workbook interns a snapshot's formats once for all its sheets: sharing one
// snapshot writes the bytes of a snapshot per sheet, and sheets pasted from
// templates that number different formats alike each get their template's.
void TransferPasteTest::stylesInternedPerSnapshot()
{
    const QStringList areas = {"B2:D9", "1:12"};
    const QString perSheet = Fresh("snapshot_per_sheet.xlsx");
    const QString once = Fresh("snapshot_once.xlsx");
    QCOMPARE(TransferFrom({template_}, perSheet, areas, kFormats), QString());
    QCOMPARE(TransferFrom({template_}, once, areas, kFormats, nullptr, true), QString());
    QCOMPARE(testsupport::FileBytes(once), testsupport::FileBytes(perSheet));

    const QString bigger = dir_.filePath("bigger_font_template.xlsx");
    QVERIFY(QFile::copy(template_, bigger));
    QVERIFY(EditPackage(bigger, [](const QString &name, QByteArray data) {
        return name == "xl/styles.xml" ? data.replace("<sz val=\"11\"/>", "<sz val=\"15\"/>")
                                       : data;
    }));
    const QString mixed = Fresh("two_templates.xlsx");
    // above the merged area, whose other cells a reader gives the default format
    QCOMPARE(TransferFrom({template_, bigger}, mixed, {"B2:D6"}, kFormats), QString());
    const QStringList formats = PasteNames(kFormats);
    QCOMPARE(TransferProblems({template_, pristine_, mixed, "Data", "B2:D6", formats}),
             QStringList());
    QCOMPARE(TransferProblems({bigger, pristine_, mixed, "Second", "B2:D6", formats}),
             QStringList());
}

QTEST_GUILESS_MAIN(TransferPasteTest)
#include "test_transfer_paste.moc"
