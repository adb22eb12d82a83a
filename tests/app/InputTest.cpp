// Mouse and keyboard through the control tree: hit testing, capture,
// enter and leave, focus, key preview, cursors, window focus.
#include "AppFixture.h"

#include <string>
#include <vector>

namespace kestrava::app::testing {
namespace {

// Records what reaches it, in the order it came.
class Probe : public Control {
public:
    explicit Probe(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) {}
    void MouseDown(MouseButton b, int32_t x, int32_t y, Modifiers m) override
    {
        Note("down " + std::to_string(x) + "," + std::to_string(y));
        Control::MouseDown(b, x, y, m);
    }
    void MouseMove(int32_t x, int32_t y, Modifiers m) override
    {
        Note("move " + std::to_string(x) + "," + std::to_string(y));
        Control::MouseMove(x, y, m);
    }
    void MouseUp(MouseButton b, int32_t x, int32_t y, Modifiers m) override
    {
        Note("up " + std::to_string(x) + "," + std::to_string(y));
        Control::MouseUp(b, x, y, m);
    }
    void Click() override { Note("click"); }
    void DblClick() override { Note("dblclick"); }
    void MouseEnter() override { Note("enter"); }
    void MouseLeave() override { Note("leave"); }

private:
    void Note(const std::string& what) { m_log->push_back(m_name + " " + what); }
    std::string m_name;
    std::vector<std::string>* m_log;
};

using HitTest = AppTest;

TEST_F(HitTest, TopmostVisibleEnabledControlTakesTheHit)
{
    Panel under, over, inner;
    Place(under, 10, 10, 100, 100);
    Place(over, 50, 50, 100, 100); // added later: on top where they overlap
    Place(inner, 5, 5, 20, 20, &over);
    EXPECT_EQ(app.ControlAt(20, 20), &under);
    EXPECT_EQ(app.ControlAt(60, 60), &inner);
    EXPECT_EQ(app.ControlAt(80, 80), &over);
    EXPECT_EQ(app.ControlAt(200, 200), &app.MainForm());
    EXPECT_EQ(app.ControlAt(-1, 5), nullptr);

    under.BringToFront();
    EXPECT_EQ(app.ControlAt(80, 80), &under);
    under.SendToBack();
    EXPECT_EQ(app.ControlAt(80, 80), &over);

    // A hidden or disabled control, and everything in it, lets the hit
    // through to what lies below.
    over.SetEnabled(false);
    EXPECT_EQ(app.ControlAt(60, 60), &under);
    over.SetEnabled(true);
    over.Hide();
    EXPECT_EQ(app.ControlAt(60, 60), &under);
    EXPECT_EQ(app.ControlAt(140, 140), &app.MainForm());
}

TEST_F(HitTest, ANamedControlIsFoundDepthFirstInTheChildrensOrder)
{
    Panel first, inner, second;
    Place(first, 0, 0, 10, 10);
    Place(inner, 0, 0, 5, 5, &first);
    Place(second, 20, 0, 10, 10);
    inner.SetName("Liste");
    second.SetName("Liste");
    first.SetName("Rahmen");
    EXPECT_EQ(app.MainForm().FindNamed("Liste"), &inner);
    EXPECT_EQ(app.MainForm().FindNamed("Rahmen"), &first);
    EXPECT_EQ(first.FindNamed("Rahmen"), &first);
    EXPECT_EQ(inner.FindNamed("Rahmen"), nullptr) << "only within its own tree";
    EXPECT_EQ(app.MainForm().FindNamed(""), nullptr) << "unnamed controls are not found";
    EXPECT_EQ(app.MainForm().FindNamed("Fehlt"), nullptr);
}

TEST_F(HitTest, ChildrenAreClippedToTheirParent)
{
    Panel box, child;
    Place(box, 10, 10, 50, 50);
    Place(child, 40, 40, 50, 50, &box); // reaches 40 px beyond the box
    EXPECT_EQ(app.ControlAt(55, 55), &child);
    EXPECT_EQ(app.ControlAt(75, 75), &app.MainForm());
}

TEST_F(HitTest, ShapedControlFallsThroughWhereItSaysNo)
{
    class LeftHalf : public Panel {
    public:
        bool HitTest(int32_t x, int32_t y) const override { return x < Width() / 2 && Control::HitTest(x, y); }
    };
    Panel back;
    LeftHalf shaped;
    Place(back, 0, 0, 100, 100);
    Place(shaped, 0, 0, 100, 100);
    EXPECT_EQ(app.ControlAt(10, 10), &shaped);
    EXPECT_EQ(app.ControlAt(90, 10), &back);
}

using Mouse = AppTest;

TEST_F(Mouse, PressedControlKeepsTheMouseUntilRelease)
{
    std::vector<std::string> log;
    Probe a("A", &log), b("B", &log);
    Place(a, 0, 0, 50, 50);
    Place(b, 100, 0, 50, 50);
    backend.PushMouseMove(10, 10);
    backend.PushMouseDown(10, 10);
    backend.PushMouseMove(120, 10); // over B, A still holds the mouse
    backend.PushMouseUp(120, 10);
    Pump();
    const std::vector<std::string> want = {"A enter", "A move 10,10", "A down 10,10", "A move 120,10",
                                           "A up 120,10", "A leave", "B enter"};
    EXPECT_EQ(log, want);
    EXPECT_EQ(app.Captured(), nullptr);
    EXPECT_EQ(app.Hovered(), &b);

    // A press that comes without a move first still captures what it hit.
    log.clear();
    backend.PushMouseDown(10, 10);
    backend.PushMouseMove(130, 20);
    backend.PushMouseUp(130, 20);
    Pump();
    const std::vector<std::string> again = {"A down 10,10", "A move 130,20", "A up 130,20"};
    EXPECT_EQ(log, again);
}

TEST_F(Mouse, ClickNeedsPressAndReleaseOnTheSameControl)
{
    int clicksA = 0, clicksB = 0;
    Panel a, b;
    Place(a, 0, 0, 50, 50);
    Place(b, 100, 0, 50, 50);
    a.OnClick = [&] { ++clicksA; };
    b.OnClick = [&] { ++clicksB; };
    // Press on B, release over A: nobody clicked.
    backend.PushMouseDown(110, 10);
    backend.PushMouseUp(10, 10);
    Pump();
    EXPECT_EQ(clicksA + clicksB, 0);
    // Press on A, stray outside and come back: a click.
    backend.PushMouseDown(10, 10);
    backend.PushMouseMove(200, 200);
    backend.PushMouseMove(20, 20);
    backend.PushMouseUp(20, 20);
    Pump();
    EXPECT_EQ(clicksA, 1);
    // The right button presses but does not click.
    backend.PushMouseDown(10, 10, MouseButton::Right);
    backend.PushMouseUp(10, 10, MouseButton::Right);
    Pump();
    EXPECT_EQ(clicksA, 1);
    EXPECT_EQ(clicksB, 0);
}

TEST_F(Mouse, DoubleClickGivesOneClickThenDblClick)
{
    std::vector<std::string> log;
    Probe a("A", &log);
    Place(a, 0, 0, 50, 50);
    backend.PushDoubleClick(5, 5);
    Pump();
    const std::vector<std::string> want = {"A enter", "A move 5,5", "A down 5,5", "A up 5,5", "A click",
                                           "A dblclick", "A down 5,5", "A up 5,5"};
    EXPECT_EQ(log, want);
}

TEST_F(Mouse, EnterAndLeaveFollowThePointerThroughNestedControls)
{
    std::vector<std::string> log;
    Probe outer("O", &log), inner("I", &log);
    Place(outer, 0, 0, 100, 100);
    Place(inner, 10, 10, 20, 20, &outer);
    for (auto [x, y] : {std::pair{50, 50}, {15, 15}, {16, 16}, {50, 50}, {200, 200}})
        backend.PushMouseMove(x, y);
    Pump();
    std::vector<std::string> transitions;
    for (const auto& s : log)
        if (s.find("move") == std::string::npos)
            transitions.push_back(s);
    const std::vector<std::string> want = {"O enter", "O leave", "I enter", "I leave", "O enter", "O leave"};
    EXPECT_EQ(transitions, want);
    // Moves arrive in the receiver's own coordinates.
    EXPECT_NE(std::find(log.begin(), log.end(), "I move 6,6"), log.end());
}

TEST_F(Mouse, HidingTheHoveredControlMovesEnterToWhatIsBelow)
{
    std::vector<std::string> log;
    Probe back("B", &log), front("F", &log);
    Place(back, 0, 0, 100, 100);
    Place(front, 0, 0, 50, 50);
    Move(10, 10);
    log.clear();
    front.Hide();
    const std::vector<std::string> want = {"F leave", "B enter"};
    EXPECT_EQ(log, want);
}

TEST_F(Mouse, DestroyingTheCapturedControlMidPressIsSafe)
{
    auto doomed = std::make_unique<Panel>();
    Place(*doomed, 0, 0, 50, 50);
    int formUps = 0;
    app.MainForm().OnMouseUp = [&](MouseButton, int32_t, int32_t, Modifiers) { ++formUps; };
    backend.PushMouseDown(10, 10);
    Pump();
    EXPECT_EQ(app.Captured(), doomed.get());
    doomed.reset();
    EXPECT_EQ(app.Captured(), nullptr);
    EXPECT_EQ(app.Hovered(), nullptr);
    backend.PushMouseUp(10, 10);
    Pump();
    EXPECT_EQ(formUps, 1);
}

TEST_F(Mouse, LosingTheWindowFocusCancelsAPressWithoutAClick)
{
    class Button : public Panel {
    public:
        void CaptureLost() override { ++lost; }
        int lost = 0;
    };
    Button a;
    Place(a, 0, 0, 50, 50);
    int clicks = 0;
    a.OnClick = [&] { ++clicks; };
    backend.PushMouseDown(10, 10);
    backend.PushFocus(false);
    backend.PushFocus(true);
    backend.PushMouseUp(10, 10);
    Pump();
    EXPECT_EQ(a.lost, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(app.Captured(), nullptr);
    // Disabling the pressed control cancels the same way.
    backend.PushMouseDown(10, 10);
    Pump();
    a.SetEnabled(false);
    EXPECT_EQ(a.lost, 2);
    EXPECT_EQ(app.Captured(), nullptr);
}

TEST_F(Mouse, TheWheelGoesUnderTheMouseAndUpToTheFirstParentThatTakesIt)
{
    Panel outer, inner, other;
    Place(outer, 0, 0, 100, 100);
    Place(inner, 10, 10, 50, 50, &outer);
    Place(other, 150, 0, 50, 50);
    std::vector<std::string> log;
    outer.OnMouseWheel = [&](int32_t d, int32_t x, int32_t y) {
        log.push_back("outer " + std::to_string(d) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    // The inner panel takes none: its parent hears it, in its own coordinates.
    backend.PushWheel(20, 30, -2);
    Pump();
    inner.OnMouseWheel = [&](int32_t d, int32_t x, int32_t y) {
        log.push_back("inner " + std::to_string(d) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    backend.PushWheel(20, 30, 1);
    backend.PushWheel(160, 10, 1); // nobody there takes it
    // A held button keeps the wheel with the pressed control.
    backend.PushMouseDown(20, 20);
    backend.PushWheel(160, 10, 3);
    backend.PushMouseUp(20, 20);
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"outer -2 20,30", "inner 1 10,20", "inner 3 150,0"}));
}

TEST_F(Mouse, CursorFollowsTheControlUnderThePointerOrTheOverride)
{
    auto hand = backend.LoadStandardCursor(StandardCursor::Hand);
    auto wait = backend.LoadStandardCursor(StandardCursor::Wait);
    Panel button, label;
    Place(button, 0, 0, 50, 50);
    Place(label, 5, 5, 10, 10, &button); // no cursor of its own: the parent's
    button.SetCursor(hand);
    Move(100, 100);
    EXPECT_EQ(backend.CurrentCursorName(), "arrow");
    Move(7, 7);
    EXPECT_EQ(backend.CurrentCursor(), hand);
    app.SetOverrideCursor(wait);
    EXPECT_EQ(backend.CurrentCursor(), wait);
    app.SetOverrideCursor(nullptr);
    EXPECT_EQ(backend.CurrentCursor(), hand);
    // Held down and dragged off, the pressed control's cursor stays.
    backend.PushMouseDown(7, 7);
    backend.PushMouseMove(200, 200);
    Pump();
    EXPECT_EQ(backend.CurrentCursor(), hand);
    backend.PushMouseUp(200, 200);
    Pump();
    EXPECT_EQ(backend.CurrentCursorName(), "arrow");
}

using Keyboard = AppTest;

// A control that takes the focus and logs keys.
class KeyProbe : public Control {
public:
    KeyProbe(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) { SetTabStop(true); }
    void KeyDown(uint32_t& key, Modifiers) override { m_log->push_back(m_name + " down " + std::to_string(key)); }
    void KeyUp(uint32_t& key, Modifiers) override { m_log->push_back(m_name + " up " + std::to_string(key)); }
    void KeyPress(uint8_t& ch) override { m_log->push_back(m_name + " char " + std::to_string(ch)); }

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

TEST_F(Keyboard, KeysGoToTheFocusedControlAndTheFormWhenNoneIs)
{
    std::vector<std::string> log;
    KeyProbe a("A", &log), b("B", &log);
    Place(a, 0, 0, 10, 10);
    Place(b, 20, 0, 10, 10);
    app.MainForm().OnKeyDown = [&](uint32_t& key, Modifiers) { log.push_back("form down " + std::to_string(key)); };
    Key(VK_F1);
    ASSERT_TRUE(b.SetFocus());
    backend.PushKeyDown(VK_A);
    backend.PushChar('a');
    Pump();
    Click(5, 5); // a click moves the focus to a control that takes it
    EXPECT_TRUE(a.Focused());
    Key(VK_A + 1); // B
    const std::vector<std::string> want = {"form down 112", "B down 65", "B char 97", "A down 66", "A up 66"};
    EXPECT_EQ(log, want);
}

TEST_F(Keyboard, KeyPreviewLetsTheFormSwallowKeys)
{
    std::vector<std::string> log;
    KeyProbe child("C", &log);
    Place(child, 0, 0, 10, 10);
    child.SetFocus();
    Form& form = app.MainForm();
    form.keyPreview = true;
    form.OnKeyDown = [&](uint32_t& key, Modifiers) {
        log.push_back("form down " + std::to_string(key));
        if (key == VK_PAUSE)
            key = 0; // handled: the control never hears it
    };
    form.OnKeyPress = [&](uint8_t& ch) {
        log.push_back("form char " + std::to_string(ch));
        if (ch == 27)
            ch = 0;
    };
    backend.PushKeyDown(VK_PAUSE);
    backend.PushKeyDown(VK_A);
    backend.PushChar(27);
    backend.PushChar('x');
    Pump();
    const std::vector<std::string> want = {"form down 19", "form down 65", "C down 65",
                                           "form char 27", "form char 120", "C char 120"};
    EXPECT_EQ(log, want);
}

TEST_F(Keyboard, ACharacterGoesWhereTheFocusWasWhenItsKeyWentDown)
{
    // Escape on the form opens a question and focuses it; the Escape
    // character the same key types must not reach the question and answer
    // it. The next key typed into the question does.
    std::vector<std::string> log;
    KeyProbe question("Q", &log);
    Place(question, 0, 0, 10, 10);
    question.Hide();
    Form& form = app.MainForm();
    form.keyPreview = true;
    form.OnKeyDown = [&](uint32_t& key, Modifiers) {
        if (key == VK_ESCAPE && !question.Visible()) {
            question.Show();
            question.SetFocus();
        }
    };
    backend.PushTypedKey(VK_ESCAPE, 27);
    Pump();
    EXPECT_TRUE(question.Focused());
    EXPECT_EQ(log, (std::vector<std::string>{"Q up 27"}));
    log.clear();
    backend.PushTypedKey(VK_A + 13, 'n');
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"Q down 78", "Q char 110", "Q up 78"}));
    // A character without a key before it (typed text) goes to the focus.
    log.clear();
    backend.PushChar('j');
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"Q char 106"}));
}

TEST_F(Keyboard, FocusCannotGoToHiddenDisabledOrUnfocusableControls)
{
    std::vector<std::string> log;
    KeyProbe a("A", &log);
    Panel plain;
    Place(a, 0, 0, 10, 10);
    Place(plain, 20, 0, 10, 10);
    EXPECT_FALSE(plain.SetFocus());
    a.SetEnabled(false);
    EXPECT_FALSE(a.SetFocus());
    a.SetEnabled(true);
    ASSERT_TRUE(a.SetFocus());
    // Hiding the focused control takes the focus away: keys go to the form.
    a.Hide();
    EXPECT_EQ(app.FocusedControl(), nullptr);
    Key(VK_A);
    EXPECT_TRUE(log.empty());
}

TEST_F(Keyboard, WindowFocusBecomesActivateAndDeactivateAndHeldKeysAreTracked)
{
    int activated = 0, deactivated = 0;
    app.MainForm().OnActivate = [&] { ++activated; };
    app.MainForm().OnDeactivate = [&] { ++deactivated; };
    bool heldInHandler = false;
    app.MainForm().OnKeyDown = [&](uint32_t& key, Modifiers) { heldInHandler = backend.KeyHeld(key); };
    backend.PushKeyDown(VK_LEFT);
    Pump();
    EXPECT_TRUE(heldInHandler);
    EXPECT_TRUE(backend.KeyHeld(VK_LEFT));
    backend.PushFocus(false);
    Pump();
    EXPECT_EQ(deactivated, 1);
    EXPECT_FALSE(app.Active());
    EXPECT_FALSE(backend.KeyHeld(VK_LEFT));
    backend.PushFocus(true);
    Pump();
    EXPECT_EQ(activated, 1);
    EXPECT_TRUE(app.Active());
}

} // namespace
} // namespace kestrava::app::testing
