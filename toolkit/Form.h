#pragma once
// The toolkit's top-level window. Show, Hide and Close carry the station's own
// activation rule and close protocol; the window system's focus events never
// start a handler by themselves.
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

namespace tk {

enum TCloseAction { caNone = 0, caHide = 1, caFree = 2 };

class TForm : public QWidget {
    Q_OBJECT
public:
    // designClient: the client area at 120 pixels per inch; it is scaled to the screen.
    TForm(const QString& caption, QSize designClient);
    ~TForm() override;

    void Show();
    void Hide();
    void Close();
    bool Visible() const { return isVisible(); }

    int ModalResult = 0;

    // The handlers, run through the toolkit's error boundary.
    virtual void FormCreate() {}
    virtual void FormActivate() {}
    virtual void FormClose(TCloseAction& action) { (void)action; }

    // The window's icon from a picture; one that cannot be decoded is
    // reported and the window goes on without it.
    void SetIcon(const char* picture);

    // The control that has the keys whenever the window is shown: the first
    // of its tab order (the layout sets it).
    void SetActiveControl(QWidget* control) { activeControl_ = control; }

    // A design size (at 120 pixels per inch) on this screen.
    int Scaled(int designPixels) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Centred on the desktop with the frame the window manager puts around it.
    void PlaceCentred();

    QPointer<QWidget> activeControl_;
    bool centred_ = false;
    bool frameGuessed_ = false; // placed before the frame's size was known
};

} // namespace tk
