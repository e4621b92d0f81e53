#pragma once
// CBarTreeCtrl: a CTreeCtrlColorEx with a drop-insertion line for reordering by drag and
// drop: a band 9 pixels high centred on the bottom edge of the drop-line item's row, holding
// a one-pixel line across its middle and a small triangle at each end, painted in the inverse
// of the tree's background colour over the items. The drop-line item is held by persistent
// index: deleting it (or an ancestor) removes the line. User-interface thread only.
#include "controls/tree/tree_ctrl_color_ex.h"

namespace tree {

class CBarTreeCtrl : public CTreeCtrlColorEx {
    Q_OBJECT

public:
    static constexpr int kDropBandHeight = 9;
    static constexpr int kDropLineWidth = 1;

    explicit CBarTreeCtrl(QWidget* parent = nullptr,
                          std::uint32_t style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);

    // False when the item is the drop-line item already; otherwise the old band and the new
    // one are repainted. Null removes the line.
    bool SetDropLineItem(HTREEITEM item);
    HTREEITEM GetDropLineItem() const { return Remembered(dropLine_); }
    // The band of an item in client pixels; empty when the item is not shown.
    gui::Rect DropBandRect(HTREEITEM item) const;
    // The background the band inverts: the view's base colour.
    gui::COLORREF BackgroundColor() const;

protected:
    void PaintOverlay(QPainter& painter) override;

private:
    void RedrawBand(HTREEITEM item);

    QPersistentModelIndex dropLine_;
};

}  // namespace tree
