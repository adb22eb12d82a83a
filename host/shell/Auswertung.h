// The evaluation dialog: how long the candidate practised, the mean, which
// tests were passed, the results by hour of the day, the learning curve over
// all tests and the details of the one test selected in the menu.
//
// Four buttons on the left switch between the four views (Allgemein,
// Verlauf, TestDetails, Lernkurve); AuswertungZurueck and Escape close the
// dialog. The text views share one list box with a knob beside it; the
// graphs are drawn on two paint boxes from pictures worked out when the
// dialog opens (host/results/EvaluationGraphs.h), so a repaint reads no
// file.
//
// Everything here runs on the user-interface thread while no run is active.
#pragma once

#include "host/catalogue/Catalogue.h"
#include "host/results/DailySeries.h"
#include "host/results/EvaluationGraphs.h"
#include "host/results/ResultReaders.h"
#include "platform/app/Controls.h"
#include "ui/MyCustomListBox.h"
#include "ui/Window.h"
#include "ui/hbitbtn.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrava {
class ModuleHost;
}

namespace kestrava::shell {

class TRegler;

class TAuswertung : public ui::TBackWindow {
public:
    static constexpr int32_t kWidth = 588;
    static constexpr int32_t kHeight = 418;

    // Builds the children; the skin "AUSWERTUNG" and the buttons' pictures
    // come from the program's resources (EResNotFound when one is missing).
    TAuswertung();
    // In the middle of a room of this size (the main window).
    void Place(int32_t roomWidth, int32_t roomHeight);

    // Fills the dialog for opening: the general view, the hour profile, the
    // test selected for details (exactly one line of testList, whose module
    // must say that it keeps results), the daily series and which view
    // buttons have something to show. The module is loaded for its info
    // only; one that does not load leaves TestDetails disabled.
    void Fill(const TestCatalogue& tests, const ui::TMyCustomListBox& testList, ModuleHost& host);

    // The views and the way out, as the buttons and keys call them.
    void AllgemeineAuswertung();
    void VerlaufClick();
    void TestDetailsClick();
    void LernkurveClick();
    void AuswertungBack();

    // The dialog was closed; the main window enables its menu again.
    app::NotifyHandler OnClosed;

    void UseHandCursor(const std::shared_ptr<app::Cursor>& hand);

    // The user-interface scale k the graphs are drawn at (k times as large,
    // lines k times as wide; EvaluationGraphs.h), taken by the next Fill.
    void SetGraphScale(double scale) { m_graphScale = scale; }
    double GraphScale() const { return m_graphScale; }

    // ---- what tests look at
    ui::TThbitbtn& Allgemein() { return *m_allgemein; }
    ui::TThbitbtn& Verlauf() { return *m_verlauf; }
    ui::TThbitbtn& TestDetails() { return *m_testDetails; }
    ui::TThbitbtn& Lernkurve() { return *m_lernkurve; }
    ui::TThbitbtn& AuswertungZurueck() { return *m_zurueck; }
    ui::TMyCustomListBox& AuswertungsListBox() { return *m_list; }
    app::PaintBox& AuswertungsPaintBox() { return *m_paintBox; }
    app::PaintBox& DetailPaintBox() { return *m_detailPaintBox; }
    app::Image& AuswertungsScroll() { return *m_scroll; }
    app::Image& AuswertungsRegler();
    const DailySeries& Series() const { return m_series; }
    const HourProfile& Profile() const { return m_profile; }
    // The line of the menu's test list chosen for details, -1 if none.
    int32_t SelectedLine() const { return m_selectedLine; }
    bool ShowsLearningCurve() const { return m_paintBoxShows == &m_learningPicture; }

private:
    void ArrowKey(uint32_t& key);
    void ShowGraph(const GraphPicture& picture);
    std::vector<std::string> ResultPaths() const;

    ui::TThbitbtn* m_allgemein = nullptr;
    ui::TThbitbtn* m_verlauf = nullptr;
    ui::TThbitbtn* m_testDetails = nullptr;
    ui::TThbitbtn* m_lernkurve = nullptr;
    ui::TThbitbtn* m_zurueck = nullptr;
    ui::TMyCustomListBox* m_list = nullptr;
    app::PaintBox* m_paintBox = nullptr;
    app::PaintBox* m_detailPaintBox = nullptr;
    app::Image* m_scroll = nullptr;
    TRegler* m_regler = nullptr;

    // What the dialog shows while it is open.
    std::vector<TestCatalogueEntry> m_tests;
    int32_t m_selectedLine = -1;
    std::string m_selectedTitle;
    std::string m_selectedPath;
    HourProfile m_profile{};
    DailySeries m_series;
    GraphPicture m_hourPicture;
    GraphPicture m_learningPicture;
    GraphPicture m_detailPicture;
    const GraphPicture* m_paintBoxShows = nullptr;
    double m_graphScale = 1;
};

} // namespace kestrava::shell
