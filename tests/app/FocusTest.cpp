// The focus scopes: the Tab order, the keys a scope hears, where a key
// finds the focus, and when the focus frame shows.
#include "AppFixture.h"

#include "platform/app/Keys.h"

#include <string>
#include <vector>

namespace kestrava::app::testing {
namespace {

// Takes the keyboard, logs its keys, frames its whole face.
class Stop : public Control {
public:
    Stop(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) { SetTabStop(true); }
    void KeyPress(uint8_t& ch) override
    {
        m_log->push_back(m_name + " " + char(ch));
        if (ch == 'x')
            ch = 0;
    }
    gdi::Rect FocusRect() const override { return ClientRect(); }

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

class Focus : public AppTest {
protected:
    Focus()
    {
        Place(dialog, 0, 0, 200, 100);
        dialog.SetFocusScope(true);
        for (Stop* s : {&a, &b, &c})
            Place(*s, 10 + 50 * int32_t(s - &a), 10, 40, 20, &dialog);
        dialog.OnKeyPress = [this](uint8_t& ch) { log.push_back(std::string("scope ") + char(ch)); };
        app.SetFocusPainter([this](Canvas& canvas, const gdi::Rect& r) {
            canvas.brush.color = gdi::Rgb(255, 0, 0);
            canvas.FillRect(r);
            painted.push_back(r);
        });
    }
    void Press(char ch)
    {
        backend.PushTypedKey(VK_A + uint32_t(ch - 'a'), uint8_t(ch));
        Pump();
    }
    void Tab(bool shift = false)
    {
        backend.PushKey(VK_TAB, Modifiers{shift, false, false});
        Pump();
    }

    std::vector<std::string> log;
    std::vector<gdi::Rect> painted;
    Panel dialog;
    Stop a{"A", &log}, b{"B", &log}, c{"C", &log};
};

TEST_F(Focus, TabAndShiftTabGoRoundTheScopeAndAScopePassesTheFocusToItsDefault)
{
    ASSERT_TRUE(dialog.SetFocus());
    EXPECT_TRUE(a.Focused());
    EXPECT_TRUE(dialog.Focused()) << "the scope has the keyboard while a control in it has";
    Tab();
    EXPECT_TRUE(b.Focused());
    Tab();
    Tab();
    EXPECT_TRUE(a.Focused()) << "round";
    Tab(true);
    EXPECT_TRUE(c.Focused());
    b.SetVisible(false); // hidden and disabled controls are left out
    Tab(true);
    EXPECT_TRUE(a.Focused());
    b.SetVisible(true);
    dialog.tabOrder = [this] { return std::vector<Control*>{&c, &a}; };
    dialog.defaultFocus = &c;
    ASSERT_TRUE(dialog.SetFocus());
    EXPECT_TRUE(a.Focused()) << "a scope that has the focus keeps it where it is";
    app.SetFocus(nullptr);
    ASSERT_TRUE(dialog.SetFocus());
    EXPECT_TRUE(c.Focused());
    Tab();
    EXPECT_TRUE(a.Focused());
}

TEST_F(Focus, TheScopeHearsWhatTheFocusedControlLeavesAndAKeyFindsTheTopmostScope)
{
    Press('q'); // no focus yet: the topmost scope gives it to its first control
    ASSERT_TRUE(a.Focused());
    Press('x');
    EXPECT_EQ(log, (std::vector<std::string>{"A q", "scope q", "A x"}));
    // The scope remembers its focus when it comes back to it.
    ASSERT_TRUE(c.SetFocus());
    dialog.Hide();
    EXPECT_EQ(app.FocusedControl(), nullptr);
    dialog.Show();
    Press('q');
    EXPECT_TRUE(c.Focused());
    // A control outside any scope: Tab goes to it like any key and moves
    // nothing (the test area).
    Stop free{"F", &log};
    Place(free, 250, 10, 20, 20);
    ASSERT_TRUE(free.SetFocus());
    Tab();
    EXPECT_TRUE(free.Focused());
    EXPECT_FALSE(app.FocusVisible());
}

TEST_F(Focus, TheFrameShowsAfterTabUntilAMousePressAndNeverInASnapshot)
{
    ASSERT_TRUE(dialog.SetFocus());
    app.Update();
    EXPECT_TRUE(painted.empty()) << "focused, but no key moved it";
    Tab();
    EXPECT_TRUE(app.FocusVisible());
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.back(), b.ClientRect());
    EXPECT_EQ(backend.Frame().GetColor(70, 15), gdi::Rgb(255, 0, 0));
    painted.clear();
    app.PaintNow({0, 0, 200, 100});
    EXPECT_TRUE(painted.empty());
    Click(150, 80); // the scope's face, which takes no focus
    EXPECT_FALSE(app.FocusVisible());
    EXPECT_TRUE(b.Focused());
    EXPECT_NE(backend.Frame().GetColor(70, 15), gdi::Rgb(255, 0, 0));
}

} // namespace
} // namespace kestrava::app::testing
