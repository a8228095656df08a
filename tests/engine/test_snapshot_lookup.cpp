// Looking template cells up by position as pastes do: ascending, with gaps,
// jumps and steps back, each answer as a search of the whole snapshot gives.

#include "transfer/clipboard_snapshot.h"

#include <QtTest>

#include <utility>
#include <vector>

using engine::ClipboardSnapshot;
using engine::SnapshotCell;
using engine::SnapshotLookup;

namespace
{

using Position = std::pair<std::uint32_t, std::uint32_t>;

// Cells at A1, C1, B2, A5 and D5 with styles 11, 13, 22, 51, 54; row 2 has
// format 7, column A format 3.
ClipboardSnapshot Sample()
{
    ClipboardSnapshot snapshot;
    for (const auto &[row, column] : std::vector<Position>{{1, 1}, {1, 3}, {2, 2}, {5, 1}, {5, 4}})
        snapshot.cells.push_back({row, column, row * 10 + column, {}});
    snapshot.rows[2].hasStyle = true;
    snapshot.rows[2].style = 7;
    engine::Error error;
    snapshot.columns.Load("<cols><col min=\"1\" max=\"1\" style=\"3\"/></cols>", error);
    return snapshot;
}

std::uint32_t Expected(const ClipboardSnapshot &snapshot, Position at)
{
    for (const SnapshotCell &cell : snapshot.cells)
        if (cell.row == at.first && cell.column == at.second)
            return cell.style;
    if (at.first == 2)
        return 7;
    return at.second == 1 ? 3 : 0;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<Position>)

class SnapshotLookupTest : public QObject
{
    Q_OBJECT

  private slots:
    void answersAsASearchInAnyOrder_data()
    {
        QTest::addColumn<std::vector<Position>>("order");
        QTest::newRow("every position ascending")
            << std::vector<Position>{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 2}, {2, 3},
                                     {3, 1}, {4, 4}, {5, 1}, {5, 2}, {5, 4}, {6, 1}};
        QTest::newRow("only the cells")
            << std::vector<Position>{{1, 1}, {1, 3}, {2, 2}, {5, 1}, {5, 4}};
        QTest::newRow("jumps over cells") << std::vector<Position>{{1, 1}, {5, 1}, {5, 4}};
        QTest::newRow("steps back")
            << std::vector<Position>{{5, 4}, {2, 2}, {1, 3}, {1, 2}, {1, 1}, {5, 1}, {1, 3}};
        QTest::newRow("same position twice")
            << std::vector<Position>{{2, 2}, {2, 2}, {1, 3}, {1, 3}};
        QTest::newRow("past the last cell, then back")
            << std::vector<Position>{{9, 9}, {5, 4}, {9, 9}, {1, 1}};
    }

    void answersAsASearchInAnyOrder()
    {
        QFETCH(std::vector<Position>, order);
        const ClipboardSnapshot snapshot = Sample();
        SnapshotLookup lookup(snapshot);
        for (const Position &at : order) {
            const SnapshotCell *cell = lookup.CellAt(at.first, at.second);
            const std::uint32_t expected = Expected(snapshot, at);
            QCOMPARE(cell != nullptr, expected == at.first * 10 + at.second);
            QCOMPARE(lookup.EffectiveStyle(at.first, at.second), expected);
        }
    }

    void snapshotWithoutCellsFallsBackToRowsAndColumns()
    {
        ClipboardSnapshot snapshot = Sample();
        snapshot.cells.clear();
        SnapshotLookup lookup(snapshot);
        QVERIFY(!lookup.CellAt(1, 1));
        QCOMPARE(lookup.EffectiveStyle(1, 1), 3u);
        QCOMPARE(lookup.EffectiveStyle(2, 1), 7u);
        QCOMPARE(lookup.EffectiveStyle(3, 2), 0u);
    }
};

QTEST_GUILESS_MAIN(SnapshotLookupTest)
#include "test_snapshot_lookup.moc"
