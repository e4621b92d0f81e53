#pragma once
// Helpers of the grid tests: text measured with the recording canvas's fixed metrics (every
// character 7 pixels wide, lines 16 high), and an owner window that records what the grid
// tells it, answers display requests and may destroy the grid in its handler.
#include <functional>
#include <memory>
#include <vector>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/grid_measure.h"
#include "platform/gui/testing/recording_canvas.h"
#include "platform/gui/window.h"

// While it lives, cells measure on a recording canvas; with `none`, on nothing at all.
class FixedMeasure {
public:
    explicit FixedMeasure(bool none = false) {
        SetScreenMeasureCanvasFactory([none]() -> std::unique_ptr<gui::Canvas> {
            if (none) return nullptr;
            return std::make_unique<gui::RecordingCanvas>();
        });
    }
    ~FixedMeasure() { SetScreenMeasureCanvasFactory({}); }
    FixedMeasure(const FixedMeasure&) = delete;
    FixedMeasure& operator=(const FixedMeasure&) = delete;
};

struct Heard {
    int id;
    int code;
    int row;
    int col;
    CString text;
    std::intptr_t data;
    std::uint32_t mask;
};

class RecordingOwner : public gui::Window {
public:
    std::vector<Heard> heard;
    std::vector<int> commands;
    // Fills a display request (GVN_GETDISPINFO); empty: leaves the record as it came.
    std::function<void(GridDispInfo&)> fill;
    // Called for every notification after it was recorded.
    std::function<void(int code)> onCode;

    int Count(int code) const {
        int n = 0;
        for (const Heard& h : heard) n += h.code == code ? 1 : 0;
        return n;
    }

protected:
    bool OnNotify(int id, gui::NMHDR& header, gui::LRESULT& result) override {
        result = 0;
        Heard h{id, header.code, -1, -1, CString(), 0, 0};
        if (header.code == GVN_GETDISPINFO || header.code == GVN_ENDLABELEDIT) {
            auto& info = static_cast<GridDispInfo&>(header);
            h.row = info.item.row, h.col = info.item.col, h.text = info.item.text, h.data = info.item.data;
            h.mask = info.item.mask;
            if (header.code == GVN_GETDISPINFO && fill) fill(info);
        } else if (header.code == GVN_ODCACHEHINT) {
            auto& hint = static_cast<GridCacheHint&>(header);
            h.row = hint.range.minRow, h.col = hint.range.minCol;
        } else {
            auto& notify = static_cast<GridNotify&>(header);
            h.row = notify.row, h.col = notify.col;
        }
        heard.push_back(h);
        if (onCode) onCode(header.code);
        return true;
    }
    bool OnCommand(int id, int, gui::HWND) override {
        commands.push_back(id);
        return true;
    }
};
