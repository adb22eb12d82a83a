// Draws the help pages: the top of the index page (HELP.BMP), the general
// pages of the program (HELP1, HELP2 in the program folder), the pages of
// ZEK, Mehrfachreaktion, Fluglage and Raumvorstellung beside their modules and the page of the "Alle Tests" program beside
// its program file, each picture with its link file NAME.INI.
//
// Every page is drawn at each scale of the artwork: NAME.BMP with NAME.INI,
// and NAME@1.5x.BMP, NAME@2x.BMP with link files of the same names whose
// rectangles and offsets are in that page's pixels.
//
// Usage: make-help-pages PROGRAM_FOLDER [LOOK_FOLDER]
// The program's buttons shown on the pages are read from PROGRAM_FOLDER/skin,
// so the host's artwork is drawn first. With LOOK_FOLDER, a PNG copy of
// every page goes there to look at.
#include "resources/help/HelpLayout.h"

#include "resources/help/LageFigure.h"
#include "resources/help/RaumFigure.h"
#include "resources/help/ZekFigure.h"

#include "modules/zek/ZekLayout.h"
#include "platform/gdi/Bitmap.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace kestrava::help {
namespace {

struct Writer {
    std::string program; // ends with '/'
    std::string look;    // empty: no PNG copies
    bool ok = true;
    std::map<std::string, FinishedPage> written; // by folder + name

    gdi::Bitmap Skin(const std::string& name)
    {
        gdi::Bitmap picture;
        std::string error;
        const std::string file = name + artwork::ScaleSuffix(artwork::DrawingScale()) + ".bmp";
        if (!gdi::LoadBmp(program + "skin/" + file, picture, &error)) {
            std::fprintf(stderr, "make-help-pages: %sskin/%s: %s\n", program.c_str(), file.c_str(), error.c_str());
            ok = false;
        }
        return picture;
    }

    // folder is relative to the program folder ("" or "TESTS/").
    const FinishedPage& Write(const std::string& folder, const std::string& name, const Page& page)
    {
        FinishedPage finished = page.Finish();
        const std::string base = program + folder + name + artwork::ScaleSuffix(artwork::DrawingScale());
        std::string error;
        if (!gdi::SaveBmp(base + ".BMP", finished.picture, &error)) {
            std::fprintf(stderr, "make-help-pages: %s.BMP: %s\n", base.c_str(), error.c_str());
            ok = false;
        }
        if (!look.empty()) {
            std::string flat = folder + name + artwork::ScaleSuffix(artwork::DrawingScale());
            for (char& c : flat)
                if (c == '/')
                    c = '_';
            gdi::SavePng(look + "/" + flat + ".png", finished.picture);
        }
        if (!finished.links.empty()) {
            std::ofstream ini(base + ".INI", std::ios::binary | std::ios::trunc);
            for (const PageLink& l : finished.links)
                ini << l.box.left << ',' << l.box.top << ',' << l.box.right << ',' << l.box.bottom << ','
                    << l.target << ',' << l.offset << "\r\n";
            if (!ini) {
                std::fprintf(stderr, "make-help-pages: cannot write %s.INI\n", base.c_str());
                ok = false;
            }
        }
        return written[folder + name] = std::move(finished);
    }

    int32_t Anchor(const std::string& page, const std::string& anchor) const
    {
        const auto p = written.find(page);
        if (p == written.end())
            return 0;
        const auto a = p->second.anchors.find(anchor);
        return a == p->second.anchors.end() ? 0 : a->second;
    }
};

void IndexTop(Writer& out)
{
    // Kept short, so that the index's lines below it show without scrolling.
    Page page = Page::IndexTop("Kestrava", "Hilfe und Handbuch");
    page.Para("Willkommen! Hier lesen Sie, wie Sie Kestrava bedienen und wie jeder Test abläuft. "
              "Klicken Sie auf ein Thema:");
    out.Write("", "HELP", page);
}

void General(Writer& out)
{
    Page page("HELP1", "Allgemeine Bedienung", "So üben Sie mit Kestrava");
    page.Contents({{"Das Menü", "menu"},
                   {"Tests und Programme wählen", "choose"},
                   {"Die Zeiteinstellung", "time"},
                   {"Der Testbildschirm", "screen"},
                   {"Pause und Abbruch", "pause"},
                   {"Speichern und Fortsetzen", "save"},
                   {"Das Ergebnis", "end"},
                   {"Die Auswertung", "evaluation"},
                   {"Die Einstellungen", "settings"}});
    page.Link("Tasten und Maus auf einen Blick", "HELP2");
    page.Link("Zurück zur Übersicht", "\\");

    page.Heading("1. Das Menü", "menu");
    page.Para("Nach dem Start zeigt Kestrava das Menü. Links stehen alle Tests, alphabetisch sortiert, und "
              "neben jedem Test zwei Spalten:");
    page.Bullets({"Dauer: wie lange Sie den Test bisher geübt haben, in Stunden und Minuten.",
                  "Punkte: Ihr Ergebnis der letzten fünf Durchgänge, nach ihrer Dauer gewichtet und auf "
                  "ganze Prozent gerundet. Bis 82 % steht es rot, ab 83 % grün.",
                  "Ein Test, der keine Ergebnisse speichert, zeigt Striche statt Zahlen."});
    page.Para("Rechts stehen die Trainingsprogramme. Passen nicht alle Zeilen in eine Liste, erscheint an "
              "ihrem rechten Rand ein Schieber zum Blättern; das Mausrad über der Liste blättert ebenso.");
    page.Para("Die Knöpfe unter den Listen, von links nach rechts; ihre Namen zeigt Kestrava, wenn die Maus "
              "auf einem Knopf ruht:");
    page.Button(out.Skin("GoButton_Idle"), "Test starten",
                "Startet die gewählten Tests oder das gewählte Programm.");
    page.Button(out.Skin("FrageButton_Idle"), "Hilfe", "Öffnet diese Hilfe, auch mit der Taste F10.");
    page.Button(out.Skin("SettingsButton_Idle"), "Einstellungen", "Joystick, Lautstärke, Uhr und das Löschen "
                                                                  "der Ergebnisse.");
    page.Button(out.Skin("DetailButton_Idle"), "Auswertung", "Ihre Ergebnisse in Zahlen und Kurven.");
    page.Button(out.Skin("LoadButton_Idle"), "Testprogramm laden",
                "Setzt ein gespeichertes Testprogramm dort fort, wo Sie es gespeichert haben.");
    page.Button(out.Skin("ExitButton_Idle"), "Programm beenden", "Beendet Kestrava nach einer Rückfrage.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("2. Tests und Programme wählen", "choose");
    page.Para("Ein Klick auf einen Test wählt ihn aus. Mit gedrückter Strg-Taste nehmen Sie weitere Tests "
              "hinzu oder wieder heraus. Ein Klick auf ein Programm wählt dieses und hebt die Auswahl der "
              "Tests auf: Tests und ein Programm sind nie zugleich gewählt.");
    page.Para("Drücken Sie dann „Test starten“, oder doppelklicken Sie auf die Zeile. Mehrere Tests laufen als "
              "Trainingsprogramm nacheinander. Ein Test, der keine Ergebnisse speichert, lässt sich nur "
              "allein üben.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("3. Die Zeiteinstellung", "time");
    page.Para("Vor jedem Start fragt Kestrava nach der gesamten Übungszeit. Vorgeschlagen wird die übliche "
              "Dauer der gewählten Tests.");
    page.Bullets({"Tragen Sie Stunden und Minuten ein. Tab wechselt zwischen den beiden Feldern; mehr als 59 "
                  "Minuten werden zu 59.",
                  "OK oder Enter startet, Abbrechen oder Escape führt zurück ins Menü.",
                  "Dauert der Lauf anders als eingegeben, steht unter den Feldern die „Tatsächliche Dauer“: "
                  "länger, wenn die Zeit nicht für die Mindestzeiten der Tests reicht, kürzer, wenn sie nicht "
                  "in deren Zeitschritte aufgeht."});
    page.SubHeading("Zeitaufteilung");
    page.Para("Bei mehreren Tests wird die Zeit im Verhältnis ihrer üblichen Dauer verteilt. Jeder Test "
              "erhält mindestens seine Mindestzeit; ein Anteil über der Höchstzeit eines Tests geht an "
              "einen anderen Test oder wird auf zwei Abschnitte verteilt. Die Reihenfolge wird ausgelost.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("4. Der Testbildschirm", "screen");
    page.Para("Jeder Test beginnt mit seinem Namen, zwei Sekunden lang. Danach zählt ein Countdown die "
              "letzten Sekunden herunter, dann läuft der Test. Die Testfläche füllt den Bildschirm im "
              "Seitenverhältnis 4:3.");
    page.Para("Oben rechts läuft die Uhr. Ein Klick auf sie wechselt zwischen der verstrichenen und der "
              "verbleibenden Zeit. In den Einstellungen können Sie sie ausblenden.");
    page.Para("Führen Sie die Maus an den oberen Rand, erscheint die Testleiste mit dem Namen des Tests, "
              "der Uhr und diesen Knöpfen:");
    page.Button(out.Skin("Zurueck_Idle"), "Test abbrechen", "Fragt, ob Sie den Test beenden wollen.");
    page.Button(out.Skin("Pause_Idle"), "Pause", "Hält den Test an. Ein zweiter Druck lässt ihn "
                                                 "weiterlaufen.");
    page.Button(out.Skin("Lautstaerke_Idle"), "Lautstärke ändern", "Zeigt einen Regler neben dem Knopf.");
    page.Button(out.Skin("Disk_Idle"), "Testprogramm speichern", "Sichert den Stand des Laufs, um ihn "
                                                                  "später fortzusetzen.");
    page.Button(out.Skin("Frage_Idle"), "Hilfe zum Test", "Zeigt die Hilfe des laufenden Tests (auch F10); "
                                                          "der Test steht so lange still.");
    page.Para("Bewegen Sie die Maus über der Testfläche zwei Sekunden lang nicht, verschwindet der "
              "Mauszeiger. In einem "
              "Programm folgt der nächste Test nach fünf Sekunden „Einen Moment bitte...“.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("5. Pause und Abbruch", "pause");
    page.Para("Die Pause-Taste oder der Pause-Knopf hält den Test an: Die Uhr steht, bis Sie erneut Pause "
              "drücken. Wechseln Sie zu einem anderen Fenster, hält der Test ebenfalls an und bleibt "
              "angehalten, bis Sie zurück sind und Pause drücken.");
    page.Para("Escape oder der Abbruch-Knopf fragen, ob Sie den Test wirklich abbrechen wollen. Mit Ja "
              "(J oder Enter) kehren Sie ins Menü zurück; der abgebrochene Test wird nicht gewertet. Mit "
              "Nein (N oder Escape) geht er weiter, wo er stand.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("6. Speichern und Fortsetzen", "save");
    page.Para("Mit dem Knopf „Testprogramm speichern“ der Testleiste sichern Sie den laufenden Durchgang, "
              "einen einzelnen Test ebenso wie ein Programm, mitsamt dem Stand des aktuellen Tests. Der Test "
              "läuft danach weiter. Im Menü setzen Sie den Durchgang mit dem Knopf „Testprogramm laden“ "
              "später fort, auch nach einem Neustart: Er beginnt angehalten an derselben Stelle und läuft "
              "weiter, sobald Sie Pause drücken. Es gibt immer nur einen gespeicherten Stand; jedes "
              "Speichern ersetzt ihn.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("7. Das Ergebnis", "end");
    page.Para("Nach dem letzten Test zeigt Kestrava für jeden Test das Gesamtergebnis und darunter die "
              "Teilaufgaben, auf ganze Prozent gerundet. Werte bis 82 % stehen rot, ab 83 % grün. "
              "Bestanden ist ein Durchgang erst ab einem Gesamtergebnis von 83,0 %: 82,6 % steht grün als "
              "83 % da und zählt noch nicht.");
    page.Para("Mit den Pfeiltasten, dem Mausrad oder dem Schieber blättern Sie; OK, Enter, Escape oder die "
              "Leertaste schließen das Fenster. Dauer und Punkte im Menü sind danach auf dem neuen Stand.");
    page.Para("Konnte ein Ergebnis nicht gespeichert werden, etwa weil der Datenträger voll ist, steht dort "
              "„Ergebnis konnte nicht gespeichert werden“, und ein Hinweis nennt den Grund. Eine beschädigte "
              "Ergebnisdatei legt Kestrava unverändert beiseite und beginnt eine neue.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("8. Die Auswertung", "evaluation");
    page.Para("Der Knopf Auswertung zeigt Ihre Ergebnisse in vier Ansichten:");
    page.Bullets({"Allgemein: gesamte Übungszeit, Durchschnitt und bestandene Tests. Bestanden ist ein "
                  "Test, sobald ein Durchgang ein Gesamtergebnis von mindestens 83,0 % erreicht.",
                  "Verlauf: Ihre Ergebnisse nach der Tageszeit.",
                  "Testdetails: Zahlen und Kurve des Tests, den Sie vorher im Menü gewählt haben. Der Knopf "
                  "reagiert nur, wenn genau ein Test gewählt ist.",
                  "Lernkurve: Ihr Fortschritt von Tag zu Tag. Der Knopf reagiert erst, wenn Sie an zwei "
                  "verschiedenen Tagen geübt haben."});
    page.Para("Der fünfte Knopf oder Escape schließt die Auswertung.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("9. Die Einstellungen", "settings");
    page.Button(out.Skin("JoyStick_Idle"), "Joystick einrichten",
                "Öffnet die Einrichtung der Steuerknüppel, falls installiert. Neu angeschlossene Joysticks "
                "gelten, sobald Sie die Einstellungen schließen.");
    page.Button(out.Skin("Laut_Idle"), "Lautstärke",
                "Zeigt den Regler: Ziehen Sie den Schieber oder klicken Sie auf die Leiste.");
    page.Button(out.Skin("Uhr_Down"), "Uhr anzeigen", "Schaltet die Uhr oben rechts im Test ein und aus.");
    page.Button(out.Skin("Reset_Idle"), "Ergebnisse löschen",
                "Löscht nach einer Rückfrage alle gespeicherten Ergebnisse. Dauer und Punkte beginnen "
                "wieder bei null.");
    page.Para("Lautstärke und Uhr bleiben für den nächsten Start erhalten. OK, Enter, Escape oder die "
              "Leertaste schließen das Fenster.");
    page.LinkToAnchor("Nach oben", "top");
    page.Link("Tasten und Maus auf einen Blick", "HELP2");
    page.Link("Zurück zur Übersicht", "\\");
    out.Write("", "HELP1", page);
}

void Keys(Writer& out)
{
    Page page("HELP2", "Tasten und Maus", "Alles auf einen Blick");
    page.SubHeading("Im Menü");
    page.Keys({"Klick"}, "Test oder Programm wählen");
    page.Keys({"Strg", "Klick"}, "weitere Tests dazu oder heraus");
    page.Keys({"Doppelklick"}, "sofort starten");
    page.Keys({"F10"}, "Hilfe");
    page.SubHeading("In den Fenstern");
    page.Keys({"Enter"}, "bestätigen: OK, Ja");
    page.Keys({"Esc"}, "schließen, Nein, Abbrechen");
    page.Keys({"Leertaste"}, "wie Enter (in der Frage: Ja)");
    page.Keys({"J", "N"}, "Ja oder Nein in einer Frage");
    page.Keys({"Tab"}, "Stunden- und Minutenfeld wechseln");
    page.Keys({"\xE2\x86\x91", "\xE2\x86\x93"}, "in Ergebnis, Auswertung und Hilfe blättern");
    page.Keys({"Bild\xE2\x86\x91", "Bild\xE2\x86\x93"}, "in der Hilfe seitenweise blättern");
    page.Keys({"Pos1", "Ende"}, "an den Anfang oder das Ende der Hilfeseite");
    page.Keys({"Mausrad"}, "in Listen, Ergebnis, Auswertung und Hilfe blättern");
    page.SubHeading("Im Test");
    page.Keys({"Pause"}, "anhalten und weiter");
    page.Keys({"Esc"}, "Test abbrechen (mit Rückfrage)");
    page.Keys({"F10"}, "Hilfe zum Test; der Test steht still");
    page.Keys({"Maus oben"}, "Testleiste zeigen");
    page.Note("Die Tasten und Joysticks der Tests selbst erklärt die Hilfe jedes Tests.");
    page.Link("Allgemeine Bedienung", "HELP1");
    page.Link("Zurück zur Übersicht", "\\");
    out.Write("", "HELP2", page);
}

// When a result counts as passed and how the lists show it, for every
// test's score page, followed by the test's own remarks.
std::vector<std::string> WhatTheResultMeans(std::vector<std::string> remarks)
{
    std::vector<std::string> bullets = {
        "Bestanden ist ein Durchgang mit einem Gesamtergebnis von mindestens 83,0 %. Die Auswertung zählt "
        "den Test als bestanden, sobald ein Durchgang das erreicht.",
        "Ergebnisbildschirm und Menü runden auf ganze Prozent (genau in der Mitte zur geraden Zahl: 82,5 % "
        "wird 82 %) und zeigen bis 82 % rot, ab 83 % grün. Ein Durchgang mit 82,6 % steht darum im Ergebnis "
        "grün als 83 % da, ist aber noch nicht bestanden.",
        "Die Spalte Punkte im Menü zeigt den Durchschnitt Ihrer letzten fünf Durchgänge, nach ihrer Dauer "
        "gewichtet."};
    bullets.insert(bullets.end(), remarks.begin(), remarks.end());
    return bullets;
}

// The test screen as ZEK.TST paints it, with numbered badges on its parts.
Layer ZekScreen(Writer& out)
{
    const zek::ZekState state = ZekFigureState();
    int32_t missing = 0;
    Layer layer = Layer::FromBitmap(PaintZekScreen(out.program + "TESTS/", state, missing, artwork::DrawingScale()));
    if (missing != 0) {
        std::fprintf(stderr, "make-help-pages: %d ZEK pictures missing in %sTESTS/graphics/\n", missing,
                     out.program.c_str());
        out.ok = false;
    }
    const double s = double(kZekFigureWidth) / zek::layout::kScreenWidth;
    for (const Badge& b : ZekFigureBadges(zek::ZekSettings{}, state))
        DrawBadge(layer, b.number, b.x * s, b.y * s);
    return layer;
}

void Zek(Writer& out)
{
    const std::string folder = "TESTS/";
    Page page("HELP1", "ZEK-Test", "Vier Aufgaben zugleich");
    page.Para("Der ZEK-Test prüft, wie gut Sie mehrere Aufgaben gleichzeitig bewältigen. Vier Aufgaben "
              "laufen während der ganzen Testzeit nebeneinander, und jede zählt gleich viel.");
    page.Contents({{"Der Bildschirm", "screen"},
                   {"Die vier Aufgaben", "tasks"},
                   {"Steuerung", "controls"},
                   {"Tipps", "tips"}});
    page.Link("Bewertung und Ergebnis", "HELP2");

    page.Heading("Der Bildschirm", "screen");
    page.Figure(ZekScreen(out));
    page.Callout(1, "Lampen F1 bis F4", "Oben F1 und F2, darunter F3 und F4. Hier leuchtet F2.");
    page.Callout(2, "Rechenaufgabe", "Sie erscheint von Zeit zu Zeit.");
    page.Callout(3, "Antwortfeld", "Es zeigt die Ziffern, die Sie zur Aufgabe tippen.");
    page.Callout(4, "Linkes Feld", "Vertikales Trackling: Ziel und Marke bewegen sich nur auf und ab.");
    page.Callout(5, "Rechtes Feld", "Bidirektionales Trackling: Ziel und Marke bewegen sich frei.");
    page.Callout(6, "Ziel: orangefarbenes Fadenkreuz im Ring",
                 "Es wandert von selbst; Sie können es nicht steuern.");
    page.Callout(7, "Ihre Marke: vier cyanfarbene Ecken",
                 "Die steuern Sie. Halten Sie sie in jedem Feld auf dem Fadenkreuz.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die vier Aufgaben", "tasks");
    page.Para("Im Ergebnis heißen die Aufgaben so, wie hier die Überschriften lauten.");
    page.SubHeading("Vertikales Trackling (Links)");
    page.Para("Im schmalen Feld links bewegt sich das orangefarbene Fadenkreuz auf und ab. Halten Sie Ihre "
              "Marke, die vier cyanfarbenen Ecken, mit den Tasten W und S oder dem zweiten Joystick darauf.");
    page.SubHeading("Bidirektionales Trackling (Rechts)");
    page.Para("Im großen Feld rechts wandert ein zweites Fadenkreuz frei umher. Führen Sie Ihre Marke dort "
              "mit den Pfeiltasten oder dem ersten Joystick nach. Vorsicht: Nach oben und unten wirken sie "
              "umgekehrt, siehe Steuerung.");
    page.Para("In beiden Feldern zählt ein Treffer, solange die Mitte Ihrer Marke weniger als eine "
              "Symbolbreite von der Mitte des Fadenkreuzes entfernt ist.");
    page.SubHeading("Reaktionsvermögen F-Tasten");
    page.Para("Ab und zu leuchtet eine der vier Lampen oben links auf. Drücken Sie sofort ihre Taste: F1 und "
              "F2 für die obere Reihe, F3 und F4 für die untere. Nach drei Sekunden erlischt eine Lampe von "
              "selbst und gilt als verpasst; eine falsche F-Taste ändert nichts, die richtige gilt danach "
              "noch.");
    page.SubHeading("Kopfrechnen");
    page.Para("Zwischendurch erscheint oben rechts eine Rechenaufgabe; • heißt mal, : geteilt durch. Tippen "
              "Sie das Ergebnis mit den Zifferntasten oder dem Ziffernblock, höchstens fünf Ziffern; die "
              "Rücktaste löscht die letzte Ziffer. Eine Eingabetaste gibt es nicht: Die Antwort gilt, "
              "sobald Sie drei Sekunden lang nichts mehr tippen. Spätestens 20 Sekunden nach ihrem "
              "Erscheinen wird eine Aufgabe gewertet, mit dem, was im Antwortfeld steht.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Steuerung", "controls");
    page.Keys({"\xE2\x86\x90", "\xE2\x86\x92"}, "Marke rechts nach links und rechts");
    page.Keys({"\xE2\x86\x91"}, "Marke rechts nach unten, wie Joystick 1 nach vorn");
    page.Keys({"\xE2\x86\x93"}, "Marke rechts nach oben, wie Joystick 1 zu sich heran");
    page.Keys({"W"}, "Marke links nach oben, wie Joystick 2 nach vorn");
    page.Keys({"S"}, "Marke links nach unten, wie Joystick 2 zu sich heran");
    page.Keys({"F1", "F2", "F3", "F4"}, "die leuchtende Lampe löschen");
    page.Keys({"0 \xE2\x80\x93 9"}, "Ergebnis der Rechenaufgabe, auch am Ziffernblock");
    page.Keys({"\xE2\x86\x90 Rück"}, "letzte Ziffer löschen");
    page.Note("Rechts ist oben und unten vertauscht, wie beim Steuerhorn eines Flugzeugs: Drücken nach vorn "
              "senkt die Nase. Die Taste \xE2\x86\x91 und der erste Joystick nach vorn bewegen die Marke "
              "nach unten, \xE2\x86\x93 und der Joystick zu sich heran nach oben. Links gilt das nicht: W und "
              "der zweite Joystick nach vorn bewegen die Marke nach oben, S und zu sich heran nach unten.");
    page.Para("Ohne Joysticks lösen Sie den Test ganz mit der Tastatur. Solange eine Taste gedrückt ist, "
              "bewegt sich die Marke mit voller Geschwindigkeit. Joysticks richten Sie im Menü unter "
              "Einstellungen ein.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Tipps", "tips");
    page.Bullets({"Die Fadenkreuze ändern ständig die Richtung. Korrigieren Sie früh und in kleinen "
                  "Schritten.",
                  "Werfen Sie regelmäßig einen Blick auf Lampen und Rechenfeld: Eine verpasste Lampe "
                  "kostet mehr als ein kurzer Blick weg vom Tracking.",
                  "Spätestens nach 30 Sekunden leuchtet die erste Lampe, nach 40 Sekunden kommt die erste "
                  "Aufgabe.",
                  "Ziffern, die Sie tippen, während keine Aufgabe steht, verfallen."});
    page.Link("Bewertung und Ergebnis", "HELP2");
    page.Link("Allgemeine Bedienung", "./HELP1");
    page.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP1", page);

    Page score("HELP2", "ZEK-Test: Bewertung", "Wie Ihr Ergebnis entsteht");
    score.Para("Für jede der vier Aufgaben ermittelt der Test einen Prozentwert:");
    score.Bullets({"Vertikales und Bidirektionales Trackling: der Anteil der Messungen (50 in der Sekunde), "
                   "bei denen Ihre Marke weniger als eine Symbolbreite vom Fadenkreuz entfernt war.",
                   "Reaktionsvermögen F-Tasten: der Anteil der Lampen, die Sie rechtzeitig mit der richtigen "
                   "Taste gelöscht haben.",
                   "Kopfrechnen: der Anteil der richtig gelösten Aufgaben."});
    score.Para("Das Gesamtergebnis ist der einfache Durchschnitt der vier Werte. Keine Aufgabe zählt mehr als "
               "eine andere: Wer eine vernachlässigt, verliert ein Viertel.");
    score.SubHeading("Was das Ergebnis bedeutet");
    score.Bullets(WhatTheResultMeans({}));
    score.Note("Gespeichert wird ein Ergebnis nur, wenn der Test bis zum Ende läuft. Ein abgebrochener Test "
               "zählt nicht.");
    score.Link("Aufgaben und Steuerung", "HELP1");
    score.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP2", score);
}

void Mehrfachreaktion(Writer& out)
{
    const std::string folder = "TESTS/MFR/";
    Page page("HELP1", "Mehrfachreaktion", "Lampen und Töne unter Zeitdruck");
    page.Para("Der Test prüft, wie schnell und sicher Sie auf Licht- und Tonsignale reagieren, auch wenn "
              "beide zugleich kommen und das Tempo steigt.");
    page.Contents({{"Die Aufgabe", "task"}, {"Die Tasten", "keys"}, {"Das Tempo", "pace"}});
    page.Link("Bewertung und Ergebnis", "HELP2");

    page.Heading("Die Aufgabe", "task");
    page.Para("Nacheinander erscheint ein Reiz: Eine der vier Lampen leuchtet auf, ein hoher oder ein tiefer "
              "Ton erklingt, oder eine Lampe und ein Ton kommen zusammen. Antworten Sie so schnell wie möglich "
              "mit der passenden Taste. Kommen Lampe und Ton zusammen, braucht es beide Tasten, in beliebiger "
              "Reihenfolge; die Lampe erlischt, sobald ihre Taste gedrückt ist.");
    page.Bullets({"Eine falsche Taste beendet den Reiz sofort als Fehler.",
                  "Ist die Zeit für einen Reiz um, bevor Sie geantwortet haben, gilt er als verpasst.",
                  "Eine Antworttaste (F1 bis F4, Strg, Leertaste), während weder Lampe noch Ton da ist, "
                  "zählt ebenfalls als Fehler.",
                  "Unter den Lampen zeigt der Test, wie der letzte Reiz ausging: Richtig, Fehler oder "
                  "Verpasst."});
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die Tasten", "keys");
    page.Keys({"F1"}, "rote Lampe");
    page.Keys({"F2"}, "gelbe Lampe");
    page.Keys({"F3"}, "grüne Lampe");
    page.Keys({"F4"}, "blaue Lampe");
    page.Keys({"Strg"}, "tiefer Ton, linke oder rechte Strg-Taste");
    page.Keys({"Leertaste"}, "hoher Ton");
    page.Para("Die Töne beantworten Sie mit zwei verschiedenen Tasten, nicht mit links und rechts: Die "
              "linke und die rechte Strg-Taste sind für den Test dieselbe Taste, und manchem Laptop fehlt die "
              "rechte. Legen Sie die linke Hand an F1 bis F4, den rechten Daumen auf die Leertaste und einen "
              "Finger der rechten Hand auf die rechte Strg-Taste (am Laptop nehmen Sie die linke).");
    page.Note("Stellen Sie die Lautstärke vor dem Test ein: Die Töne sind Teil der Aufgabe.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Das Tempo", "pace");
    page.Para("Nach jeder richtigen Antwort bleibt für den nächsten Reiz etwas weniger Zeit, nach einem Fehler, "
              "einer Taste ohne Reiz "
              "oder einem verpassten Reiz etwas mehr. Zu Beginn sind es 2 Sekunden, schneller als 0,7 und "
              "langsamer als 3 Sekunden wird es nicht. Der Balken „Tempo“ unten zeigt, wie schnell es gerade "
              "geht: Je voller er ist, desto weniger Zeit bleibt.");
    page.LinkToAnchor("Nach oben", "top");
    page.Link("Bewertung und Ergebnis", "HELP2");
    page.Link("Allgemeine Bedienung", "./HELP1");
    page.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP1", page);

    Page score("HELP2", "Mehrfachreaktion: Bewertung", "Wie Ihr Ergebnis entsteht");
    score.Para("Das Ergebnis hat vier Teile:");
    score.Bullets({"Richtige Reaktionen: der Anteil der Reize, die Sie vollständig und richtig beantwortet "
                   "haben.",
                   "Fehlerfrei: der Anteil der Reize ohne falsche Taste; jede Taste ohne Reiz zählt als "
                   "weiterer Fehler.",
                   "Nichts verpasst: der Anteil der Reize, die Sie nicht verstreichen ließen.",
                   "Mittlere Reaktionszeit: die durchschnittliche Zeit bis zur letzten richtigen Taste, in "
                   "Sekunden. Ohne eine richtige Antwort gilt die längste Zeit, 3 Sekunden."});
    score.Para("Das Gesamtergebnis gewichtet die richtigen Reaktionen mit 40 %, die drei übrigen Teile mit "
               "je 20 %. Die Reaktionszeit zählt dabei voll bis 0,25 Sekunden; jede 10 Millisekunden mehr "
               "kosten einen Punkt, ab 1,25 Sekunden zählt sie nichts.");
    score.SubHeading("Was das Ergebnis bedeutet");
    score.Bullets(WhatTheResultMeans({"Ein Reiz, der beim Ende der Testzeit noch offen ist, zählt nicht."}));
    score.Note("Gespeichert wird ein Ergebnis nur, wenn der Test bis zum Ende läuft.");
    score.Link("Aufgabe und Tasten", "HELP1");
    score.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP2", score);
}

// A test screen as its module paints it at width, with numbered badges on
// its parts (placed in the module's 800-unit design space).
template <typename Badges> Layer BadgedScreen(const gdi::Bitmap& screen, int32_t width, const Badges& badges)
{
    Layer layer = Layer::FromBitmap(screen);
    const double s = double(width) / 800.0;
    for (const Badge& b : badges)
        DrawBadge(layer, b.number, b.x * s, b.y * s);
    return layer;
}

Layer LageScreen()
{
    return BadgedScreen(PaintLageScreen(LageFigureState(), artwork::DrawingScale()), kLageFigureWidth,
                        LageFigureBadges());
}

void Fluglage(Writer& out)
{
    const std::string folder = "TESTS/LAGE/";
    Page page("HELP1", "Fluglage", "Instrumente lesen");
    page.Para("Der Test prüft, wie schnell und sicher Sie aus zwei Fluginstrumenten ablesen, wie ein "
              "Flugzeug in der Luft liegt und wohin es fliegt.");
    page.Contents({{"Der Bildschirm", "screen"}, {"Die Instrumente", "instruments"}, {"Die Bilder", "pictures"},
                   {"Die Tasten", "keys"}});
    page.Link("Bewertung und Ergebnis", "HELP2");

    page.Heading("Der Bildschirm", "screen");
    page.Figure(LageScreen());
    page.Callout(1, "Künstlicher Horizont", "Querlage und Längsneigung. Hier: 30° nach rechts, Nase oben.");
    page.Callout(2, "Kurs", "Die Flugrichtung. Hier: Osten, „O“ steht oben.");
    page.Callout(3, "Vier Bilder", "Das Flugzeug von hinten oben gesehen. Hier passt Bild 3.");
    page.Callout(4, "Tasten 1 bis 4", "Je eine unter jedem Bild.");
    page.Callout(5, "Ergebnis der letzten Antwort", "Richtig, Falsch oder Zeit abgelaufen.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die Instrumente", "instruments");
    page.SubHeading("Künstlicher Horizont");
    page.Para("Das orangefarbene Flugzeugsymbol in der Mitte steht fest; Himmel (blau) und Erde (braun) "
              "bewegen sich dahinter, so wie der Pilot die Welt aus dem Cockpit sieht. Liegt das Flugzeug "
              "nach rechts, dreht sich die Horizontlinie gegen den Uhrzeigersinn: ihr rechtes Ende steigt. Das weiße Dreieck "
              "zeigt die Querlage an der Skala am Rand: ein Strich je 15°, bis 45° (längere Striche bei 0° "
              "und 45°). Steht die Horizontlinie unter dem Symbol, zeigt die Nase nach oben, steht sie "
              "darüber, nach unten.");
    page.SubHeading("Kurs");
    page.Para("Die Kompassrose dreht sich, das Flugzeugsymbol steht fest. Oben unter der orangefarbenen "
              "Marke steht der Kurs: N Norden, O Osten, S Süden, W Westen, und die Striche dazwischen. "
              "Der Test fliegt nur die acht Richtungen N, NO, O, SO, S, SW, W und NW.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die Bilder", "pictures");
    page.Para("Jedes Bild zeigt dasselbe Flugzeug über einem Gitter am Boden, immer aus derselben Richtung: "
              "Norden liegt vom Betrachter weg, Osten rechts, Westen links, Süden vorn. Fliegt das Flugzeug "
              "nach Norden, sehen Sie es von hinten; nach Süden kommt es auf Sie zu.");
    page.Bullets({"Die linke Flügelspitze ist rot, die rechte grün, die Nase ist spitz, das Seitenleitwerk "
                  "steht hinten.",
                  "Sein Schatten am Boden zeigt die Flugrichtung auch dann, wenn das Flugzeug auf Sie zu "
                  "fliegt.",
                  "Genau ein Bild passt zu beiden Instrumenten. Jedes andere weicht in Querlage, Neigung "
                  "oder Kurs ab, oft nur in einem davon."});
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die Tasten", "keys");
    page.Keys({"1", "2", "3", "4"}, "das Bild darüber wählen, auch am Ziffernblock");
    page.Para("Jede Aufgabe gilt mit der ersten Taste als beantwortet. Nach einer halben Sekunde kommt die "
              "nächste. Antworten Sie nicht innerhalb von 10 Sekunden, gilt die Aufgabe als nicht gelöst, "
              "und die nächste erscheint.");
    page.LinkToAnchor("Nach oben", "top");
    page.Link("Bewertung und Ergebnis", "HELP2");
    page.Link("Allgemeine Bedienung", "./HELP1");
    page.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP1", page);

    Page score("HELP2", "Fluglage: Bewertung", "Wie Ihr Ergebnis entsteht");
    score.Para("Das Ergebnis hat zwei Teile:");
    score.Bullets({"Richtige Antworten: der Anteil der Aufgaben, bei denen Sie das passende Bild gewählt "
                   "haben. Eine Aufgabe, deren Zeit abgelaufen ist, zählt als nicht gelöst.",
                   "Mittlere Antwortzeit: die durchschnittliche Zeit vom Erscheinen einer Aufgabe bis zu "
                   "Ihrer Taste, über alle beantworteten Aufgaben, richtig oder falsch, in Sekunden. Ohne "
                   "eine Antwort gilt die ganze Zeit für eine Aufgabe, 10 Sekunden."});
    score.Para("Das Gesamtergebnis ist der Anteil der richtigen Antworten. Die Antwortzeit zählt nicht "
               "hinein; sie zeigt, wie schnell Sie ablesen. Eine falsche Antwort zählt so wenig wie eine "
               "abgelaufene Aufgabe: Lesen Sie lieber genau als schnell.");
    score.SubHeading("Was das Ergebnis bedeutet");
    score.Bullets(WhatTheResultMeans({"Eine Aufgabe, die beim Ende der Testzeit noch offen ist, zählt nicht."}));
    score.Note("Gespeichert wird ein Ergebnis nur, wenn der Test bis zum Ende läuft.");
    score.Link("Aufgabe und Tasten", "HELP1");
    score.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP2", score);
}

// The Raumvorstellung screen as RAUM.TST paints it, with numbered badges.
Layer RaumScreen()
{
    return BadgedScreen(PaintRaumScreen(RaumFigureState(), artwork::DrawingScale()), kRaumFigureWidth,
                        RaumFigureBadges());
}

void Raumvorstellung(Writer& out)
{
    const std::string folder = "TESTS/RAUM/";
    Page page("HELP1", "Raumvorstellung", "Würfelfiguren im Raum drehen");
    page.Para("Der Test prüft Ihr räumliches Vorstellungsvermögen: Sie drehen eine Figur in Gedanken und "
              "erkennen, ob sie einer anderen gleicht oder deren Spiegelbild ist.");
    page.Contents({{"Der Bildschirm", "screen"}, {"Die Aufgabe", "task"}, {"Die Tasten", "keys"},
                   {"Die Schwierigkeit", "difficulty"}});
    page.Link("Bewertung und Ergebnis", "HELP2");

    page.Heading("Der Bildschirm", "screen");
    page.Figure(RaumScreen());
    page.Callout(1, "Linke Figur", "8 bis 10 Würfel, Fläche an Fläche verbunden.");
    page.Callout(2, "Rechte Figur", "Die linke, im Raum gedreht, oder ihr Spiegelbild, gedreht. Hier: "
                                    "das Spiegelbild.");
    page.Callout(3, "Zeit", "Der Balken wird kürzer; ist er leer, gilt das Paar als zu spät.");
    page.Callout(4, "Wie die letzte Antwort ausging", "Richtig, Falsch oder Zu spät.");
    page.Callout(5, "Taste \xE2\x86\x90: gleich", "Die rechte Figur ist die linke, nur gedreht.");
    page.Callout(6, "Taste \xE2\x86\x92: gespiegelt", "Die rechte Figur ist das Spiegelbild der linken.");
    page.Callout(7, "Schwierigkeit", "Je voller der Balken, desto schwerer die Drehung.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die Aufgabe", "task");
    page.Para("Nacheinander erscheinen zwei Figuren aus Würfeln nebeneinander, beide aus derselben "
              "Richtung gesehen. Die rechte ist die linke, um eine Achse im Raum gedreht, oder sie ist ihr "
              "Spiegelbild, ebenso gedreht. Keine Figur gleicht ihrem eigenen Spiegelbild, und von jedem "
              "Würfel ist etwas zu sehen: Die Antwort lässt sich immer erkennen.");
    page.Bullets({"Für ein Paar haben Sie 10 Sekunden. Antworten Sie nicht, gilt es als zu spät.",
                  "Nach der Antwort zeigt der Test 0,7 Sekunden lang, wie sie ausging; dann kommt das "
                  "nächste Paar.",
                  "Tasten, während kein Paar zu sehen ist, zählen nicht."});
    page.Note("Suchen Sie ein markantes Ende, etwa einen abgeknickten Arm, in beiden Figuren, und prüfen "
              "Sie, ob die Arme daneben zur selben Seite abgehen.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die Tasten", "keys");
    page.Keys({"\xE2\x86\x90"}, "gleich: nur gedreht");
    page.Keys({"\xE2\x86\x92"}, "gespiegelt: das Spiegelbild, gedreht");
    page.Para("Mehr brauchen Sie nicht: Der Test ist ganz mit der Tastatur zu lösen.");
    page.LinkToAnchor("Nach oben", "top");

    page.Heading("Die Schwierigkeit", "difficulty");
    page.Para("Die Schwierigkeit läuft von 0 bis 100 Punkten und steigt mit Ihren Antworten: Nach jeder "
              "richtigen Antwort wird das nächste Paar 10 Punkte schwerer, nach einer falschen oder zu "
              "späten 20 Punkte leichter. Sie bestimmt die Drehung zwischen den Figuren:");
    page.Bullets({"unter 25 Punkten eine Vierteldrehung um die senkrechte Achse,",
                  "unter 50 eine halbe Drehung um die senkrechte Achse,",
                  "unter 75 eine Viertel- oder halbe Drehung um eine waagrechte Achse,",
                  "ab 75 eine Drehung um eine schräge Achse."});
    page.LinkToAnchor("Nach oben", "top");
    page.Link("Bewertung und Ergebnis", "HELP2");
    page.Link("Allgemeine Bedienung", "./HELP1");
    page.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP1", page);

    Page score("HELP2", "Raumvorstellung: Bewertung", "Wie Ihr Ergebnis entsteht");
    score.Para("Das Ergebnis hat zwei Teile:");
    score.Bullets({"Richtige Antworten: der Anteil der Paare, die Sie richtig beantwortet haben; zu späte "
                   "zählen als nicht richtig.",
                   "Mittlere Antwortzeit: die durchschnittliche Zeit bis zur richtigen Antwort, in Sekunden. "
                   "Ohne eine richtige Antwort gilt die ganze Zeit für ein Paar, 10 Sekunden."});
    score.Para("Das Gesamtergebnis gewichtet die richtigen Antworten mit 40 %, die mittlere Schwierigkeit der "
               "Paare (0 bis 100 Punkte) mit 40 % und die Schnelligkeit mit 20 %. Die Schnelligkeit zählt "
               "voll bis 1,5 Sekunden; jede 60 Millisekunden mehr kosten einen Punkt, ab 7,5 Sekunden zählt "
               "sie nichts. Weil die Paare schwerer werden, je besser Sie antworten, zählt die Schwierigkeit "
               "mit: Wer schwere Drehungen sicher erkennt, schneidet besser ab als jemand, der nur leichte "
               "löst.");
    score.SubHeading("Was das Ergebnis bedeutet");
    score.Bullets(WhatTheResultMeans({"Ein Paar, das beim Ende der Testzeit noch zu sehen ist, zählt nicht."}));
    score.Note("Gespeichert wird ein Ergebnis nur, wenn der Test bis zum Ende läuft.");
    score.Link("Aufgabe und Tasten", "HELP1");
    score.Link("Zurück zur Übersicht", "\\");
    out.Write(folder, "HELP2", score);
}

void AlleTests(Writer& out)
{
    Page page("HELP1", "Alle Tests", "Das Trainingsprogramm");
    page.Para("Mit dem Programm „Alle Tests“ üben Sie in einem Durchgang jeden Test, der Ergebnisse "
              "speichert.");
    page.SubHeading("So gehen Sie vor");
    page.Bullets({"Wählen Sie „Alle Tests“ in der Programmliste rechts im Menü.",
                  "Drücken Sie „Test starten“. Kestrava markiert die Tests des Programms und schlägt als "
                  "Gesamtzeit die Summe ihrer üblichen Dauer vor.",
                  "Ändern Sie die Zeit nach Wunsch und bestätigen Sie mit OK."});
    page.SubHeading("Ablauf");
    page.Para("Die Zeit wird nach der üblichen Dauer der Tests aufgeteilt, die Reihenfolge ausgelost. "
              "Zwischen zwei Tests zeigt Kestrava fünf Sekunden lang „Einen Moment bitte...“. Am Ende "
              "sehen Sie das Ergebnis jedes Tests auf einem gemeinsamen Ergebnisbildschirm.");
    page.Note("Ein langes Programm können Sie unterwegs mit dem Knopf „Testprogramm speichern“ der "
              "Testleiste sichern und später im Menü mit „Testprogramm laden“ fortsetzen.");
    page.Link("Mehr zur Zeitaufteilung", "./HELP1", out.Anchor("HELP1", "time"));
    page.Link("Zurück zur Übersicht", "\\");
    out.Write("TESTS/Programme/", "HELP1", page);
}

} // namespace
} // namespace kestrava::help

int main(int argc, char** argv)
{
    using namespace kestrava::help;
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make-help-pages PROGRAM_FOLDER [LOOK_FOLDER]\n");
        return 2;
    }
    Writer out;
    out.program = std::string(argv[1]) + "/";
    out.look = argc == 3 ? argv[2] : "";
    for (const double scale : kestrava::artwork::kScales) {
        const kestrava::artwork::DrawingScaleScope at(scale);
        IndexTop(out);
        General(out);
        Keys(out);
        Zek(out);
        Mehrfachreaktion(out);
        Fluglage(out);
        Raumvorstellung(out);
        AlleTests(out);
    }
    return out.ok ? 0 : 1;
}
