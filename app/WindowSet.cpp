#include "app/WindowSet.h"

#include "ui/Indoor.h"
#include "ui/Main.h"
#include "ui/Testview.h"

#include "toolkit/Application.h"

namespace station {

void CreateWindowSet(tk::TApplication& app, const std::function<void(int window)>& beforeCreate)
{
    const auto before = [&beforeCreate](int window) {
        if (beforeCreate)
            beforeCreate(window);
    };
    app.SetTitle(QString::fromUtf8(ApplicationTitle));
    before(1);
    app.CreateForm(Form2);
    before(2);
    app.CreateForm(Form1);
    before(3);
    app.CreateForm(TestForm);
}

} // namespace station
