#include "RecordingView.h"

void InstallRecordingViews()
{
    tk::SetHtmlViewFactory([](QWidget* parent) { return new RecordingView(parent); });
}

RecordingView* Recording(tk::TCppWebBrowser* view)
{
    return qobject_cast<RecordingView*>(view);
}
