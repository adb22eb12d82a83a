#include "modules/kit/Result.h"

#include <algorithm>

namespace kestrava::kit {

ResultSheet::ResultSheet(std::string tag, std::vector<std::string> partNamesUtf8) : m_tag(std::move(tag))
{
    m_names.reserve(partNamesUtf8.size());
    for (const std::string& name : partNamesUtf8)
        m_names.push_back(Utf8ToCp1252(name));
}

AppendReport ResultSheet::Write(const std::string& path, const ResultRecordBytes& record) const
{
    return AppendResultRecord(path, m_names, record);
}

void ResultSheet::WriteAndEnd(const std::string& path, const ResultRecordBytes& record,
                              const TOnTestEndSlot& onTestEnd) const
{
    AppendResultAndEndTest(m_tag.c_str(), path, m_names, record, onTestEnd);
}

double ResultSheet::Percent(int64_t part, int64_t whole)
{
    if (whole <= 0)
        return 0.0;
    // The last line of defence for counts that do not fit each other.
    return std::clamp(static_cast<double>(part) / static_cast<double>(whole) * 100.0, 0.0, 100.0);
}

} // namespace kestrava::kit
