#include "host/results/tool/Writers.h"

#include "host/results/ResultTexts.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kestrava::tool {

namespace {

constexpr int64_t kMsPerDay = 86'400'000;
// The calendar's range: 0001-01-01 and 9999-12-31 as days since 1899-12-30.
constexpr int64_t kFirstDay = -693'593;
constexpr int64_t kLastDay = 2'958'465;
// Quotes a field that holds a separator, a quote or a line break.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

// A name (of a test or a part) as a CSV field. Spreadsheets take a cell
// that begins with '=', '+', '-' or '@' (or a tab or carriage return before
// one) for a formula; a leading apostrophe makes it plain text, which the
// spreadsheet shows without the apostrophe. Numbers are not passed through
// here: a negative number must stay a number.
std::string CsvName(const std::string& text)
{
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        return CsvField("'" + text);
    return CsvField(text);
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// JSON has no NaN or infinity; a damaged file can still hold them.
std::string JsonNumber(double value) { return std::isfinite(value) ? NumberText(value) : "null"; }

std::string StateText(TestState state)
{
    switch (state) {
    case TestState::Missing:
        return "missing";
    case TestState::NoResults:
        return "no-results";
    case TestState::Records:
        return "records";
    }
    return "";
}

std::string DateText(double day)
{
    const std::string text = LocalDateTimeText(day);
    return text.substr(0, text.find('T'));
}

std::string Bool(bool value) { return value ? "true" : "false"; }

// Joins fields into one CSV line.
std::string Row(std::initializer_list<std::string> fields)
{
    std::string line;
    bool first = true;
    for (const std::string& f : fields) {
        if (!first)
            line += ',';
        first = false;
        line += CsvField(f);
    }
    return line + "\n";
}

// A line whose first field names a test.
std::string NamedRow(const std::string& name, std::initializer_list<std::string> fields)
{
    std::string line = CsvName(name);
    for (const std::string& f : fields) {
        line += ',';
        line += CsvField(f);
    }
    return line + "\n";
}

class CsvTables {
public:
    CsvTables(std::ostream& out, bool titled) : m_out(out), m_titled(titled) {}

    // Starts a table: a blank line between tables, and when the output holds
    // more than one table a "# title" line that names it.
    void Begin(const std::string& title, const std::string& header)
    {
        if (m_count++ > 0)
            m_out << "\n";
        if (m_titled)
            m_out << "# " << title << "\n";
        m_out << header;
    }

private:
    std::ostream& m_out;
    bool m_titled;
    int m_count = 0;
};

int CountTables(const Report& report, const Selection& what)
{
    int tables = 0;
    if (what.records)
        for (const TestReport& t : report.tests)
            tables += t.state == TestState::Records ? 1 : 0;
    if (what.summary)
        tables += report.overall ? 4 : 3;
    tables += what.daily ? 1 : 0;
    tables += what.hours ? 1 : 0;
    return tables;
}

} // namespace

std::string NumberText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string LocalDateTimeText(double timestamp)
{
    if (!std::isfinite(timestamp) || std::fabs(timestamp) > 4.0e6)
        return "";
    const int64_t ms = static_cast<int64_t>(std::nearbyint(timestamp * static_cast<double>(kMsPerDay)));
    const int64_t day = ms / kMsPerDay;
    int64_t ofDay = ms % kMsPerDay;
    if (ofDay < 0)
        ofDay = -ofDay;
    if (day < kFirstDay || day > kLastDay)
        return "";
    const CivilDate date = CivilDateOfDay(day);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02lld:%02lld:%02lld.%03lld", static_cast<long long>(date.year),
                  date.month, date.day, static_cast<long long>(ofDay / 3'600'000),
                  static_cast<long long>(ofDay / 60'000 % 60), static_cast<long long>(ofDay / 1000 % 60),
                  static_cast<long long>(ofDay % 1000));
    return text;
}

void WriteCsv(std::ostream& out, const Report& report, const Selection& what)
{
    CsvTables tables(out, CountTables(report, what) > 1);

    if (what.records) {
        for (const TestReport& t : report.tests) {
            if (t.state != TestState::Records)
                continue;
            std::string header = "record,timestamp_days,local_time";
            for (const std::string& name : t.contents.partNames) {
                header += ',';
                header += CsvName(name);
            }
            tables.Begin("records: " + t.name, header + ",duration_ms,overall\n");
            int64_t index = 0;
            for (const ResultRecord& r : t.contents.records) {
                // Appended piece by piece: GCC 12 warns about a chain of
                // temporaries here (-Wrestrict, a known false positive).
                std::string line = std::to_string(++index);
                line += ',';
                line += NumberText(r.timestamp);
                line += ',';
                line += LocalDateTimeText(r.timestamp);
                for (double part : r.parts) {
                    line += ',';
                    line += NumberText(part);
                }
                out << line << "," << r.durationMs << "," << NumberText(r.overall) << "\n";
            }
        }
    }

    if (what.summary) {
        tables.Begin("test_summary", "test,state,total_ms,total_hours_minutes,recent_mean,list_duration,list_points\n");
        for (const TestReport& t : report.tests)
            out << NamedRow(t.name, {StateText(t.state), std::to_string(t.summary.totalMs),
                        FormatHoursMinutes(t.summary.totalMs), NumberText(t.summary.recentMean), t.listTexts.duration,
                        t.listTexts.points});

        tables.Begin("totals", "test,total_ms,total_hours_minutes,mean,passed\n");
        for (const TestReport& t : report.tests)
            out << NamedRow(t.name, {std::to_string(t.totals.totalMs), FormatHoursMinutes(t.totals.totalMs),
                        NumberText(t.totals.mean), Bool(t.totals.passed)});

        tables.Begin("details", "test,record_count,first_timestamp_days,first_local_time,total_ms,"
                                "total_hours_minutes,mean,best,worst\n");
        for (const TestReport& t : report.tests) {
            const DetailSummary& d = t.details;
            // A test never done has only its count; the evaluation shows
            // nothing else for it.
            if (d.recordCount == 0)
                out << NamedRow(t.name, {"0", "", "", "", "", "", "", ""});
            else
                out << NamedRow(t.name, {std::to_string(d.recordCount), NumberText(d.firstTimestamp),
                            LocalDateTimeText(d.firstTimestamp), std::to_string(d.totalMs),
                            FormatHoursMinutes(d.totalMs), NumberText(d.mean), NumberText(d.best),
                            NumberText(d.worst)});
        }

        if (report.overall) {
            const OverallTotals& o = *report.overall;
            tables.Begin("overall", "tests,total_ms,total_hours_minutes,mean,tests_passed,tests_not_passed\n");
            out << Row({std::to_string(report.tests.size()), std::to_string(o.totalMs), FormatHoursMinutes(o.totalMs),
                        NumberText(o.mean), std::to_string(o.testsPassed), std::to_string(o.testsNotPassed)});
        }
    }

    if (what.daily) {
        tables.Begin("daily", "test,day_days,date,seconds,mean\n");
        for (const TestReport& t : report.tests)
            for (const DailyGroup& g : t.daily.groups)
                out << NamedRow(t.name, {NumberText(g.day), DateText(g.day), std::to_string(g.seconds), NumberText(g.mean)});
    }

    if (what.hours) {
        tables.Begin("hours", "hour,mean\n");
        for (size_t h = 0; h < report.hours.size(); ++h)
            out << h << "," << NumberText(report.hours[h]) << "\n";
    }
}

void WriteJson(std::ostream& out, const Report& report, const Selection& what)
{
    out << "{\n  \"source\": " << JsonString(report.source) << ",\n  \"kind\": \""
        << (report.folder ? "folder" : "file") << "\",\n  \"tests\": [";
    bool firstTest = true;
    for (const TestReport& t : report.tests) {
        out << (firstTest ? "\n" : ",\n") << "    {\n";
        firstTest = false;
        out << "      \"name\": " << JsonString(t.name) << ",\n      \"result_file\": " << JsonString(t.resultPath)
            << ",\n      \"state\": \"" << StateText(t.state) << "\",\n      \"part_count\": " << t.contents.partCount
            << ",\n      \"part_names\": [";
        for (size_t i = 0; i < t.contents.partNames.size(); ++i)
            out << (i ? ", " : "") << JsonString(t.contents.partNames[i]);
        out << "]";

        if (what.records) {
            out << ",\n      \"records\": [";
            bool firstRecord = true;
            for (const ResultRecord& r : t.contents.records) {
                out << (firstRecord ? "\n" : ",\n") << "        {\"timestamp\": " << JsonNumber(r.timestamp)
                    << ", \"local_time\": " << JsonString(LocalDateTimeText(r.timestamp)) << ", \"parts\": [";
                firstRecord = false;
                for (size_t i = 0; i < r.parts.size(); ++i)
                    out << (i ? ", " : "") << JsonNumber(r.parts[i]);
                out << "], \"duration_ms\": " << r.durationMs << ", \"overall\": " << JsonNumber(r.overall) << "}";
            }
            out << (firstRecord ? "]" : "\n      ]");
        }

        if (what.summary) {
            out << ",\n      \"test_summary\": {\"total_ms\": " << t.summary.totalMs << ", \"total_hours_minutes\": "
                << JsonString(FormatHoursMinutes(t.summary.totalMs))
                << ", \"recent_mean\": " << JsonNumber(t.summary.recentMean)
                << ", \"list_duration\": " << JsonString(t.listTexts.duration)
                << ", \"list_points\": " << JsonString(t.listTexts.points) << "}";
            out << ",\n      \"totals\": {\"total_ms\": " << t.totals.totalMs << ", \"total_hours_minutes\": "
                << JsonString(FormatHoursMinutes(t.totals.totalMs)) << ", \"mean\": " << JsonNumber(t.totals.mean)
                << ", \"passed\": " << Bool(t.totals.passed) << "}";
            const DetailSummary& d = t.details;
            out << ",\n      \"details\": {\"record_count\": " << d.recordCount;
            if (d.recordCount > 0)
                out << ", \"first_timestamp\": " << JsonNumber(d.firstTimestamp)
                    << ", \"first_local_time\": " << JsonString(LocalDateTimeText(d.firstTimestamp))
                    << ", \"total_ms\": " << d.totalMs << ", \"total_hours_minutes\": "
                    << JsonString(FormatHoursMinutes(d.totalMs)) << ", \"mean\": " << JsonNumber(d.mean)
                    << ", \"best\": " << JsonNumber(d.best) << ", \"worst\": " << JsonNumber(d.worst);
            out << "}";
        }

        if (what.daily) {
            out << ",\n      \"daily\": {\"count\": " << t.daily.count << ", \"groups\": [";
            for (size_t i = 0; i < t.daily.groups.size(); ++i) {
                const DailyGroup& g = t.daily.groups[i];
                out << (i ? ",\n" : "\n") << "        {\"day\": " << JsonNumber(g.day)
                    << ", \"date\": " << JsonString(DateText(g.day)) << ", \"seconds\": " << g.seconds
                    << ", \"mean\": " << JsonNumber(g.mean) << "}";
            }
            out << (t.daily.groups.empty() ? "]}" : "\n      ]}");
        }
        out << "\n    }";
    }
    out << (firstTest ? "]" : "\n  ]");

    if (what.summary && report.overall) {
        const OverallTotals& o = *report.overall;
        out << ",\n  \"overall\": {\"total_ms\": " << o.totalMs << ", \"total_hours_minutes\": "
            << JsonString(FormatHoursMinutes(o.totalMs)) << ", \"mean\": " << JsonNumber(o.mean)
            << ", \"tests_passed\": " << o.testsPassed << ", \"tests_not_passed\": " << o.testsNotPassed << "}";
    }
    if (what.hours) {
        out << ",\n  \"hours\": [";
        for (size_t h = 0; h < report.hours.size(); ++h)
            out << (h ? ", " : "") << JsonNumber(report.hours[h]);
        out << "]";
    }
    out << "\n}\n";
}

} // namespace kestrava::tool
