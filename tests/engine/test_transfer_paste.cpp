// Copy and PasteSpecial end to end on the engine: every paste type and range
// shape, judged by openpyxl against the template and the untouched target.

#include "engine/transfer_state.h"
#include "file_bytes.h"
#include "fixtures.h"
#include "parts/styles_memo.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer_check.h"
#include "transfer_fixtures.h"
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

QString Message(const engine::Error &error)
{
    return QString::fromStdString(error.message);
}

// The passes of a format transfer: each area copied from the template's first
// sheet onto the same place of every sheet, whole rows onto A1. Sheet i takes
// its snapshots from templates[i % size], each snapshot taken anew per sheet
// unless `snapshotOnce` (then all sheets share the first template's).
QString TransferFrom(const QStringList &templates, const QString &targetPath,
                     const QStringList &areas, const QList<PasteKind> &kinds,
                     engine::StyleTableMemo *memo = nullptr, bool snapshotOnce = false)
{
    engine::Error error;
    std::vector<std::unique_ptr<engine::Workbook>> sources;
    for (const QString &path : templates)
        sources.push_back(engine::Workbook::Open(path.toStdString(), error));
    auto target = engine::Workbook::Open(targetPath.toStdString(), error);
    if (std::count(sources.begin(), sources.end(), nullptr) || !target)
        return Message(error);
    std::vector<std::unique_ptr<engine::TransferState>> copying;
    for (const auto &source : sources)
        copying.push_back(std::make_unique<engine::TransferState>(*source, memo));
    engine::TransferState pasting(*target, memo);
    std::vector<engine::ClipboardSnapshot> snapshots(size_t(areas.size()));
    for (size_t sheet = 0; sheet < target->Sheets().size(); ++sheet) {
        for (int i = 0; i < areas.size(); ++i) {
            const auto area = engine::ParseA1Area(areas[i].toStdString());
            engine::ClipboardSnapshot &snapshot = snapshots[size_t(i)];
            const bool take = sheet == 0 || !snapshotOnce;
            if (!area ||
                (take && !copying[sheet % copying.size()]->Copy(0, *area, snapshot, error)))
                return "copy " + areas[i] + ": " + Message(error);
            const bool wholeRows = area->firstColumn == 1 && area->lastColumn == engine::kMaxColumn;
            const engine::PastePlace place =
                wholeRows ? engine::PastePlace{1, 1}
                          : engine::PastePlace{area->firstRow, area->firstColumn};
            for (PasteKind kind : kinds)
                if (!pasting.Paste(sheet, snapshot, place, kind, error))
                    return "paste " + areas[i] + ": " + Message(error);
        }
    }
    return pasting.Commit(error) && target->Save(error) ? QString() : Message(error);
}

QString Transfer(const QString &templatePath, const QString &targetPath, const QStringList &areas,
                 const QList<PasteKind> &kinds, engine::StyleTableMemo *memo = nullptr)
{
    return TransferFrom({templatePath}, targetPath, areas, kinds, memo);
}

QStringList Names(const QList<PasteKind> &kinds)
{
    const char *const names[] = {"widths", "formats", "formulas", "values"};
    QStringList out;
    for (PasteKind kind : kinds)
        out << names[int(kind)];
    return out;
}

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
            TransferProblems({template_, pristine_, target, sheet, areas, Names(kinds)});
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
    const QStringList formats = Names(kFormats);
    QCOMPARE(TransferProblems({template_, pristine_, mixed, "Data", "B2:D6", formats}),
             QStringList());
    QCOMPARE(TransferProblems({bigger, pristine_, mixed, "Second", "B2:D6", formats}),
             QStringList());
}

QTEST_GUILESS_MAIN(TransferPasteTest)
#include "test_transfer_paste.moc"
