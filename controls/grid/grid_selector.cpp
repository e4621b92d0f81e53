#include "controls/grid/grid_selector.h"

#include <algorithm>
#include <bit>
#include <new>

namespace {

std::size_t WordsFor(std::uint64_t cells) { return static_cast<std::size_t>((cells + 31) / 32); }

// The 32 bits that start at bit `index`, zeros past the end.
std::uint32_t Extract(const std::vector<std::uint32_t>& v, std::uint64_t index) {
    const std::size_t w = static_cast<std::size_t>(index / 32);
    const unsigned off = static_cast<unsigned>(index % 32);
    const std::uint64_t lo = w < v.size() ? v[w] : 0;
    const std::uint64_t hi = w + 1 < v.size() ? v[w + 1] : 0;
    return static_cast<std::uint32_t>(((hi << 32) | lo) >> off);
}

bool GetBit(const std::vector<std::uint32_t>& v, std::uint64_t index) { return (v[index / 32] >> (index % 32)) & 1u; }

// Builds the bits of a matrix with `gap` bits inserted (insert) or removed (erase) at bit `at`,
// word by word; the few words that straddle the gap go bit by bit.
std::vector<std::uint32_t> Shifted(const std::vector<std::uint32_t>& src, std::uint64_t newTotal, std::uint64_t at,
                                   std::uint64_t gap, bool insert) {
    std::vector<std::uint32_t> out(WordsFor(newTotal), 0);
    for (std::size_t j = 0; j < out.size(); ++j) {
        const std::uint64_t lo = std::uint64_t{j} * 32, hi = lo + 32;
        if (hi <= at) {
            out[j] = Extract(src, lo);
        } else if (insert ? lo >= at + gap : lo >= at) {
            out[j] = insert ? Extract(src, lo - gap) : Extract(src, lo + gap);
        } else {
            std::uint32_t word = 0;
            for (std::uint64_t o = lo; o < hi && o < newTotal; ++o) {
                bool bit;
                if (o < at)
                    bit = GetBit(src, o);
                else if (insert)
                    bit = o >= at + gap && GetBit(src, o - gap);
                else
                    bit = o + gap < std::uint64_t{src.size()} * 32 && GetBit(src, o + gap);
                if (bit) word |= 1u << (o - lo);
            }
            out[j] = word;
        }
    }
    if (newTotal % 32 != 0 && !out.empty()) out.back() &= (1u << (newTotal % 32)) - 1;
    return out;
}

}  // namespace

void CGridSelector::SetGrid(GridSelectorHost* grid) {
    grid_ = grid;
    if (grid_) Resize(grid_->GetRowCount(), grid_->GetColumnCount());
}

bool CGridSelector::Allocate(int rows, int cols) {
    bits_.clear();
    bits_.shrink_to_fit();
    rows_ = cols_ = 0;
    selectedCount_ = 0;
    try {
        bits_.assign(WordsFor(std::uint64_t(rows) * std::uint64_t(cols)), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    rows_ = rows;
    cols_ = cols;
    return true;
}

void CGridSelector::Resize(int rows, int cols) {
    if (!resizeEnabled_ || rows < 0 || cols < 0) return;
    if (rows == rows_ && cols == cols_) return;
    Allocate(rows, cols);
}

bool CGridSelector::IsSelected(int row, int col) const { return InMatrix(row, col) && Bit(Index(row, col)); }

void CGridSelector::Select(int row, int col) {
    if (!InMatrix(row, col)) return;
    const std::uint64_t i = Index(row, col);
    if (!Bit(i)) {
        bits_[i / 32] |= 1u << (i % 32);
        ++selectedCount_;
    }
}

void CGridSelector::Deselect(int row, int col) {
    if (!InMatrix(row, col)) return;
    const std::uint64_t i = Index(row, col);
    if (Bit(i)) {
        bits_[i / 32] &= ~(1u << (i % 32));
        --selectedCount_;
    }
}

void CGridSelector::Recount() {
    std::int64_t n = 0;
    for (std::uint32_t w : bits_) n += std::popcount(w);
    selectedCount_ = static_cast<int>(n);
}

bool CGridSelector::ClampBlock(int& minRow, int& minCol, int& maxRow, int& maxCol) const {
    const int fixedRows = grid_ ? grid_->GetFixedRowCount() : 0;
    const int fixedCols = grid_ ? grid_->GetFixedColumnCount() : 0;
    auto raise = [](int& v, int fixed) {
        if (v >= 0 && v < fixed) v = fixed;
    };
    raise(minRow, fixedRows);
    raise(maxRow, fixedRows);
    raise(minCol, fixedCols);
    raise(maxCol, fixedCols);
    return minRow >= 0 && minCol >= 0 && maxRow < rows_ && maxCol < cols_ && minRow <= maxRow && minCol <= maxCol;
}

void CGridSelector::RedrawIfVisible(int row, int col, gui::Canvas* canvas, bool haveRange, int vMinRow, int vMinCol,
                                    int vMaxRow, int vMaxCol) {
    if (!haveRange || row < vMinRow || row > vMaxRow || col < vMinCol || col > vMaxCol) return;
    if (grid_->GetRowHeight(row) > 0 && grid_->GetColumnWidth(col) > 0) grid_->RedrawSelectedCell(row, col, canvas);
}

void CGridSelector::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, gui::Canvas* canvas,
                                     bool bSelectCells) {
    if (!grid_) return;
    int vMinRow = -1, vMinCol = -1, vMaxRow = -1, vMaxCol = -1;
    const bool haveRange = grid_->GetVisibleRange(&vMinRow, &vMinCol, &vMaxRow, &vMaxCol);
    const bool virtualMode = grid_->GetVirtualMode();
    const bool valid = ClampBlock(minRow, minCol, maxRow, maxCol);
    auto inBlock = [&](int r, int c) { return r >= minRow && r <= maxRow && c >= minCol && c <= maxCol; };

    if (!addMode_ && bSelectCells) {
        // Every selected cell outside the new block loses its selection; only set bits are
        // visited, so a small selection in a huge grid costs little.
        for (std::size_t w = 0; w < bits_.size(); ++w) {
            std::uint32_t word = bits_[w];
            while (word != 0) {
                const int b = std::countr_zero(word);
                word &= word - 1;
                const std::uint64_t index = std::uint64_t{w} * 32 + static_cast<unsigned>(b);
                const int r = static_cast<int>(index / static_cast<std::uint64_t>(cols_));
                const int c = static_cast<int>(index % static_cast<std::uint64_t>(cols_));
                if (!InMatrix(r, c) || (valid && inBlock(r, c))) continue;
                if (!virtualMode) grid_->SetCellSelectedBit(r, c, false);
                RedrawIfVisible(r, c, canvas, haveRange, vMinRow, vMinCol, vMaxRow, vMaxCol);
                bits_[w] &= ~(1u << b);
            }
        }
        Recount();
    }
    if (!valid) return;

    for (int r = minRow; r <= maxRow; ++r) {
        const bool rowVisible = haveRange && r >= vMinRow && r <= vMaxRow;
        if (virtualMode && !rowVisible) {
            // Nothing to repaint: the row's bits change a word at a time.
            const std::uint64_t start = Index(r, minCol), end = Index(r, maxCol) + 1;
            for (std::uint64_t i = start; i < end;) {
                const std::size_t w = static_cast<std::size_t>(i / 32);
                const unsigned off = static_cast<unsigned>(i % 32);
                const unsigned n = static_cast<unsigned>(std::min<std::uint64_t>(32 - off, end - i));
                const std::uint32_t mask = (n == 32 ? ~0u : ((1u << n) - 1)) << off;
                const int before = std::popcount(bits_[w] & mask);
                if (bSelectCells) {
                    bits_[w] |= mask;
                    selectedCount_ += static_cast<int>(n) - before;
                } else {
                    bits_[w] &= ~mask;
                    selectedCount_ -= before;
                }
                i += n;
            }
            continue;
        }
        for (int c = minCol; c <= maxCol; ++c) {
            const bool was = IsSelected(r, c);
            bool changed;
            if (virtualMode) {
                changed = was != bSelectCells;
            } else {
                const int cellBit = grid_->SetCellSelectedBit(r, c, bSelectCells);
                changed = cellBit < 0 || (cellBit != 0) != bSelectCells;
            }
            if (bSelectCells)
                Select(r, c);
            else
                Deselect(r, c);
            if (changed) RedrawIfVisible(r, c, canvas, haveRange, vMinRow, vMinCol, vMaxRow, vMaxCol);
        }
    }
}

void CGridSelector::ToggleRange(int minRow, int minCol, int maxRow, int maxCol) {
    if (!grid_) return;
    if (!ClampBlock(minRow, minCol, maxRow, maxCol)) return;
    const bool virtualMode = grid_->GetVirtualMode();
    for (int r = minRow; r <= maxRow; ++r) {
        if (virtualMode) {
            const std::uint64_t start = Index(r, minCol), end = Index(r, maxCol) + 1;
            for (std::uint64_t i = start; i < end;) {
                const std::size_t w = static_cast<std::size_t>(i / 32);
                const unsigned off = static_cast<unsigned>(i % 32);
                const unsigned n = static_cast<unsigned>(std::min<std::uint64_t>(32 - off, end - i));
                const std::uint32_t mask = (n == 32 ? ~0u : ((1u << n) - 1)) << off;
                const int before = std::popcount(bits_[w] & mask);
                bits_[w] ^= mask;
                selectedCount_ += static_cast<int>(n) - 2 * before;
                i += n;
            }
            continue;
        }
        for (int c = minCol; c <= maxCol; ++c) {
            const bool now = !IsSelected(r, c);
            if (now)
                Select(r, c);
            else
                Deselect(r, c);
            grid_->SetCellSelectedBit(r, c, now);
        }
    }
}

bool CGridSelector::InsertRow(int row) {
    if (row < 0 || row > rows_) return false;
    const std::uint64_t cols = static_cast<std::uint64_t>(cols_);
    const std::uint64_t total = (static_cast<std::uint64_t>(rows_) + 1) * cols;
    try {
        bits_ = Shifted(bits_, total, static_cast<std::uint64_t>(row) * cols, cols, true);
    } catch (const std::bad_alloc&) {
        Allocate(0, 0);
        return false;
    }
    ++rows_;
    return true;
}

bool CGridSelector::DeleteRow(int row) {
    if (row < 0 || row >= rows_) return false;
    const std::uint64_t cols = static_cast<std::uint64_t>(cols_);
    int removed = 0;
    for (int c = 0; c < cols_; ++c) removed += IsSelected(row, c) ? 1 : 0;
    const std::uint64_t total = (static_cast<std::uint64_t>(rows_) - 1) * cols;
    try {
        bits_ = Shifted(bits_, total, static_cast<std::uint64_t>(row) * cols, cols, false);
    } catch (const std::bad_alloc&) {
        Allocate(0, 0);
        return false;
    }
    --rows_;
    selectedCount_ -= removed;
    return true;
}
