#include "host/shell/JaNein.h"

#include "host/shell/DialogParts.h"
#include "platform/app/Application.h"
#include "platform/app/Keys.h"

#include <algorithm>
#include <utility>

namespace kestrava::shell {

TJaNein::TJaNein()
{
    SetName("JaNein");
    LoadBackground("JANEIN");
    SetSize(S(227), S(158));
    SetTabStop(true);
    m_label = &MakeLabel(*this, Arial(15, kWhite, false, "Arial Black"), app::Alignment::Center);
    SetDesignBounds(*m_label, 16, 42, 193, 65);
    m_label->SetName("JaNeinLabel");
    m_ja = &MakeButton<ui::TThbitbtn>(*this, "JaButton", 27, 109);
    m_nein = &MakeButton<ui::TThbitbtn>(*this, "NeinButton", 118, 108);
    m_ja->OnClick = [this] { Answer(true); };
    m_nein->OnClick = [this] { Answer(false); };
    // The focus opens on Ja; Left and Right move it between the two.
    SetFocusScope(true);
    defaultFocus = m_ja;
    OnKeyDown = [this](uint32_t& key, app::Modifiers) {
        if (key != app::VK_LEFT && key != app::VK_RIGHT)
            return;
        (key == app::VK_LEFT ? m_ja : m_nein)->SetFocus();
        key = 0;
        App()->SetFocusVisible(true);
    };
    OnKeyPress = [this](uint8_t& ch) {
        const uint8_t c = ch;
        if (c == 13 || c == 32 || c == 'J' || c == 'j') {
            ch = 0;
            Answer(true);
        } else if (c == 27 || c == 'N' || c == 'n') {
            ch = 0;
            Answer(false);
        }
    };
}

void TJaNein::SetHandCursor(const std::shared_ptr<app::Cursor>& hand)
{
    m_ja->SetCursor(hand);
    m_nein->SetCursor(hand);
}

void TJaNein::Ask(const std::string& text, std::function<void(bool yes)> answer)
{
    std::string lines = text;
    std::replace(lines.begin(), lines.end(), '\r', '\n');
    m_label->SetText(lines);
    m_answer = std::move(answer);
}

void TJaNein::Withdraw()
{
    m_answer = nullptr;
    Hide();
}

void TJaNein::Answer(bool yes)
{
    if (!Visible())
        return;
    Hide();
    // The answer may ask the next question: it is taken out first.
    if (auto answer = std::exchange(m_answer, nullptr))
        answer(yes);
}

void TJaNein::Place(int32_t roomWidth, int32_t roomHeight) { PlaceCentred(*this, roomWidth, roomHeight); }

} // namespace kestrava::shell
