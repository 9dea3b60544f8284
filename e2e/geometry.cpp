// Tells the end-to-end roads where the station puts its windows' controls on
// a screen of a given density, so that they look controls up by name instead
// of working out the density rule and the rectangles again. It builds the
// station's own three windows (offscreen, never shown) at that density and
// reads where their controls are.
//
//   e2e-geometry PPI
//
// One line per fact, in pixels of that screen:
//   scaled S0 S1 ... SN            design sizes 0..N on this screen (N: the windows' largest side)
//   <Window> 0 0 W H               a window's client area
//   <Window>.<Control> X Y W H     a control within its window's client area, its parents' places added
//   <Window>.<Control>.picture X Y W H   where a picture control draws its picture
// The windows by their instances: Form2 (entry), Form1 (study), TestForm (test).
#include "app/WindowSet.h"
#include "ui/Indoor.h"
#include "ui/Main.h"
#include "ui/Testview.h"

#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Environment.h"
#include "toolkit/HtmlView.h"
#include "toolkit/Layout.h"
#include "toolkit/core/Dpi.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The pages do not matter here; no browser engine is started.
class NoView final : public tk::TCppWebBrowser {
public:
    using TCppWebBrowser::TCppWebBrowser;
    void Navigate(const QString&) override {}
    void ShowHeld(const QString&, const QByteArray&) override {}
};

// A box would mean the windows were not built as the station builds them.
class NoBoxes final : public tk::DialogService {
public:
    int Show(const tk::BoxRequest& request) override
    {
        std::fprintf(stderr, "e2e-geometry: the windows showed a box: %s\n", request.text.toUtf8().constData());
        failed = true;
        return 0;
    }
    bool failed = false;
};

struct Window {
    const char* name;
    tk::TForm* form;
    const std::vector<tk::ControlDef>& layout;
};

void Print(const std::string& name, const QRect& r)
{
    std::printf("%s %d %d %d %d\n", name.c_str(), r.x(), r.y(), r.width(), r.height());
}

} // namespace

int main(int argc, char** argv)
{
    const int ppi = argc == 2 ? std::atoi(argv[1]) : 0;
    if (ppi <= 0) {
        std::fprintf(stderr, "usage: %s PIXELS_PER_INCH\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tk::PrepareProcessEnvironment();
    QApplication qt(argc, argv);
    tk::SetPixelsPerInchOverride(ppi);
    tk::ApplyApplicationDefaults();
    tk::SetHtmlViewFactory([](QWidget* parent) { return new NoView(parent); });
    NoBoxes boxes;
    tk::SetDialogService(&boxes);
    int status = 0;
    {
        tk::TApplication app;
        station::CreateWindowSet(app);
        const Window windows[] = {{"Form2", Form2, TForm2::Layout()},
                                  {"Form1", Form1, TForm1::Layout()},
                                  {"TestForm", TestForm, TTestForm::Layout()}};

        const tk::DpiScale scale(ppi);
        int largest = 0;
        for (const QSize client : {TForm2::DesignClient, TForm1::DesignClient, TTestForm::DesignClient})
            largest = std::max({largest, client.width(), client.height()});
        std::printf("scaled");
        for (int n = 0; n <= largest; ++n)
            std::printf(" %d", scale(n));
        std::printf("\n");

        for (const Window& window : windows) {
            Print(window.name, QRect(QPoint(0, 0), window.form->size()));
            for (const tk::ControlDef& def : window.layout) {
                const auto* control = window.form->findChild<QWidget*>(QString::fromUtf8(def.name));
                if (!control)
                    continue; // the timer
                const QRect placed(control->mapTo(window.form, QPoint(0, 0)), control->size());
                const std::string name = std::string(window.name) + "." + def.name;
                Print(name, placed);
                if (const auto* image = qobject_cast<const tk::TImage*>(control))
                    Print(name + ".picture", QRect(placed.topLeft(), image->DrawnSize()));
            }
        }
        status = boxes.failed ? 1 : 0;
    }
    tk::SetDialogService(nullptr);
    return status;
}
