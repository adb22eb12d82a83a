// Runs whose record does not reach the result file: a write that fails part
// way (under a file size limit, as on a full disk), a folder the user may not
// write, a damaged file that the writer sets aside, and a run in which only
// some tests saved theirs. The end screen never shows an older record as
// this run's, and the candidate hears why.
#include "ShellFixture.h"

#include "../results/ResultFileBuilder.h"
#include "host/results/ResultRecords.h"
#include "platform/gdi/Bitmap.h"

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <random>

#include <sys/resource.h>

namespace kestrava::shell::testing {
namespace {

using kestrava::testing::ResultBytes;

const std::vector<std::string> kZekParts = {"Vertikales Trackling (Links)", "Horizontales Trackling (Rechts)",
                                            "Reaktionsverm\xF6gen F-Tasten", "Kopfrechnen"};
const std::vector<std::string> kNotSaved = {"<b>ZEK-Test", "<tab>Ergebnis konnte nicht", "<tab>gespeichert werden"};

// Files of this process may not grow past limit bytes while it lives; a
// write beyond fails with EFBIG (SIGXFSZ ignored), part way as on a full
// disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit bound{limit, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &bound);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

class ResultLossTest : public ShellTest {
protected:
    std::string Rlt() const { return folder.Dir() + "TESTS/ZEK.RLT"; }
    // 54 records end at 4052 bytes, the newest at 88 %: the 55th needs a
    // page of its own.
    void Write54Records() const
    {
        ResultBytes file(4, kZekParts);
        for (int i = 0; i < 54; ++i)
            file.Record(46000.0 + i, 60000, i == 53 ? 88.0 : 50.0, {88.0, 88.0, 88.0, 88.0});
        file.WriteTo(Rlt());
    }
    // One ZEK minute from the menu to the end screen (or the menu).
    void PlayZekMinute()
    {
        ClickLine(MenuePanel().TestListBox(), 0);
        ClickOn(MenuePanel().GoButton());
        StartRun("00", "01");
        for (int step = 0; step < 700 && TestPanel().Visible(); ++step)
            Advance(100);
    }
    // The messages shown, each closed in turn.
    std::vector<std::string> Boxes()
    {
        ReadMessages();
        return messages;
    }
};

TEST_F(ResultLossTest, AFailedAppendShowsNotSavedInsteadOfTheOldRecordAndSaysWhy)
{
    folder.AddZek();
    Write54Records();
    const std::string before = ProgramFolder::ReadAll(Rlt());
    probe = [](const std::string&) { return ResultTrouble::DiskFull; };
    StartProgram();
    {
        const FileSizeLimit full(4096);
        PlayZekMinute();
    }
    ASSERT_TRUE(Ende().Visible());
    EXPECT_EQ(Ende().EndeListe1().Lines(), kNotSaved);
    EXPECT_EQ(Ende().EndeListe2().Lines(), (std::vector<std::string>{"<b>\xe2\x80\x94", "", ""}));
    EXPECT_EQ(ProgramFolder::ReadAll(Rlt()), before) << "the file is as it was, no torn record";
    Shot("results-end-screen-not-saved");
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Das Ergebnis von \xe2\x80\x9eZEK-Test\xe2\x80\x9c konnte nicht "
                                                "gespeichert werden: Auf dem Datentr\xc3\xa4ger ist kein Platz mehr "
                                                "frei."});
    Type("\r");
    EXPECT_TRUE(MenuePanel().Enabled());
}

TEST_F(ResultLossTest, TheFirstRecordLostStillShowsTheEndScreen)
{
    folder.AddZek();
    StartProgram();
    {
        const FileSizeLimit full(1000);
        PlayZekMinute();
    }
    ASSERT_TRUE(Ende().Visible()) << "never straight back to the menu";
    EXPECT_EQ(Ende().EndeListe1().Lines(), kNotSaved);
    EXPECT_FALSE(fs::exists(Rlt()));
    // Nothing here says why (the real look finds room and write access):
    // the end screen's note is all.
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ResultLossTest, AFolderTheUserMayNotWriteIsNamed)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes everywhere";
    folder.AddZek();
    Write54Records();
    fs::permissions(Rlt(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder.root / "TESTS", fs::perms::owner_read | fs::perms::owner_exec);
    StartProgram();
    PlayZekMinute();
    fs::permissions(folder.root / "TESTS", fs::perms::owner_all);
    ASSERT_TRUE(Ende().Visible());
    EXPECT_EQ(Ende().EndeListe1().Lines(), kNotSaved);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Das Ergebnis von \xe2\x80\x9eZEK-Test\xe2\x80\x9c konnte nicht "
                                                "gespeichert werden: Die Ergebnisdatei \xe2\x80\x9eZEK.RLT\xe2\x80\x9c "
                                                "ist schreibgesch\xc3\xbctzt."});
}

TEST_F(ResultLossTest, ADamagedFileIsSetAsideAndTheNewRecordShown)
{
    folder.AddZek();
    std::string damaged(5000, '\0');
    std::mt19937 random(5000);
    for (char& c : damaged)
        c = static_cast<char>(random());
    damaged[3] = 0x62; // a part count far beyond what 5000 bytes name
    { std::ofstream(Rlt(), std::ios::binary) << damaged; }
    StartProgram();
    EXPECT_EQ(MenuePanel().DauerListBox().Lines().at(0), "00:00");
    PlayZekMinute();
    ASSERT_TRUE(Ende().Visible());
    const ResultFileContents file = LoadResultFile(Rlt()).contents;
    ASSERT_EQ(file.records.size(), 1u);
    EXPECT_EQ(Ende().EndeListe1().Lines().size(), 5u);
    EXPECT_EQ(Ende().EndeListe2().Lines().at(0), "<b>" + std::to_string(std::lround(file.records[0].overall)) + "%");

    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(folder.root / "TESTS"))
        if (entry.path().filename().string().rfind("ZEK.RLT.beschaedigt-", 0) == 0)
            aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ProgramFolder::ReadAll(aside[0]), damaged) << "kept byte for byte";
    const std::string name = aside[0].filename().string();
    Shot("results-damaged-file-set-aside");
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Die Ergebnisdatei \xe2\x80\x9eZEK.RLT\xe2\x80\x9c war besch\xc3\xa4"
                                                "digt. Sie bleibt unver\xc3\xa4ndert als \xe2\x80\x9e" +
                                                name +
                                                "\xe2\x80\x9c erhalten; das Ergebnis von \xe2\x80\x9eZEK-Test\xe2\x80\x9c "
                                                "steht in einer neuen Datei \xe2\x80\x9eZEK.RLT\xe2\x80\x9c."});
    Type("\r");
    EXPECT_EQ(MenuePanel().DauerListBox().Lines().at(0), "00:01");
}

TEST_F(ResultLossTest, ATestThatSavedShowsItsFiguresBesideOneThatDidNot)
{
    // Alpha writes the queued record; Beta says it keeps results and writes
    // none, though an old record stands in its file.
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    folder.AddTimed("B", "Beta", 1, 1000, 0, 1000, 20000, 0);
    ResultBytes(1, {"Teil"}).Record(45000.5, 20000, 91.0, {92.0}).WriteTo(folder.Dir() + "TESTS/A.queue");
    ResultBytes(1, {"Teil"}).Record(45000.5, 20000, 77.0, {77.0}).WriteTo(folder.Dir() + "TESTS/B.RLT");
    StartProgram();
    StartFirstTests(2, "01");
    for (int step = 0; step < 1000 && TestPanel().Visible(); ++step)
        Advance(100);
    ASSERT_TRUE(Ende().Visible());
    std::vector<std::string> names;
    std::vector<std::string> values;
    for (size_t e = 0; e < haupt->Run().Size(); ++e) {
        if (haupt->Catalogue().ByIndex(haupt->Run().Entries()[e].CatalogueIndex)->title == "Alpha") {
            names.insert(names.end(), {"<b>Alpha", "<tab>Teil"});
            values.insert(values.end(), {"<b>91%", "92%"});
        } else {
            names.insert(names.end(), {"<b>Beta", "<tab>Ergebnis konnte nicht", "<tab>gespeichert werden"});
            values.insert(values.end(), {"<b>\xe2\x80\x94", "", ""});
        }
    }
    EXPECT_EQ(Ende().EndeListe1().Lines(), names);
    EXPECT_EQ(Ende().EndeListe2().Lines(), values);
    EXPECT_TRUE(Boxes().empty());
}

} // namespace
} // namespace kestrava::shell::testing
