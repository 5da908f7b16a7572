// The colour picker on Qt's own colour dialog, the same on every desktop.
#include <QApplication>
#include <QColorDialog>

#include <string>

#include "toolkit/ColorPicker.h"
#include "toolkit/ToolkitInternal.h"

namespace {

// The prompt's Mac Roman bytes as Qt's text.
QString PromptOf(const unsigned char* prompt) {
    return mvtk::TextOfMacRoman(reinterpret_cast<const char*>(prompt + 1), prompt[0]);
}

}  // namespace

extern "C" OSErr NPickColor(NColorPickerInfo* info) {
    if (!info) return paramErr;
    info->newColorChosen = false;
    if (!mvtk::EnsureApplication()) return kMVNoDisplayErr;
    const CMRGBColor& from = info->theColor.color.rgb;
    // The chooser works in 8 bits a channel: each starts from its high byte,
    // so that a colour taken unchanged comes back with the same high bytes.
    QColorDialog dialog(QColor(from.red >> 8, from.green >> 8, from.blue >> 8), QApplication::activeWindow());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(PromptOf(info->prompt));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (mvtk::ExecModal(dialog) != QDialog::Accepted) return noErr;
    const QRgba64 chosen = dialog.selectedColor().rgba64();
    info->theColor.color.rgb = CMRGBColor{chosen.red(), chosen.green(), chosen.blue()};
    info->newColorChosen = true;
    return noErr;
}
