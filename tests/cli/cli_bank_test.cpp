// quillon-cli end to end: banks made from WAV files that sox wrote, changed
// command by command, and read back through the tool itself, through Python's
// csv module and through the tests' independent bank inspector.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/CliTestKit.h"
#include "platform/FolderLock.h"
#include "support/BankFixtures.h"
#include "support/BankInspector.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::CliResult;
using test::CliSandbox;
using Records = std::vector<std::vector<std::string>>;

// Fields of the wave list, by heading.
enum Field {
    kNum = 0,
    kName = 1,
    kLocation = 2,
    kBank = 3,
    kClone = 4,
    kFormat = 5,
    kSize = 7,
    kDescription = 8,
    kPriority = 9,
    kGroup = 10,
    kVolume = 13,
    kPlayType = 15,
    kLoop = 16,
    kLStart = 17,
    kLEnd = 18,
    kPitchVar = 20,
    kScale = 27,
};

std::string folderOf(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().parent_path().string();
}

std::string alreadyInBank(const std::string& bank, const std::string& path) {
    return test::editorMessage(
        bank, path +
                  " - Already In Bank\nUse 'Clone' to Duplicate Existing Wavs or 'Refresh' to "
                  "Update All Clones");
}

class CliBank : public testing::Test {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
        if (!test::haveSox()) GTEST_SKIP() << "sox is not installed";
        test::SoxWavSpec door;
        door.comment = "ZQ_PRIORITY=7 ZQ_GROUP=3 ZQ_PLAYBACK_TYPE=2";
        door.subject = "door, creak";
        door.loopStart = 100;
        door.loopLength = 2000;
        a = box.soxWav("a.wav", door);
        test::SoxWavSpec loud;
        loud.frequency = 660;
        loud.comment = "ZQ_VOLUME=90";
        b = box.soxWav("b.wav", loud);
        test::SoxWavSpec plain;
        plain.frequency = 880;
        c = box.soxWav("c.wav", plain);
        ASSERT_FALSE(a.empty() || b.empty() || c.empty()) << "sox failed";
        bank = box.file("bank.sad");
        CliResult made =
            box.run({"create", bank, "--title", "Doors, windows", "--who", "tester", a, b, c});
        ASSERT_EQ(made.status, 0) << made.err;
        ASSERT_EQ(made.err, "");
    }

    // The wave list through a real CSV reader: heading, rows, count line.
    Records list() {
        CliResult r = box.run({"list", bank});
        EXPECT_EQ(r.status, 0) << r.err;
        if (!test::havePython()) return {};
        std::optional<Records> records = box.readCsv(r.out);
        EXPECT_TRUE(records.has_value()) << "python3 could not read the list";
        return records.value_or(Records{});
    }

    // The list's rows alone, each checked to have all 28 fields.
    Records rows() {
        Records records = list();
        if (records.size() < 2) return {};
        for (const auto& record : records)
            if (&record != &records.back()) {
                EXPECT_EQ(record.size(), 28u) << record[0];
            }
        return Records(records.begin() + 1, records.end() - 1);
    }

    std::vector<std::string> column(int field) {
        std::vector<std::string> values;
        for (const auto& row : rows())
            values.push_back(row[size_t(field)]);
        return values;
    }

    CliSandbox box;
    std::string a, b, c, bank;
};

TEST_F(CliBank, ListGivesEveryCellThroughARealCsvReader) {
    if (!test::havePython()) GTEST_SKIP() << "python3 is not installed";
    Records records = list();
    ASSERT_EQ(records.size(), 5u);
    const auto& heading = records[0];
    ASSERT_EQ(heading.size(), 28u);
    EXPECT_EQ(heading[kNum], "Num");
    EXPECT_EQ(heading[kFormat], "Foramt");
    EXPECT_EQ(heading[kPitchVar], "PitchVar");
    EXPECT_EQ(heading[kScale], "Scale");
    EXPECT_EQ(records[4], std::vector<std::string>{"3 Wav files"});

    const auto& door = records[1];
    ASSERT_EQ(door.size(), 28u);
    EXPECT_EQ(door[kNum], "1");
    EXPECT_EQ(door[kName], "a.wav");
    EXPECT_EQ(door[kLocation], folderOf(a));
    EXPECT_EQ(door[kBank], "Yes");
    EXPECT_EQ(door[kClone], "0");
    EXPECT_EQ(door[kFormat], "16-bit 22 khz Mono");
    EXPECT_EQ(door[kSize], std::to_string(std::filesystem::file_size(a)));
    EXPECT_EQ(door[kDescription], "door, creak");  // the comma stays inside its field
    EXPECT_EQ(door[kPriority], "7");
    EXPECT_EQ(door[kGroup], "3");
    EXPECT_EQ(door[kPlayType], "Once");
    EXPECT_EQ(door[kVolume], "*");
    EXPECT_EQ(door[kLStart], "100");
    EXPECT_EQ(door[kLEnd], "2099");  // the loop end is inclusive

    ASSERT_EQ(records[2].size(), 28u);
    EXPECT_EQ(records[2][kVolume], "90");
    EXPECT_EQ(records[2][kPriority], "*");
    EXPECT_EQ(records[2][kLStart], "*");
    ASSERT_EQ(records[3].size(), 28u);
    EXPECT_EQ(records[3][kNum], "3");
    EXPECT_EQ(records[3][kDescription], "");
}

TEST_F(CliBank, InfoShowsTheBankValuesCountsAndSegments) {
    CliResult r = box.run({"info", bank});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> expected = {
        "title: Doors, windows", "who: tester", "music bank: no", "rows: 3", "records: 3",
        "ambient count: 0",
    };
    test::InspectedBank inspected = test::inspectBank(bank);
    ASSERT_EQ(inspected.segments.size(), 3u);
    for (const auto& segment : inspected.segments)
        expected.push_back("segment " + segment.name + ": " + std::to_string(segment.size));
    EXPECT_EQ(test::linesOf(r.out), expected);
    EXPECT_EQ(inspected.segments[0].name, "ZQFileSegmentBankInfo");
    // Every WAV image is stored whole.
    EXPECT_EQ(inspected.waveData.size(), std::filesystem::file_size(a) +
                                             std::filesystem::file_size(b) +
                                             std::filesystem::file_size(c));
}

// The title and Who fields hold 259 and 255 bytes; a longer text is cut
// before a character that would not fit, so what info prints is still text.
TEST_F(CliBank, LongTitleAndWhoAreCutBetweenCharacters) {
    std::string accented;
    for (int i = 0; i < 200; ++i)
        accented += "\u00e9";  // two bytes each
    CliResult made =
        box.run({"create", "--force", bank, "--title", accented, "--who", accented, a});
    ASSERT_EQ(made.status, 0) << made.err;
    std::vector<std::string> lines = test::linesOf(box.run({"info", bank}).out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "title: " + accented.substr(0, 258));
    EXPECT_EQ(lines[1], "who: " + accented.substr(0, 254));
}

struct SetCase {
    const char* name;
    const char* column;
    const char* value;
    int field;
    const char* cell;  // what the cell shows after the commit
};

const SetCase kSetCases[] = {
    {"TitleIgnoresLetterCase", "pRiOrItY", "9999", kPriority, "9999"},
    {"StarUnsets", "Priority", "*", kPriority, "*"},
    {"PitchVarNamesThePlusMinusColumn", "PitchVar", "50", kPitchVar, "50"},
    // The bank stores the play type as a number: reopened, it shows its name.
    {"PlayTypeIgnoresLetterCase", "Play Type", "rEsTaRt", kPlayType, "Restart"},
    {"LoopTakesMinusOne", "Loop", "-1", kLoop, "-1"},
    {"DescriptionTakesCommasAndQuotes", "Description", "say \"hi\", then go", kDescription,
     "say \"hi\", then go"},
};

class CliSet : public CliBank, public testing::WithParamInterface<SetCase> {};

INSTANTIATE_TEST_SUITE_P(Cli, CliSet, testing::ValuesIn(kSetCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The value is checked and written as the cell editor does, into the named
// row alone, and saved.
TEST_P(CliSet, WritesTheCellAsTheCellEditorDoes) {
    const SetCase& c = GetParam();
    std::vector<std::string> before = column(c.field);
    CliResult r = box.run({"set", bank, "2", c.column, c.value});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    if (!test::havePython()) GTEST_SKIP() << "python3 is not installed";
    std::vector<std::string> after = column(c.field);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1], c.cell);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[2], before[2]);
}

TEST_F(CliBank, SetPropertiesReachTheStoredRecord) {
    ASSERT_EQ(box.run({"set", bank, "3", "Priority", "12abc"}).status, 0);
    ASSERT_EQ(box.run({"set", bank, "3", "Description", "a, b"}).status, 0);
    test::InspectedBank inspected = test::inspectBank(bank);
    ASSERT_EQ(inspected.records.size(), 3u);
    EXPECT_EQ(inspected.records[2].priority, 12u);
    EXPECT_EQ(inspected.records[2].description, "a, b");
    EXPECT_EQ(inspected.records[0].priority, 7u);
}

struct RefusalCase {
    const char* name;
    const char* column;
    const char* value;
    const char* message;
};

// The bounds themselves are the cell editor's, checked where it is tested;
// here one refusal for each kind of column.
const RefusalCase kRefusalCases[] = {
    {"PriorityNotANumber", "Priority", "abc", "Invalid Priority (Range 1 to 9999)"},
    {"PlayTypeAsNumber", "Play Type", "1", "Invalid Playback Type - use dropdown box"},
    {"MinDistTooSmall", "Min Dist", "0.005", "Invalid Min Dist (Range 0.01 to 9999)"},
    {"VolumeAbove127", "Volume", "128", "Invalid Volume (Range 0 to 127)"},
};

class CliSetRefused : public CliBank, public testing::WithParamInterface<RefusalCase> {};

INSTANTIATE_TEST_SUITE_P(Cli, CliSetRefused, testing::ValuesIn(kRefusalCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(CliSetRefused, PrintsTheEditorsMessageAndLeavesTheBank) {
    test::Bytes before = test::readFileBytes(bank);
    CliResult r = box.run({"set", bank, "1", GetParam().column, GetParam().value});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, test::editorMessage(bank, GetParam().message));
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(test::readFileBytes(bank), before);
}

TEST_F(CliBank, CloneDeleteRenumberThenExtractGiveTheSourcesByteForByte) {
    CliResult cloned = box.run({"clone", bank, "1"});
    ASSERT_EQ(cloned.status, 0) << cloned.err;
    EXPECT_EQ(cloned.out, "4\n");
    if (test::havePython()) {
        Records r = rows();
        ASSERT_EQ(r.size(), 4u);
        EXPECT_EQ(r[3][kName], "a.wav");
        EXPECT_EQ(r[0][kClone], "1");
        EXPECT_EQ(r[3][kClone], "1");
        EXPECT_EQ(r[3][kPriority], "*");
        EXPECT_EQ(r[3][kDescription], "");
        EXPECT_EQ(r[3][kLStart], "100");
    }

    ASSERT_EQ(box.run({"delete", bank, "2"}).status, 0);
    if (test::havePython()) {
        EXPECT_EQ(column(kNum), (std::vector<std::string>{"1", "3", "4"}));
    }
    CliResult renumbered = box.run({"renumber", bank});
    ASSERT_EQ(renumbered.status, 0) << renumbered.err;
    if (test::havePython()) {
        EXPECT_EQ(column(kNum), (std::vector<std::string>{"1", "2", "3"}));
        EXPECT_EQ(column(kName), (std::vector<std::string>{"a.wav", "c.wav", "a.wav"}));
    }

    // Opened again: the shared file is stored once, both rows count one clone.
    CliResult info = box.run({"info", bank});
    ASSERT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("\nrows: 3\n"), std::string::npos) << info.out;
    test::InspectedBank inspected = test::inspectBank(bank);
    ASSERT_EQ(inspected.records.size(), 3u);
    EXPECT_EQ(inspected.records[0].cloneCount, 1u);
    EXPECT_EQ(inspected.records[2].cloneCount, 1u);
    EXPECT_EQ(inspected.waveData.size(),
              std::filesystem::file_size(a) + std::filesystem::file_size(c));

    std::string out = box.file("out");
    std::filesystem::create_directory(out);
    CliResult extracted = box.run({"extract", bank, out});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(test::readFileBytes(out + "/a.wav"), test::readFileBytes(a));
    EXPECT_EQ(test::readFileBytes(out + "/c.wav"), test::readFileBytes(c));
    EXPECT_FALSE(test::fileExists(out + "/b.wav"));

    CliResult noFolder = box.run({"extract", bank, box.file("nowhere")});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err, "quillon-cli: " + box.file("nowhere") + " is not a folder\n");
}

TEST_F(CliBank, AddGoesOnPastARefusedFileAndSaves) {
    test::SoxWavSpec spec;
    spec.subject = "fourth";
    std::string d = box.soxWav("d.wav", spec);
    // The duplicate check ignores letter case.
    std::string sameAsA = box.file("A.WAV");
    CliResult r = box.run({"add", bank, sameAsA, d});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, alreadyInBank(bank, sameAsA));
    if (test::havePython()) {
        EXPECT_EQ(column(kName), (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.wav"}));
        EXPECT_EQ(column(kNum).back(), "4");
        EXPECT_EQ(column(kDescription).back(), "fourth");
    }
}

// Here a backslash is an ordinary character of a file name: such a file is
// added, kept after the bank is opened again, and read again from its folder.
TEST_F(CliBank, FileWhoseNameHoldsABackslashKeepsItsName) {
    std::string odd = box.soxWav("night\\rain.wav", {});
    ASSERT_FALSE(odd.empty());
    CliResult added = box.run({"add", bank, odd});
    ASSERT_EQ(added.status, 0) << added.err;
    if (test::havePython()) {
        Records after = rows();
        ASSERT_EQ(after.size(), 4u);
        EXPECT_EQ(after[3][kName], "night\\rain.wav");
        EXPECT_EQ(after[3][kLocation], folderOf(odd));
    }
    CliResult checked = box.run({"check", bank});
    EXPECT_EQ(checked.status, 0) << checked.out;
    CliResult refreshed = box.run({"refresh", bank, "4"});
    EXPECT_EQ(refreshed.status, 0) << refreshed.err;
}

TEST_F(CliBank, AddOfNothingButRefusedFilesLeavesTheBankUntouched) {
    test::Bytes before = test::readFileBytes(bank);
    CliResult r = box.run({"add", bank, a, box.file("missing.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              alreadyInBank(bank, a) +
                  test::editorMessage(bank, "Error Reading Wav File " + box.file("missing.wav")));
    EXPECT_EQ(test::readFileBytes(bank), before);
}

TEST_F(CliBank, ReplaceKeepsTheRowsPropertiesAndRefusesAFileInTheBank) {
    test::SoxWavSpec spec;
    spec.frequency = 220;
    spec.subject = "new door";
    spec.comment = "ZQ_PRIORITY=1";
    std::string d = box.soxWav("d.wav", spec);
    CliResult r = box.run({"replace", bank, "1", d});
    ASSERT_EQ(r.status, 0) << r.err;
    if (test::havePython()) {
        Records after = rows();
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after[0][kName], "d.wav");
        EXPECT_EQ(after[0][kPriority], "7");  // the new file's keys are not applied
        EXPECT_EQ(after[0][kDescription], "new door");
        EXPECT_EQ(after[0][kLStart], "*");
    }
    test::Bytes before = test::readFileBytes(bank);
    CliResult refused = box.run({"replace", bank, "2", c});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, alreadyInBank(bank, c));
    EXPECT_EQ(test::readFileBytes(bank), before);
}

TEST_F(CliBank, RefreshReadsFilesAgainAndGoesOnPastOneThatFails) {
    std::filesystem::create_directory(box.file("moved"));
    test::SoxWavSpec longer;
    longer.loopStart = 10;
    longer.loopLength = 5;
    std::string moved = box.soxWav("moved/b.wav", longer);
    CliResult r = box.run({"refresh", bank, "--path", box.file("moved"), "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    if (test::havePython()) {
        Records after = rows();
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after[1][kLocation], folderOf(moved));
        EXPECT_EQ(after[1][kSize], std::to_string(std::filesystem::file_size(moved)));
        EXPECT_EQ(after[1][kLStart], "10");
        EXPECT_EQ(after[1][kVolume], "90");  // properties stay
    }

    // Every row from its own folder: c.wav is gone, a.wav has a loop no more.
    test::writeFile(a, test::makePcmWav({}));
    std::filesystem::remove(c);
    CliResult all = box.run({"refresh", bank});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.err, test::editorMessage(bank, "Error Reading Wav File " + c));
    if (test::havePython()) {
        Records after = rows();
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after[0][kSize], std::to_string(std::filesystem::file_size(a)));
        EXPECT_EQ(after[0][kLStart], "*");
    }
}

TEST_F(CliBank, DeletingEveryRowIsRefusedAndTheBankKept) {
    test::Bytes before = test::readFileBytes(bank);
    CliResult r = box.run({"delete", bank, "3", "1", "2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quillon-cli: a bank needs at least one row; " + bank + " is not saved\n");
    EXPECT_EQ(test::readFileBytes(bank), before);
}

TEST_F(CliBank, ARowNumberThatNoRowHasChangesNothing) {
    test::Bytes before = test::readFileBytes(bank);
    for (auto arguments : {std::vector<std::string>{"delete", bank, "2", "9"},
                           std::vector<std::string>{"clone", bank, "9"},
                           std::vector<std::string>{"set", bank, "9", "Priority", "5"},
                           std::vector<std::string>{"replace", bank, "9", a}}) {
        CliResult r = box.run(arguments);
        EXPECT_EQ(r.status, 1) << arguments[0];
        EXPECT_EQ(r.err, "quillon-cli: " + bank + " has no row numbered 9\n") << arguments[0];
    }
    EXPECT_EQ(test::readFileBytes(bank), before);
}

TEST_F(CliBank, CheckFindsChangedAndMissingFilesAndNumberGaps) {
    CliResult clean = box.run({"check", bank});
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out, "3 rows checked: no problems\n");

    ASSERT_EQ(box.run({"delete", bank, "1"}).status, 0);
    uintmax_t size = std::filesystem::file_size(c);
    test::Bytes grown = test::readFileBytes(c);
    grown.resize(grown.size() + 10);
    test::writeFile(c, grown);
    std::filesystem::remove(b);
    CliResult r = box.run({"check", bank});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(test::linesOf(r.out), (std::vector<std::string>{
                                        "row 2 (b.wav): " + b + " is missing",
                                        "row 3 (c.wav): " + c + " is " + std::to_string(size + 10) +
                                            " bytes, the Size cell says " + std::to_string(size),
                                        "note: sample numbers missing: 1",
                                        "2 rows checked: 2 problems, 1 note",
                                    }));
}

TEST_F(CliBank, CreateLeavesAnExistingFileAloneUnlessForced) {
    test::Bytes before = test::readFileBytes(bank);
    CliResult refused = box.run({"create", bank, c});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "quillon-cli: " + bank + " already exists; use --force to replace it\n");
    EXPECT_EQ(test::readFileBytes(bank), before);

    CliResult forced = box.run({"create", "--force", bank, c});
    ASSERT_EQ(forced.status, 0) << forced.err;
    CliResult info = box.run({"info", bank});
    EXPECT_EQ(test::linesOf(info.out)[0], "title: Bank title/description");
    EXPECT_EQ(test::linesOf(info.out)[3], "rows: 1");
}

// Two pipeline steps changing one bank at once: the second waits, says so,
// and reads the bank the first one saved, so neither change is lost.
TEST_F(CliBank, ARunWaitsForAnotherInTheBanksFolderAndKeepsBothChanges) {
    // The other run's change, made on a copy before it takes the folder.
    const std::string copy = box.file("copy.sad");
    std::filesystem::copy_file(bank, copy);
    ASSERT_EQ(box.run({"set", copy, "1", "Priority", "44"}).status, 0);
    const std::string folder = folderOf(bank);
    auto other = std::make_unique<FolderLock>();
    ASSERT_EQ(other->take(folder, nullptr), FolderLock::Taken::Now);

    CliResult waited;
    std::thread run([&] { waited = box.run({"set", bank, "2", "Volume", "55"}); });
    const std::string note =
        "quillon-cli: waiting for another run on a bank in " + folder + " to finish\n";
    bool told = false;
    for (int tries = 0; tries < 1200 && !told; ++tries) {
        test::Bytes err = test::readFileBytes(box.file("cli-stderr"));
        told = std::string(err.begin(), err.end()) == note;
        if (!told) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::filesystem::rename(copy, bank);  // the other run saves
    other.reset();
    run.join();
    EXPECT_TRUE(told);
    EXPECT_EQ(waited.status, 0);
    EXPECT_EQ(waited.err, note);
    test::InspectedBank saved = test::inspectBank(bank);
    ASSERT_EQ(saved.records.size(), 3u);
    EXPECT_EQ(saved.records[0].priority, 44u);
    EXPECT_EQ(saved.records[1].volume, 55u);
}

// Commands that need a bank say plainly why they cannot open one.
TEST(CliMissingBank, ExitsOneWithAClearMessage) {
    if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    CliSandbox box;
    std::string missing = box.file("missing.sad");
    std::string junk = box.file("junk.sad");
    test::writeFile(junk, test::Bytes(100, 'x'));
    const std::vector<std::vector<std::string>> commands = {
        {"info"},
        {"list"},
        {"add", "a.wav"},
        {"set", "1", "Priority", "5"},
        {"delete", "1"},
        {"renumber"},
        {"check"},
        {"extract", "."},
        {"clone", "1"},
        {"refresh"},
        {"replace", "1", "a.wav"},
    };
    for (const auto& [bank, why] : {std::pair{missing, "no such file"},
                                    std::pair{junk, "not a bank file, or the bank is damaged"},
                                    std::pair{box.path(), "it is a folder"}}) {
        for (const auto& command : commands) {
            std::vector<std::string> arguments = {command[0], bank};
            arguments.insert(arguments.end(), command.begin() + 1, command.end());
            CliResult r = box.run(arguments);
            EXPECT_EQ(r.status, 1) << command[0] << " " << bank;
            EXPECT_EQ(r.err, "quillon-cli: cannot open bank " + bank + ": " + why + "\n")
                << command[0];
            EXPECT_EQ(r.out, "");
        }
    }
    EXPECT_EQ(test::readFileBytes(junk), test::Bytes(100, 'x'));
}

// A bank whose sample table is cut short opens with its whole records, as in
// the editor: the run goes on as after any open, and stderr says how many
// records could not be read.
TEST(CliDamagedBank, TableCutShortOpensAndSaysHowManyRecordsAreMissing) {
    if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    CliSandbox box;
    std::string bank = box.file("cut.sad");
    ASSERT_TRUE(test::writeBankWithTableCutShort(bank));
    CliResult r = box.run({"info", bank});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              test::editorMessage(bank, bank + " - 2 records of the sample table could not "
                                               "be read - the bank was opened without them"));
    EXPECT_NE(r.out.find("rows: 2\nrecords: 4\n"), std::string::npos) << r.out;
}

TEST(CliMissingBank, CreateFromNoReadableWavMakesNoBank) {
    if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    CliSandbox box;
    std::string bank = box.file("new.sad");
    CliResult r = box.run({"create", bank, box.file("none.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, test::editorMessage(bank, "Error Reading Wav File " + box.file("none.wav")) +
                         "quillon-cli: no WAV file could be added; " + bank + " is not made\n");
    EXPECT_FALSE(test::fileExists(bank));
}

}  // namespace
}  // namespace quillon
