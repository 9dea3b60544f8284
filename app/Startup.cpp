#include "app/Startup.h"

#include "ui/Indoor.h"
#include "ui/Main.h"
#include "ui/Testview.h"

#include "toolkit/Application.h"

#include "toolkit/core/Exception.h"

int StationMain(int& argc, char** argv, const StartupHooks& hooks)
{
    const auto before = [&hooks](int window) {
        if (hooks.beforeCreate)
            hooks.beforeCreate(window);
    };
    try {
        tk::Initialize(argc, argv);
        tk::Application()->Title = QStringLiteral("Инструктаж [Демо-версия]");
        before(1);
        tk::Application()->CreateForm(Form2);
        before(2);
        tk::Application()->CreateForm(Form1);
        before(3);
        tk::Application()->CreateForm(TestForm);
        if (hooks.beforeRun)
            hooks.beforeRun();
        tk::Application()->Run();
    } catch (const tk::Exception& error) {
        tk::ShowException(error);
    } catch (...) {
        // Anything else is shown as an error with an empty text.
        tk::ShowException(tk::Exception(""));
    }
    tk::Finalize();
    return 0;
}
