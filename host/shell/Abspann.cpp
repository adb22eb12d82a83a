#include "host/shell/Abspann.h"

#include "host/shell/DialogParts.h"

namespace kestrava::shell {

TAbspann::TAbspann(app::EventLoop& loop)
{
    SetName("Abspann");
    SetColor(gdi::Rgb(0, 0, 0));
    m_rahmen = &Create<app::Panel>();
    m_rahmen->SetColor(kWhite);
    m_rahmen->SetBounds(0, 0, kVideoWidth + 2, kVideoHeight + 2);
    m_leinwand = &Create<video::VideoPanel>(loop);
    m_leinwand->SetBounds(0, 0, kVideoWidth, kVideoHeight);
    m_rahmen->SetName("Abspannrahmen");
    m_leinwand->SetName("Leinwand");
    OnMouseDown = [this](app::MouseButton, int32_t, int32_t, app::Modifiers) { End(); };
    m_rahmen->OnMouseDown = OnMouseDown;
    m_leinwand->OnMouseDown = OnMouseDown;
    m_leinwand->OnComplete = [this] { End(); };
}

void TAbspann::Layout(int32_t width, int32_t height)
{
    SetBounds(0, 0, width, height);
    const int32_t left = (width - kVideoWidth) / 2;
    const int32_t top = (height - kVideoHeight) / 2;
    m_leinwand->SetPosition(left, top);
    m_rahmen->SetBounds(left - 1, top - 1, kVideoWidth + 2, kVideoHeight + 2);
}

bool TAbspann::Play(const std::string& path, std::string& error)
{
    return m_leinwand->Open(path, error) && m_leinwand->Play(error);
}

void TAbspann::Stop() { m_leinwand->Stop(); }

void TAbspann::End()
{
    if (OnEnd)
        OnEnd();
}

} // namespace kestrava::shell
