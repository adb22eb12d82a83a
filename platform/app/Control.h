// The control tree: a form at the root, controls inside it, painted in
// software into the application's one back buffer.
//
// A control's bounds are relative to its parent and clip it; children are
// kept in z-order (later ones on top). Controls are not owned by their
// parent unless made with Create<T>(): the host keeps most of them as
// fields and attaches them with SetParent. Destroying a control detaches it
// and its children from the tree and from the application's hover, capture
// and focus.
//
// Everything here runs on the user-interface thread.
#pragma once

#include "platform/app/Backend.h"
#include "platform/app/Canvas.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava::app {

class Application;
class Form;

// Key events carry the key by reference: a handler that sets it to 0 marks
// it handled, and it goes no further (the way the form's key preview
// swallows keys). The same holds for the character of a key press.
using KeyHandler = std::function<void(uint32_t& key, Modifiers modifiers)>;
using KeyPressHandler = std::function<void(uint8_t& ch)>;
using MouseHandler = std::function<void(MouseButton button, int32_t x, int32_t y, Modifiers modifiers)>;
using MouseMoveHandler = std::function<void(int32_t x, int32_t y, Modifiers modifiers)>;
using NotifyHandler = std::function<void()>;

class Control {
public:
    Control();
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // --- Tree ---
    // Attaches to parent on top of its other children (null detaches).
    void SetParent(Control* parent);
    Control* Parent() const { return m_parent; }
    const std::vector<Control*>& Children() const { return m_children; }
    // A child that this control owns and destroys with itself.
    template <class T, class... Args>
    T& Create(Args&&... args)
    {
        auto child = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *child;
        m_owned.push_back(std::move(child));
        ref.SetParent(this);
        return ref;
    }
    void BringToFront();
    void SendToBack();
    // The form at the root, or null while detached.
    Form* GetForm() const;
    Application* App() const;
    bool IsAncestorOf(const Control* other) const; // true for itself

    // --- Geometry ---
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetPosition(int32_t left, int32_t top) { SetBounds(left, top, Width(), Height()); }
    void SetSize(int32_t width, int32_t height) { SetBounds(Left(), Top(), width, height); }
    int32_t Left() const { return m_bounds.left; }
    int32_t Top() const { return m_bounds.top; }
    int32_t Width() const { return m_bounds.Width(); }
    int32_t Height() const { return m_bounds.Height(); }
    const gdi::Rect& Bounds() const { return m_bounds; } // in the parent
    gdi::Rect ClientRect() const { return {0, 0, Width(), Height()}; }
    gdi::Rect ScreenRect() const;
    // The part of the control that its ancestors let show, on the screen
    // (empty when hidden or detached).
    gdi::Rect VisibleScreenRect() const;
    gdi::Rect ClientToScreen(const gdi::Rect& r) const;
    void ScreenToClient(int32_t& x, int32_t& y) const;

    // --- State ---
    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible itself and all its ancestors up to a form.
    bool Showing() const;
    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    // Enabled itself and all its ancestors: only such controls get input.
    bool EnabledInTree() const;

    // --- Painting ---
    // Marks the whole control, or a part of it (local coordinates), for
    // repainting. Does nothing while the control does not show.
    void Invalidate();
    void Invalidate(const gdi::Rect& local);
    // Paints the control's own face; clip is the part asked for, in local
    // coordinates, and the canvas already refuses everything outside it.
    // The default paints nothing, so a plain control is see-through.
    virtual void Paint(Canvas& canvas, const gdi::Rect& clip);
    // Whether Paint covers every pixel of the control with its own: what
    // lies beneath (the parents' faces, earlier siblings) is then not
    // painted where the control covers a repaint.
    virtual bool Opaque() const { return false; }

    // --- Input ---
    // Hit testing skips a control whose HitTest says no (the see-through
    // parts of a shaped button), falling through to what lies below.
    virtual bool HitTest(int32_t x, int32_t y) const;
    // Whether a second press at (x, y) completes a double click begun by
    // this control's last press. A list says no when the presses hit two
    // lines, so two quick clicks on neighbouring lines stay two clicks.
    virtual bool CompletesDoubleClick(int32_t /*x*/, int32_t /*y*/) const { return true; }
    // Whether the control takes the keyboard: it can have the focus and
    // has a place in its scope's Tab order.
    virtual bool CanFocus() const { return m_tabStop; }
    void SetTabStop(bool on) { m_tabStop = on; }
    // Gives this control the keyboard focus if it can take it now. A focus
    // scope passes it on to its default control (see below).
    bool SetFocus();
    // True while this control has the focus, and for a focus scope while a
    // control inside it has it (the window "has the keyboard").
    bool Focused() const;

    // --- Focus scope ---
    // A screen or a dialog: Tab and Shift+Tab move the focus among the
    // controls inside it that take the keyboard, keys the focused control
    // leaves reach the scope's key events, and the scope remembers where
    // its focus was. Scopes do not nest in the Tab order: a scope inside
    // a scope is left out of it.
    void SetFocusScope(bool on) { m_focusScope = on; }
    bool FocusScope() const { return m_focusScope; }
    // The scope's Tab order; unset, the controls inside that can take the
    // focus now, depth first in the children's order.
    std::function<std::vector<Control*>()> tabOrder;
    // The control a scope gives the focus to when it is focused itself;
    // null: the first in its Tab order.
    Control* defaultFocus = nullptr;
    // The nearest focus scope around this control (itself excluded).
    Control* ScopeOf() const;
    // The control that last had the focus inside this scope (null when
    // none, or it has left the tree).
    Control* RememberedFocus() const { return m_rememberedFocus; }
    // Whether a press of the mouse on the control gives it the focus; a
    // button that takes the keyboard still leaves the focus where it was.
    virtual bool FocusOnPress() const { return CanFocus(); }
    // Where the focus frame goes while the control has the focus and the
    // focus shows, in local coordinates; empty: no frame (the default).
    virtual gdi::Rect FocusRect() const { return {}; }
    void SetCursor(std::shared_ptr<Cursor> cursor);
    // Null: the parent's cursor.
    const std::shared_ptr<Cursor>& GetCursor() const { return m_cursor; }
    void SetHint(std::string utf8) { m_hint = std::move(utf8); }
    const std::string& Hint() const { return m_hint; }
    // The name the program gives the control ("GoButton"), by which it can
    // be found in the tree.
    void SetName(std::string name) { m_name = std::move(name); }
    const std::string& Name() const { return m_name; }
    // The first control with this name in this tree, itself included, depth
    // first in the children's order; null when there is none (and for an
    // empty name: unnamed controls are not found).
    Control* FindNamed(std::string_view name);
    // Arbitrary value for the host, like the system's Tag.
    intptr_t tag = 0;

    // Events. Mouse coordinates are local to the control.
    NotifyHandler OnClick;
    NotifyHandler OnDblClick;
    MouseHandler OnMouseDown;
    MouseMoveHandler OnMouseMove;
    MouseHandler OnMouseUp;
    NotifyHandler OnMouseEnter;
    NotifyHandler OnMouseLeave;
    std::function<void(int32_t delta, int32_t x, int32_t y)> OnMouseWheel;
    KeyHandler OnKeyDown;
    KeyHandler OnKeyUp;
    KeyPressHandler OnKeyPress;
    NotifyHandler OnEnter; // got the focus
    NotifyHandler OnExit;  // lost the focus
    NotifyHandler OnResize;

    // What the application calls; a derived control overrides these to
    // behave, and calls the base to keep the events firing.
    virtual void MouseDown(MouseButton button, int32_t x, int32_t y, Modifiers modifiers);
    virtual void MouseMove(int32_t x, int32_t y, Modifiers modifiers);
    virtual void MouseUp(MouseButton button, int32_t x, int32_t y, Modifiers modifiers);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseEnter();
    virtual void MouseLeave();
    // The wheel turned by delta notches (positive away from the user) over
    // the control. True when the control took it; otherwise the application
    // offers it to the parent. The default takes it when OnMouseWheel is set.
    virtual bool MouseWheel(int32_t delta, int32_t x, int32_t y);
    virtual void KeyDown(uint32_t& key, Modifiers modifiers);
    virtual void KeyUp(uint32_t& key, Modifiers modifiers);
    virtual void KeyPress(uint8_t& ch);
    virtual void FocusEnter();
    virtual void FocusExit();
    // The mouse was taken away while a button was held on this control (the
    // window lost the focus, or the control was hidden or disabled): no
    // release will come.
    virtual void CaptureLost() {}

protected:
    // Called after the bounds changed (the control is already repainted).
    virtual void Resized();

private:
    friend class Application;
    void Detach();
    void ChildrenOrderChanged();
    // Tells the scopes around this control that it leaves the tree.
    void ForgetInScopes();

    Control* m_parent = nullptr;
    std::vector<Control*> m_children;
    std::vector<std::unique_ptr<Control>> m_owned;
    gdi::Rect m_bounds{};
    bool m_visible = true;
    bool m_enabled = true;
    bool m_tabStop = false;
    bool m_focusScope = false;
    Control* m_rememberedFocus = nullptr;
    std::shared_ptr<Cursor> m_cursor;
    std::string m_hint;
    std::string m_name;

protected:
    // Set on a form only: the application it belongs to.
    Application* m_app = nullptr;
};

// The root of the tree: the full-screen main window.
class Form : public Control {
public:
    Form() = default;

    // Keys reach the form's key events before the focused control's; a
    // handler that marks a key handled keeps it from the control.
    bool keyPreview = false;
    // The application gained or lost the input focus; minimised, restored.
    NotifyHandler OnActivate;
    NotifyHandler OnDeactivate;
    NotifyHandler OnMinimize;
    NotifyHandler OnRestore;
    // The system asks to close; leave canClose false to refuse. Without a
    // handler the program quits.
    std::function<void(bool& canClose)> OnCloseQuery;
    // The session ends the program (logout, SIGTERM, Ctrl+C): the handler
    // winds down and quits the loop itself; it cannot refuse. Without a
    // handler the program quits.
    NotifyHandler OnTerminate;
    // Background colour of the form itself.
    gdi::ColorRef color = gdi::Rgb(0, 0, 0);

    void Paint(Canvas& canvas, const gdi::Rect& clip) override;
};

} // namespace kestrava::app
