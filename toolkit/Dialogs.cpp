#include "toolkit/Dialogs.h"

#include "toolkit/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace tk {

namespace {

class QtDialogs final : public DialogService {
public:
    int Show(const BoxRequest& request) override
    {
        QMessageBox box;
        box.setWindowTitle(request.caption);
        box.setText(request.text);
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(Qt::ApplicationModal);
        // The station's windows stay on top; a box must come up above them.
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        switch (request.kind) {
        case BoxKind::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case BoxKind::Message:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case BoxKind::MessageBox:
            box.setIcon(request.flags == MB_YESNO ? QMessageBox::Question : QMessageBox::NoIcon);
            break;
        }
        if (request.kind == BoxKind::MessageBox && request.flags == MB_YESNO) {
            QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
            box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
            box.setDefaultButton(yes);
            // Escape and the title-bar button answer No, the answer that changes nothing.
            box.exec();
            return box.clickedButton() == yes ? IDYES : IDNO;
        }
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        return IDOK;
    }
};

DialogService* installed = nullptr;

DialogService& Service()
{
    static QtDialogs real;
    return installed ? *installed : real;
}

int Run(const BoxRequest& request)
{
    // Once the process is ending no box can be shown: a nested loop would
    // outlive the event loop. The caller sees a failed box (0).
    if (Application() && Application()->Terminated())
        return 0;
    BoxScope scope;
    return Service().Show(request);
}

} // namespace

void SetDialogService(DialogService* service)
{
    installed = service;
}

int MessageBox(const QString& text, const QString& caption, int flags)
{
    return Run({BoxKind::MessageBox, text, caption, flags});
}

void ShowMessage(const QString& text)
{
    Run({BoxKind::Message, text, ApplicationTitle(), MB_OK});
}

void ShowErrorText(const QString& message)
{
    Run({BoxKind::Error, ErrorBoxText(message), ApplicationTitle(), MB_OK});
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

} // namespace tk
