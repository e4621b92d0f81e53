#pragma once
// CInPlaceEdit: the one-line editor a cell opens over itself. How it starts depends on what
// started it (EditStartKey below): a click or Return puts the caret after the text, Backspace
// drops the last character, Tab and the navigation keys select the whole text, and a typed
// character replaces the text. Tab, Return and Escape end it (Escape first restores the text
// it started with); Page Up/Down and the arrows end it too when it was not opened by a click,
// or with Ctrl held. Losing the focus ends it. Typing past its right edge widens it up to the
// right edge of the grid's client area; Alt+character is swallowed.
//
// Ending (once, guarded per editor) sends GVN_ENDLABELEDIT to the grid it lies in with a
// GridDispInfo: mask GVIF_TEXT | GVIF_PARAM, the cell, the text and
// the key that ended it in the data member; then the editor hides and deletes itself from the
// event loop. User-interface thread only.
#include <QLineEdit>
#include <cstdint>

#include "platform/core/cstring.h"
#include "platform/gui/geometry.h"

// Keys as the grid passes them: the Windows virtual-key numbers.
inline constexpr std::uint32_t VK_LBUTTON = 0x01;
inline constexpr std::uint32_t VK_BACK = 0x08;
inline constexpr std::uint32_t VK_TAB = 0x09;
inline constexpr std::uint32_t VK_RETURN = 0x0D;
inline constexpr std::uint32_t VK_ESCAPE = 0x1B;
inline constexpr std::uint32_t VK_SPACE = 0x20;
inline constexpr std::uint32_t VK_PRIOR = 0x21;
inline constexpr std::uint32_t VK_NEXT = 0x22;
inline constexpr std::uint32_t VK_END = 0x23;
inline constexpr std::uint32_t VK_HOME = 0x24;
inline constexpr std::uint32_t VK_LEFT = 0x25;
inline constexpr std::uint32_t VK_UP = 0x26;
inline constexpr std::uint32_t VK_RIGHT = 0x27;
inline constexpr std::uint32_t VK_DOWN = 0x28;
inline constexpr std::uint32_t VK_DELETE = 0x2E;
inline constexpr std::uint32_t VK_A = 0x41;
inline constexpr std::uint32_t VK_F2 = 0x71;
// The Windows key number of a Qt key for the keys above; 0 for the others.
std::uint32_t VirtualKeyOf(int qtKey);

// What starts an editor: a typed character (its code) or a key. Keys 32 to 40 are also the
// characters space to '(', so a key that starts editing is marked: EditStartKey(VK_DOWN).
inline constexpr std::uint32_t kEditStartKeyFlag = 0x80000000u;
constexpr std::uint32_t EditStartKey(std::uint32_t vk) { return vk | kEditStartKeyFlag; }

// Editor alignment styles, from the cell's format.
inline constexpr std::uint32_t ES_LEFT = 0x0;
inline constexpr std::uint32_t ES_CENTER = 0x1;
inline constexpr std::uint32_t ES_RIGHT = 0x2;

class CInPlaceEdit : public QLineEdit {
    Q_OBJECT

public:
    // Opens over `rect` (parent client coordinates, right and bottom outside) in `parent`,
    // takes the parent's font and the focus. Owned by itself.
    CInPlaceEdit(QWidget* parent, gui::Rect rect, std::uint32_t style, int id, int row, int col,
                 const CString& initialText, std::uint32_t startChar);
    ~CInPlaceEdit() override;

    // Sends the end record and closes; does nothing when called again.
    void EndEdit();
    // Closes without a record (the grid is going away).
    void Abandon();
    int GetRow() const { return row_; }
    int GetCol() const { return col_; }
    std::uint32_t GetLastKey() const { return lastKey_; }
    bool IsEnded() const { return ended_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void EndWithKey(std::uint32_t vk);
    void GrowToText();

    int row_;
    int col_;
    CString initialText_;
    std::uint32_t lastKey_ = 0;
    bool exitOnArrows_;
    gui::Rect rect_;
    int id_;
    bool ending_ = false;  // inside EndEdit
    bool ended_ = false;
};
