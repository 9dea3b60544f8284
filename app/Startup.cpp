#include "app/Startup.h"

#include "app/WindowSet.h"

#include "toolkit/Application.h"

#include "toolkit/core/Exception.h"
#include "toolkit/core/FilePath.h"

int StationMain(int& argc, char** argv, const StartupHooks& hooks)
{
    try {
        tk::Initialize(argc, argv);
        tk::SetStationFolder(tk::ExtractFilePath(tk::ExeName()));
        station::CreateWindowSet(*tk::Application(), hooks.beforeCreate);
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
