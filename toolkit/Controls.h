#pragma once
// The controls the layouts use: plain Qt widgets with the few effects the
// windows rely on (a bar that holds its position in range, a timer whose
// restart starts a full interval, a memo kept as lines, a picture button).
#include "toolkit/Colors.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tk {

// One-line text without a background; AutoSize fits the width to the text,
// keeping the left edge.
class TLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent);
    void SetCaption(const QString& text);
    QString Caption() const { return text(); }
    bool AutoSize = false;
    // Fits the caption: an auto-sized label takes its width, any other is
    // condensed when the caption would overflow it.
    void FitText();
};

// One-line text on its own background, of fixed size.
class TStaticText : public QLabel {
    Q_OBJECT
public:
    explicit TStaticText(QWidget* parent);
    void SetCaption(const QString& text);
    QString Caption() const { return text(); }
    void SetColor(TColor color);
    void FitText();
};

// A flat coloured rectangle with a centred caption; holds other controls.
class TPanel : public QWidget {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent);
    void SetCaption(const QString& text);
    QString Caption() const { return caption_; }
    void SetColor(TColor color);
    TColor Color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    TColor color_ = clScrollBar;
};

// Multi-line text held as lines, so that what was added is what is there.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent);
    void Add(const QString& line);
    void Clear();
    const QStringList& Lines() const { return lines_; }
    void SetBorder(bool border);

private:
    QStringList lines_;
};

// A push button with a small picture left of the caption, centred together.
class TBitBtn : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtn(QWidget* parent);
    void SetGlyph(const QImage& picture) { glyph_ = picture; update(); }
    const QImage& Glyph() const { return glyph_; }
    int Spacing = 20;
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage glyph_;
};

// The size a picture is drawn at in an area: scaled down proportionally to
// fit, never up.
QSize FitPicture(QSize picture, QSize area);

// A picture scaled down proportionally to fit, drawn from the top-left corner.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    // The size the picture is drawn at inside the control.
    QSize DrawnSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// Keeps its position inside Min..Max: a value beyond a bound is held there.
// A smooth bar is drawn by the bar itself, whatever the Qt style: a border of
// BorderWidth pixels, then one continuous fill in the highlight colour; any
// other bar is drawn by the style.
class TProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit TProgressBar(QWidget* parent);
    void SetRange(int min, int max);
    void SetPosition(int position);
    int Position() const { return position_; }
    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    bool Smooth = false;
    int BorderWidth = 0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int position_ = 0;
};

// Enabled true on a stopped timer starts a full interval; ticks keep coming
// while a modal box is open; an error escaping OnTimer is shown and the timer goes on.
class TTimer : public QObject {
    Q_OBJECT
public:
    explicit TTimer(QObject* parent);
    void SetEnabled(bool enabled);
    bool Enabled() const { return timer_.isActive(); }
    void SetInterval(unsigned milliseconds);
    unsigned Interval() const { return interval_; }
    std::function<void()> OnTimer;
    // Runs one tick as the event loop would (tests drive the clock this way).
    void Fire();

private:
    QTimer timer_;
    unsigned interval_ = 1000;
};

class TGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TGroupBox(QWidget* parent) : QGroupBox(parent) {}
};

// Radio buttons in one group box exclude each other; none is checked at start.
class TRadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit TRadioButton(QWidget* parent) : QRadioButton(parent) {}
    bool Checked() const { return isChecked(); }
};

} // namespace tk
