#include "host/shell/Ende.h"

#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/results/ResultReaders.h"
#include "host/shell/DialogParts.h"
#include "host/shell/ResultWatch.h"
#include "platform/app/Keys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace kestrava::shell {

namespace {

// A percentage rounded to an integer, ties to even. A damaged file may hold
// anything in its eight bytes: what is not a number shows as a dash, and
// what is far out of range is clamped before it is converted.
std::string Percent(double value)
{
    if (!std::isfinite(value))
        return "\xe2\x80\x94";
    const double clamped = std::clamp(std::nearbyint(value), -1e15, 1e15);
    return std::to_string(static_cast<long long>(clamped)) + "%";
}

// A part result: a percentage, or (negative) a time in ms shown in seconds
// with three decimals and the German decimal comma.
std::string PartText(double value)
{
    if (!(value < 0)) // NaN too
        return Percent(value);
    if (!std::isfinite(value))
        return "\xe2\x80\x94";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", std::min(-value / 1000.0, 1e15));
    std::string out = text;
    std::replace(out.begin(), out.end(), '.', ',');
    return out + "s";
}

bool FileExists(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

EndLines EndLinesOf(const RunPlan& run, const TestCatalogue& tests, const TResultWatch& watch)
{
    EndLines out;
    const std::vector<TRunEntry>& entries = run.Entries();
    // A record shows only for an entry whose record arrived (or whose
    // record was not watched: an entry before a resumed run's); an older
    // record never stands in for a lost one.
    auto shows = [&](size_t e) {
        const TResultWatch::Outcome outcome = watch.OutcomeOf(e);
        return outcome == TResultWatch::Outcome::Arrived || outcome == TResultWatch::Outcome::Unknown ||
               outcome == TResultWatch::Outcome::Waiting;
    };
    for (size_t e = 0; e < entries.size(); ++e) {
        const TRunEntry& entry = entries[e];
        const TestCatalogueEntry* test = tests.ByIndex(entry.CatalogueIndex);
        if (test == nullptr)
            continue;
        if (watch.OutcomeOf(e) == TResultWatch::Outcome::Lost) {
            out.names.push_back("<b>" + test->title);
            out.results.push_back("<b>\xe2\x80\x94");
            for (const char* line : {"<tab>Ergebnis konnte nicht", "<tab>gespeichert werden"}) {
                out.names.push_back(line);
                out.results.push_back("");
            }
            continue;
        }
        if (!shows(e))
            continue;
        const std::string path = ResultFileOf(*test);
        if (!FileExists(path))
            continue;
        // A test split into segments wrote one record per segment, oldest
        // first: the segments after this one that saved theirs wrote the
        // newer records.
        int64_t later = 0;
        for (size_t other = e + 1; other < entries.size(); ++other)
            later += entries[other].CatalogueIndex == entry.CatalogueIndex && shows(other) ? 1 : 0;
        const LastRecord last = ReadRecordFromEnd(path, later);
        if (!last.present || last.partNames.empty())
            continue;
        out.names.push_back("<b>" + test->title);
        out.results.push_back("<b>" + Percent(last.record.overall));
        for (const std::string& name : last.partNames)
            out.names.push_back("<tab>" + name);
        for (double part : last.record.parts)
            out.results.push_back(PartText(part));
    }
    return out;
}

TEnde::TEnde()
{
    SetName("Ende");
    LoadBackground("ENDE");
    SetSize(387, 214);
    SetTabStop(true);
    auto makeList = [&](int32_t left, int32_t width, gdi::ColorRef colour) {
        auto& list = Create<ui::TMyCustomListBox>();
        // The font first: placing the list afterwards keeps its 108 pixels.
        list.SetFont(Arial(16, colour));
        list.SetBounds(left, 48, width, 108);
        list.SetColor(gdi::Rgb(0, 0, 0));
        list.SetSelColor(gdi::Rgb(0x49, 0x49, 0x49));
        list.SetEnabled(false);
        return &list;
    };
    m_liste1 = makeList(16, 275, kWhite);
    m_liste1->SetAlignement(app::Alignment::Left);
    m_liste1->SetAbstand(4);
    m_liste2 = makeList(299, 56, gdi::Rgb(0x47, 0x9E, 0x4B));
    m_liste2->SetAlignement(app::Alignment::Right);
    m_liste2->SetAbstand(3);
    m_liste2->SetAlternative(true);
    m_liste2->SetAlternativeColor(gdi::Rgb(0xCD, 0x51, 0x4B));
    m_liste2->SetThreshold(82);
    m_liste1->SetName("EndeListe1");
    m_liste2->SetName("EndeListe2");
    m_regler5 = &Create<TRegler>();
    m_regler5->SetName("Regler5");
    m_regler5->SetPicture(ui::LoadResourceBitmap("Regler5"));
    m_regler5->SetBounds(366, 37, 14, 26);
    // The knob runs from top 37 to top 154 beside the two lists.
    m_regler5->track = [] { return ThumbTrack{37, 154 - 37 + 26, 26}; };
    m_regler5->lists = {m_liste1, m_liste2};
    // The lists take no mouse input: the wheel anywhere over the dialog
    // scrolls them.
    m_regler5->TakeWheel(*this);
    m_ok = &MakeButton<ui::TThbitbtn>(*this, "EndeOk", 274, 170);
    m_ok->OnClick = [this] { Close(); };
    OnKeyDown = [this](uint32_t& key, app::Modifiers) {
        if (m_regler5->Visible() && (key == app::VK_DOWN || key == app::VK_UP))
            m_regler5->MoveBy(key == app::VK_DOWN ? 5 : -5);
    };
    OnKeyPress = [this](uint8_t& ch) {
        if (IsCloseKey(ch)) {
            ch = 0;
            Close();
        }
    };
}

void TEnde::SetHandCursor(const std::shared_ptr<app::Cursor>& hand)
{
    m_ok->SetCursor(hand);
    m_regler5->SetCursor(hand);
}

void TEnde::Fill(const EndLines& lines)
{
    Clear();
    for (const std::string& line : lines.names)
        m_liste1->AddLine(line);
    for (const std::string& line : lines.results)
        m_liste2->AddLine(line);
    m_regler5->SetVisible(m_liste1->Max() > 0);
    m_regler5->drag.Reset();
    m_regler5->SetPosition(m_regler5->Left(), m_regler5->track().top);
    m_liste1->SetPosition(0);
    m_liste2->SetPosition(0);
}

void TEnde::Clear()
{
    m_liste1->ClearLines();
    m_liste2->ClearLines();
}

void TEnde::Close()
{
    if (OnOk)
        OnOk();
}

} // namespace kestrava::shell
