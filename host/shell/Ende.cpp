#include "host/shell/Ende.h"

#include "host/catalogue/Catalogue.h"
#include "host/catalogue/RunPlan.h"
#include "host/results/ResultReaders.h"
#include "host/results/ResultTexts.h"
#include "host/shell/DialogParts.h"
#include "host/shell/ResultWatch.h"
#include "platform/app/Keys.h"
#include "platform/gdi/FileAccess.h"
#include "ui/Colours.h"

namespace kestrava::shell {

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
        out.results.push_back("<b>" + FormatRoundedPercent(last.record.overall));
        for (const std::string& name : last.partNames)
            out.names.push_back("<tab>" + name);
        for (double part : last.record.parts)
            out.results.push_back(FormatPartResult(part));
    }
    return out;
}

TEnde::TEnde()
{
    SetName("Ende");
    LoadBackground("ENDE");
    SetSize(S(387), S(214));
    SetTabStop(true);
    auto makeList = [&](int32_t left, int32_t width, gdi::ColorRef colour) {
        auto& list = Create<ui::TMyCustomListBox>();
        // The font first: placing the list afterwards keeps its 108 pixels.
        list.SetFont(Arial(16, colour));
        SetDesignBounds(list, left, 48, width, 108);
        list.SetColor(gdi::Rgb(0, 0, 0));
        list.SetSelColor(ui::colour::kListSelection);
        list.SetEnabled(false);
        return &list;
    };
    m_liste1 = makeList(16, 275, kWhite);
    m_liste1->SetAlignement(app::Alignment::Left);
    m_liste1->SetAbstand(S(4));
    m_liste2 = makeList(299, 56, ui::colour::kScoreGood);
    m_liste2->SetAlignement(app::Alignment::Right);
    m_liste2->SetAbstand(S(3));
    m_liste2->SetAlternative(true);
    m_liste2->SetAlternativeColor(ui::colour::kScoreWeak);
    m_liste2->SetThreshold(82);
    m_liste1->SetName("EndeListe1");
    m_liste2->SetName("EndeListe2");
    m_regler5 = &Create<TRegler>();
    m_regler5->SetName("Regler5");
    m_regler5->SetPicture(ui::LoadResourceBitmap("Regler5"));
    SetDesignBounds(*m_regler5, 366, 37, 14, 26);
    // The knob runs from top 37 to top 154 beside the two lists.
    m_regler5->track = [] { return ThumbTrack{S(37), S(154 + 26) - S(37), S(26)}; };
    m_regler5->lists = {m_liste1, m_liste2};
    // The lists take no mouse input: the wheel anywhere over the dialog
    // scrolls them.
    m_regler5->TakeWheel(*this);
    m_ok = &MakeButton<ui::TThbitbtn>(*this, "EndeOk", 274, 170);
    m_ok->OnClick = [this] { Close(); };
    SetFocusScope(true);
    OnKeyDown = [this](uint32_t& key, app::Modifiers) {
        if (m_regler5->Visible() && (key == app::VK_DOWN || key == app::VK_UP))
            m_regler5->MoveBy(S(key == app::VK_DOWN ? 5 : -5));
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

void TEnde::Place(int32_t roomWidth, int32_t roomHeight) { PlaceCentred(*this, roomWidth, roomHeight); }

} // namespace kestrava::shell
