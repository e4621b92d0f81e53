#include "controls/msgbox/msg_box_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <cmath>

#include "platform/gui/qt_convert.h"

using gui::Rect;
using gui::Size;

Size DocumentTextMeasure::WantedSize(std::u16string_view text, const QFont& font, int width) const {
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(gui::ToQString(text));
    document.setTextWidth(std::max(width, 1));
    // A character wider than the width still takes its place: the text is never narrower
    // than its widest line.
    const int ideal = static_cast<int>(std::ceil(document.idealWidth()));
    return {std::max(width, ideal), static_cast<int>(std::ceil(document.size().height()))};
}

Size NarrowestTextSize(const MsgBoxTextMeasure& measure, std::u16string_view text, const QFont& font,
                       int fullScreenWidth) {
    int low = 0, high = fullScreenWidth;
    int reference = -1;
    Size best;
    bool found = false;
    // The last try may be a failed, taller one; the narrowest width that kept the first
    // height is what the text gets, so a one-line text is never laid out on two lines.
    do {
        int mid = (low + high) / 2;
        Size wanted = measure.WantedSize(text, font, mid);
        if (reference < 0) reference = wanted.cy;
        if (wanted.cy <= reference) {
            best = wanted;
            found = true;
            high = mid - 1;
        } else {
            low = mid + 1;
        }
    } while (low < high);
    return found ? best : Size();
}

MsgBoxPlacement LayoutMsgBox(const MsgBoxLayoutValues& v, const MsgBoxMetrics& m) {
    auto px = [&](int units) { return units * m.pixelsPer1000X / 1000; };
    auto py = [&](int units) { return units * m.pixelsPer1000Y / 1000; };
    const int leftMargin = px(v.leftMargin), rightMargin = px(v.rightMargin);
    const int topMargin = py(v.topMargin), bottomMargin = py(v.bottomMargin);
    const bool hasIcon = m.icon.cx > 0 || m.icon.cy > 0;

    MsgBoxPlacement out;
    // One size for every button: the widest and tallest caption, at least the minimum width,
    // plus the inner margins.
    Size button(px(v.minButtonWidth), 0);
    for (const Size& c : m.captionSizes) {
        button.cx = std::max(button.cx, c.cx);
        button.cy = std::max(button.cy, c.cy);
    }
    button.cx += 2 * px(v.buttonMarginX);
    button.cy += 2 * py(v.buttonMarginY);
    out.button = button;

    const int iconPart = hasIcon ? m.icon.cx + px(v.iconToText) : 0;
    const int textLeft = leftMargin + iconPart;
    int contentWidth = m.text.cx + iconPart;
    const int contentHeight = std::max(m.text.cy, hasIcon ? m.icon.cy : 0);
    if (m.captionRule) {
        int caption = m.titleWidth + 2 * m.borderWidth + (m.hasEscape ? m.captionButtonWidth : 0);
        caption = std::min(caption, gui::MulDiv(m.fullScreenWidth, 625, 1000));
        contentWidth = std::max(contentWidth, caption);
    }
    const int n = static_cast<int>(m.captionSizes.size());
    const int rowWidth = n > 0 ? n * button.cx + (n - 1) * px(v.buttonGap) : 0;
    contentWidth = std::max(contentWidth, rowWidth);

    out.client.cx = leftMargin + contentWidth + rightMargin;
    out.client.cy = topMargin + contentHeight + py(v.textToButtons) + button.cy + bottomMargin;
    if (hasIcon) out.icon = Rect(gui::Point(leftMargin, topMargin), m.icon);
    const int textX =
        v.CentresText() ? (out.client.cx - m.text.cx - rightMargin + textLeft) / 2 : textLeft;
    out.text = Rect(gui::Point(textX, topMargin), Size(m.text.cx + 2, m.text.cy));
    const int buttonTop = out.client.cy - bottomMargin - button.cy;
    int x = (out.client.cx - rowWidth) / 2;
    for (int i = 0; i < n; ++i) {
        out.buttons.push_back(Rect(gui::Point(x, buttonTop), button));
        x += button.cx + px(v.buttonGap);
    }
    return out;
}
