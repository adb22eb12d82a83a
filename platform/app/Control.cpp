#include "platform/app/Control.h"
#include "platform/app/Application.h"

#include <algorithm>

namespace kestrava::app {

Control::Control() = default;

Control::~Control()
{
    // Owned children go first, then the ones the host keeps elsewhere lose
    // their parent but live on.
    m_owned.clear();
    Detach();
    for (Control* child : std::vector<Control*>(m_children))
        child->m_parent = nullptr;
    m_children.clear();
}

void Control::ForgetInScopes()
{
    for (Control* c = m_parent; c != nullptr; c = c->m_parent)
        if (c->m_rememberedFocus != nullptr && IsAncestorOf(c->m_rememberedFocus))
            c->m_rememberedFocus = nullptr;
}

void Control::Detach()
{
    ForgetInScopes();
    if (Application* app = App())
        app->ControlGone(this);
    if (m_parent != nullptr) {
        Invalidate();
        auto& siblings = m_parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        m_parent = nullptr;
    }
}

void Control::SetParent(Control* parent)
{
    if (parent == m_parent)
        return;
    // A control cannot become its own descendant.
    if (parent != nullptr && IsAncestorOf(parent))
        return;
    Detach();
    if (parent != nullptr) {
        m_parent = parent;
        parent->m_children.push_back(this);
        Invalidate();
    }
}

void Control::BringToFront()
{
    if (m_parent == nullptr)
        return;
    auto& siblings = m_parent->m_children;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    std::rotate(it, it + 1, siblings.end());
    ChildrenOrderChanged();
}

void Control::SendToBack()
{
    if (m_parent == nullptr)
        return;
    auto& siblings = m_parent->m_children;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    std::rotate(siblings.begin(), it, it + 1);
    ChildrenOrderChanged();
}

void Control::ChildrenOrderChanged()
{
    Invalidate();
    if (Application* app = App())
        app->RefreshCursor();
}

Form* Control::GetForm() const
{
    const Control* c = this;
    while (c->m_parent != nullptr)
        c = c->m_parent;
    return c->m_app != nullptr ? static_cast<Form*>(const_cast<Control*>(c)) : nullptr;
}

Application* Control::App() const
{
    const Control* c = this;
    while (c->m_parent != nullptr)
        c = c->m_parent;
    return c->m_app;
}

Control* Control::FindNamed(std::string_view name)
{
    if (!name.empty() && m_name == name)
        return this;
    for (Control* child : m_children)
        if (Control* found = child->FindNamed(name))
            return found;
    return nullptr;
}

bool Control::IsAncestorOf(const Control* other) const
{
    for (const Control* c = other; c != nullptr; c = c->m_parent)
        if (c == this)
            return true;
    return false;
}

void Control::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    const gdi::Rect next{left, top, left + std::max(width, 0), top + std::max(height, 0)};
    if (next == m_bounds)
        return;
    const bool resized = next.Width() != m_bounds.Width() || next.Height() != m_bounds.Height();
    Invalidate();
    m_bounds = next;
    Invalidate();
    if (resized)
        Resized();
}

void Control::Resized()
{
    if (OnResize)
        OnResize();
}

gdi::Rect Control::ScreenRect() const
{
    int32_t x = 0;
    int32_t y = 0;
    for (const Control* c = this; c != nullptr; c = c->m_parent) {
        x += c->m_bounds.left;
        y += c->m_bounds.top;
    }
    return {x, y, x + Width(), y + Height()};
}

gdi::Rect Control::VisibleScreenRect() const
{
    if (!Showing())
        return {};
    gdi::Rect r = ScreenRect();
    for (const Control* c = m_parent; c != nullptr && !r.Empty(); c = c->m_parent)
        r = gdi::Intersect(r, c->ScreenRect());
    return r.Empty() ? gdi::Rect{} : r;
}

gdi::Rect Control::ClientToScreen(const gdi::Rect& r) const
{
    const gdi::Rect s = ScreenRect();
    return {r.left + s.left, r.top + s.top, r.right + s.left, r.bottom + s.top};
}

void Control::ScreenToClient(int32_t& x, int32_t& y) const
{
    const gdi::Rect s = ScreenRect();
    x -= s.left;
    y -= s.top;
}

bool Control::Showing() const
{
    const Control* c = this;
    for (; c != nullptr; c = c->m_parent) {
        if (!c->m_visible)
            return false;
        if (c->m_parent == nullptr)
            break;
    }
    return c != nullptr && c->m_app != nullptr;
}

void Control::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    if (!visible) {
        Invalidate();
        m_visible = false;
        if (Application* app = App())
            app->ControlLostInput(this);
    } else {
        m_visible = true;
        Invalidate();
        if (Application* app = App())
            app->RefreshCursor();
    }
}

bool Control::EnabledInTree() const
{
    for (const Control* c = this; c != nullptr; c = c->m_parent)
        if (!c->m_enabled)
            return false;
    return true;
}

void Control::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Invalidate();
    if (!enabled)
        if (Application* app = App())
            app->ControlLostInput(this);
}

void Control::Invalidate() { Invalidate(ClientRect()); }

void Control::Invalidate(const gdi::Rect& local)
{
    Application* app = App();
    if (app == nullptr)
        return;
    const gdi::Rect visible = VisibleScreenRect();
    if (visible.Empty())
        return;
    const gdi::Rect r = gdi::Intersect(ClientToScreen(local), visible);
    if (!r.Empty())
        app->InvalidateScreen(r);
}

void Control::Paint(Canvas&, const gdi::Rect&) {}

bool Control::HitTest(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

bool Control::SetFocus()
{
    Application* app = App();
    return app != nullptr && app->SetFocus(this);
}

bool Control::Focused() const
{
    Application* app = App();
    if (app == nullptr || app->FocusedControl() == nullptr)
        return false;
    return app->FocusedControl() == this || (m_focusScope && IsAncestorOf(app->FocusedControl()));
}

Control* Control::ScopeOf() const
{
    for (Control* c = m_parent; c != nullptr; c = c->m_parent)
        if (c->m_focusScope)
            return c;
    return nullptr;
}

void Control::SetCursor(std::shared_ptr<Cursor> cursor)
{
    m_cursor = std::move(cursor);
    if (Application* app = App())
        app->RefreshCursor();
}

void Control::MouseDown(MouseButton button, int32_t x, int32_t y, Modifiers modifiers)
{
    if (OnMouseDown)
        OnMouseDown(button, x, y, modifiers);
}

void Control::MouseMove(int32_t x, int32_t y, Modifiers modifiers)
{
    if (OnMouseMove)
        OnMouseMove(x, y, modifiers);
}

void Control::MouseUp(MouseButton button, int32_t x, int32_t y, Modifiers modifiers)
{
    if (OnMouseUp)
        OnMouseUp(button, x, y, modifiers);
}

void Control::Click()
{
    if (OnClick)
        OnClick();
}

void Control::DblClick()
{
    if (OnDblClick)
        OnDblClick();
}

void Control::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter();
}

void Control::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave();
}

bool Control::MouseWheel(int32_t delta, int32_t x, int32_t y)
{
    if (!OnMouseWheel)
        return false;
    OnMouseWheel(delta, x, y);
    return true;
}

void Control::KeyDown(uint32_t& key, Modifiers modifiers)
{
    if (OnKeyDown)
        OnKeyDown(key, modifiers);
}

void Control::KeyUp(uint32_t& key, Modifiers modifiers)
{
    if (OnKeyUp)
        OnKeyUp(key, modifiers);
}

void Control::KeyPress(uint8_t& ch)
{
    if (OnKeyPress)
        OnKeyPress(ch);
}

void Control::FocusEnter()
{
    if (OnEnter)
        OnEnter();
}

void Control::FocusExit()
{
    if (OnExit)
        OnExit();
}

void Form::Paint(Canvas& canvas, const gdi::Rect& clip)
{
    canvas.brush = {color, gdi::BrushStyle::Solid};
    canvas.FillRect(clip);
}

} // namespace kestrava::app
