#pragma once
// The kiosk's hold on a result: a full-screen view, on top, in the verdict's
// own words and colours, that only the operator's PIN takes away.
#include <QString>
#include <QWidget>

#include <optional>
#include <string_view>

class QLabel;
class QLineEdit;
class QTimer;

namespace kiosk {

inline constexpr const char* HoldTitle = "Инструктаж [Демо] - Обратитесь к оператору";
inline constexpr int WrongInARow = 3;    // wrong PINs in a row before input closes
inline constexpr int LockSeconds = 30;   // for this long

struct HoldOutcome {
    QString text;
    unsigned rgb; // 0xRRGGBB
};
// The run's outcome by the word the station said (toolkit/Outcome.h); a run
// that was started and ended without a verdict counts as broken off.
std::optional<HoldOutcome> OutcomeFor(std::string_view word);

class HoldView : public QWidget {
    Q_OBJECT
public:
    // pinFile: checked anew at each Enter, so that a PIN the administrator
    // changes or removes meanwhile counts at once.
    HoldView(const HoldOutcome& outcome, const QString& when, std::string pinFile);

signals:
    void Released();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Try();
    void Tick();

    std::string pinFile_;
    QLineEdit* pin_;
    QLabel* message_;
    QTimer* lock_;
    int wrong_ = 0;
    int lockLeft_ = 0;
};

} // namespace kiosk
