#include "host/shell/Zeiteinstellung.h"

#include "host/catalogue/RunPlan.h"
#include "host/shell/DialogParts.h"
#include "platform/app/Keys.h"

namespace kestrava::shell {

TZeiteinstellung::TZeiteinstellung()
{
    SetName("Zeiteinstellung");
    LoadBackground("ZEIT");
    SetSize(S(227), S(158));
    // One line between the fields and the buttons.
    m_hinweis = &MakeLabel(*this, Arial(10, kWhite), app::Alignment::Center);
    SetDesignBounds(*m_hinweis, 4, 99, 219, 11);
    m_stunden = &MakeField(36);
    m_minuten = &MakeField(122);
    m_hinweis->SetName("DauerHinweis");
    m_stunden->SetName("Stunden");
    m_minuten->SetName("Minuten");
    // Tab moves between the two fields (leaving one corrects it).
    m_stunden->OnKeyDown = [this](uint32_t& key, app::Modifiers) {
        if (key == app::VK_TAB) {
            key = 0;
            m_minuten->SetFocus();
        }
    };
    m_minuten->OnKeyDown = [this](uint32_t& key, app::Modifiers) {
        if (key == app::VK_TAB) {
            key = 0;
            m_stunden->SetFocus();
        }
    };
    SetFocusScope(true);
    tabOrder = [this] { return std::vector<app::Control*>{m_stunden, m_minuten}; };
    m_stunden->OnExit = [this] {
        if (Visible())
            m_minuten->SetFocus();
    };
    m_minuten->OnExit = [this] {
        m_minuten->SetText(CorrectMinutes(m_minuten->Text()));
        if (Visible())
            m_stunden->SetFocus();
    };
    m_ok = &MakeButton<ui::TThbitbtn>(*this, "OkButton", 27, 110);
    m_abbruch = &MakeButton<ui::TThbitbtn>(*this, "AbbruchButton", 113, 110);
    m_ok->OnClick = [this] { Close(true); };
    m_abbruch->OnClick = [this] { Close(false); };
}

app::Edit& TZeiteinstellung::MakeField(int32_t left)
{
    auto& edit = Create<app::Edit>();
    SetDesignBounds(edit, left, 77, 29, 22);
    edit.SetBorder(false);
    edit.SetColor(gdi::Rgb(0, 0, 0));
    edit.SetFont(Arial(16, kWhite, false, "Arial Black"));
    edit.SetMaxLength(2);
    edit.SetTabStop(true);
    edit.OnChange = [this, &edit] {
        const std::string digits = DigitsOnly(edit.Text());
        if (digits != edit.Text())
            edit.SetText(digits);
        Changed();
    };
    edit.OnKeyPress = [this](uint8_t& ch) {
        switch (TimeDialogKeyAction(ch)) {
        case TimeDialogKey::Confirm:
            ch = 0;
            Close(true);
            break;
        case TimeDialogKey::Cancel:
            ch = 0;
            Close(false);
            break;
        case TimeDialogKey::None:
            break;
        }
    };
    return edit;
}

void TZeiteinstellung::SetHandCursor(const std::shared_ptr<app::Cursor>& hand)
{
    m_ok->SetCursor(hand);
    m_abbruch->SetCursor(hand);
}

void TZeiteinstellung::Fill(const std::string& hours, const std::string& minutes)
{
    m_stunden->SetText(hours);
    m_minuten->SetText(minutes);
}

void TZeiteinstellung::FocusHours()
{
    m_stunden->SetFocus();
    m_stunden->SelectAll();
}

int32_t TZeiteinstellung::ConfirmedTotal()
{
    if (m_stunden->Text().empty())
        m_stunden->SetText("0");
    if (m_minuten->Text().empty())
        m_minuten->SetText("0");
    return ConfirmedProgramTime(m_stunden->Text(), m_minuten->Text());
}

void TZeiteinstellung::Changed()
{
    // The fields' first change comes while the window is built.
    if (m_minuten == nullptr || !RealTotal)
        return;
    m_hinweis->SetText(RealTotal(ConfirmedProgramTime(m_stunden->Text(), m_minuten->Text())));
}

void TZeiteinstellung::Close(bool ok)
{
    if (OnClose)
        OnClose(ok);
}

void TZeiteinstellung::Place(int32_t roomWidth, int32_t roomHeight) { PlaceCentred(*this, roomWidth, roomHeight); }

} // namespace kestrava::shell
