#include "Hold.h"

#include "Pin.h"

#include "toolkit/Environment.h"
#include "toolkit/Outcome.h"

#include "base/Verdict.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace kiosk {

namespace {

// The result panel's colours are 0x00BBGGRR values: green and maroon.
constexpr unsigned Rgb(std::uint32_t bgr)
{
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}
constexpr unsigned BrokenOffRgb = 0x404040;

QLabel* Line(QWidget* parent, const QString& text, int designHeight, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setFont(tk::StationFont(tk::ScreenScale()(designHeight), bold));
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

} // namespace

std::optional<HoldOutcome> OutcomeFor(std::string_view word)
{
    using tk::Outcome;
    if (word == tk::OutcomeWord(Outcome::Passed))
        return HoldOutcome{QString::fromUtf8(station::PassedText), Rgb(station::PassedColor)};
    if (word == tk::OutcomeWord(Outcome::Failed))
        return HoldOutcome{QString::fromUtf8(station::FailedText), Rgb(station::FailedColor)};
    if (word == tk::OutcomeWord(Outcome::BrokenOff) || word == tk::OutcomeWord(Outcome::Started))
        return HoldOutcome{QStringLiteral("Тестирование прервано"), BrokenOffRgb};
    return std::nullopt;
}

HoldView::HoldView(const HoldOutcome& outcome, const QString& when, std::string pinFile)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      pinFile_(std::move(pinFile)),
      lock_(new QTimer(this))
{
    setWindowTitle(QString::fromUtf8(HoldTitle));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor::fromRgb(outcome.rgb));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);

    // The verdict's lines as large as on the result panel, then the time and the PIN field.
    auto* column = new QVBoxLayout(this);
    column->addStretch(2);
    column->addWidget(Line(this, outcome.text, 32, true));
    column->addWidget(Line(this, QStringLiteral("Обратитесь к оператору!"), 32, true));
    column->addSpacing(tk::ScreenScale()(16));
    column->addWidget(Line(this, QStringLiteral("Время: ") + when, 17, false));
    column->addSpacing(tk::ScreenScale()(48));

    auto* row = new QHBoxLayout;
    row->addStretch();
    QLabel* prompt = Line(this, QStringLiteral("PIN оператора:"), 17, false);
    prompt->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    row->addWidget(prompt);
    pin_ = new QLineEdit(this);
    pin_->setFont(tk::StationFont(tk::ScreenScale()(17)));
    pin_->setEchoMode(QLineEdit::Password);
    pin_->setMaxLength(static_cast<int>(MaxPinLength));
    pin_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), pin_));
    pin_->setFixedWidth(tk::ScreenScale()(160));
    pin_->setPalette(QPalette());
    row->addWidget(pin_);
    row->addStretch();
    column->addLayout(row);
    message_ = Line(this, QString(), 17, false);
    column->addWidget(message_);
    column->addStretch(3);

    connect(pin_, &QLineEdit::returnPressed, this, &HoldView::Try);
    lock_->setInterval(1000);
    connect(lock_, &QTimer::timeout, this, &HoldView::Tick);
    setFocusProxy(pin_);
}

void HoldView::Try()
{
    const std::string typed = pin_->text().toStdString();
    pin_->clear();
    if (lockLeft_ > 0 || typed.empty())
        return;
    const StoredPin stored = ReadPin(pinFile_);
    // No PIN any more: the administrator has turned the hold off.
    if (stored.state != PinState::Set || PinMatches(typed, stored.hash)) {
        emit Released();
        return;
    }
    if (++wrong_ < WrongInARow) {
        message_->setText(QStringLiteral("Неверный PIN."));
        return;
    }
    wrong_ = 0;
    lockLeft_ = LockSeconds;
    pin_->setEnabled(false);
    Tick();
    lock_->start();
}

void HoldView::Tick()
{
    if (lockLeft_ <= 0) {
        lock_->stop();
        message_->clear();
        pin_->setEnabled(true);
        pin_->setFocus();
        return;
    }
    static_assert(WrongInARow == 3, "the line below says three");
    message_->setText(QStringLiteral("Три неверных PIN подряд: ввод закрыт на %1 с, осталось %2 с.")
                          .arg(LockSeconds)
                          .arg(lockLeft_));
    --lockLeft_;
}

void HoldView::closeEvent(QCloseEvent* event)
{
    // Alt+F4 or any other close request: the view stays.
    event->ignore();
}

void HoldView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Put away by whatever means: back on the whole screen at once.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowFullScreen))
        QTimer::singleShot(0, this, [this] { showFullScreen(); });
}

} // namespace kiosk
