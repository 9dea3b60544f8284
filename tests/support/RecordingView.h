#pragma once
// An HTML view that only records where it was sent, for window tests where
// the page itself does not matter.
#include "toolkit/HtmlView.h"

#include <QStringList>

class RecordingView final : public tk::TCppWebBrowser {
    Q_OBJECT
public:
    explicit RecordingView(QWidget* parent) : TCppWebBrowser(parent) {}
    void Navigate(const QString& url) override { urls << url; }
    QStringList urls;
};

// Makes every window get a recording view.
void InstallRecordingViews();
RecordingView* Recording(tk::TCppWebBrowser* view);
