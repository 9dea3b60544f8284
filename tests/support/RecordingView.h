#pragma once
// An HTML view that only records where it was sent (and what it was given), for window tests where
// the page itself does not matter.
#include "toolkit/HtmlView.h"

#include <QStringList>

class RecordingView final : public tk::TCppWebBrowser {
    Q_OBJECT
public:
    explicit RecordingView(QWidget* parent) : TCppWebBrowser(parent) {}
    void Navigate(const QString& url) override { ShowHeld(url, {}); }
    void ShowHeld(const QString& url, const QByteArray& bytes) override { urls << url, held << bytes; }
    QStringList urls;
    QList<QByteArray> held; // beside urls: the page given from memory, or none
};

// Makes every window get a recording view.
void InstallRecordingViews();
RecordingView* Recording(tk::TCppWebBrowser* view);
