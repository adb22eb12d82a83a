// The program's own message window and the causes of failed files it
// names: real failing writes and reads give their errno and a German
// cause; a failed save shows in the window over the paused test; messages
// wrap, grow the window, queue and close with Enter, Escape, space or OK.
#include "ShellFixture.h"

#include "host/shell/Suspend.h"
#include "platform/app/Keys.h"
#include "platform/gdi/FileCause.h"

#include <sys/stat.h>

#include <cerrno>

namespace kestrava::shell::testing {
namespace {

class MeldungTest : public ShellTest {
protected:
    std::string SavPath() const { return folder.Dir() + "PROG.SAV"; }
    static SuspendedRun SomeRun()
    {
        SuspendedRun run;
        TRunEntry entry;
        entry.PlannedDuration = 20000;
        run.entries = {entry};
        run.titles = {"Alpha"};
        return run;
    }
};

// What the user reads for each cause a real call produces; the system's
// English text stays in the detail for standard error.
TEST_F(MeldungTest, FailedWritesAndReadsNameTheirCauseInGerman)
{
    std::string error;
    int code = 0;
    fs::create_directory(SavPath());
    EXPECT_FALSE(WriteSuspendedRun(SavPath(), SomeRun(), error, &code));
    EXPECT_EQ(code, EISDIR) << error;
    EXPECT_NE(error.find("rename"), std::string::npos) << error;
    EXPECT_STREQ(FileCauseText(code), "an Stelle der Datei liegt ein Ordner");
    EXPECT_FALSE(fs::exists(SavPath() + ".tmp-" + std::to_string(::getpid()))) << "the temporary file is gone";

    SuspendedRun run;
    std::string reason;
    EXPECT_EQ(ReadSuspendedRun(SavPath(), run, reason), SuspendRead::Refused);
    EXPECT_EQ(reason, "die Datei PROG.SAV lässt sich nicht öffnen: an Stelle der Datei liegt ein Ordner.");

    code = 0;
    EXPECT_FALSE(WriteSuspendedRun(folder.Dir() + "gone/PROG.SAV", SomeRun(), error, &code));
    EXPECT_EQ(code, ENOENT) << error;
    EXPECT_STREQ(FileCauseText(code), "Datei oder Ordner fehlt");
    EXPECT_STREQ(FileCauseText(EIO), "Ein- oder Ausgabefehler");

    // Permissions do not bind root, which the tests may run as.
    if (::geteuid() != 0) {
        fs::remove(SavPath());
        ASSERT_TRUE(WriteSuspendedRun(SavPath(), SomeRun(), error)) << error;
        ::chmod(SavPath().c_str(), 0);
        code = 0;
        EXPECT_EQ(ReadSuspendedRun(SavPath(), run, reason, &code), SuspendRead::Refused);
        EXPECT_EQ(code, EACCES);
        EXPECT_EQ(reason, "die Datei PROG.SAV lässt sich nicht öffnen: Zugriff verweigert.");
        const std::string locked = folder.Dir() + "locked/";
        fs::create_directory(locked);
        ::chmod(locked.c_str(), 0555);
        code = 0;
        EXPECT_FALSE(WriteSuspendedRun(locked + "PROG.SAV", SomeRun(), error, &code));
        EXPECT_EQ(code, EACCES) << error;
        EXPECT_STREQ(FileCauseText(code), "Zugriff verweigert");
        ::chmod(locked.c_str(), 0755);
    }
}

TEST_F(MeldungTest, AFailedSaveShowsItsCauseInTheWindowOverThePausedTest)
{
    folder.AddTimed("A", "Alpha", 1, 1000, 0, 1000, 20000, 0);
    fs::create_directory(SavPath());
    StartProgram();
    StartFirstTests(1, "01");
    Advance(2000 + 3000);
    ASSERT_TRUE(haupt->TicksRunning());
    backend.PushMouseMove(500, 10);
    Pump();
    ClickOn(TestPanel().Disk());

    ASSERT_TRUE(Meldung().Visible());
    EXPECT_TRUE(backend.MessageBoxes().empty()) << "no system box";
    EXPECT_EQ(Meldung().Text(),
              "Der Testlauf konnte nicht gespeichert werden.\n\nPROG.SAV: an Stelle der Datei liegt ein Ordner.");
    EXPECT_EQ(Meldung().Text().find("directory"), std::string::npos);
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_TRUE(TestPanel().Pause().Pressed());
    EXPECT_FALSE(TestPanel().Enabled()) << "the test waits behind the message";
    Shot("messages-failed-save");
    // The Pause key does not start the test behind the message.
    Key(app::VK_PAUSE);
    EXPECT_FALSE(haupt->TicksRunning());
    EXPECT_TRUE(Meldung().Visible());

    CloseMessage();
    EXPECT_FALSE(Meldung().Visible());
    EXPECT_TRUE(TestPanel().Enabled());
    EXPECT_EQ(TestPanel().Testeinblendung().Text(), "Pause");
    Key(app::VK_PAUSE);
    EXPECT_TRUE(haupt->TicksRunning());
}

TEST_F(MeldungTest, MessagesWrapQueueAndCloseWithTheirKeysOrOk)
{
    StartProgram();
    const std::string path = "/" + std::string(60, 'x') + "/velomar.INI";
    const std::string longText = "Die Einstellungen konnten nicht gelesen werden, weil die Datei " + path +
                                 " beschädigt ist. Es gelten die Voreinstellungen.";
    haupt->ShowFailure(longText);
    haupt->ShowFailure("Zweite Meldung.");
    haupt->ShowFailure("Dritte Meldung.");
    Pump();

    TMeldung& window = Meldung();
    ASSERT_TRUE(window.Visible());
    EXPECT_EQ(window.Text(), longText);
    EXPECT_EQ(window.Waiting(), 2u);
    EXPECT_FALSE(MenuePanel().Enabled());
    // Every line fits the label, and the window grew for them all with the
    // button below the text.
    const app::Label& label = window.MeldungLabel();
    std::string words;
    int lines = 0;
    for (size_t at = 0; at <= label.Text().size(); ++lines) {
        const size_t end = std::min(label.Text().find('\n', at), label.Text().size());
        const std::string line = label.Text().substr(at, end - at);
        EXPECT_LE(gdi::MeasureText(label.Font(), line).cx, label.Width()) << line;
        words += line;
        at = end + 1;
    }
    EXPECT_GT(lines, 5);
    EXPECT_GE(label.Height(), lines * gdi::MeasureText(label.Font(), "Ag").cy);
    EXPECT_GT(window.Height(), TMeldung::kHeight);
    EXPECT_GE(window.Ok().Top(), label.Top() + label.Height());
    EXPECT_LE(window.Ok().Top() + window.Ok().Height(), window.Height());
    std::string unspaced = longText;
    std::erase(unspaced, ' ');
    std::erase(words, ' ');
    EXPECT_EQ(words, unspaced) << "nothing lost in the wrapping";
    const gdi::Rect tall = window.ScreenRect();
    Shot("messages-long");

    // Escape shows the next one in the same middle, space the third, and
    // a click on OK closes the window.
    Type("\x1b");
    EXPECT_EQ(window.Text(), "Zweite Meldung.");
    EXPECT_EQ(window.Height(), TMeldung::kHeight);
    EXPECT_NEAR(window.ScreenRect().top + window.Height() / 2, (tall.top + tall.bottom) / 2, 1);
    EXPECT_FALSE(MenuePanel().Enabled());
    Type(" ");
    EXPECT_EQ(window.Text(), "Dritte Meldung.");
    EXPECT_EQ(window.Waiting(), 0u);
    ClickOn(window.Ok());
    EXPECT_FALSE(window.Visible());
    EXPECT_TRUE(MenuePanel().Enabled());
    EXPECT_TRUE(MenuePanel().GoButton().EnabledInTree());
    EXPECT_TRUE(backend.MessageBoxes().empty());
}

} // namespace
} // namespace kestrava::shell::testing
