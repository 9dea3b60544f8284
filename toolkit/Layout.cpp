#include "toolkit/Layout.h"

#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/Environment.h"
#include "toolkit/Form.h"
#include "toolkit/HtmlView.h"
#include "toolkit/Pictures.h"


#include <algorithm>
#include <functional>

namespace tk {

namespace {

void SetTextColor(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    const QColor c = ToQColor(color);
    palette.setColor(QPalette::WindowText, c);
    palette.setColor(QPalette::Text, c);
    palette.setColor(QPalette::ButtonText, c);
    widget->setPalette(palette);
}

QWidget* Create(const ControlDef& def, QWidget* parent, TForm* form)
{
    const QString caption = def.caption ? QString::fromUtf8(def.caption) : QString();
    switch (def.kind) {
    case Kind::Label: {
        auto* label = new TLabel(parent);
        label->AutoSize = def.autoSize;
        label->setText(caption);
        return label;
    }
    case Kind::StaticText: {
        auto* text = new TStaticText(parent);
        text->setText(caption);
        if (def.color != ParentColor)
            text->SetColor(def.color);
        return text;
    }
    case Kind::Panel: {
        auto* panel = new TPanel(parent);
        panel->SetCaption(caption);
        panel->SetColor(def.color == ParentColor ? clScrollBar : def.color);
        return panel;
    }
    case Kind::Memo: {
        auto* memo = new TMemo(parent);
        memo->SetBorder(def.border);
        memo->setReadOnly(def.readOnly);
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo->setVerticalScrollBarPolicy(def.verticalScrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (const char* line : def.lines)
            memo->Add(QString::fromUtf8(line));
        memo->moveCursor(QTextCursor::Start);
        return memo;
    }
    case Kind::BitBtn: {
        auto* button = new TBitBtn(parent);
        button->setText(caption);
        button->Spacing = form->Scaled(20);
        return button;
    }
    case Kind::Image: {
        return new TImage(parent);
    }
    case Kind::ProgressBar: {
        auto* bar = new TProgressBar(parent);
        bar->SetRange(def.min, def.max);
        bar->setOrientation(def.vertical ? Qt::Vertical : Qt::Horizontal);
        bar->Smooth = def.smooth;
        bar->BorderWidth = def.borderWidth;
        return bar;
    }
    case Kind::GroupBox: {
        auto* box = new TGroupBox(parent);
        box->setTitle(caption);
        return box;
    }
    case Kind::RadioButton: {
        auto* radio = new TRadioButton(parent);
        radio->setText(caption);
        return radio;
    }
    case Kind::HtmlView:
        return CreateHtmlView(parent);
    case Kind::Timer:
        return nullptr;
    }
    return nullptr;
}

void LoadPictureInto(QWidget* widget, const ControlDef& def)
{
    // A picture that cannot be decoded is reported, and the window goes on without it.
    TApplication::RunHandler([&] {
        const QImage picture = LoadPicture(QString::fromUtf8(def.picture), def.transparentPicture);
        if (auto* image = qobject_cast<TImage*>(widget))
            image->SetPicture(picture);
        else if (auto* button = qobject_cast<TBitBtn*>(widget))
            button->SetGlyph(picture);
    });
}

} // namespace

Controls BuildLayout(TForm* form, const std::vector<ControlDef>& layout)
{
    Controls controls;
    struct Tab {
        QWidget* parent;
        int order;
        QWidget* widget;
    };
    std::vector<Tab> tabs;

    for (const ControlDef& def : layout) {
        if (def.kind == Kind::Timer) {
            auto* timer = new TTimer(form);
            timer->setObjectName(QString::fromUtf8(def.name));
            timer->SetInterval(def.interval);
            timer->SetEnabled(def.enabled);
            controls.Put(def.name, timer);
            continue;
        }
        QWidget* parent = form;
        if (def.parent) {
            parent = qobject_cast<QWidget*>(controls.Find(def.parent));
            if (!parent)
                throw std::logic_error(std::string("layout parent missing: ") + def.parent);
        }
        QWidget* widget = Create(def, parent, form);
        widget->setObjectName(QString::fromUtf8(def.name));
        widget->setGeometry(form->Scaled(def.left), form->Scaled(def.top), form->Scaled(def.width),
                            form->Scaled(def.height));
        const int fontHeight = def.font.height > 0 ? form->Scaled(def.font.height) : ScreenScale().WindowFontHeight();
        widget->setFont(StationFont(fontHeight, def.font.bold));
        if (def.font.color != clWindowText)
            SetTextColor(widget, def.font.color);
        if (def.hint)
            widget->setToolTip(QString::fromUtf8(def.hint));
        if (def.picture)
            LoadPictureInto(widget, def);
        if (auto* label = qobject_cast<TLabel*>(widget))
            label->FitText();
        else if (auto* text = qobject_cast<TStaticText*>(widget))
            text->FitText();
        widget->setVisible(def.visible);
        widget->raise(); // a later control lies above an earlier one
        if (def.tabOrder >= 0)
            tabs.push_back({parent, def.tabOrder, widget});
        else if (widget->focusPolicy() != Qt::NoFocus && def.kind != Kind::HtmlView)
            widget->setFocusPolicy(Qt::NoFocus);
        controls.Put(def.name, widget);
    }

    // The tab chain: each parent's controls by their order, a container's
    // own controls right after it.
    std::vector<QWidget*> chain;
    std::function<void(QWidget*)> walk = [&](QWidget* parent) {
        std::vector<Tab> level;
        std::copy_if(tabs.begin(), tabs.end(), std::back_inserter(level),
                     [parent](const Tab& t) { return t.parent == parent; });
        std::stable_sort(level.begin(), level.end(), [](const Tab& a, const Tab& b) { return a.order < b.order; });
        for (const Tab& t : level) {
            if (t.widget->focusPolicy() != Qt::NoFocus)
                chain.push_back(t.widget);
            walk(t.widget);
        }
    };
    walk(form);
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    if (!chain.empty())
        form->SetActiveControl(chain.front());
    return controls;
}

} // namespace tk
