#pragma once
// System colours (COLOR_*) and metrics (SM_*) as the controls ask for them, answered from the
// running application's palette, style and primary screen (system_metrics.cpp holds the
// table of where each value comes from). Call on the user-interface thread with a
// QApplication running; without one the values are fixed fallbacks.
#include "platform/gui/color.h"
#include "platform/gui/log_font.h"

namespace gui {

enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_3DFACE = COLOR_BTNFACE,
    COLOR_3DSHADOW = COLOR_BTNSHADOW,
    COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT,
};

enum : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CXICON = 11,
    SM_CYICON = 12,
    SM_CXFULLSCREEN = 16,
    SM_CYFULLSCREEN = 17,
    SM_CYVSCROLL = 20,
    SM_CXHSCROLL = 21,
    SM_CXSIZE = 30,
    SM_CYSIZE = 31,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CXEDGE = 45,
    SM_CYEDGE = 46,
    SM_CXSMICON = 49,
    SM_CYSMICON = 50,
    SM_CXDRAG = 68,
    SM_CYDRAG = 69,
};

// The colour of a COLOR_* index; an unknown index gives 0 (black), as the Windows call does.
COLORREF GetSysColor(int index);
// The metric of an SM_* index in pixels; an unknown index gives 0.
int GetSystemMetrics(int index);

// What the window frame and message boxes are drawn with.
struct NonClientMetrics {
    int borderWidth = 1;   // the sizing border of a window
    int captionWidth = 0;  // one caption button
    int captionHeight = 0;
    LogFont captionFont;
    LogFont messageFont;  // the font of message boxes and of grid cells by default
};
// False only when no application is running (the record is then left as it was).
bool GetNonClientMetrics(NonClientMetrics& out);

// The number of lines one wheel step scrolls.
int GetWheelScrollLines();

}  // namespace gui
