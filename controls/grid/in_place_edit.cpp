#include "controls/grid/in_place_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include "controls/grid/grid_ctrl.h"
#include "platform/gui/qt_convert.h"

std::uint32_t VirtualKeyOf(int key) {
    switch (key) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_A:
            return VK_A;
        case Qt::Key_F2:
            return VK_F2;
        default:
            return 0;
    }
}

CInPlaceEdit::CInPlaceEdit(QWidget* parent, gui::Rect rect, std::uint32_t style, int id, int row, int col,
                           const CString& initialText, std::uint32_t startChar)
    : QLineEdit(parent),
      row_(row),
      col_(col),
      initialText_(initialText),
      exitOnArrows_(startChar != VK_LBUTTON),
      rect_(rect),
      id_(id) {
    setAlignment((style & ES_RIGHT) ? Qt::AlignRight : (style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft);
    setFrame(true);
    if (parent) setFont(parent->font());
    setGeometry(gui::ToQRect(rect));
    setText(gui::ToQString(initialText));
    show();
    setFocus(Qt::OtherFocusReason);

    const std::uint32_t key = startChar & ~kEditStartKeyFlag;
    const bool isKey = startChar & kEditStartKeyFlag;
    if (startChar == VK_LBUTTON || key == VK_RETURN) {
        setCursorPosition(static_cast<int>(text().size()));
    } else if (key == VK_BACK) {
        setCursorPosition(static_cast<int>(text().size()));
        backspace();
    } else if (key == VK_TAB || (isKey && key >= VK_SPACE && key <= VK_DOWN)) {
        selectAll();
    } else {
        // A typed character replaces the text.
        selectAll();
        insert(QString(QChar(static_cast<char16_t>(key))));
        GrowToText();
    }
}

CInPlaceEdit::~CInPlaceEdit() { ended_ = true; }

bool CInPlaceEdit::event(QEvent* event) {
    // The editor wants every key: Tab and Shift+Tab end it instead of moving the focus.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
    if (ended_) return;
    const std::uint32_t vk = VirtualKeyOf(event->key());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (vk == VK_PRIOR || vk == VK_NEXT || (vk >= VK_LEFT && vk <= VK_DOWN)) {
        if (exitOnArrows_ || ctrl) {
            EndWithKey(vk);
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (vk == VK_TAB || vk == VK_RETURN) {
        EndWithKey(vk);
        return;
    }
    if (vk == VK_ESCAPE) {
        setText(gui::ToQString(initialText_));
        EndWithKey(VK_ESCAPE);
        return;
    }
    // Alt+character is a menu's access key, never text.
    if ((event->modifiers() & Qt::AltModifier) && !event->text().isEmpty()) return;
    QLineEdit::keyPressEvent(event);
    GrowToText();
}

void CInPlaceEdit::GrowToText() {
    const int needed = fontMetrics().horizontalAdvance(text() + QStringLiteral(" "));
    if (needed <= width()) return;
    int right = x() + needed;
    if (QWidget* p = parentWidget()) right = std::min(right, p->width());
    if (right > x() + width()) resize(right - x(), height());
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    EndEdit();
}

void CInPlaceEdit::EndWithKey(std::uint32_t vk) {
    lastKey_ = vk;
    EndEdit();
}

void CInPlaceEdit::EndEdit() {
    if (ending_ || ended_) return;
    ending_ = true;
    GridDispInfo info;
    info.idFrom = static_cast<std::uintptr_t>(id_);
    info.code = GVN_ENDLABELEDIT;
    info.item.mask = GVIF_TEXT | GVIF_PARAM;
    info.item.row = row_;
    info.item.col = col_;
    info.item.text = gui::FromQString(text());
    info.item.data = static_cast<std::intptr_t>(lastKey_);
    // The record goes to the grid the editor lies in.
    CGridCtrl* target = nullptr;
    for (QWidget* w = parentWidget(); w && !target; w = w->parentWidget()) target = qobject_cast<CGridCtrl*>(w);
    ended_ = true;
    QPointer<CInPlaceEdit> self(this);
    gui::LRESULT result = 0;
    if (target) target->OnNotify(id_, info, result);
    if (!self) return;
    ending_ = false;
    hide();
    if (QWidget* owner = target; owner && hasFocus()) owner->setFocus();
    deleteLater();
}

void CInPlaceEdit::Abandon() { ended_ = true; }
