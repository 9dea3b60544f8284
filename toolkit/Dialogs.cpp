#include "toolkit/Dialogs.h"

#include "toolkit/Application.h"
#include "toolkit/Environment.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace tk {

namespace {

// Keeps the box at least as wide as its whole caption (see CaptionWidth).
void MakeRoomForTheCaption(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(CaptionWidth(box.windowTitle()), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

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
            // Flags 0 and 4 ask for no icon.
            box.setIcon(QMessageBox::NoIcon);
            break;
        }
        MakeRoomForTheCaption(box);
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

int CaptionWidth(const QString& caption)
{
    // The window manager writes the caption in a font of its own, often bold
    // and larger than the box's text, beside its icon and up to three
    // buttons, and shortens what does not fit. Room is made for the caption
    // in a bold font of the text height, and for four squares of twice that.
    const int textHeight = ScreenScale().TextHeight();
    QFont font = QApplication::font();
    font.setPixelSize(textHeight);
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(caption) + 4 * 2 * textHeight;
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

} // namespace tk
