// The skinned kit's gallery: renders, on the headless backend, every dialog
// background over the menu colour, every button of the program in its rest,
// hover and pressed states, a list box with markup lines and the two frame
// skins, into PNG files, and puts them together on one contact sheet.
//
//   ui-gallery PROGRAM_DIR OUT_DIR
#include "ui/Colours.h"
#include "ui/MyCustomListBox.h"
#include "ui/Resources.h"
#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include "platform/app/Application.h"
#include "platform/app/ManualClock.h"
#include "platform/gdi/Canvas.h"
#include "platform/headless/HeadlessBackend.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace kestrava;

constexpr gdi::ColorRef kMenu = ui::colour::kMenuPanel;

struct Page {
    std::string name;
    gdi::Bitmap picture;
};

// A headless screen of the given size with the menu colour behind.
struct Screen {
    Screen(int32_t w, int32_t h) : backend(w, h, 32), app(backend, clock)
    {
        std::string error;
        if (!app.Open(error))
            throw std::runtime_error(error);
        app.MainForm().color = kMenu;
        back = &app.MainForm().Create<app::Panel>();
        back->SetColor(kMenu);
        back->SetBounds(0, 0, w, h);
    }
    void Pump() { app.Loop().RunPending(); }
    gdi::Bitmap Cut(const gdi::Rect& r)
    {
        gdi::Bitmap out(r.Width(), r.Height());
        gdi::Canvas c(out.Handle());
        c.CopyRect({0, 0, r.Width(), r.Height()}, const_cast<gdi::Bitmap&>(backend.Frame()).Handle(), r);
        return out;
    }
    app::ManualClock clock{0};
    app::HeadlessBackend backend;
    app::Application app;
    app::Panel* back = nullptr;
};

gdi::Font Caption(int32_t height, gdi::ColorRef colour = gdi::Rgb(200, 200, 200))
{
    gdi::Font f;
    f.height = height;
    f.color = colour;
    return f;
}

Page Dialogs()
{
    const char* names[] = {"SETTINGS", "HILFE", "JANEIN", "ZEIT", "ENDE", "AUSWERTUNG"};
    Screen s(1320, 940);
    int32_t x = 20;
    int32_t y = 40;
    int32_t rowHeight = 0;
    int32_t right = 0;
    for (const char* name : names) {
        auto& w = s.back->Create<ui::TBackWindow>();
        w.Hide();
        w.LoadBackground(name);
        if (x + w.Background().Width() > 1300) {
            x = 20;
            y += rowHeight + 50;
            rowHeight = 0;
        }
        w.SetBounds(x, y, w.Background().Width(), w.Background().Height());
        rowHeight = std::max(rowHeight, w.Height());
        w.ShowComposed();
        auto& label = s.back->Create<app::Label>();
        label.SetFont(Caption(14));
        label.SetTransparent(true);
        label.SetBounds(x, y - 26, 220, 20);
        label.SetText(std::string(name) + "  " + std::to_string(w.Width()) + " × " + std::to_string(w.Height()));
        x += w.Width() + 20;
        right = std::max(right, x);
    }
    s.Pump();
    return {"dialogs", s.Cut({0, 0, right, y + rowHeight + 20})};
}

Page Buttons(const std::string& skin)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(skin)) {
        const std::string file = e.path().filename().string();
        const std::string suffix = "_Idle.bmp";
        if (file.size() > suffix.size() && file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(file.substr(0, file.size() - suffix.size()));
    }
    std::sort(names.begin(), names.end());
    const int32_t cell = 100;
    const int32_t columns = 3;
    const int32_t perRow = 3;
    const int32_t rows = int32_t(names.size() + perRow - 1) / perRow;
    const int32_t width = perRow * (columns * cell + 40) + 20;
    const int32_t height = rows * 110 + 20;
    Screen s(width, height);
    gdi::Bitmap sheet(width, height);
    sheet.Fill(gdi::PixelOf(kMenu));
    gdi::Canvas out(sheet.Handle());
    out.font = Caption(12);
    out.brush.style = gdi::BrushStyle::Clear;
    for (size_t i = 0; i < names.size(); ++i) {
        auto& b = s.back->Create<ui::TThbitbtn>();
        b.LoadPictures(names[i]);
        b.SetTransparent(true);
        b.SetPosition(200, 20);
        s.Pump();
        const gdi::Rect r = b.ScreenRect();
        const int32_t bx = 20 + int32_t(i % perRow) * (columns * cell + 40);
        const int32_t by = 10 + int32_t(i / perRow) * 110;
        out.TextOut(bx, by, names[i]);
        // Rest, hover, pressed: the real button, driven by the mouse.
        const gdi::Bitmap idle = s.Cut(r);
        s.backend.PushMouseMove(r.left + r.Width() / 2, r.top + r.Height() / 2);
        s.Pump();
        const gdi::Bitmap hover = s.Cut(r);
        s.backend.PushMouseDown(r.left + r.Width() / 2, r.top + r.Height() / 2);
        s.Pump();
        const gdi::Bitmap down = s.Cut(r);
        s.backend.PushMouseMove(1, 1);
        s.backend.PushMouseUp(1, 1);
        s.Pump();
        const gdi::Bitmap* states[3] = {&idle, &hover, &down};
        for (int k = 0; k < 3; ++k)
            out.Draw(bx + k * cell, by + 18, *states[k]);
        b.Hide();
        b.SetParent(nullptr);
    }
    return {"buttons", sheet};
}

Page ListBox()
{
    Screen s(420, 240);
    auto& list = s.back->Create<ui::TMyCustomListBox>();
    gdi::Font font = Caption(16, gdi::Rgb(255, 255, 255));
    list.SetFont(font);
    list.SetBounds(20, 20, 300, 200);
    list.SetColor(gdi::Rgb(0, 0, 0));
    list.SetSelColor(ui::colour::kListSelection);
    list.SetAlternative(true);
    list.SetAlternativeColor(ui::colour::kScoreWeak);
    list.SetThreshold(82);
    list.SetAbstand(4);
    for (const char* line : {"<b>ZEK-Test\t87%", "<tab>Vertikales Trackling (Links)\t91%",
                             "<tab>Bidirektionales Trackling (Rechts)\t82%", "<tabtab>Reaktionszeit\t1,234s",
                             "Kopfrechnen\t64%", "Ohne Zahl\t—"})
        list.AddLine(line);
    list.SetItemSelected(1, true);
    auto& values = s.back->Create<ui::TMyCustomListBox>();
    values.SetFont(font);
    values.SetBounds(330, 20, 70, 200);
    values.SetColor(gdi::Rgb(0, 0, 0));
    values.SetAlignement(app::Alignment::Right);
    for (const char* line : {"01:05", "00:00", "—:—"})
        values.AddLine(line);
    s.Pump();
    return {"listbox", s.Cut({0, 0, 420, 240})};
}

Page Frames()
{
    Screen s(1000, 260);
    struct Spec { const char* prefix; int32_t w, h; const char* text; };
    const Spec specs[] = {{"", 300, 200, "Standard"}, {"P", 427, 73, "Einen Moment bitte..."}, {"P", 145, 145, "2"}};
    int32_t x = 20;
    for (const Spec& spec : specs) {
        auto& w = s.back->Create<ui::TWindow>();
        w.Hide();
        w.LoadSkin(spec.prefix);
        w.SetBounds(x, 30, spec.w, spec.h);
        auto& label = w.Create<app::Label>();
        gdi::Font f = Caption(spec.h > 100 ? 60 : 36, gdi::Rgb(255, 255, 255));
        f.family = "Arial Black";
        if (spec.w == 300)
            f.height = 28;
        label.SetFont(f);
        label.SetTransparent(true);
        label.SetAlignment(app::Alignment::Center);
        label.SetLayout(app::VerticalAlignment::Center);
        label.SetBounds(0, 0, spec.w, spec.h);
        label.SetText(spec.text);
        w.ShowComposed();
        x += spec.w + 30;
    }
    s.Pump();
    return {"frames", s.Cut({0, 0, x, 260})};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: ui-gallery PROGRAM_DIR OUT_DIR\n";
        return 2;
    }
    const std::string program = argv[1];
    const fs::path outDir = argv[2];
    try {
        ui::SetResourceFolder(program + "/skin/");
        fs::create_directories(outDir);
        std::vector<Page> pages;
        pages.push_back(Dialogs());
        pages.push_back(Buttons(program + "/skin"));
        pages.push_back(ListBox());
        pages.push_back(Frames());
        int32_t width = 0;
        int32_t height = 0;
        for (const Page& p : pages) {
            width = std::max(width, p.picture.Width());
            height += p.picture.Height() + 10;
            std::string error;
            if (!gdi::SavePng((outDir / (p.name + ".png")).string(), p.picture, &error))
                throw std::runtime_error(error);
        }
        gdi::Bitmap sheet(width, height);
        sheet.Fill(gdi::PixelOf(gdi::Rgb(20, 20, 20)));
        gdi::Canvas c(sheet.Handle());
        int32_t y = 0;
        for (const Page& p : pages) {
            c.Draw(0, y, p.picture);
            y += p.picture.Height() + 10;
        }
        std::string error;
        if (!gdi::SavePng((outDir / "contact-sheet.png").string(), sheet, &error))
            throw std::runtime_error(error);
    } catch (const std::exception& e) {
        std::cerr << "ui-gallery: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
