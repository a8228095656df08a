// Compressing less: bits of unchanged text taken over (every spliced stream
// must inflate to exactly the new text, whatever wrote the previous stream),
// and texts that many workbooks write alike compressed once.

#include "package/block_inflater.h"
#include "package/deflate_codec.h"
#include "package/deflate_memo.h"
#include "package/deflate_splice.h"
#include "package/deflate_walk.h"
#include "sheet/worksheet_part.h"

#include <QtTest>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

using namespace engine;

namespace
{

// What a writer other than ours may have made: zlib with its own block sizes
// and block types, possibly with flush points (empty stored blocks).
struct Producer {
    const char *name;
    int level;
    int memLevel;
    int strategy;
    size_t flushEvery; // 0: none
};

const Producer kProducers[] = {
    {"zlib 6", 6, 8, Z_DEFAULT_STRATEGY, 0},
    {"zlib 9, small blocks", 9, 1, Z_DEFAULT_STRATEGY, 0},
    {"zlib 1", 1, 8, Z_DEFAULT_STRATEGY, 0},
    {"fixed codes", 6, 8, Z_FIXED, 0},
    {"stored", 0, 8, Z_DEFAULT_STRATEGY, 0},
    {"sync flushes", 6, 8, Z_DEFAULT_STRATEGY, 50000},
    {"huffman only", 6, 8, Z_HUFFMAN_ONLY, 0},
};

std::string RawDeflate(const std::string &text, const Producer &producer)
{
    z_stream stream{};
    deflateInit2(&stream, producer.level, Z_DEFLATED, -15, producer.memLevel, producer.strategy);
    std::string out(deflateBound(&stream, text.size()) + text.size() / 100 + 64, '\0');
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    size_t given = 0;
    do {
        const size_t chunk = producer.flushEvery ? producer.flushEvery : text.size();
        const size_t size = std::min(chunk, text.size() - given);
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data() + given));
        stream.avail_in = static_cast<uInt>(size);
        given += size;
        deflate(&stream, given == text.size() ? Z_FINISH : Z_SYNC_FLUSH);
    } while (given < text.size());
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Rows of a worksheet, varied enough to make real Huffman tables.
std::string SheetText(std::mt19937 &random, size_t rows)
{
    std::string text = "<worksheet><sheetData>";
    for (size_t row = 1; row <= rows; ++row) {
        text += "<row r=\"" + std::to_string(row) + "\">";
        for (char column = 'A'; column <= 'F'; ++column)
            text += std::string("<c r=\"") + column + std::to_string(row) + "\" s=\"" +
                    std::to_string(random() % 40) + "\"><v>" + std::to_string(random() % 100000) +
                    "</v></c>";
        text += "</row>";
    }
    return text + "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A1:B2\"/></mergeCells>" +
           "</worksheet>";
}

// The runs of two texts that differ in one stretch: their common ends.
UnchangedRuns CommonEnds(const std::string &before, const std::string &after)
{
    size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    UnchangedRuns runs;
    if (prefix > 0)
        runs.push_back({0, 0, prefix});
    if (suffix > 0)
        runs.push_back({after.size() - suffix, before.size() - suffix, suffix});
    return runs;
}

std::string Inflated(const std::string &compressed, size_t size)
{
    std::string text;
    return InflateExactly(compressed, size, text) ? text : std::string("<not deflate data>");
}

} // namespace

class DeflateReuseTest : public QObject
{
    Q_OBJECT

  private slots:
    // Whatever pieces the stream comes in, the text and the block starts are
    // the same; a start's bit is where its block's header is.
    void inflaterFindsBlockStartsInAnyPieces()
    {
        std::mt19937 random(11);
        const std::string text = SheetText(random, 3000);
        for (const Producer &producer : kProducers) {
            const std::string stream = RawDeflate(text, producer);
            std::vector<BlockStart> firstStarts;
            for (const size_t piece : {stream.size(), size_t(65536), size_t(7), size_t(1)}) {
                std::string inflated;
                std::vector<BlockStart> starts;
                BlockInflater inflater(
                    [&](std::string_view part) {
                        inflated.append(part);
                        return true;
                    },
                    [&](const BlockStart &start) {
                        QCOMPARE(start.output, std::uint64_t(inflated.size()));
                        starts.push_back(start);
                    });
                for (size_t at = 0; at < stream.size(); at += piece)
                    QVERIFY(inflater.Feed(std::string_view(stream).substr(at, piece)));
                QVERIFY2(inflater.Ended() && inflated == text, producer.name);
                if (piece == stream.size())
                    firstStarts = starts;
                QVERIFY2(starts.size() == firstStarts.size(), producer.name);
                for (size_t i = 0; i < starts.size(); ++i) {
                    QCOMPARE(starts[i].bit, firstStarts[i].bit);
                    QCOMPARE(starts[i].stored, firstStarts[i].stored);
                    const unsigned header =
                        (static_cast<unsigned char>(stream[starts[i].bit / 8]) |
                         unsigned(static_cast<unsigned char>(stream[starts[i].bit / 8 + 1]))
                             << 8) >>
                        (starts[i].bit % 8);
                    QCOMPARE(starts[i].stored, ((header >> 1) & 3) == 0);
                }
            }
            QVERIFY2(firstStarts.size() > 3, producer.name);
            const bool allStored = std::all_of(firstStarts.begin(), firstStarts.end(),
                                               [](const BlockStart &s) { return s.stored; });
            QCOMPARE(allStored, producer.level == 0);
        }
    }

    void inflaterRefusesDamagedStreams()
    {
        std::mt19937 random(5);
        const std::string stream = RawDeflate(SheetText(random, 200), kProducers[0]);
        const auto sinks =
            std::make_pair([](std::string_view) { return true; }, [](const BlockStart &) {});
        BlockInflater garbage(sinks.first, sinks.second);
        QVERIFY(!garbage.Feed(std::string(64, '\xff')));
        BlockInflater trailing(sinks.first, sinks.second);
        QVERIFY(!trailing.Feed(stream + "xx"));
        BlockInflater cut(sinks.first, sinks.second);
        QVERIFY(cut.Feed(stream.substr(0, stream.size() / 2)));
        QVERIFY(!cut.Ended());
    }
    // Empty, tiny, incompressible and highly repetitive texts; the big ones
    // are fed to the compressor in more than one piece.
    void freshDeflateInflatesToItsText()
    {
        std::mt19937 random(7);
        std::string noise(size_t(65) << 20, '\0');
        for (char &byte : noise)
            byte = char(random());
        const std::string texts[] = {"", "x", SheetText(random, 3000), noise,
                                     std::string(size_t(65) << 20, '0')};
        for (const std::string &text : texts) {
            std::string compressed;
            QVERIFY(DeflateForZip(text, compressed));
            QVERIFY(compressed.size() <= text.size() + text.size() / 1000 + 400);
            QVERIFY(Inflated(compressed, text.size()) == text);
        }
    }

    void walkCoversWholeStreams()
    {
        std::mt19937 random(7);
        const std::string text = SheetText(random, 3000);
        for (const Producer &producer : kProducers) {
            const std::string stream = RawDeflate(text, producer);
            DeflateWalk walk;
            QVERIFY2(WalkDeflate(stream, UINT64_MAX, 0, walk), producer.name);
            QVERIFY2(walk.complete, producer.name);
            QCOMPARE(walk.output, std::uint64_t(text.size()));
            QVERIFY(walk.finalBlockBit < walk.endBit);
            QVERIFY(walk.endBit <= stream.size() * 8 && walk.endBit + 8 > stream.size() * 8);
        }
    }

    void walkRefusesDamagedStreams()
    {
        std::mt19937 random(8);
        const std::string stream = RawDeflate(SheetText(random, 500), kProducers[0]);
        DeflateWalk walk;
        QVERIFY(!WalkDeflate(stream.substr(0, stream.size() / 2), UINT64_MAX, 0, walk));
        QVERIFY(!WalkDeflate(std::string(64, '\xff'), UINT64_MAX, 0, walk));
        // Any bytes at all: refused or walked, never read out of bounds.
        for (int round = 0; round < 200; ++round) {
            std::string noise(size_t(random() % 300), '\0');
            for (char &byte : noise)
                byte = char(random());
            WalkDeflate(noise, 0, UINT64_MAX, walk);
        }
    }

    // The edits a run makes: at the end (merged areas), at the start (rows of
    // the window), in the middle, at both ends, and the whole text.
    void splicedStreamsInflateToTheNewText()
    {
        std::mt19937 random(20240101);
        for (const Producer &producer : kProducers) {
            for (int round = 0; round < 12; ++round) {
                const std::string before = SheetText(random, 2000 + random() % 2000);
                std::string after = before;
                const size_t length = random() % 4000;
                const size_t at = round % 4 == 0   ? after.size() - length - 20
                                  : round % 4 == 1 ? 30
                                                   : random() % (after.size() - length);
                after.replace(at, length, std::string(random() % 5000, char('a' + round)));
                if (round % 4 == 3)
                    after.replace(10, 100, "<cols/>");
                const std::string previous = RawDeflate(before, producer);
                std::string compressed;
                QVERIFY(DeflateReusing(after, previous, CommonEnds(before, after), compressed));
                QVERIFY2(Inflated(compressed, after.size()) == after, producer.name);
                std::string fresh;
                QVERIFY(DeflateForZip(after, fresh));
                // Stored blocks cannot move bit-wise; any other stream edited
                // only at its end must be spliced.
                if (round % 4 == 0 && producer.level > 0)
                    QVERIFY2(compressed != fresh, producer.name);
            }
        }
    }

    void reusesBitsOfAnUnchangedPrefixAndMiddle()
    {
        std::mt19937 random(3);
        const std::string before = SheetText(random, 4000);
        const std::string previous = RawDeflate(before, kProducers[1]);
        std::string fresh;
        // Only the merged areas change: nearly every bit is taken over, so the
        // result is as small as zlib's best and shares its first bytes.
        std::string tailEdited = before;
        tailEdited.replace(before.find("<mergeCells"), 0, "<!-- -->");
        std::string compressed;
        QVERIFY(DeflateReusing(tailEdited, previous, CommonEnds(before, tailEdited), compressed));
        QVERIFY(DeflateForZip(tailEdited, fresh));
        QVERIFY(compressed.size() < fresh.size());
        QCOMPARE(compressed.substr(0, previous.size() / 2),
                 previous.substr(0, previous.size() / 2));
        // The first rows change: the bits after a window of unchanged text are
        // taken over.
        std::string headEdited = before;
        headEdited.replace(40, 200, std::string(300, 'x'));
        QVERIFY(DeflateReusing(headEdited, previous, CommonEnds(before, headEdited), compressed));
        QVERIFY(DeflateForZip(headEdited, fresh));
        QVERIFY(compressed.size() < fresh.size());
        QVERIFY(Inflated(compressed, headEdited.size()) == headEdited);
    }

    void withoutUsableRunsCompressesAfresh()
    {
        std::mt19937 random(4);
        const std::string before = SheetText(random, 1000);
        const std::string previous = RawDeflate(before, kProducers[0]);
        std::string fresh;
        std::string compressed;
        QVERIFY(DeflateForZip(before, fresh));
        QVERIFY(DeflateReusing(before, previous, {}, compressed));
        QCOMPARE(compressed, fresh);
        // A run shorter than the window it needs, and runs that lie.
        const UnchangedRuns shortRun = {{100, 100, 20000}};
        QVERIFY(DeflateReusing(before, previous, shortRun, compressed));
        QCOMPARE(compressed, fresh);
        // An edit in the middle: half of the part is compressed afresh anyway,
        // and a fresh deflate of all of it is quicker than a splice.
        std::string middleEdited = before;
        middleEdited.replace(before.size() / 2, 10, "<!-- -->");
        QVERIFY(
            DeflateReusing(middleEdited, previous, CommonEnds(before, middleEdited), compressed));
        QVERIFY(DeflateForZip(middleEdited, fresh));
        QCOMPARE(compressed, fresh);
        std::string other = before;
        other.replace(0, 5000, std::string(5000, 'q'));
        const UnchangedRuns wrong = {{0, 0, other.size()}, {10, 10, other.size()}};
        QVERIFY(DeflateReusing(other, previous, wrong, compressed));
        QVERIFY(Inflated(compressed, other.size()) == other);
    }

    // Lanes of a run share the memo: whoever asks, the bytes are those of a
    // fresh deflate, and the oldest texts go once the budget is spent.
    void memoGivesWhatAFreshDeflateGives()
    {
        std::mt19937 random(6);
        std::vector<std::string> texts;
        for (int i = 0; i < 4; ++i)
            texts.push_back(SheetText(random, 200));
        texts.push_back("<small/>");
        DeflateMemo memo(texts[0].size() * 3); // room for about two texts
        std::vector<std::thread> lanes;
        std::atomic<int> wrong{0};
        for (int lane = 0; lane < 4; ++lane)
            lanes.emplace_back([&, lane] {
                for (int round = 0; round < 20; ++round) {
                    const std::string &text = texts[size_t(lane + round) % texts.size()];
                    std::string fresh;
                    std::string remembered;
                    if (!DeflateForZip(text, fresh) || !memo.Deflate(text, remembered) ||
                        remembered != fresh)
                        ++wrong;
                }
            });
        for (std::thread &lane : lanes)
            lane.join();
        QCOMPARE(wrong.load(), 0);
    }

    // Edits of a worksheet part report which bytes stayed, also through an
    // edit that inserts elements and reads the part anew.
    void worksheetPartReportsItsUnchangedBytes()
    {
        std::mt19937 random(5);
        const std::string loaded = SheetText(random, 300);
        WorksheetPart part;
        Error error;
        QVERIFY(part.Load(loaded, error));
        // How many bytes the runs cover; 0 when one of them is wrong.
        const auto checkRuns = [&loaded](const std::string &text, const UnchangedRuns &runs) {
            size_t covered = 0;
            for (const UnchangedRun &run : runs) {
                if (text.compare(run.newOffset, run.length, loaded, run.originalOffset,
                                 run.length) != 0)
                    return size_t(0);
                covered += run.length;
            }
            return covered;
        };
        UnchangedRuns runs;
        std::string text = part.Serialise(&runs);
        QCOMPARE(text, loaded);
        QCOMPARE(checkRuns(text, runs), loaded.size());

        part.ReplaceChild(1, ""); // mergeCells
        std::string data(part.ChildText(0));
        data.replace(data.find("<v>"), 3, "<v>9");
        part.ReplaceChild(0, data); // sheetData, one cell changed
        text = part.Serialise(&runs);
        QCOMPARE(runs.size(), size_t(3)); // up to the cell, up to mergeCells, after it
        QVERIFY(checkRuns(text, runs) > loaded.size() * 9 / 10);

        QVERIFY(part.ApplyEdits(error));
        part.ReplaceChild(0, std::string(part.ChildText(0)) + "<mergeCells/>");
        text = part.Serialise(&runs);
        QVERIFY(checkRuns(text, runs) > loaded.size() * 9 / 10);
    }
};

QTEST_APPLESS_MAIN(DeflateReuseTest)
#include "test_deflate_reuse.moc"
