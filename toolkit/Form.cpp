#include "toolkit/Form.h"

#include "toolkit/Application.h"
#include "toolkit/Colors.h"
#include "toolkit/Environment.h"
#include "toolkit/Pictures.h"
#include "toolkit/WindowFrame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

namespace tk {

namespace {
// The window manager frames all our windows alike: what it said about one
// places the next one right at once.
std::optional<QMargins> knownFrame;
} // namespace

TForm::TForm(const QString& caption, QSize designClient)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(caption);
    const DpiScale scale = ScreenScale();
    setFont(StationFont(scale.WindowFontHeight()));
    setFixedSize(scale(designClient.width()), scale(designClient.height()));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(clWhite));
    setPalette(palette);
    setAutoFillBackground(true);
}

TForm::~TForm()
{
    if (TApplication* app = Application())
        app->FormFreed(this);
}

int TForm::Scaled(int designPixels) const
{
    return ScreenScale()(designPixels);
}

void TForm::SetIcon(const char* picture)
{
    TApplication::RunHandler([&] {
        setWindowIcon(QIcon(QPixmap::fromImage(LoadPicture(QString::fromUtf8(picture)))));
    });
}

void TForm::PlaceCentred()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (!knownFrame)
        knownFrame = AskFrameMargins(this);
    frameGuessed_ = !knownFrame;
    // The client area is placed: the window manager puts the frame around it.
    setGeometry(CentredClientRect(screen->geometry(), size(), knownFrame.value_or(QMargins())));
}

void TForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!frameGuessed_ || !windowHandle())
        return;
    // Placed without knowing the frame: once the window manager has put it
    // on, the window is centred again with it.
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull())
        return;
    knownFrame = frame;
    frameGuessed_ = false;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(CentredClientRect(screen->geometry(), size(), frame));
}

void TForm::Show()
{
    if (!centred_) {
        // Centred on the desktop when first shown.
        PlaceCentred();
        centred_ = true;
    }
    if (!isVisible()) {
        setVisible(true);
        // The keys start in the first control of the tab order, also when its
        // widgets inside (the browser engine's) were made after the chain was set.
        if (activeControl_)
            activeControl_->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (TApplication* app = Application())
        app->FormShown(this);
}

void TForm::Hide()
{
    const bool wasVisible = isVisible();
    setVisible(false);
    if (wasVisible || Application()->ActiveForm() == this)
        Application()->FormHidden(this);
}

void TForm::Close()
{
    TCloseAction action = caHide;
    // An error in the handler goes to whoever asked for the close; the close does not happen.
    FormClose(action);
    if (action == caNone)
        return;
    TApplication* app = Application();
    if (app->MainForm() == this) {
        // Closing the main window ends the application, whatever the action.
        app->Terminate();
        return;
    }
    Hide();
    if (action == caFree) {
        app->FormFreed(this);
        deleteLater();
    }
}

void TForm::closeEvent(QCloseEvent* event)
{
    // The window system never closes one of our windows by itself: its close
    // button takes the same path as Close, and an open box must be answered first.
    event->ignore();
    if (Application()->BoxOpen() || !isVisible())
        return;
    TApplication::RunHandler([this] { Close(); });
}

void TForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F4 && (event->modifiers() & Qt::AltModifier)) {
        TApplication::RunHandler([this] { Close(); });
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tk
