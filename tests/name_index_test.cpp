// The name index must answer exactly as a first-match scan over the list it
// indexes, whatever the mix of asking and storing, at every size: small
// tables, and large ones whose new entries wait behind a filter.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/comment_attachment.h"
#include "bench/mission_generator.h"
#include "driver/driver.h"
#include "frontend/source_reader.h"
#include "model/mission.h"
#include "model/name_index.h"
#include "output/attached_comments.h"
#include "output/mission_printer.h"
#include "output/output_sink.h"
#include "output/source_printer.h"

namespace zeb {
namespace {

struct IndexedList {
    std::vector<std::string> names;  // the caller's list, positions into it
    NameIndex index;
    std::unordered_map<std::string, std::uint32_t> firstPosition;  // the scan's answer

    auto nameAt() const {
        return [this](std::uint32_t at) { return std::string_view(names[at]); };
    }
    std::uint32_t expected(const std::string& name) const {
        const auto found = firstPosition.find(name);
        return found == firstPosition.end() ? NameIndex::kAbsent : found->second;
    }
    // Appends a name to the list and stores it; `askFirst` asks for it with
    // the same view just before, as a declaration does.
    void declare(const std::string& name, bool askFirst) {
        names.push_back(name);
        const auto position = static_cast<std::uint32_t>(names.size() - 1);
        const std::string_view stored = names.back();
        if (askFirst) {
            EXPECT_EQ(index.find(stored, nameAt()), expected(name)) << name;
        }
        index.insert(stored, position, nameAt());
        firstPosition.emplace(name, position);
    }
};

// Names of a few shapes and lengths (1 to 20 bytes), some drawn again.
std::string randomName(std::mt19937_64& random, std::size_t pool) {
    const std::size_t n = random() % pool;
    static const char* const kStems[] = {"m", "loc", "team_", "alpha-bravo-charlie"};
    return std::string(kStems[n % 4]) + std::to_string(n / 4);
}

class NameIndexTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(NameIndexTest, AnswersAsAFirstMatchScan) {
    const std::size_t declarations = GetParam();
    std::mt19937_64 random(declarations);
    IndexedList list;
    // A pool a little larger than the number of declarations: most names are
    // new, some come again (a duplicate keeps its first position).
    const std::size_t pool = declarations + declarations / 8 + 1;
    for (std::size_t i = 0; i < declarations; ++i) {
        list.declare(randomName(random, pool), random() % 4 != 0);
        if (random() % 16 == 0) {
            const std::string asked = randomName(random, pool);
            ASSERT_EQ(list.index.find(asked, list.nameAt()), list.expected(asked)) << asked;
        }
    }
    // Every name the list holds, and names it never held, asked at the end.
    for (const std::string& name : list.names) ASSERT_EQ(list.index.find(name, list.nameAt()), list.expected(name));
    for (std::size_t i = 0; i < 1000; ++i) {
        const std::string absent = "never" + std::to_string(i);
        ASSERT_EQ(list.index.find(absent, list.nameAt()), NameIndex::kAbsent);
    }
}

// From a handful of names, through the growth steps, to tables well past the
// size where the filter starts.
INSTANTIATE_TEST_SUITE_P(Sizes, NameIndexTest, ::testing::Values(1, 11, 12, 200, 50000, 300000));

// A name asked with one view and stored with another (a copy elsewhere) is
// still found once, at its first position.
TEST(NameIndex, CopiesOfANameAreOneName) {
    IndexedList list;
    for (int i = 0; i < 100000; ++i) list.declare("n" + std::to_string(i), true);
    const std::string copy = "n777";
    EXPECT_EQ(list.index.find(copy, list.nameAt()), 777u);
    list.declare("n777", false);
    EXPECT_EQ(list.index.find(copy, list.nameAt()), 777u);
}

TEST(NameIndex, ClearForgetsEverything) {
    IndexedList list;
    for (int i = 0; i < 70000; ++i) list.declare("n" + std::to_string(i), true);
    list.index.clear();
    EXPECT_TRUE(list.index.empty());
    EXPECT_EQ(list.index.find("n5", list.nameAt()), NameIndex::kAbsent);
}

// The comments' table is asked for every construct of a mission, most of
// which have none; neither its filter nor a reader's cursor may hide one
// that has, whichever order the reader asks in.
TEST(AttachedCommentsTable, FindsWhatWasPlacedAndNothingElseInAnyOrder) {
    std::vector<std::uint64_t> records(20000);
    const auto placedPart = [](std::size_t i) { return i % 4 == 0 ? CommentedPart::Whole : CommentedPart::Plan; };
    const auto otherPart = [](std::size_t i) { return i % 4 == 0 ? CommentedPart::Plan : CommentedPart::Whole; };
    EXPECT_EQ(AttachedComments().find(&records[0]), nullptr);
    AttachedComments::Builder builder;
    std::vector<CommentPlaces*> made(records.size());
    // Made out of order: the builder sorts.
    for (std::size_t i = records.size(); i-- > 0;) {
        if (i % 2 != 0) continue;
        made[i] = &builder.add(&records[i], placedPart(i));
        made[i]->before.push_back("// one");
    }
    // A construct given twice keeps both lists, the first made first.
    builder.add(&records[0], placedPart(0)).before.push_back("// two");
    const AttachedComments comments = std::move(builder).finish();
    std::vector<std::size_t> forwards(records.size());
    for (std::size_t i = 0; i < forwards.size(); ++i) forwards[i] = i;
    std::vector<std::size_t> shuffled = forwards;
    std::mt19937 random(7);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    for (const std::vector<std::size_t>* order : {&forwards, &shuffled}) {
        AttachedComments::Cursor cursor;
        for (std::size_t i : *order) {
            const CommentPlaces* expected = i % 2 == 0 ? made[i] : nullptr;
            ASSERT_EQ(comments.find(&records[i], placedPart(i), cursor), expected) << i;
            ASSERT_EQ(comments.find(&records[i], otherPart(i), cursor), nullptr) << i;
            ASSERT_EQ(comments.find(&records[i], placedPart(i)), expected) << i;
        }
    }
    EXPECT_EQ(made[0]->before, (std::vector<std::string_view>{"// one", "// two"}));
    EXPECT_EQ(made[2]->before.size(), 1u);
}

// A large mission's plans are laid out on two threads, the back half of
// the teams on the second: the text must be the one thread's.
TEST(ConcurrentReaders, LayOutPlansOnTwoThreadsAsOnOne) {
    for (const bench::ShapeKind kind : {bench::ShapeKind::Plan, bench::ShapeKind::Text, bench::ShapeKind::Mix}) {
        std::string text = bench::generateMission(bench::shapeForBytes(300'000, 5, kind), 5);
        normaliseLineEnds(text);
        const auto source = std::make_shared<const std::string>(std::move(text));
        const MissionAnalysis analysis = analyzeMission(source);
        ASSERT_FALSE(analysis.hasError());
        ASSERT_GT(analysis.mission->teams.size(), 2u);
        ASSERT_FALSE(analysis.comments.empty());
        const AttachedComments comments =
            attachComments(findConstructs(*source), *source, analysis.comments, *analysis.mission);
        std::string one, two;
        OutputSink oneThread(&one), twoThreads(&two);
        printSource(oneThread, *analysis.mission, comments, SourcePrinting::OneThread);
        printSource(twoThreads, *analysis.mission, comments, SourcePrinting::TwoThreads);
        EXPECT_EQ(two, one);
    }
}

// A finished mission is read by any number of threads at once: no query
// changes the record, so the answers are those of a single reader and a
// race detector finds nothing. The mission is large enough that the member
// index has grown past the size where its filter starts, the path that
// keeps new entries waiting.
TEST(ConcurrentReaders, ShareOneFinishedMission) {
    const bench::MissionShape shape = bench::shapeForBytes(3'000'000, 1);
    Mission mission;
    std::string printed;
    std::string diagnostics;
    OutputSink out(&printed);
    OutputSink err(&diagnostics);
    ASSERT_EQ(compileSource(bench::generateMission(shape, 1), mission, out, err), 0) << diagnostics;
    // 65,536 slots hold up to 45,875 names; more than 22,937 made the table grow to them.
    ASSERT_GT(mission.members.size(), 22'937u);

    std::map<std::string_view, const Location*> firstLocation;
    for (const Location& location : mission.locations) firstLocation.emplace(location.label, &location);
    ASSERT_FALSE(firstLocation.empty());
    ASSERT_FALSE(mission.areas.empty());
    ASSERT_FALSE(mission.teams.empty());
    ASSERT_FALSE(mission.forces.empty());

    // A name the generator never spells: no label or name holds a '?'.
    const auto absent = [](std::string_view name) { return std::string(name) + "?"; };
    const auto readEverything = [&](std::size_t reader, std::vector<std::string>& failures) {
        const auto expect = [&](bool answer, std::string_view what, std::string_view name) {
            if (!answer) failures.push_back(std::string(what) + " " + std::string(name));
        };
        for (const auto& [label, location] : firstLocation) {
            expect(mission.isLocationDeclared(label), "isLocationDeclared", label);
            expect(mission.findLocation(label) == location, "findLocation", label);
            expect(mission.findLocation(absent(label)) == nullptr, "findLocation absent", label);
        }
        for (const auto& area : mission.areas) {
            expect(mission.isAreaDeclared(area->label), "isAreaDeclared", area->label);
            expect(mission.findArea(area->label) != nullptr, "findArea", area->label);
            expect(!mission.isAreaDeclared(absent(area->label)), "isAreaDeclared absent", area->label);
        }
        for (const auto& force : mission.forces) {
            expect(mission.isForceDeclared(force->name), "isForceDeclared", force->name);
            expect(!mission.isForceDeclared(absent(force->name)), "isForceDeclared absent", force->name);
        }
        for (const Team* team : mission.teams) {
            expect(mission.isTeamDeclared(team->name), "isTeamDeclared", team->name);
            expect(mission.findTeam(team->name) != nullptr, "findTeam", team->name);
            expect(!mission.isTeamDeclared(absent(team->name)), "isTeamDeclared absent", team->name);
        }
        // Each reader starts at its own place, so the readers ask different
        // names at the same moment.
        const std::size_t count = mission.members.size();
        for (std::size_t i = 0; i < count; ++i) {
            const Member* member = mission.members[(i + reader * count / 4) % count];
            expect(mission.isMemberDeclared(member->name), "isMemberDeclared", member->name);
            expect(mission.findMember(member->name) != nullptr, "findMember", member->name);
            expect(!mission.isMemberDeclared(absent(member->name)), "isMemberDeclared absent", member->name);
        }
        std::string again;
        OutputSink sink(&again);
        print(sink, mission);
        expect(again == printed, "print", "");
    };

    constexpr std::size_t kReaders = 4;
    std::vector<std::vector<std::string>> failures(kReaders);
    std::vector<std::thread> readers;
    for (std::size_t i = 0; i < kReaders; ++i) readers.emplace_back(readEverything, i, std::ref(failures[i]));
    for (std::thread& reader : readers) reader.join();
    for (std::size_t i = 0; i < kReaders; ++i) {
        EXPECT_TRUE(failures[i].empty()) << "reader " << i << ": " << failures[i].size() << " wrong answers, first "
                                         << failures[i].front();
    }
}

}  // namespace
}  // namespace zeb
