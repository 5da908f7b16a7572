// Controls: values, texts, visibility and geometry on their Qt widgets.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <algorithm>
#include <cstring>
#include <string>

#include "toolkit/ToolkitInternal.h"

namespace {

using mvtk::ControlKind;

bool IsText(ControlRef c) { return c->kind == ControlKind::StaticText || c->kind == ControlKind::EditText; }

}  // namespace

extern "C" {

OSStatus GetControlByID(WindowRef inWindow, const ControlID* inID, ControlRef* outControl) {
    if (outControl) *outControl = nullptr;
    if (!inWindow || !inID || !outControl) return paramErr;
    const auto at = inWindow->byID.find({inID->signature, inID->id});
    if (at == inWindow->byID.end()) return errUnknownControl;
    *outControl = at->second;
    return noErr;
}

SInt32 GetControl32BitValue(ControlRef c) {
    if (!c || !c->widget) return 0;
    switch (c->kind) {
    // While the user drags, the position is the value the action sees.
    case ControlKind::Slider: return static_cast<QSlider*>(c->widget.data())->sliderPosition();
    case ControlKind::CheckBox: {
        const Qt::CheckState state = static_cast<QCheckBox*>(c->widget.data())->checkState();
        return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
    }
    case ControlKind::PopUp: return static_cast<QComboBox*>(c->widget.data())->currentIndex() + 1;
    default: return c->value;
    }
}

SInt32 GetControl32BitMinimum(ControlRef c) {
    if (!c || !c->widget) return 0;
    switch (c->kind) {
    case ControlKind::Slider: return static_cast<QSlider*>(c->widget.data())->minimum();
    case ControlKind::PopUp: return 1;
    case ControlKind::CheckBox: return 0;
    default: return c->minimum;
    }
}

SInt32 GetControl32BitMaximum(ControlRef c) {
    if (!c || !c->widget) return 0;
    switch (c->kind) {
    case ControlKind::Slider: return static_cast<QSlider*>(c->widget.data())->maximum();
    case ControlKind::PopUp: return static_cast<QComboBox*>(c->widget.data())->count();
    case ControlKind::CheckBox: return 2;
    default: return c->maximum;
    }
}

void SetControl32BitValue(ControlRef c, SInt32 value) {
    if (!c || !c->widget) return;
    value = std::clamp(value, GetControl32BitMinimum(c), std::max(GetControl32BitMinimum(c), GetControl32BitMaximum(c)));
    switch (c->kind) {
    case ControlKind::Slider: {
        auto* slider = static_cast<QSlider*>(c->widget.data());
        c->settingValue = true;
        slider->setValue(value);
        slider->setSliderPosition(value);
        c->settingValue = false;
        return;
    }
    case ControlKind::CheckBox: {
        auto* box = static_cast<QCheckBox*>(c->widget.data());
        if (value == 2) box->setTristate(true);
        box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
        return;
    }
    case ControlKind::PopUp: static_cast<QComboBox*>(c->widget.data())->setCurrentIndex(value - 1); return;
    default:
        if (c->value == value) return;
        c->value = value;
        if (c->kind == ControlKind::Custom) mvtk::DrawCustomControl(c);
        else c->widget->update();
    }
}

void SetControl32BitMinimum(ControlRef c, SInt32 minimum) {
    if (!c || !c->widget) return;
    if (c->kind == ControlKind::Slider) return static_cast<QSlider*>(c->widget.data())->setMinimum(minimum);
    c->minimum = minimum;
    c->maximum = std::max(c->maximum, minimum);
    if (c->value < minimum) SetControl32BitValue(c, minimum);
}

void SetControl32BitMaximum(ControlRef c, SInt32 maximum) {
    if (!c || !c->widget) return;
    if (c->kind == ControlKind::Slider) return static_cast<QSlider*>(c->widget.data())->setMaximum(maximum);
    c->maximum = maximum;
    c->minimum = std::min(c->minimum, maximum);
    if (c->value > maximum) SetControl32BitValue(c, maximum);
}

void HideControl(ControlRef c) {
    if (c && c->widget) c->widget->hide();
}

void ShowControl(ControlRef c) {
    if (!c || !c->widget || !c->widget->isHidden()) return;
    c->widget->show();
    if (c->kind == ControlKind::Custom) mvtk::DrawCustomControl(c);
}

Boolean IsControlVisible(ControlRef c) { return c && c->widget && !c->widget->isHidden(); }

OSErr SetControlData(ControlRef c, ControlPartCode part, ResType tagName, Size size, const void* data) {
    if (!c || !c->widget || size < 0 || (size > 0 && !data)) return paramErr;
    if (part != kControlEntireControl || tagName != kControlStaticTextTextTag || !IsText(c)) return errDataNotSupported;
    const QString text = mvtk::TextOfMacRoman(static_cast<const char*>(data), static_cast<std::size_t>(size));
    if (auto* label = qobject_cast<QLabel*>(c->widget.data())) label->setText(text);
    else static_cast<QLineEdit*>(c->widget.data())->setText(text);
    return noErr;
}

OSErr GetControlData(ControlRef c, ControlPartCode part, ResType tagName, Size bufferSize, void* buffer,
                     Size* outActualSize) {
    if (!c || !c->widget || bufferSize < 0) return paramErr;
    if (part != kControlEntireControl || tagName != kControlStaticTextTextTag || !IsText(c)) return errDataNotSupported;
    const QString text = qobject_cast<QLabel*>(c->widget.data()) ? static_cast<QLabel*>(c->widget.data())->text()
                                                                  : static_cast<QLineEdit*>(c->widget.data())->text();
    const std::string roman = mvtk::MacRomanOf(text);
    if (outActualSize) *outActualSize = static_cast<Size>(roman.size());
    if (buffer) std::memcpy(buffer, roman.data(), std::min<std::size_t>(roman.size(), static_cast<std::size_t>(bufferSize)));
    return noErr;
}

void Draw1Control(ControlRef c) {
    if (!c || !c->widget) return;
    if (c->kind == ControlKind::Custom) mvtk::DrawCustomControl(c);
    if (c->widget->isVisible()) c->widget->repaint();
}

Rect* GetControlBounds(ControlRef c, Rect* bounds) {
    if (!bounds) return nullptr;
    *bounds = Rect{0, 0, 0, 0};
    if (!c || !c->widget || !c->owner || !c->owner->widget) return bounds;
    const QPoint at = c->widget->mapTo(c->owner->widget.data(), QPoint(0, 0));
    const QSize size = c->widget->size();
    *bounds = Rect{static_cast<SInt16>(at.y()), static_cast<SInt16>(at.x()), static_cast<SInt16>(at.y() + size.height()),
                   static_cast<SInt16>(at.x() + size.width())};
    return bounds;
}

WindowRef GetControlOwner(ControlRef c) { return c ? c->owner : nullptr; }

UInt16 GetControlHilite(ControlRef c) {
    if (!c || !c->widget) return kControlNoPart;
    if (!c->widget->isEnabled()) return kControlDisabledPart;
    // Under another modal window (the about window over the dialog) a control is inactive.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != c->widget->window()) return kControlInactivePart;
    return c->hilite;
}

ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine) { return userRoutine; }

void DisposeControlActionUPP(ControlActionUPP) {}

void SetControlAction(ControlRef c, ControlActionUPP actionProc) {
    if (c) c->action = actionProc;
}

OSStatus GetControlCommandID(ControlRef c, UInt32* outCommandID) {
    if (!c || !outCommandID) return paramErr;
    *outCommandID = c->command;
    return noErr;
}

}  // extern "C"
