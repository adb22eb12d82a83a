// The result: part results, the record's bytes, and appending to a result
// file in every state a crash or another test may have left it in.
#include "ZekTestSupport.h"

#include "modules/zek/ZekResult.h"

#include "platform/gdi/FileAccess.h"
#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <iterator>
#include <random>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrava::zek {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

class ZekResultFile : public ::testing::Test {
protected:
    const testing::ScratchFolder m_folder;
    const fs::path& m_dir = m_folder.Path();
    const std::string m_path = m_folder.File("ZEK.RLT");

    Bytes Read() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const Bytes& bytes) const
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static int32_t Int32At(const Bytes& b, size_t at)
    {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(b.at(at + i)) << (8 * i);
        return static_cast<int32_t>(v);
    }
    static double DoubleAt(const Bytes& b, size_t at)
    {
        uint64_t v = 0;
        for (size_t i = 0; i < 8; ++i)
            v |= static_cast<uint64_t>(b.at(at + i)) << (8 * i);
        return std::bit_cast<double>(v);
    }
    static ResultRecord Record(double timestamp)
    {
        ResultRecord r;
        r.Timestamp = timestamp;
        r.Parts = {10.0, 20.0, 30.0, 40.5};
        r.DurationMs = 60000;
        r.Overall = 25.125;
        return r;
    }
    static void ExpectRecordAt(const Bytes& b, size_t at, double timestamp)
    {
        EXPECT_EQ(DoubleAt(b, at), timestamp);
        EXPECT_EQ(DoubleAt(b, at + 8), 10.0);
        EXPECT_EQ(DoubleAt(b, at + 32), 40.5);
        EXPECT_EQ(Int32At(b, at + 40), 60000);
        EXPECT_EQ(Int32At(b, at + 44), 0);
        EXPECT_EQ(DoubleAt(b, at + 48), 25.125);
    }
};

TEST_F(ZekResultFile, NewFileGetsHeaderThenRecordsAppend)
{
    EXPECT_EQ(WriteResultRecord(m_path, Record(45000.5)).Status, AppendStatus::Created);
    Bytes b = Read();
    ASSERT_EQ(b.size(), 1028u + 56u);
    EXPECT_EQ(Int32At(b, 0), 4);
    const std::string third = "Reaktionsverm\xF6gen F-Tasten";
    EXPECT_EQ(b[4 + 2 * 256], third.size());
    EXPECT_EQ(std::string(b.begin() + 5 + 2 * 256, b.begin() + 5 + 2 * 256 + 26), third);
    EXPECT_EQ(b[4], 28u);  // "Vertikales Trackling (Links)"
    EXPECT_EQ(b[4 + 3 * 256], 11u);  // "Kopfrechnen"
    ExpectRecordAt(b, 1028, 45000.5);
    // The temporary file was renamed into place, not left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);

    EXPECT_EQ(WriteResultRecord(m_path, Record(45001.25)).Status, AppendStatus::Appended);
    b = Read();
    ASSERT_EQ(b.size(), 1028u + 2 * 56u);
    ExpectRecordAt(b, 1028, 45000.5);
    ExpectRecordAt(b, 1084, 45001.25);
}

TEST_F(ZekResultFile, PartialRecordFromACrashIsOverwritten)
{
    ASSERT_EQ(WriteResultRecord(m_path, Record(1.0)).Status, AppendStatus::Created);
    Bytes b = Read();
    b.insert(b.end(), 30, 0xAB);
    Write(b);

    EXPECT_EQ(WriteResultRecord(m_path, Record(2.0)).Status, AppendStatus::Appended);
    b = Read();
    ASSERT_EQ(b.size(), 1028u + 2 * 56u);
    ExpectRecordAt(b, 1028, 1.0);
    ExpectRecordAt(b, 1084, 2.0);
}

TEST_F(ZekResultFile, HeaderCutShortIsRebuilt)
{
    for (size_t size : {size_t{2}, size_t{500}}) {
        SCOPED_TRACE(size);
        Bytes cut(size, 0);
        cut[0] = 4;
        Write(cut);
        EXPECT_EQ(WriteResultRecord(m_path, Record(3.0)).Status, AppendStatus::Created);
        const Bytes b = Read();
        ASSERT_EQ(b.size(), 1028u + 56u);
        EXPECT_EQ(Int32At(b, 0), 4);
        EXPECT_EQ(b[4 + 3 * 256], 11u);
        ExpectRecordAt(b, 1028, 3.0);
    }
}

// The append under a file size limit, in a child: the write really fails
// part way (EFBIG, as a full disk gives ENOSPC) once the file would pass
// limit bytes.
AppendStatus AppendWithSizeLimit(const std::string& path, rlim_t limit)
{
    const int status = kestrava::testing::RunInChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit bound{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &bound) != 0)
                return 100;
            ResultRecord r;
            r.Parts = {1.0, 2.0, 3.0, 4.0};
            return static_cast<int>(WriteResultRecord(path, r).Status);
        },
        30);
    return static_cast<AppendStatus>(status);
}

TEST_F(ZekResultFile, AFailedAppendLeavesTheFileAsItWas)
{
    // 54 records end at 4052 bytes; the 55th would need the next 4 KiB page,
    // of which nothing is left. Only 44 of its 56 bytes fit.
    for (int i = 0; i < 54; ++i)
        ASSERT_NE(WriteResultRecord(m_path, Record(45000.0 + i)).Status, AppendStatus::Failed);
    const Bytes before = Read();
    ASSERT_EQ(before.size(), 4052u);
    EXPECT_EQ(AppendWithSizeLimit(m_path, 4096), AppendStatus::Failed);
    EXPECT_EQ(Read(), before);

    // A new file that does not fit leaves nothing, not even its temporary.
    fs::remove(m_path);
    EXPECT_EQ(AppendWithSizeLimit(m_path, 1000), AppendStatus::Failed);
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(ZekResultFile, ADamagedFileIsSetAsideWholeAndANewOneStarted)
{
    std::mt19937 random(5000);
    Bytes damaged(5000);
    for (unsigned char& b : damaged)
        b = static_cast<unsigned char>(random());
    damaged[3] = 0x62;  // a part count near 1.6 billion, far more names than 5000 bytes hold
    Write(damaged);
    const AppendReport report = WriteResultRecord(m_path, Record(45000.5));
    EXPECT_EQ(report.Status, AppendStatus::Created) << report.Message;
    ASSERT_EQ(Read().size(), 1028u + 56u);
    ExpectRecordAt(Read(), 1028, 45000.5);
    // Kept under a name that says what it is and when, byte for byte.
    const std::string aside = report.SetAside;
    ASSERT_EQ(aside.rfind(m_path + ".beschaedigt-", 0), 0u) << aside;
    EXPECT_EQ(aside.size(), m_path.size() + 13 + 15) << aside; // YYYY-MM-DD-hhmm
    std::ifstream in(aside, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), damaged);
    EXPECT_NE(report.Message.find("not a result file"), std::string::npos) << report.Message;

    // A second damaged file in the same minute takes the next name; the
    // first stays as it is. Negative counts and files too short for a
    // count are damaged too; an empty file is simply written anew.
    for (const Bytes& bad : {Bytes{0xff, 0xff, 0xff, 0xff, 1, 2}, Bytes{4, 0}}) {
        Write(bad);
        const AppendReport next = WriteResultRecord(m_path, Record(1.0));
        EXPECT_EQ(next.Status, AppendStatus::Created);
        EXPECT_NE(next.SetAside, aside);
        std::ifstream again(next.SetAside, std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(again), {}), bad);
    }
    Write({});
    EXPECT_TRUE(WriteResultRecord(m_path, Record(1.0)).SetAside.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 4);
    // Another test's whole file (3 parts) is still left alone.
    Bytes other(4 + 3 * 256, 0);
    other[0] = 3;
    Write(other);
    EXPECT_EQ(WriteResultRecord(m_path, Record(1.0)).Status, AppendStatus::Kept);
    EXPECT_EQ(Read(), other);
}

int g_testEnds = 0;
void CountTestEnd(void* context)
{
    EXPECT_EQ(context, &g_testEnds);
    ++g_testEnds;
}

TEST_F(ZekResultFile, ForeignFileOrFailedWriteStillEndsTheTest)
{
    const TOnTestEndSlot onTestEnd{CountTestEnd, &g_testEnds};
    g_testEnds = 0;

    const Bytes marker = {0, 0, 0, 0};  // "keeps no results"
    Write(marker);
    EXPECT_EQ(WriteResultRecord(m_path, Record(1.0)).Status, AppendStatus::Kept);
    AppendResult(m_path, Record(1.0), onTestEnd);
    EXPECT_EQ(Read(), marker);
    EXPECT_EQ(g_testEnds, 1);

    const std::string unreachable = (m_dir / "missing" / "ZEK.RLT").string();
    EXPECT_EQ(WriteResultRecord(unreachable, Record(1.0)).Status, AppendStatus::Failed);
    AppendResult(unreachable, Record(1.0), onTestEnd);
    EXPECT_EQ(g_testEnds, 2);

    fs::remove(m_path);
    AppendResult(m_path, Record(1.0), onTestEnd);
    EXPECT_EQ(Read().size(), 1028u + 56u);
    EXPECT_EQ(g_testEnds, 3);
}

TEST_F(ZekResultFile, AnAppendWaitsWhileAnotherProcessHoldsTheFolder)
{
    ASSERT_EQ(WriteResultRecord(m_path, Record(1.0)).Status, AppendStatus::Created);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        // Another writer: holds the lock for 300 ms, then appends itself.
        ::close(ready[0]);
        {
            const FolderLock lock(m_path);
            const char held = lock.Held() ? 'y' : 'n';
            (void)!::write(ready[1], &held, 1);
            ::usleep(300'000);
        }
        ::_exit(WriteResultRecord(m_path, Record(2.0)).Status == AppendStatus::Appended ? 0 : 1);
    }
    ::close(ready[1]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(held, 'y');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WriteResultRecord(m_path, Record(3.0)).Status, AppendStatus::Appended);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200)) << "the append waited";
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // Both appends are kept whole, in the order the lock allowed.
    const Bytes b = Read();
    ASSERT_EQ(b.size(), 1028u + 3 * 56u);
    ExpectRecordAt(b, 1028, 1.0);
    std::vector<double> later = {DoubleAt(b, 1084), DoubleAt(b, 1140)};
    std::sort(later.begin(), later.end());
    EXPECT_EQ(later, (std::vector<double>{2.0, 3.0}));
}

TEST_F(ZekResultFile, WritersInSeveralProcessesLoseNoRecord)
{
    // The file does not exist yet: creating it is raced as well.
    constexpr int kWriters = 4;
    constexpr int kEach = 100;
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                const AppendStatus status = WriteResultRecord(m_path, Record(w * 1000.0 + i)).Status;
                failures += status == AppendStatus::Appended || status == AppendStatus::Created ? 0 : 1;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const Bytes b = Read();
    ASSERT_EQ(b.size(), 1028u + kWriters * kEach * 56u);
    std::vector<double> stamps;
    for (size_t at = 1028; at < b.size(); at += 56)
        stamps.push_back(DoubleAt(b, at));
    std::sort(stamps.begin(), stamps.end());
    std::vector<double> expected;
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kEach; ++i)
            expected.push_back(w * 1000.0 + i);
    EXPECT_EQ(stamps, expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1) << "no temporary left";
}

TEST(ZekResult, PartResultsInFileOrderWithZeroForNothingCounted)
{
    ZekState state{};
    state.HitsV = 3;
    state.SamplesV = 4;
    state.Hits2D = 1;
    state.Samples2D = 8;
    state.LightsAnswered = 0;
    state.LightsShown = 0;
    state.TasksCorrect = 2;
    state.TasksDone = 5;
    const ResultRecord r = MakeResultRecord(state, 90000, 45000.0);
    EXPECT_EQ(r.Parts[0], 75.0);
    EXPECT_EQ(r.Parts[1], 12.5);
    EXPECT_EQ(r.Parts[2], 0.0);
    EXPECT_EQ(r.Parts[3], 40.0);
    EXPECT_EQ(r.Overall, (75.0 + 12.5 + 0.0 + 40.0) / 4);
    EXPECT_EQ(r.DurationMs, 90000);
    EXPECT_EQ(r.Timestamp, 45000.0);
}

TEST(ZekResult, TimestampCountsDaysFromTheEndOf1899)
{
    EXPECT_EQ(DateTimeFromLocalSeconds(0, 0), 25569.0);
    EXPECT_EQ(DateTimeFromLocalSeconds(946728000, 0), 36526.5);      // 2000-01-01 12:00
    EXPECT_EQ(DateTimeFromLocalSeconds(-86400 + 21600, 0), 25568.25);  // 1969-12-31 06:00
    EXPECT_DOUBLE_EQ(DateTimeFromLocalSeconds(86399, 500), 25569.0 + 86399500.0 / 86400000.0);
    EXPECT_GT(LocalTimestampNow(), 45000.0);  // after 2023
}

} // namespace
} // namespace kestrava::zek
