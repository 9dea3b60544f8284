#pragma once
// Window layouts are data: each window lists its controls in creation order,
// and one function builds them, scaled to the screen by the DPI rule.
#include "toolkit/Colors.h"

#include <QObject>
#include <QString>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

class QWidget;

namespace tk {

class TForm;

enum class Kind { Label, StaticText, Panel, Memo, BitBtn, Image, ProgressBar, GroupBox, RadioButton, HtmlView, Timer };

struct FontDef {
    int height = 0;           // character height in design pixels; 0: the window font
    bool bold = false;
    TColor color = clWindowText;
};

struct ControlDef {
    const char* name = "";
    Kind kind = Kind::Label;
    const char* parent = nullptr; // nullptr: the window itself
    int left = 0, top = 0, width = 0, height = 0;
    const char* caption = nullptr;
    FontDef font{};
    TColor color = -1000;         // background; -1000: the parent's
    const char* hint = nullptr;
    int tabOrder = -1;            // within the parent; -1: not in the tab order
    const char* picture = nullptr; // resource path of a picture
    bool transparentPicture = false;
    bool visible = true;
    bool autoSize = false;        // label: the width follows the caption
    // Memo: lines, border, read-only, vertical scroll bar.
    std::vector<const char*> lines{};
    bool border = true;
    bool readOnly = false;
    bool verticalScrollBar = false;
    // Progress bar.
    int min = 0, max = 100;
    bool vertical = false;
    bool smooth = false;          // one continuous fill, drawn whatever the style
    int borderWidth = 0;          // of a smooth bar, in pixels
    // Timer.
    unsigned interval = 1000;
    bool enabled = true;
};

inline constexpr TColor ParentColor = -1000;

// The built controls by name.
class Controls {
public:
    template <class T>
    T* Get(const std::string& name) const
    {
        auto it = objects_.find(name);
        T* typed = it == objects_.end() ? nullptr : qobject_cast<T*>(it->second);
        if (!typed)
            throw std::logic_error("layout has no control " + name + " of that kind");
        return typed;
    }
    void Put(const std::string& name, QObject* object) { objects_[name] = object; }
    QObject* Find(const std::string& name) const
    {
        auto it = objects_.find(name);
        return it == objects_.end() ? nullptr : it->second;
    }

private:
    std::map<std::string, QObject*> objects_;
};

// Creates the controls in order (a later one lies above an earlier one),
// sets the tab order, and scales positions, sizes and fonts to the screen.
Controls BuildLayout(TForm* form, const std::vector<ControlDef>& layout);

} // namespace tk
