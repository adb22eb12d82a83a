// The markup list box: markup and number reading, row geometry, scrolling,
// selection by scripted clicks, flags across line changes, sorted lines,
// and the painted frame.
#include "AppFixture.h"

#include "ui/Colours.h"
#include "ui/MyCustomListBox.h"

#include <limits>

namespace kestrava::ui {
namespace {

using app::testing::AppTest;

constexpr gdi::ColorRef kBlack = gdi::Rgb(0, 0, 0);
constexpr gdi::ColorRef kWhite = gdi::Rgb(255, 255, 255);
constexpr gdi::ColorRef kGrey = colour::kListSelection;
constexpr gdi::ColorRef kGreen = colour::kScoreGood;
constexpr gdi::ColorRef kRed = colour::kScoreWeak;
constexpr gdi::ColorRef kBlue = gdi::Rgb(0, 0, 255);

TEST(MarkupTest, TagsAreTakenOnceAndTheTabSplits)
{
    const TMarkupLine plain = ParseMarkup("Name");
    EXPECT_EQ(plain.left, "Name");
    EXPECT_FALSE(plain.hasTab);
    EXPECT_FALSE(plain.bold);
    EXPECT_EQ(plain.indent, 0);

    EXPECT_EQ(ParseMarkup("<tab>Name").indent, 10);
    EXPECT_EQ(ParseMarkup("<tab>Name").left, "Name");

    const TMarkupLine deep = ParseMarkup("<tabtab><b>ZEK-Test");
    EXPECT_EQ(deep.left, "ZEK-Test");
    EXPECT_TRUE(deep.bold);
    EXPECT_EQ(deep.indent, 20);

    // Tags may stand anywhere; a second one is text.
    const TMarkupLine twice = ParseMarkup("a<b>b<b>c");
    EXPECT_TRUE(twice.bold);
    EXPECT_EQ(twice.left, "ab<b>c");

    const TMarkupLine split = ParseMarkup("<b>Gesamt\t87%\tx");
    EXPECT_TRUE(split.hasTab);
    EXPECT_EQ(split.left, "Gesamt");
    EXPECT_EQ(split.right, "87%\tx");
}

TEST(MarkupTest, DigitsOfALineFormOneNumber)
{
    EXPECT_EQ(DigitsNumber("1,234s"), 1234);
    EXPECT_EQ(DigitsNumber("82%"), 82);
    EXPECT_EQ(DigitsNumber("01:05"), 105);
    EXPECT_FALSE(DigitsNumber("\xe2\x80\x94").has_value());
    EXPECT_FALSE(DigitsNumber("").has_value());
    // Too many digits stay above every threshold instead of wrapping.
    EXPECT_EQ(DigitsNumber("99999999999999999999999"), std::numeric_limits<int64_t>::max());
}

class ListBoxTest : public AppTest {
protected:
    ListBoxTest()
    {
        font.family = "Arial";
        font.height = 16;
        font.color = kWhite;
        list.SetFont(font);
        row = list.RowHeight();
    }

    // A list at (10, 20) showing `rows` whole rows.
    void PlaceList(int32_t width, int32_t rows)
    {
        Place(list, 10, 20, width, rows * row);
        Pump();
    }
    void Fill(int32_t count)
    {
        std::vector<std::string> lines;
        for (int32_t i = 0; i < count; ++i)
            lines.push_back("Zeile " + std::to_string(i));
        list.SetLines(lines);
    }
    // A press and release on row r of the list, as a person clicks.
    void ClickRow(int32_t r, bool ctrl = false)
    {
        const int32_t x = 10 + 5;
        const int32_t y = 20 + r * row + row / 2;
        backend.PushMouseMove(x, y);
        backend.PushMouseDown(x, y, app::MouseButton::Left, {false, ctrl, false});
        backend.PushMouseUp(x, y, app::MouseButton::Left, {false, ctrl, false});
        Pump();
    }
    std::vector<bool> Flags() const
    {
        std::vector<bool> f;
        for (int32_t i = 0; i < list.Count(); ++i)
            f.push_back(list.IsItemSelected(i));
        return f;
    }
    int32_t Width(std::string_view text, bool bold = false) const
    {
        gdi::FontSpec f = font;
        f.bold = bold;
        return gdi::MeasureText(f, text).cx;
    }

    gdi::Font font;
    TMyCustomListBox list;
    int32_t row = 0;
};

TEST_F(ListBoxTest, NewListIsEmptyAndUnselected)
{
    TMyCustomListBox fresh;
    EXPECT_EQ(fresh.Count(), 0);
    EXPECT_EQ(fresh.Selected(), -1);
    EXPECT_EQ(fresh.Position(), 0);
    EXPECT_EQ(fresh.Max(), 0);
    EXPECT_TRUE(fresh.doubleBuffered);
    EXPECT_FALSE(fresh.IsItemSelected(0));

}

TEST_F(ListBoxTest, RowHeightIsTheCellOfTheFontAndTheFontSnapsTheHeight)
{
    ASSERT_GT(row, 0);
    EXPECT_EQ(row, gdi::MeasureText(font, "\xc3\x84quator").cy);

    // Rounded to whole rows, half a row going to the even count.
    list.SetBounds(0, 0, 100, 4 * row + row / 2 + 1);
    list.SetFont(font);
    EXPECT_EQ(list.Height(), 5 * row);
    if (row % 2 == 0) {
        list.SetBounds(0, 0, 100, 4 * row + row / 2);
        list.SetFont(font);
        EXPECT_EQ(list.Height(), 4 * row);
        list.SetBounds(0, 0, 100, 5 * row + row / 2);
        list.SetFont(font);
        EXPECT_EQ(list.Height(), 6 * row);
    }
    list.SetBounds(0, 0, 100, row / 2 - 1);
    list.SetFont(font);
    EXPECT_EQ(list.Height(), 0);
}

TEST_F(ListBoxTest, IndentsBoldAndRightParts)
{
    PlaceList(200, 5);
    list.SetAbstand(4);
    list.SetLines({"Test", "<tab>Test", "<tabtab><b>Test", "Test\t87%", "Test\t<b>"});
    const auto rows = list.Layout();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].leftX, 4);
    EXPECT_EQ(rows[1].leftX, rows[0].leftX + 10);
    EXPECT_EQ(rows[2].leftX, 4 + 20);
    EXPECT_TRUE(rows[2].bold);
    EXPECT_FALSE(rows[1].bold);
    EXPECT_EQ(rows[2].left, "Test");

    EXPECT_EQ(rows[3].left, "Test");
    EXPECT_EQ(rows[3].leftX, 4);
    EXPECT_EQ(rows[3].right, "87%");
    EXPECT_EQ(rows[3].rightX, 195 - Width("87%"));
    // The tag makes the whole line bold, the right part's width included.
    EXPECT_TRUE(rows[4].bold);
    EXPECT_EQ(rows[4].right, "");
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].y, static_cast<int32_t>(i) * row);
}

TEST_F(ListBoxTest, AlignmentOfLinesWithoutTab)
{
    PlaceList(201, 3);
    list.SetAbstand(3);
    list.SetAbstand(-7); // ignored
    EXPECT_EQ(list.Abstand(), 3);
    list.SetLines({"<tab>abc", "Dauer\t01:05"});
    const int32_t w = Width("abc");

    list.SetAlignement(app::Alignment::Right);
    auto rows = list.Layout();
    EXPECT_EQ(rows[0].leftX, 201 - w - 3 - 1); // no indent on the right
    EXPECT_EQ(rows[1].leftX, 3);               // a tab line ignores the alignment

    list.SetAlignement(app::Alignment::Center);
    rows = list.Layout();
    EXPECT_EQ(rows[0].leftX, (201 - w) / 2);
    // Centre has no margin and truncates toward zero, also for a text wider
    // than the list.
    const std::string wide(40, 'W');
    list.SetLines({wide});
    rows = list.Layout();
    EXPECT_LT(201 - Width(wide), 0);
    EXPECT_EQ(rows[0].leftX, (201 - Width(wide)) / 2);
}

TEST_F(ListBoxTest, ThresholdColouring)
{
    PlaceList(100, 6);
    list.SetAlternativeColor(kRed);
    list.SetThreshold(82);
    list.SetLines({"82%", "83%", "1,234s", "\xe2\x80\x94", "<b>0%", "-5"});
    auto colours = [&] {
        std::vector<gdi::ColorRef> c;
        for (const auto& r : list.Layout())
            c.push_back(r.textColor);
        return c;
    };
    EXPECT_EQ(colours(), std::vector<gdi::ColorRef>(6, kWhite));
    list.SetAlternative(true);
    // The minus sign is no digit: "-5" reads as 5.
    EXPECT_EQ(colours(), (std::vector<gdi::ColorRef>{kRed, kWhite, kWhite, kWhite, kRed, kRed}));
}

TEST_F(ListBoxTest, MaxAndRefusedPositions)
{
    PlaceList(100, 5);
    Fill(3);
    EXPECT_EQ(list.VisibleRows(), 5);
    EXPECT_EQ(list.Layout().size(), 3u);
    EXPECT_EQ(list.Max(), 0);
    list.SetPosition(1);
    EXPECT_EQ(list.Position(), 0);

    Fill(12);
    EXPECT_EQ(list.Max(), 7);
    list.SetPosition(7);
    EXPECT_EQ(list.Position(), 7);
    list.SetPosition(8);
    EXPECT_EQ(list.Position(), 7);
    list.SetPosition(-1);
    EXPECT_EQ(list.Position(), 7);
    auto rows = list.Layout();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.front().line, 7);
    EXPECT_EQ(rows.front().y, 0);
    EXPECT_EQ(rows.back().line, 11);

    // Lines removed under a scrolled list: it scrolls back so that its
    // rows stay filled.
    for (int32_t i = 0; i < 4; ++i)
        list.DeleteLine(list.Count() - 1);
    rows = list.Layout();
    EXPECT_EQ(list.Max(), 3);
    EXPECT_EQ(list.Position(), 3);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.front().line, 3);
    EXPECT_EQ(rows.back().line, 7);
}

TEST_F(ListBoxTest, PlainAndCtrlClicks)
{
    PlaceList(100, 5);
    Fill(4);
    std::vector<std::string> events;
    list.OnSelect = [&] { events.push_back("select " + std::to_string(list.Selected())); };
    list.OnDeSelect = [&] { events.push_back("deselect " + std::to_string(list.Selected())); };
    bool flagAtMouseDown = false;
    list.OnMouseDown = [&](app::MouseButton, int32_t, int32_t y, app::Modifiers) {
        flagAtMouseDown = list.IsItemSelected(y / row);
    };

    ClickRow(0);
    EXPECT_TRUE(flagAtMouseDown); // the toggle comes before the event
    ClickRow(1, true);
    EXPECT_EQ(Flags(), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(list.Selected(), 1);

    ClickRow(0);
    EXPECT_EQ(Flags(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(list.Selected(), 0);

    // A plain click on the only selected line keeps it selected: the flags
    // are cleared first, then the line toggles on.
    ClickRow(0);
    EXPECT_EQ(Flags(), (std::vector<bool>{true, false, false, false}));

    ClickRow(2, true);
    ClickRow(0, true); // removes one line and leaves the other
    EXPECT_EQ(Flags(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(list.Selected(), -1);

    ClickRow(4); // below the last line
    EXPECT_EQ(Flags(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(list.Selected(), -1);

    EXPECT_EQ(events, (std::vector<std::string>{"select 0", "select 1", "select 0", "select 0", "select 2",
                                                "deselect -1", "deselect -1"}));

    // A disabled list gets no clicks at all.
    ClickRow(3);
    EXPECT_EQ(list.Selected(), 3);
    list.SetEnabled(false);
    ClickRow(1);
    EXPECT_EQ(list.Selected(), 3);
    EXPECT_EQ(Flags(), (std::vector<bool>{false, false, false, true}));
}

TEST_F(ListBoxTest, ADoubleClickIsTwoPlainPressesOnOneLine)
{
    PlaceList(100, 5);
    Fill(4);
    int doubles = 0;
    list.OnDblClick = [&] { ++doubles; };
    // The second press as the system reports it when it came quickly:
    // a double click, whatever line or modifier it has.
    auto secondPress = [&](int32_t r, bool ctrl) {
        app::Event e;
        e.type = app::Event::Type::MouseDouble;
        e.x = 15;
        e.y = 20 + r * row + row / 2;
        e.modifiers.ctrl = ctrl;
        backend.Push(e);
        backend.PushMouseUp(e.x, e.y, app::MouseButton::Left, e.modifiers);
        Pump();
    };

    ClickRow(0);
    secondPress(1, true); // Ctrl+click on the next line
    EXPECT_EQ(doubles, 0);
    EXPECT_EQ(Flags(), (std::vector<bool>{true, true, false, false}));
    ClickRow(2);
    secondPress(3, false); // another line
    EXPECT_EQ(doubles, 0);
    EXPECT_EQ(list.Selected(), 3);
    ClickRow(2, true);
    secondPress(2, false); // the first press had Ctrl
    EXPECT_EQ(doubles, 0);

    ClickRow(1);
    secondPress(1, false);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(list.Selected(), 1);
}

TEST_F(ListBoxTest, ClicksCountFromTheFirstVisibleLine)
{
    PlaceList(100, 3);
    Fill(10);
    list.SetPosition(4);
    ClickRow(1);
    EXPECT_EQ(list.Selected(), 5);
    EXPECT_TRUE(list.IsItemSelected(5));
}

TEST_F(ListBoxTest, SetItemSelectedIsQuiet)
{
    PlaceList(100, 5);
    Fill(3);
    int32_t events = 0;
    list.OnSelect = [&] { ++events; };
    list.OnDeSelect = [&] { ++events; };
    ClickRow(1);
    events = 0;

    list.SetItemSelected(2, true);
    EXPECT_EQ(list.Selected(), 1);
    list.SetItemSelected(2, false);
    EXPECT_EQ(list.Selected(), 1); // not the Selected line
    list.SetItemSelected(1, false);
    EXPECT_EQ(list.Selected(), -1);
    list.SetItemSelected(-1, true);
    list.SetItemSelected(3, true);
    EXPECT_EQ(Flags(), (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(list.IsItemSelected(3));
    EXPECT_FALSE(list.IsItemSelected(-1));
    EXPECT_EQ(events, 0);

    list.ToggleItem(7);
    EXPECT_EQ(events, 1);
}

TEST_F(ListBoxTest, FlagsFollowIndexesNotLines)
{
    Fill(5);
    list.SetItemSelected(0, true);
    list.SetItemSelected(2, true);
    list.SetItemSelected(4, true);

    list.DeleteLine(0);
    EXPECT_EQ(list.Lines().front(), "Zeile 1");
    EXPECT_EQ(Flags(), (std::vector<bool>{true, false, true, false}));

    list.SetLines({"a", "b"});
    EXPECT_EQ(Flags(), (std::vector<bool>{true, false}));
    list.AddLine("c");
    EXPECT_EQ(Flags(), (std::vector<bool>{true, false, false}));
    list.DeleteLine(9);
    EXPECT_EQ(list.Count(), 3);
    list.ClearLines();
    EXPECT_EQ(list.Count(), 0);
    list.AddLine("d");
    EXPECT_EQ(Flags(), (std::vector<bool>{false}));
}

TEST_F(ListBoxTest, SortedListsRefuseDuplicatesIgnoringCase)
{
    list.AddLine("b-Test");
    list.AddLine("A-Test");
    EXPECT_EQ(list.AddLine("b-test"), 2); // an unsorted list appends anything
    list.SetSorted(true);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"A-Test", "b-Test", "b-test"}));

    list.SetLines({"ZEK-Test", "b-Test", "A-Test", "zek-test", "\xc3\x84quator", "\xc3\xa4quator"});
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"A-Test", "\xc3\x84quator", "b-Test", "ZEK-Test"}));
    EXPECT_EQ(list.AddLine("a-test"), -1);
    EXPECT_EQ(list.AddLine("Mitte"), 3);
    EXPECT_EQ(list.Count(), 5);
}

TEST_F(ListBoxTest, SortedListsFileUmlautsAsTheirBaseLetters)
{
    list.SetSorted(true);
    // "Ü" files as "U", "ß" as "ss", whatever the case.
    list.SetLines({"Vigilanz", "\xc3\x9c" "bungstest", "ZEK-Test", "Abfrage", "\xc3\xa4hnlich", "Stra\xc3\x9f" "e",
                   "Strasse2", "\xc3\xb6l", "Ofen", "Oz", "Muller", "M\xc3\xbcller"});
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"Abfrage", "\xc3\xa4hnlich", "Muller", "M\xc3\xbcller", "Ofen",
                                                      "\xc3\xb6l", "Oz", "Stra\xc3\x9f" "e", "Strasse2",
                                                      "\xc3\x9c" "bungstest", "Vigilanz", "ZEK-Test"}));
    // Filed alike is not the same line; only a difference of case is.
    EXPECT_EQ(list.AddLine("MULLER"), -1);
    EXPECT_EQ(list.AddLine("\xc3\x9c" "BUNGSTEST"), -1);
    EXPECT_EQ(list.AddLine("Ubungstest"), 9);
}

TEST_F(ListBoxTest, PositionStaysInsideTheLinesWhenTheyChange)
{
    PlaceList(100, 5);
    Fill(12);
    list.SetPosition(7);
    ASSERT_EQ(list.Position(), 7);
    // Refilled with fewer lines than rows: the list starts at the top again
    // and shows them, and the top is a position it accepts.
    Fill(4);
    EXPECT_EQ(list.Position(), 0);
    EXPECT_EQ(list.Layout().size(), 4u);
    Fill(12);
    list.SetPosition(7);
    Fill(9);
    EXPECT_EQ(list.Position(), 4);
    list.SetPosition(0);
    EXPECT_EQ(list.Position(), 0);
    // A taller list shows more rows and scrolls back to keep them filled.
    list.SetPosition(4);
    Place(list, 10, 20, 100, 7 * row);
    EXPECT_EQ(list.Position(), 2);
    EXPECT_EQ(list.Layout().size(), 7u);
    list.ClearLines();
    EXPECT_EQ(list.Position(), 0);
}

class ListBoxPaintTest : public ListBoxTest {
protected:
    // Counts exact pixels of one colour in row r of the list.
    int32_t CountInRow(int32_t r, gdi::ColorRef color) const
    {
        int32_t n = 0;
        for (int32_t y = 20 + r * row; y < 20 + (r + 1) * row; ++y)
            for (int32_t x = 10; x < 10 + list.Width(); ++x)
                n += backend.Frame().GetColor(x, y) == color ? 1 : 0;
        return n;
    }
};

TEST_F(ListBoxPaintTest, SelectionBandAndThresholdColours)
{
    app.MainForm().color = kBlue;
    app.MainForm().Invalidate();
    font.color = kGreen;
    font.height = 20;
    list.SetFont(font);
    row = list.RowHeight();
    PlaceList(120, 4);
    list.SetColor(kBlack);
    list.SetSelColor(kGrey);
    list.SetAlternativeColor(kRed);
    list.SetAlternative(true);
    list.SetThreshold(82);
    list.SetLines({"<b>50%", "<b>90%", "<b>1,234s"});
    list.SetItemSelected(1, true);
    Pump();

    const gdi::Bitmap& frame = backend.Frame();
    // The band of the selected line spans the whole width; its text keeps
    // its own colour on it.
    for (int32_t x = 10; x < 130; ++x) {
        EXPECT_EQ(frame.GetColor(x, 20 + row), kGrey) << x;
        EXPECT_EQ(frame.GetColor(x, 20 + 2 * row - 1), kGrey) << x;
    }
    EXPECT_EQ(frame.GetColor(128, 20 + row + row / 2), kGrey);
    EXPECT_EQ(frame.GetColor(128, 20), kBlack);
    // Below the last line and outside the list.
    EXPECT_EQ(frame.GetColor(60, 20 + 3 * row + 1), kBlack);
    EXPECT_EQ(frame.GetColor(9, 20), kBlue);
    EXPECT_EQ(frame.GetColor(130, 20), kBlue);

    EXPECT_GT(CountInRow(0, kRed), 0);
    EXPECT_EQ(CountInRow(0, kGreen), 0);
    EXPECT_GT(CountInRow(1, kGreen), 0);
    EXPECT_EQ(CountInRow(1, kRed), 0);
    EXPECT_GT(CountInRow(2, kGreen), 0);
    EXPECT_EQ(CountInRow(2, kRed), 0);
    EXPECT_EQ(CountInRow(3, kGreen) + CountInRow(3, kRed), 0);

    // A transparent list leaves the form showing through its background.
    list.SetTransparent(true);
    Pump();
    EXPECT_EQ(frame.GetColor(128, 20), kBlue);
    EXPECT_EQ(frame.GetColor(128, 20 + row), kGrey);
}

TEST_F(ListBoxPaintTest, ScrolledRowsAndRightPartsAreDrawnWhereLaidOut)
{
    font.height = 20;
    list.SetFont(font);
    row = list.RowHeight();
    PlaceList(150, 2);
    list.SetColor(kBlack);
    list.SetAbstand(4);
    list.SetLines({"oben", "a\t|", "b"});
    list.SetPosition(1);
    Pump();
    // Row 0 now shows "a" on the left and "|" at the right edge; the
    // columns between them stay background.
    const auto rows = list.Layout();
    ASSERT_EQ(rows.size(), 2u);
    const int32_t barX = 10 + rows[0].rightX;
    int32_t lit = 0;
    for (int32_t y = 20; y < 20 + row; ++y)
        for (int32_t x = barX; x < 10 + 150 - 4; ++x)
            lit += backend.Frame().GetColor(x, y) != kBlack ? 1 : 0;
    EXPECT_GT(lit, 0);
    for (int32_t y = 20; y < 20 + row; ++y)
        for (int32_t x = 10 + 150 - 4; x < 10 + 150; ++x)
            EXPECT_EQ(backend.Frame().GetColor(x, y), kBlack) << x << "," << y;
    for (int32_t y = 20; y < 20 + row; ++y)
        for (int32_t x = 10 + 60; x < barX - 1; ++x)
            EXPECT_EQ(backend.Frame().GetColor(x, y), kBlack) << x << "," << y;
}

} // namespace
} // namespace kestrava::ui
