#include "host/shell/Auswertung.h"

#include "host/core/ModuleHost.h"
#include "host/results/ResultTexts.h"
#include "host/shell/DialogParts.h"
#include "host/shell/Haupt.h"
#include "host/shell/Regler.h"
#include "platform/gdi/FileAccess.h"
#include "ui/Colours.h"
#include "ui/Resources.h"


namespace kestrava::shell {

namespace {

constexpr gdi::ColorRef kWell = gdi::Rgb(0x20, 0x20, 0x20);
constexpr gdi::ColorRef kCurve = ui::colour::kScoreWeak;
constexpr gdi::ColorRef kNoData = ui::colour::kNoData;
constexpr gdi::ColorRef kGrid = gdi::Rgb(0x4B, 0x82, 0xCD);

// The list box: 104, 50 and 449 wide; its height depends on the view.
constexpr int32_t kListLeft = 104;
constexpr int32_t kListTop = 50;
constexpr int32_t kListWidth = 449;
constexpr int32_t kGeneralHeight = 336;
constexpr int32_t kDetailsHeight = 113;
// The knob runs from top 37 to top 358 beside the list.
constexpr int32_t kKnobTop = 37;
constexpr int32_t kKnobBottom = 358;
constexpr int32_t kKnobHeight = 26;
constexpr int32_t kKnobStep = 10;

ui::TThbitbtn& MakeButton(app::Control& parent, const std::string& name, int32_t top)
{
    auto& button = parent.Create<ui::TThbitbtn>();
    button.LoadPictures(name);
    button.SetTransparent(true);
    button.SetPosition(S(24), S(top));
    return button;
}

GraphStyle StyleOf(const ui::TMyCustomListBox& list)
{
    GraphStyle style;
    style.font = gdi::FontSpec{"Arial", 13, false, false};
    style.grid = kGrid;
    style.background = list.Color();
    style.curve = list.AlternativeColor();
    style.noData = list.SelColor();
    return style;
}

std::string HoursMinutesSentence(int64_t ms)
{
    const HoursMinutesTexts hm = SplitHoursMinutes(ms);
    return hm.hours + " Stunden und " + hm.minutes + " Minuten";
}

} // namespace

TAuswertung::TAuswertung()
{
    SetName("Auswertung");
    LoadBackground("AUSWERTUNG");
    SetSize(S(kWidth), S(kHeight));
    SetTabStop(true);

    m_allgemein = &MakeButton(*this, "Allgemein", 44);
    m_verlauf = &MakeButton(*this, "Verlauf", 115);
    m_testDetails = &MakeButton(*this, "TestDetails", 185);
    m_lernkurve = &MakeButton(*this, "Lernkurve", 256);
    m_zurueck = &MakeButton(*this, "AuswertungZurueck", 327);
    m_testDetails->tag = -1;
    m_allgemein->OnClick = [this] { AllgemeineAuswertung(); };
    m_verlauf->OnClick = [this] { VerlaufClick(); };
    m_testDetails->OnClick = [this] { TestDetailsClick(); };
    m_lernkurve->OnClick = [this] { LernkurveClick(); };
    m_zurueck->OnClick = [this] { AuswertungBack(); };
    SetFocusScope(true);

    m_list = &Create<ui::TMyCustomListBox>();
    gdi::Font font;
    font.family = "Arial";
    font.height = S(15);
    font.color = kWhite;
    m_list->SetFont(font);
    SetDesignBounds(*m_list, kListLeft, kListTop, kListWidth, kGeneralHeight);
    m_list->SetColor(kWell);
    m_list->SetAlternativeColor(kCurve);
    m_list->SetAlternative(false);
    m_list->SetSelColor(kNoData);
    m_list->SetAlignement(app::Alignment::Left);
    m_list->SetAbstand(0);
    m_list->SetThreshold(0);
    m_list->SetEnabled(false);

    m_paintBox = &Create<app::PaintBox>();
    SetDesignBounds(*m_paintBox, 101, 50, 464, 351);
    m_paintBox->Hide();
    m_paintBox->OnPaint = [this](app::Canvas& canvas, const gdi::Rect&) {
        if (m_paintBoxShows != nullptr)
            PaintGraph(canvas, *m_paintBoxShows);
    };
    m_detailPaintBox = &Create<app::PaintBox>();
    SetDesignBounds(*m_detailPaintBox, 101, 163, 464, 238);
    m_detailPaintBox->Hide();
    m_detailPaintBox->OnPaint = [this](app::Canvas& canvas, const gdi::Rect&) { PaintGraph(canvas, m_detailPicture); };

    m_scroll = &Create<app::Image>();
    m_scroll->SetPicture(ui::LoadResourceBitmap("AuswertungsScroll"));
    SetDesignBounds(*m_scroll, 566, 36, 18, 375);
    m_regler = &Create<TRegler>();
    m_regler->SetPicture(ui::LoadResourceBitmap("AuswertungsRegler"));
    SetDesignBounds(*m_regler, 567, kKnobTop, 15, kKnobHeight);
    m_regler->track = [] { return ThumbTrack{S(kKnobTop), S(kKnobBottom + kKnobHeight) - S(kKnobTop), S(kKnobHeight)}; };
    m_regler->lists = {m_list};
    // The list takes no mouse input: the wheel anywhere over the dialog
    // scrolls it while the knob shows.
    m_regler->TakeWheel(*this);

    OnKeyDown = [this](uint32_t& key, app::Modifiers) { ArrowKey(key); };
    OnKeyPress = [this](uint8_t& ch) {
        if (ch == 27) {
            ch = 0;
            AuswertungBack();
        }
    };
}

app::Image& TAuswertung::AuswertungsRegler() { return *m_regler; }

void TAuswertung::UseHandCursor(const std::shared_ptr<app::Cursor>& hand)
{
    for (app::Control* c : std::initializer_list<app::Control*>{m_allgemein, m_verlauf, m_testDetails, m_lernkurve,
                                                                 m_zurueck, m_regler})
        c->SetCursor(hand);
}

std::vector<std::string> TAuswertung::ResultPaths() const
{
    std::vector<std::string> paths;
    paths.reserve(m_tests.size());
    for (const TestCatalogueEntry& test : m_tests)
        paths.push_back(ResultFileOf(test));
    return paths;
}

void TAuswertung::Fill(const TestCatalogue& tests, const ui::TMyCustomListBox& testList, ModuleHost& host)
{
    m_tests = tests.Entries();
    const std::vector<std::string> paths = ResultPaths();

    AllgemeineAuswertung();

    // The hour profile runs over the tests the list shows.
    std::vector<std::string> shown;
    for (const std::string& title : testList.Lines())
        if (const TestCatalogueEntry* test = tests.ByTitle(title))
            shown.push_back(ResultFileOf(*test));
    m_profile = BuildHourProfile(shown);

    // Details are offered for exactly one selected test whose module loads
    // and says that it keeps results.
    m_selectedLine = -1;
    int32_t selectedCount = 0;
    for (int32_t i = 0; i < testList.Count(); ++i)
        if (testList.IsItemSelected(i)) {
            ++selectedCount;
            m_selectedLine = i;
        }
    if (selectedCount != 1)
        m_selectedLine = -1;
    int32_t selectedTest = -1;
    m_selectedTitle.clear();
    m_selectedPath.clear();
    if (m_selectedLine >= 0) {
        m_selectedTitle = testList.Lines()[static_cast<size_t>(m_selectedLine)];
        const std::optional<int32_t> index = tests.IndexOfTitle(m_selectedTitle);
        TTestInfo info{};
        if (index && host.QueryModuleInfo(m_tests[static_cast<size_t>(*index)].modulePath, info) &&
            info.KeepsResults != 0) {
            selectedTest = *index;
            m_selectedPath = paths[static_cast<size_t>(*index)];
        } else {
            m_selectedLine = -1;
            m_selectedTitle.clear();
        }
    }
    m_testDetails->SetEnabled(m_selectedLine >= 0);

    m_series = BuildDailySeries(paths, selectedTest);
    m_testDetails->tag = m_series.selectedSlot;
    m_lernkurve->SetEnabled(m_series.HasDayRange());

    GraphStyle style = StyleOf(*m_list);
    style.scale = m_graphScale;
    m_hourPicture = HourGraph(m_profile, style);
    m_learningPicture = LearningCurveGraph(m_series, style);
    m_detailPicture = DetailGraph(m_series, style);
    m_paintBoxShows = &m_hourPicture;
}

void TAuswertung::AllgemeineAuswertung()
{
    m_paintBox->Hide();
    m_detailPaintBox->Hide();
    SetDesignBounds(*m_list, kListLeft, kListTop, kListWidth, kGeneralHeight);
    m_list->Show();
    const std::vector<std::string> paths = ResultPaths();
    const OverallTotals totals = ReadOverallTotals(paths);
    m_list->ClearLines();
    m_list->AddLine("<b>Allgemeine Auswertung");
    m_list->AddLine("");
    m_list->AddLine("<tab>Sie haben insgesamt " + HoursMinutesSentence(totals.totalMs) + " ge\xC3\xBC" "bt und");
    m_list->AddLine("<tab>dabei insgesamt im Durchschnitt " + FormatFixed2(totals.mean) + "% erreicht.");
    if (totals.testsPassed == 1)
        m_list->AddLine("<tab>Sie haben 1 Test bisher mindestens einmal bestanden");
    else
        m_list->AddLine("<tab>Sie haben " + std::to_string(totals.testsPassed) +
                        " Tests bisher mindestens einmal bestanden");
    m_list->AddLine("<tab>und " + std::to_string(totals.testsNotPassed) + " noch nie.");
    m_list->AddLine("");
    m_list->AddLine("<tab>Folgende Tests wurden noch nicht ge\xC3\xBC" "bt:");
    m_list->AddLine("");
    for (size_t i = 0; i < m_tests.size(); ++i)
        if (!FileExists(paths[i]))
            m_list->AddLine("<tabtab><b>" + m_tests[i].title);

    m_regler->drag.Reset();
    m_regler->SetPosition(m_regler->Left(), S(kKnobTop));
    m_list->SetPosition(0);
    const bool scrolls = m_list->Max() > 0;
    m_regler->SetVisible(scrolls);
    m_scroll->SetVisible(scrolls);
    m_list->Invalidate();
}

void TAuswertung::ShowGraph(const GraphPicture& picture)
{
    m_list->Hide();
    m_detailPaintBox->Hide();
    m_regler->Hide();
    m_scroll->Hide();
    m_list->ClearLines();
    m_paintBoxShows = &picture;
    m_paintBox->Show();
    m_paintBox->Invalidate();
}

void TAuswertung::VerlaufClick() { ShowGraph(m_hourPicture); }

void TAuswertung::LernkurveClick()
{
    if (m_series.HasDayRange())
        ShowGraph(m_learningPicture);
}

void TAuswertung::TestDetailsClick()
{
    if (m_selectedLine < 0)
        return;
    m_paintBox->Hide();
    // The curve only for a test with a daily slot of its own.
    m_detailPaintBox->SetVisible(m_series.HasDayRange() && m_series.selectedSlot >= 0);
    m_detailPaintBox->Invalidate();
    SetDesignBounds(*m_list, kListLeft, kListTop, kListWidth, kDetailsHeight);
    m_list->ClearLines();
    m_list->SetPosition(0);
    m_list->Show();
    m_list->AddLine("<b>" + m_selectedTitle);
    m_list->AddLine("");
    const DetailSummary detail = ReadDetailSummary(m_selectedPath);
    if (detail.recordCount == 0) {
        m_list->AddLine("<tab>Sie haben diesen Test noch nie absolviert!");
        m_list->Invalidate();
        return;
    }
    m_list->AddLine("<tab>Seit " + FormatLongDate(detail.firstTimestamp) + " haben Sie diesen Test");
    m_list->AddLine("<tab>" + HoursMinutesSentence(detail.totalMs) + " ge\xC3\xBC" "bt");
    m_list->AddLine("<tab>und dabei im Durchschnitt " + FormatFixed2(detail.mean) + "% erreicht.");
    m_list->AddLine("<tab>Ihr bestes Ergebnis war " + FormatFixed2(detail.best) + "% und Ihr schlechtestes " +
                    FormatFixed2(detail.worst) + "%.");
    m_list->Invalidate();
}

void TAuswertung::AuswertungBack()
{
    if (!Visible())
        return;
    m_series = DailySeries{};
    m_learningPicture = GraphPicture{};
    m_detailPicture = GraphPicture{};
    m_paintBoxShows = &m_hourPicture;
    Hide();
    if (OnClosed)
        OnClosed();
}

void TAuswertung::ArrowKey(uint32_t& key)
{
    if (!m_regler->Visible())
        return;
    // Page Up and Down move the knob by five arrow steps.
    constexpr int32_t page = 5 * kKnobStep;
    switch (key) {
    case app::VK_DOWN: m_regler->MoveBy(S(kKnobStep)); break;
    case app::VK_UP: m_regler->MoveBy(-S(kKnobStep)); break;
    case app::VK_NEXT: m_regler->MoveBy(S(page)); break;
    case app::VK_PRIOR: m_regler->MoveBy(-S(page)); break;
    default: return;
    }
    key = 0;
}

// ------------------------------------------------- the main window's side

void THaupt::DetailButtonClick()
{
    if (m_auswertung->Visible())
        return;
    ShowBusy(true);
    m_menue->DetailButton().SetEnabled(false);
    m_menue->SetEnabled(false);
    PlaceInRoom(*m_auswertung);
    m_auswertung->Fill(m_tests, m_menue->TestListBox(), m_host);
    m_auswertung->ShowComposed();
    m_menue->DetailButton().SetEnabled(true);
    m_auswertung->SetFocus();
    ShowBusy(false);
}

void TAuswertung::Place(int32_t roomWidth, int32_t roomHeight) { PlaceCentred(*this, roomWidth, roomHeight); }

} // namespace kestrava::shell
