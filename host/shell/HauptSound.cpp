// The program's sound: the player PlayAudio1, running from start-up to
// shutdown and paused whenever no test runs or the running test stands
// still; the sound-end notice forwarded to the module; and the buttons'
// fire-and-forget sounds on a player of their own that is never paused.
#include "host/shell/Haupt.h"

#include <iostream>

namespace kestrava::shell {

void THaupt::StartSound()
{
    if (m_playAudio1)
        return;
    m_waveOut = m_options.makeWaveOut ? m_options.makeWaveOut() : nullptr;
    m_playAudio1 = std::make_unique<audio::TPlayAudio>(m_waveOut.get(), [this](std::function<void()> fn) {
        PostToUi(std::move(fn));
    });
    m_playAudio1->OnTerminate = [this](uint8_t slot) { PlayAudio1Terminate(slot); };
    m_host.Sounds().SetPlayer(m_playAudio1.get());
    // A machine without sound runs silent: the modules' calls still find
    // their slots, nothing is heard.
    if (!m_playAudio1->StartOutput())
        std::cerr << "velomar: no sound output: " << m_playAudio1->LastError() << '\n';
    m_playAudio1->SetPaused(true);
    ui::SetPlayFileService([this](const std::string& file) { PlayButtonSound(file); });
}

void THaupt::SoundPaused(bool paused)
{
    if (m_playAudio1)
        m_playAudio1->SetPaused(paused);
}

// End of a test: every slot stopped and freed, every name unloaded. Under
// the canvas lock, so no module call is halfway through the table.
void THaupt::ReleaseSounds()
{
    std::lock_guard<std::mutex> guard(m_canvas.Lock());
    m_host.Sounds().ReleaseAll();
}

void THaupt::StopSound()
{
    ui::SetPlayFileService(nullptr);
    ReleaseSounds();
    m_host.Sounds().SetPlayer(nullptr);
    if (m_playAudio1)
        m_playAudio1->StopNow();
    if (m_buttonAudio)
        m_buttonAudio->StopNow();
}

// The player reports a finished sound on the user-interface thread; the
// module hears it unless the test is blocked (paused, asking, over).
void THaupt::PlayAudio1Terminate(uint8_t slot) { m_host.SendModuleMessage(MSG_SOUNDEND, slot); }

void THaupt::PlayButtonSound(const std::string& file)
{
    if (file.empty() || m_destroyed)
        return;
    if (!m_buttonAudio) {
        m_buttonWaveOut = m_options.makeWaveOut ? m_options.makeWaveOut() : nullptr;
        m_buttonAudio = std::make_unique<audio::TPlayAudio>(m_buttonWaveOut.get(), [this](std::function<void()> fn) {
            PostToUi(std::move(fn));
        });
        if (!m_buttonAudio->StartOutput())
            std::cerr << "velomar: no sound output for the buttons: " << m_buttonAudio->LastError() << '\n';
    }
    const bool relative = file.front() != '/';
    m_buttonAudio->PlayFile(relative ? m_options.programDir + file : file);
}

} // namespace kestrava::shell
