#include "toolkit/Controls.h"

#include "toolkit/Application.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace tk {

namespace {
// The mapped family runs wider than the one the layouts were drawn with: a
// caption that would overflow its fixed width is condensed to fit.
void CondenseToWidth(QLabel* label)
{
    QFont font = label->font();
    font.setStretch(QFont::AnyStretch);
    const int natural = QFontMetrics(font).horizontalAdvance(label->text());
    if (natural > label->width() && label->width() > 0)
        font.setStretch(std::max(50, 100 * label->width() / natural));
    if (font != label->font())
        label->setFont(font);
}

void SetBackground(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

TLabel::TLabel(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void TLabel::SetCaption(const QString& text)
{
    setText(text);
    FitText();
}

void TLabel::FitText()
{
    if (AutoSize)
        resize(std::max(1, QFontMetrics(font()).horizontalAdvance(text())), height());
    else
        CondenseToWidth(this);
}

TStaticText::TStaticText(QWidget* parent) : QLabel(parent)
{
    setAutoFillBackground(false);
}

void TStaticText::SetCaption(const QString& text)
{
    setText(text);
    FitText();
}

void TStaticText::FitText()
{
    CondenseToWidth(this);
}

void TStaticText::SetColor(TColor color)
{
    SetBackground(this, color);
}

TPanel::TPanel(QWidget* parent) : QWidget(parent) {}

void TPanel::SetCaption(const QString& text)
{
    caption_ = text;
    update();
}

void TPanel::SetColor(TColor color)
{
    color_ = color;
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(color_));
    if (!caption_.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, caption_);
    }
}

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void TMemo::Add(const QString& line)
{
    lines_.append(line);
    appendPlainText(line);
}

void TMemo::Clear()
{
    lines_.clear();
    QPlainTextEdit::clear();
}

void TMemo::SetBorder(bool border)
{
    setFrameShape(border ? QFrame::StyledPanel : QFrame::NoFrame);
}

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick)
            TApplication::RunHandler(OnClick);
    });
}

void TBitBtn::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QFontMetrics metrics(font());
    const QString caption = text();
    const int textWidth = metrics.horizontalAdvance(caption);
    const int glyphWidth = glyph_.isNull() ? 0 : glyph_.width();
    const int gap = glyph_.isNull() || caption.isEmpty() ? 0 : Spacing;
    const int total = glyphWidth + gap + textWidth;
    const int shift = isDown() ? 1 : 0;
    int x = (width() - total) / 2 + shift;
    if (!glyph_.isNull()) {
        painter.drawImage(QPoint(x, (height() - glyph_.height()) / 2 + shift), glyph_);
        x += glyphWidth + gap;
    }
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(QRect(x, shift, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, caption);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

QSize FitPicture(QSize picture, QSize area)
{
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0)
        return {};
    if (w <= area.width() && h <= area.height())
        return picture;
    // Proportional fit, truncated, the wider side first.
    const double aspect = static_cast<double>(w) / h;
    int dw = 0;
    int dh = 0;
    if (w > h) {
        dw = area.width();
        dh = static_cast<int>(area.width() / aspect);
        if (dh > area.height()) {
            dh = area.height();
            dw = static_cast<int>(area.height() * aspect);
        }
    } else {
        dh = area.height();
        dw = static_cast<int>(area.height() * aspect);
        if (dw > area.width()) {
            dw = area.width();
            dh = static_cast<int>(area.width() / aspect);
        }
    }
    return {dw, dh};
}

QSize TImage::DrawnSize() const
{
    return FitPicture(picture_.size(), size());
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), DrawnSize()), picture_);
}

TProgressBar::TProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
    QProgressBar::setRange(0, 100);
    setValue(0);
}

void TProgressBar::SetRange(int min, int max)
{
    QProgressBar::setRange(min, max);
    SetPosition(position_);
}

void TProgressBar::SetPosition(int position)
{
    position_ = std::clamp(position, minimum(), std::max(minimum(), maximum()));
    setValue(position_);
}

void TProgressBar::paintEvent(QPaintEvent* event)
{
    if (!Smooth) {
        QProgressBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Mid));
    const QRect inner = rect().marginsRemoved(QMargins(BorderWidth, BorderWidth, BorderWidth, BorderWidth));
    if (inner.isEmpty())
        return;
    painter.fillRect(inner, colours.color(QPalette::Button));
    const qint64 span = std::max(1, maximum() - minimum());
    const bool vertical = orientation() == Qt::Vertical;
    const qint64 length = vertical ? inner.height() : inner.width();
    // Rounded to the nearest pixel: a full bar fills the whole inside.
    const int filled = static_cast<int>(((position_ - minimum()) * length * 2 + span) / (2 * span));
    const QRect fill = vertical ? QRect(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled)
                                : QRect(inner.left(), inner.top(), filled, inner.height());
    painter.fillRect(fill, colours.color(QPalette::Highlight));
}

TTimer::TTimer(QObject* parent) : QObject(parent)
{
    // A coarse timer may drift by several percent over ten minutes.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(static_cast<int>(interval_));
    connect(&timer_, &QTimer::timeout, this, &TTimer::Fire);
}

void TTimer::SetEnabled(bool enabled)
{
    if (!enabled)
        timer_.stop();
    else if (!timer_.isActive())
        timer_.start();
}

void TTimer::SetInterval(unsigned milliseconds)
{
    interval_ = milliseconds;
    timer_.setInterval(static_cast<int>(std::min<unsigned>(milliseconds, 0x7FFFFFFF)));
}

void TTimer::Fire()
{
    if (OnTimer)
        TApplication::RunHandler(OnTimer);
}

} // namespace tk
