// Runs the built kestrava-results and compares what it prints with what the
// library computes for the same files.
#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"

#include "tests/support/ChildProcess.h"

#include "ResultFileBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace kestrava {
namespace {

using testing::ResultBytes;
using testing::TempFolder;

struct ToolRun {
    int status = -1;  // exit status; -1 when the tool died from a signal
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the tool (the built one unless another copy is named), with a home
// folder when one is given, and with at most memoryKiB of address space
// when a bound is given.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& tool = KESTRAVA_RESULTS_TOOL,
                const std::string& home = "", uint64_t memoryKiB = 0)
{
    TempFolder capture;
    std::string command = memoryKiB == 0 ? "" : "ulimit -v " + std::to_string(memoryKiB) + "; ";
    command += home.empty() ? "" : "env -u XDG_DATA_HOME HOME=" + Quote(home) + " ";
    command += Quote(tool);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " >" + Quote(capture / "out") + " 2>" + Quote(capture / "err");
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(capture / "out");
    run.err = ReadText(capture / "err");
    return run;
}

using Row = std::vector<std::string>;
using Table = std::vector<Row>;  // header row first

Row ParseCsvLine(const std::string& line)
{
    Row fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// The tables of the tool's CSV, by the title of their "# title" line.
std::map<std::string, Table> ParseCsvTables(const std::string& csv)
{
    std::map<std::string, Table> tables;
    std::istringstream in(csv);
    std::string line;
    std::string title;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (line.starts_with("# "))
            title = line.substr(2);
        else
            tables[title].push_back(ParseCsvLine(line));
    }
    return tables;
}

// The field in column name of a row.
std::string Field(const Table& table, size_t row, const std::string& name)
{
    const Row& header = table.at(0);
    for (size_t c = 0; c < header.size(); ++c)
        if (header[c] == name)
            return table.at(row).at(c);
    ADD_FAILURE() << "no column " << name;
    return "";
}

double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The number after "key": in json, searching from the first occurrence of anchor.
double JsonNumber(const std::string& json, const std::string& anchor, const std::string& key)
{
    size_t at = json.find(anchor);
    at = at == std::string::npos ? at : json.find("\"" + key + "\": ", at);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << key << " after " << anchor;
        return 0.0;
    }
    return Number(json.substr(at + key.size() + 4));
}

bool OneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

// Overall results and durations that do not round-trip through a short
// decimal text, on three days and at several hours.
void WriteAwkwardFile(const std::string& path)
{
    ResultBytes file(4, {"Links, oben", "Rechts \"R\"", "Reaktionsverm\xF6gen", "Kopfrechnen"});
    file.Record(45000.0 + 1.0 / 3.0, 600'001, 100.0 / 3.0, {1.0 / 7.0, -1234.0, 99.9, 0.1})
        .Record(45000.7, 599'999, 2.0 / 3.0 * 100.0, {50, 60, 70, 80})
        .Record(45001.123456789, 1'234'567, 83.0, {83, 83, 83, 83})
        .Record(45003.999, 10, 82.99999999999999, {0, 0, 0, 0})
        .Record(-1.25, 3'500, 12.345, {1, 2, 3, 4})
        .Record(45004.5, 86'400'000, 0.1 + 0.2, {5, 6, 7, 8});
    file.WriteTo(path);
}

TEST(ResultsTool, BadInputGivesOneLineAndStatus2)
{
    TempFolder dir;
    ResultBytes::WriteFileBytes(dir / "SHORT.RLT", std::string("\x01\x00", 2));
    ResultBytes(-1).WriteTo(dir / "NEGATIVE.RLT");
    ResultBytes::WriteFileBytes(dir / "HEADER.RLT", ResultBytes::Int32Bytes(3) + std::string(500, '\0'));
    ResultBytes::WriteFileBytes(dir / "ABSURD.RLT", ResultBytes::Int32Bytes(INT32_MAX) + std::string(5000, '\xFF'));
    ResultBytes(4).Record(45000, 1000, 50).Raw(std::string(55, '\x7F')).WriteTo(dir / "TORN.RLT");

    for (const char* name : {"MISSING.RLT", "SHORT.RLT", "NEGATIVE.RLT", "HEADER.RLT", "ABSURD.RLT", "TORN.RLT"}) {
        SCOPED_TRACE(name);
        ToolRun run = RunTool({dir / name});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(OneLine(run.err)) << run.err;
        EXPECT_NE(run.err.find(dir / name), std::string::npos) << run.err;
    }
    EXPECT_NE(RunTool({dir / "HEADER.RLT"}).err.find("part count 3 does not fit a file of 504 bytes"), std::string::npos);

    // A broken result file of one test fails a whole folder too.
    ResultBytes::WriteFileBytes(dir / "NEGATIVE.TST", "module");
    ToolRun folder = RunTool({dir.Path()});
    EXPECT_EQ(folder.status, 2);
    EXPECT_TRUE(OneLine(folder.err)) << folder.err;

    const std::vector<std::vector<std::string>> commandLines = {
        {""}, {"--bogus", dir / "TORN.RLT"}, {"--what", "nothing", dir / "TORN.RLT"}, {"--what"}, {"a.RLT", "b.RLT"}};
    for (const auto& args : commandLines) {
        ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(OneLine(run.err)) << run.err;
    }
}

TEST(ResultsTool, AFileOfGigabytesGivesOneLineAndStatus2WithinBoundedMemory)
{
    TempFolder dir;
    ResultBytes(4).Record(45000.5, 60000, 90).WriteTo(dir / "ZEK.RLT");
    ASSERT_EQ(::truncate((dir / "ZEK.RLT").c_str(), off_t{3} << 30), 0);  // a hole: no disk used
    ResultBytes::WriteFileBytes(dir / "ZEK.TST", "module");

    // A gigabyte of address space, where the build allows a bound: loading
    // the file would end the tool with an uncaught std::bad_alloc.
    const uint64_t bound = testing::kAddressSpaceLimitUsable ? uint64_t{1} << 20 : 0;
    for (const std::string& input : {dir / "ZEK.RLT", dir.Path()}) {
        SCOPED_TRACE(input);
        const ToolRun run = RunTool({input}, KESTRAVA_RESULTS_TOOL, "", bound);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(OneLine(run.err)) << run.err;
        EXPECT_NE(run.err.find("a file of 3221225472 bytes is too large for a result file"), std::string::npos)
            << run.err;
    }
}

TEST(ResultsTool, NamesThatLookLikeFormulasAreWrittenAsText)
{
    TempFolder tests;
    for (const char* module : {"=SUM.TST", "+A.TST", "-B.TST", "@C.TST", "Plain.TST"})
        ResultBytes::WriteFileBytes(tests / module, "module");
    ResultBytes(4, {"=1+2", "+cmd|' /C calc'!A0", "-3", "@SUM(A1)"}).Record(45000.5, 60000, 90, {1, 2, 3, -1234}).WriteTo(tests / "=SUM.RLT");

    const ToolRun records = RunTool({"--what", "records", tests / "=SUM.RLT"});
    ASSERT_EQ(records.status, 0) << records.err;
    const std::string header = records.out.substr(0, records.out.find('\n'));
    EXPECT_EQ(header, "record,timestamp_days,local_time,'=1+2,'+cmd|' /C calc'!A0,'-3,'@SUM(A1),duration_ms,overall");
    // A negative number stays a number: a time result of 1234 ms.
    EXPECT_NE(records.out.find(",1,2,3,-1234,60000,90\n"), std::string::npos) << records.out;

    const ToolRun summary = RunTool({"--what", "summary", tests.Path()});
    ASSERT_EQ(summary.status, 0) << summary.err;
    const std::map<std::string, Table> tables = ParseCsvTables(summary.out);
    std::vector<std::string> names;
    const Table& totals = tables.at("totals");
    for (size_t row = 1; row < totals.size(); ++row)
        names.push_back(Field(totals, row, "test"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"'+A", "'-B", "'=SUM", "'@C", "Plain"}));

    // JSON has no formulas: the names are left as they are.
    const ToolRun json = RunTool({"--json", "--what", "records", tests / "=SUM.RLT"});
    EXPECT_NE(json.out.find("\"=1+2\""), std::string::npos) << json.out;
}

TEST(ResultsTool, LenientUsesTheWholeRecordsWithAWarning)
{
    TempFolder dir;
    ResultBytes(4).Record(45000, 1000, 50).Record(45001, 1000, 70).Raw(std::string(20, '\x7F')).WriteTo(dir / "TORN.RLT");
    ToolRun run = RunTool({"--lenient", "--what", "records", dir / "TORN.RLT"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(OneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find("warning"), std::string::npos);
    // One plain table: no title line, a header and two records.
    EXPECT_EQ(run.out.find('#'), std::string::npos);
    Table records = ParseCsvTables(run.out)[""];
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(Field(records, 2, "overall"), "70");
}

TEST(ResultsTool, CsvFiguresEqualTheLibrary)
{
    TempFolder dir;
    const std::string path = dir / "ZEK.RLT";
    WriteAwkwardFile(path);
    ToolRun run = RunTool({path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    std::map<std::string, Table> tables = ParseCsvTables(run.out);

    const ResultFileLoad load = LoadResultFile(path);
    const Table& records = tables["records: ZEK"];
    ASSERT_EQ(records.size(), load.contents.records.size() + 1);
    EXPECT_EQ(records[0][3], "Links, oben");
    EXPECT_EQ(records[0][4], "Rechts \"R\"");
    EXPECT_EQ(records[0][5], "Reaktionsverm\xC3\xB6gen");
    for (size_t i = 0; i < load.contents.records.size(); ++i) {
        const ResultRecord& r = load.contents.records[i];
        EXPECT_EQ(Number(Field(records, i + 1, "timestamp_days")), r.timestamp);
        for (size_t p = 0; p < r.parts.size(); ++p)
            EXPECT_EQ(Number(records[i + 1][3 + p]), r.parts[p]);
        EXPECT_EQ(Field(records, i + 1, "duration_ms"), std::to_string(r.durationMs));
        EXPECT_EQ(Number(Field(records, i + 1, "overall")), r.overall);
    }
    EXPECT_EQ(Field(records, 1, "local_time"), "2023-03-15T08:00:00.000");
    EXPECT_EQ(Field(records, 5, "local_time"), "1899-12-29T06:00:00.000");

    const TestSummary summary = ReadTestSummary(path);
    const Table& s = tables["test_summary"];
    EXPECT_EQ(Field(s, 1, "test"), "ZEK");
    EXPECT_EQ(Field(s, 1, "total_ms"), std::to_string(summary.totalMs));
    EXPECT_EQ(Number(Field(s, 1, "recent_mean")), summary.recentMean);
    EXPECT_EQ(Field(s, 1, "list_points"), TestListColumns(summary).points);
    EXPECT_EQ(Field(s, 1, "total_hours_minutes"), FormatHoursMinutes(summary.totalMs));

    const TestTotals totals = ReadTestTotals(path);
    EXPECT_EQ(Number(Field(tables["totals"], 1, "mean")), totals.mean);
    EXPECT_EQ(Field(tables["totals"], 1, "passed"), totals.passed ? "true" : "false");

    const DetailSummary d = ReadDetailSummary(path);
    const Table& details = tables["details"];
    EXPECT_EQ(Field(details, 1, "record_count"), std::to_string(d.recordCount));
    EXPECT_EQ(Number(Field(details, 1, "first_timestamp_days")), d.firstTimestamp);
    EXPECT_EQ(Number(Field(details, 1, "mean")), d.mean);
    EXPECT_EQ(Number(Field(details, 1, "best")), d.best);
    EXPECT_EQ(Number(Field(details, 1, "worst")), d.worst);

    const DailyResults daily = ReadDailyResults(path);
    const Table& groups = tables["daily"];
    ASSERT_EQ(groups.size(), daily.groups.size() + 1);
    for (size_t i = 0; i < daily.groups.size(); ++i) {
        EXPECT_EQ(Number(Field(groups, i + 1, "day_days")), daily.groups[i].day);
        EXPECT_EQ(Field(groups, i + 1, "seconds"), std::to_string(daily.groups[i].seconds));
        EXPECT_EQ(Number(Field(groups, i + 1, "mean")), daily.groups[i].mean);
    }
    EXPECT_EQ(Field(groups, 1, "date"), "2023-03-15");

    const HourProfile profile = BuildHourProfile({path});
    const Table& hours = tables["hours"];
    ASSERT_EQ(hours.size(), 25u);
    for (size_t h = 0; h < 24; ++h)
        EXPECT_EQ(Number(Field(hours, h + 1, "mean")), profile[h]) << h;
    EXPECT_EQ(tables.count("overall"), 0u);  // a single file has no overall totals
}

TEST(ResultsTool, JsonFiguresEqualTheLibrary)
{
    TempFolder dir;
    const std::string path = dir / "ZEK.RLT";
    WriteAwkwardFile(path);
    ToolRun run = RunTool({"--json", path});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& json = run.out;

    EXPECT_EQ(JsonNumber(json, "\"test_summary\"", "recent_mean"), ReadTestSummary(path).recentMean);
    EXPECT_EQ(JsonNumber(json, "\"totals\"", "mean"), ReadTestTotals(path).mean);
    const DetailSummary d = ReadDetailSummary(path);
    EXPECT_EQ(JsonNumber(json, "\"details\"", "first_timestamp"), d.firstTimestamp);
    EXPECT_EQ(JsonNumber(json, "\"details\"", "worst"), d.worst);
    EXPECT_EQ(JsonNumber(json, "\"daily\"", "count"), 5.0);
    EXPECT_EQ(JsonNumber(json, "\"daily\"", "mean"), ReadDailyResults(path).groups.at(0).mean);
    EXPECT_NE(json.find("\"Rechts \\\"R\\\"\""), std::string::npos);
    EXPECT_NE(json.find("\"parts\": [0.14285714285714285, -1234, 99.9, 0.1]"), std::string::npos);

    const size_t hours = json.find("\"hours\": [");
    ASSERT_NE(hours, std::string::npos);
    std::istringstream list(json.substr(hours + 10));
    const HourProfile profile = BuildHourProfile({path});
    for (size_t h = 0; h < 24; ++h) {
        std::string item;
        std::getline(list, item, h < 23 ? ',' : ']');
        EXPECT_EQ(Number(item), profile[h]) << h;
    }
}

TEST(ResultsTool, FolderOfModules)
{
    TempFolder tests;
    mkdir((tests / "sub").c_str(), 0755);
    mkdir((tests / ".hidden").c_str(), 0755);
    for (const char* module : {"A.TST", "sub/b.tst", "C.Tst", ".hidden/H.TST"})
        ResultBytes::WriteFileBytes(tests / module, "module");
    ResultBytes(4).Record(45000.5, 60000, 90).Record(45000.6, 60000, 70).WriteTo(tests / "A.RLT");
    ResultBytes(0).WriteTo(tests / "C.RLT");
    ResultBytes(4).Record(45000.5, 60000, 10).WriteTo(tests / ".hidden/H.RLT");
    ResultBytes(4).Record(45000.5, 60000, 10).WriteTo(tests / "ORPHAN.RLT");  // no module: not a test

    ToolRun run = RunTool({"--what", "summary", tests.Path()});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, Table> tables = ParseCsvTables(run.out);
    std::map<std::string, std::string> states;
    const Table& s = tables["test_summary"];
    for (size_t row = 1; row < s.size(); ++row)
        states[Field(s, row, "test")] = Field(s, row, "state");
    EXPECT_EQ(states, (std::map<std::string, std::string>{{"A", "records"}, {"b", "missing"}, {"C", "no-results"}}));

    const OverallTotals overall = ReadOverallTotals({tests / "A.RLT", tests / "sub/b.RLT", tests / "C.RLT"});
    const Table& o = tables["overall"];
    EXPECT_EQ(Field(o, 1, "total_ms"), std::to_string(overall.totalMs));
    EXPECT_EQ(Number(Field(o, 1, "mean")), overall.mean);
    EXPECT_EQ(Field(o, 1, "tests_passed"), "1");
    EXPECT_EQ(Field(o, 1, "tests_not_passed"), "1");
    EXPECT_EQ(tables.count("hours"), 0u);

    // Nothing in the folder is fine: zero totals, an empty hour profile.
    TempFolder empty;
    ToolRun none = RunTool({"--json", empty.Path()});
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.out.find("\"tests\": []"), std::string::npos);
    EXPECT_EQ(JsonNumber(none.out, "\"overall\"", "tests_not_passed"), 0.0);
}

TEST(ResultsTool, WithoutAPathItReadsTheProgramFolderOrTheUsersOwnForAnInstalledOne)
{
    // A copy of the tool in a program folder of its own, with one test.
    TempFolder program;
    const std::string tool = program / "kestrava-results";
    std::filesystem::copy_file(KESTRAVA_RESULTS_TOOL, tool);
    std::filesystem::copy_file(std::filesystem::path(KESTRAVA_RESULTS_TOOL).parent_path() / "libvgdi.so",
                               program / "libvgdi.so");
    mkdir((program / "TESTS").c_str(), 0755);
    ResultBytes::WriteFileBytes(program / "TESTS/A.TST", "module");
    ResultBytes(4).Record(45000.5, 60000, 90).WriteTo(program / "TESTS/A.RLT");
    TempFolder home;

    ToolRun portable = RunTool({"--what", "records"}, tool, home.Path());
    ASSERT_EQ(portable.status, 0) << portable.err;
    EXPECT_NE(portable.out.find(",90"), std::string::npos) << portable.out;

    // Installed: the user's folder, which does not exist before the first start.
    ResultBytes::WriteFileBytes(program / "kestrava.installed", "");
    ToolRun none = RunTool({"--what", "records"}, tool, home.Path());
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(OneLine(none.err)) << none.err;
    EXPECT_NE(none.err.find(home / ".local/share/kestrava/TESTS/"), std::string::npos) << none.err;

    const std::string user = home / ".local/share/kestrava/";
    std::filesystem::create_directories(user + "TESTS");
    ResultBytes::WriteFileBytes(user + "TESTS/A.TST", "module");
    ResultBytes(4).Record(45000.5, 60000, 55).WriteTo(user + "TESTS/A.RLT");
    ToolRun installed = RunTool({"--what", "records"}, tool, home.Path());
    ASSERT_EQ(installed.status, 0) << installed.err;
    EXPECT_NE(installed.out.find(",55"), std::string::npos) << installed.out;
    EXPECT_EQ(installed.out.find(",90"), std::string::npos) << "not the installed folder's results";
}

TEST(ResultsTool, Help)
{
    ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with("Usage: kestrava-results"));
    EXPECT_NE(run.out.find("--lenient"), std::string::npos);
    EXPECT_TRUE(run.err.empty());
}

} // namespace
} // namespace kestrava
