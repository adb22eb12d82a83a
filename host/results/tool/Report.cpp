#include "host/results/tool/Report.h"

#include "platform/gdi/Folders.h"
#include "platform/gdi/Paths.h"

#include <cerrno>
#include <sys/stat.h>

namespace kestrava::tool {

namespace {

struct TestFile {
    std::string name;
    std::string resultPath;
};

std::string NameWithoutExtension(const std::string& path) { return ChangeFileExt(ExtractFileName(path), ""); }

// The modules as the catalogue finds them: depth first, in the order the
// file system returns the entries, descending only into the folders the
// catalogue searches.
void FindModules(const std::string& folder, std::vector<TestFile>& tests)
{
    ForEachFolderEntry(folder, [&](const FolderEntry& entry) {
        if (entry.isFile && UpperAscii(ExtractFileExt(entry.name)) == ".TST") {
            const std::string module = folder + entry.name;
            tests.push_back({NameWithoutExtension(module), ChangeFileExt(module, ".RLT")});
        } else if (entry.isSearchableFolder) {
            FindModules(folder + entry.name + "/", tests);
        }
    });
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 || errno != ENOENT;
}

} // namespace

GatherOutcome GatherReport(const std::string& path, bool lenient)
{
    GatherOutcome outcome;
    Report report;
    report.source = path;

    std::vector<TestFile> files;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        report.folder = true;
        FindModules(path.back() == '/' ? path : path + "/", files);
    } else {
        files.push_back({NameWithoutExtension(path), path});
    }

    std::vector<std::string> resultPaths;
    for (const TestFile& file : files) {
        TestReport test;
        test.name = file.name;
        test.resultPath = file.resultPath;
        resultPaths.push_back(file.resultPath);

        // In a folder a test without a result file was simply never
        // practised; a single file named on the command line must exist.
        if (report.folder && !Exists(file.resultPath)) {
            test.state = TestState::Missing;
        } else {
            ResultFileLoad load = LoadResultFile(file.resultPath);
            if (load.problem == ResultFileProblem::PartialRecord && lenient) {
                outcome.warnings.push_back(file.resultPath + ": " + load.message + "; using the whole records");
            } else if (load.problem != ResultFileProblem::None) {
                outcome.error = file.resultPath + ": " + load.message;
                if (load.problem == ResultFileProblem::PartialRecord)
                    outcome.error += " (--lenient reads the whole records)";
                return outcome;
            }
            test.contents = std::move(load.contents);
            test.state = test.contents.partCount == 0 ? TestState::NoResults : TestState::Records;
        }

        test.summary = ReadTestSummary(file.resultPath);
        test.listTexts = TestListColumns(test.summary);
        test.totals = ReadTestTotals(file.resultPath);
        test.details = ReadDetailSummary(file.resultPath);
        test.daily = ReadDailyResults(file.resultPath);
        report.tests.push_back(std::move(test));
    }

    if (report.folder)
        report.overall = ReadOverallTotals(resultPaths);
    report.hours = BuildHourProfile(resultPaths);
    outcome.report = std::move(report);
    return outcome;
}

} // namespace kestrava::tool
