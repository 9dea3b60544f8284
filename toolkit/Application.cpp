#include "toolkit/Application.h"

#include "toolkit/Dialogs.h"
#include "toolkit/Environment.h"
#include "toolkit/HtmlView.h"

#include "toolkit/core/Exception.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

namespace tk {

namespace {
TApplication* current = nullptr;
std::unique_ptr<QApplication> ownedQtApplication;
std::unique_ptr<TApplication> ownedApplication;
std::string exeNameOverride;
std::string stationFolder;

// Qt reads options of its own from the command line (-style, -reverse,
// -qwindowtitle, ...); the station reads none, so Qt gets the program's name
// alone. QApplication keeps referring to these for its whole life.
std::string programName;
int qtArgc = 1;
char* qtArgv[] = {nullptr, nullptr};
} // namespace

std::string ExeName()
{
    if (!exeNameOverride.empty())
        return exeNameOverride;
    std::error_code error;
    const std::filesystem::path real = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return real.string();
    return QCoreApplication::applicationFilePath().toStdString();
}

void SetExeNameOverride(const std::string& path)
{
    exeNameOverride = path;
}

void SetStationFolder(const std::string& folder)
{
    stationFolder = folder;
    SetViewFolder(folder);
}

const std::string& StationFolder()
{
    return stationFolder;
}

TApplication* Application()
{
    return current;
}

QString ApplicationTitle()
{
    return current ? current->Title() : QString();
}

void TApplication::SetTitle(const QString& title)
{
    title_ = title;
    // The window class that task bars group by comes from the application
    // name. The display name is left unset: Qt would append it to every
    // window caption.
    QCoreApplication::setApplicationName(title);
}

TApplication::TApplication()
{
    QElapsedTimer clock;
    clock.start();
    now_ = [clock] { return clock.elapsed(); };
    lastOwnOperation_ = -EchoWindowMs;
    if (!current)
        current = this;
    if (qApp) {
        qApp->installEventFilter(this);
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &TApplication::FocusWindowChanged);
    }
}

TApplication::~TApplication()
{
    DestroyForms();
    if (current == this)
        current = nullptr;
}

void TApplication::Register(TForm* form, std::function<void()> clearReference)
{
    forms_.push_back({form, std::move(clearReference)});
}

TForm* TApplication::MainForm() const
{
    for (const auto& entry : forms_)
        if (entry.form)
            return entry.form;
    return nullptr;
}

std::vector<TForm*> TApplication::ZOrder() const
{
    std::vector<TForm*> result;
    for (const auto& form : zorder_)
        if (form)
            result.push_back(form);
    return result;
}

void TApplication::Run()
{
    if (TForm* main = MainForm())
        main->Show();
    // The browser engine starts once the main window is on screen, not before.
    ReleaseHtmlViewsWhenShown(MainForm());
    if (!terminated_)
        QApplication::exec();
}

void TApplication::Terminate()
{
    terminated_ = true;
    // Leaves the main loop and any nested one; a box asked for afterwards is refused.
    QCoreApplication::exit(0);
}

void TApplication::DestroyForms()
{
    // Later windows may refer to earlier ones while they go; free in reverse order.
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
        if (it->form)
            delete it->form.data();
        if (it->clearReference)
            it->clearReference();
    }
    forms_.clear();
    zorder_.clear();
    active_ = nullptr;
}

void TApplication::RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Exception& error) {
        ShowErrorText(QString::fromStdString(error.Message()));
    } catch (const std::exception& error) {
        ShowErrorText(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorText(QString());
    }
}

void TApplication::MarkOwnOperation()
{
    lastOwnOperation_ = now_();
}

void TApplication::BringToFront(TForm* form)
{
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), form), zorder_.end());
    zorder_.insert(zorder_.begin(), form);
    form->raise();
    form->activateWindow();
}

void TApplication::Activate(TForm* form)
{
    MarkOwnOperation();
    if (active_ == form) {
        BringToFront(form);
        return;
    }
    active_ = form;
    BringToFront(form);
    if (!terminated_)
        RunHandler([form] { form->FormActivate(); });
}

void TApplication::FormShown(TForm* form)
{
    Activate(form);
}

void TApplication::FormHidden(TForm* form)
{
    MarkOwnOperation();
    if (active_ != form)
        return;
    active_ = nullptr;
    for (TForm* next : ZOrder()) {
        if (next != form && next->isVisible() && next->isEnabled()) {
            Activate(next);
            return;
        }
    }
}

void TApplication::FormFreed(TForm* form)
{
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), form), zorder_.end());
    if (active_ == form)
        active_ = nullptr;
    for (auto& entry : forms_) {
        if (entry.form == form) {
            if (entry.clearReference)
                entry.clearReference();
            entry.clearReference = nullptr;
        }
    }
}

void TApplication::BoxOpened()
{
    ++boxDepth_;
    MarkOwnOperation();
}

void TApplication::BoxClosed()
{
    --boxDepth_;
    MarkOwnOperation();
    // The window that was active before the box is active again, without a
    // new activation: only the window system is told.
    if (boxDepth_ == 0 && active_ && active_->isVisible() && !terminated_) {
        active_->raise();
        active_->activateWindow();
    }
}

TForm* TApplication::FormOf(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    auto* form = qobject_cast<TForm*>(widget->window());
    if (!form)
        return nullptr;
    for (const auto& entry : forms_)
        if (entry.form == form)
            return form;
    return nullptr;
}

void TApplication::FocusWindowChanged(QWindow* window)
{
    if (!window)
        return;
    for (const auto& entry : forms_) {
        if (entry.form && entry.form->windowHandle() == window) {
            WindowSystemFocused(entry.form);
            return;
        }
    }
}

bool TApplication::MayActivateFromOutside(TForm* form) const
{
    return !terminated_ && form && form != active_ && boxDepth_ == 0 && form->isVisible();
}

void TApplication::WindowSystemFocused(TForm* form)
{
    if (!MayActivateFromOutside(form))
        return;
    if (now_() - lastOwnOperation_ < EchoWindowMs) {
        // A late echo of our own Show, Hide or box: the window system is put
        // back in line with the active form, and no handler runs.
        if (active_ && active_->isVisible()) {
            active_->raise();
            active_->activateWindow();
        }
        return;
    }
    Activate(form);
}

void TApplication::UserClicked(TForm* form)
{
    if (!MayActivateFromOutside(form))
        return;
    Activate(form);
}

bool TApplication::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (TForm* form = FormOf(watched))
            UserClicked(form);
    }
    return QObject::eventFilter(watched, event);
}

void Initialize(int& argc, char** argv)
{
    PrepareProcessEnvironment();
    KeepTemporaryFilesOff();
    HoldHtmlViews(); // the views of the windows made now wait for Run
    // Reading the font configuration takes a few milliseconds that the first
    // window waits for; it runs while the application object connects to the display.
    std::thread fontConfiguration([] { FcInit(); });
    if (!qApp) {
        programName = argc > 0 && argv[0] ? argv[0] : "briefing-station";
        qtArgv[0] = programName.data();
        qtArgc = 1;
        ownedQtApplication = std::make_unique<QApplication>(qtArgc, qtArgv);
    }
    fontConfiguration.join();
    ApplyApplicationDefaults();
    if (!current)
        ownedApplication = std::make_unique<TApplication>();
}

void Finalize()
{
    ownedApplication.reset();
    if (current)
        current->DestroyForms();
    ReleaseHtmlViews(); // no hold outlives the windows it was for
    ownedQtApplication.reset();
}

void ShowException(const std::exception& error)
{
    const auto* own = dynamic_cast<const Exception*>(&error);
    const QString text = own ? QString::fromStdString(own->Message()) : QString::fromUtf8(error.what());
    if (qApp) {
        ShowErrorText(text);
        return;
    }
    std::fprintf(stderr, "%s\n", ErrorBoxText(text).toLocal8Bit().constData());
}

BoxScope::BoxScope()
{
    if (current)
        current->BoxOpened();
}

BoxScope::~BoxScope()
{
    if (current)
        current->BoxClosed();
}

} // namespace tk
