#pragma once
// Every modal box of the station goes through one seam: the real program shows
// Qt message boxes, tests install a service that answers from a queue and
// records what was shown.
#include <QString>

namespace tk {

// Flags and return codes of the system message box.
inline constexpr int MB_OK = 0;
inline constexpr int MB_YESNO = 4;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

enum class BoxKind { MessageBox, Message, Error };

struct BoxRequest {
    BoxKind kind;
    QString text;
    QString caption;
    int flags = MB_OK;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Shows the box modally (timers keep running) and returns the button's code.
    virtual int Show(const BoxRequest& request) = 0;
};

// Installs a service; nullptr brings back the real boxes. Not owned.
void SetDialogService(DialogService* service);

// The system message box: flags 0 (OK, returns 1) or 4 (Yes/No, returns 6/7).
int MessageBox(const QString& text, const QString& caption, int flags);
// A plain message with the application title as caption and one OK button.
void ShowMessage(const QString& text);
// The standard error box: application title, error icon, OK.
void ShowErrorText(const QString& message);

// The least width of a box whose title bar shows the whole caption.
int CaptionWidth(const QString& caption);

// The error box's text: a "." is appended when the last character sorts after ".".
QString ErrorBoxText(const QString& message);

} // namespace tk
