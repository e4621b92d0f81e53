#include "platform/gui/text_layout.h"

#include <algorithm>

#include "platform/gui/draw_flags.h"

namespace gui {

namespace {

constexpr std::u16string_view kEllipsis = u"...";

// Removes the '&' prefixes; the index of the character after the first single '&' is the
// access key. A '&' at the very end is dropped.
std::u16string StripPrefixes(std::u16string_view text, int& accessKey) {
    std::u16string out;
    out.reserve(text.size());
    accessKey = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 >= text.size()) break;
        if (text[i + 1] == u'&') {
            out.push_back(u'&');
            ++i;
            continue;
        }
        if (accessKey < 0) accessKey = static_cast<int>(out.size());
    }
    return out;
}

std::u16string ExpandTabs(std::u16string_view text, int& accessKey) {
    std::u16string out;
    std::size_t column = 0;
    int shift = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\t') {
            std::size_t spaces = 8 - column % 8;
            out.append(spaces, u' ');
            column += spaces;
            if (accessKey > static_cast<int>(i)) shift += static_cast<int>(spaces) - 1;
        } else {
            out.push_back(c);
            column = (c == u'\n') ? 0 : column + 1;
        }
    }
    if (accessKey >= 0) accessKey += shift;
    return out;
}

struct Piece {
    std::size_t start;  // offset in the prepared text
    std::u16string text;
};

// Greedy breaking of one paragraph between words; the spaces at a break are not drawn.
void BreakParagraph(std::u16string_view para, std::size_t offset, int width, const TextMeasure& measure,
                    std::vector<Piece>& out) {
    if (para.empty()) {
        out.push_back({offset, {}});
        return;
    }
    auto wordEnd = [&](std::size_t from) {
        std::size_t space = para.find(u' ', from);
        return space == std::u16string_view::npos ? para.size() : space;
    };
    std::size_t pos = 0;
    while (pos < para.size()) {
        // The first word always stays; each next one joins while the line still fits.
        std::size_t stop = wordEnd(pos);
        while (stop < para.size()) {
            std::size_t next = stop;
            while (next < para.size() && para[next] == u' ') ++next;
            if (next >= para.size()) break;
            std::size_t nextEnd = wordEnd(next);
            if (measure.Width(para.substr(pos, nextEnd - pos)) > width) break;
            stop = nextEnd;
        }
        out.push_back({offset + pos, std::u16string(para.substr(pos, stop - pos))});
        pos = stop;
        while (pos < para.size() && para[pos] == u' ') ++pos;
    }
}

std::u16string EndEllipsis(const std::u16string& text, int width, const TextMeasure& measure) {
    const std::size_t keep = LongestFitting(text.size(), [&](std::size_t n) {
        return measure.Width(text.substr(0, n) + std::u16string(kEllipsis)) <= width;
    });
    return text.substr(0, keep) + std::u16string(kEllipsis);
}

std::u16string PathEllipsis(const std::u16string& text, int width, const TextMeasure& measure) {
    std::size_t slash = text.find_last_of(u"\\/");
    if (slash == std::u16string::npos || slash == 0) return EndEllipsis(text, width, measure);
    const std::u16string head = text.substr(0, slash), tail = text.substr(slash);
    const std::size_t keep = LongestFitting(head.size(), [&](std::size_t n) {
        return measure.Width(head.substr(0, n) + std::u16string(kEllipsis) + tail) <= width;
    });
    return head.substr(0, keep) + std::u16string(kEllipsis) + tail;
}

}  // namespace

std::size_t LongestFitting(std::size_t n, const std::function<bool(std::size_t)>& fits) {
    std::size_t lo = 0, hi = n;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

TextLayout LayoutText(std::u16string_view text, const Rect& r, std::uint32_t format, const TextMeasure& measure) {
    TextLayout layout;
    int accessKey = -1;
    std::u16string prepared = (format & DT_NOPREFIX) ? std::u16string(text) : StripPrefixes(text, accessKey);
    if (format & DT_HIDEPREFIX) accessKey = -1;
    if (format & DT_EXPANDTABS) prepared = ExpandTabs(prepared, accessKey);

    const bool single = (format & DT_SINGLELINE) != 0;
    const bool calc = (format & DT_CALCRECT) != 0;
    const int width = r.Width();
    std::vector<Piece> pieces;
    if (!prepared.empty()) {
        if (single) {
            std::replace(prepared.begin(), prepared.end(), u'\r', u' ');
            std::replace(prepared.begin(), prepared.end(), u'\n', u' ');
            pieces.push_back({0, prepared});
        } else {
            std::size_t start = 0;
            while (start <= prepared.size()) {
                std::size_t lf = prepared.find(u'\n', start);
                std::size_t stop = lf == std::u16string::npos ? prepared.size() : lf;
                std::u16string_view para(prepared.data() + start, stop - start);
                if (!para.empty() && para.back() == u'\r') para.remove_suffix(1);
                if (format & DT_WORDBREAK) {
                    BreakParagraph(para, start, width, measure, pieces);
                } else {
                    pieces.push_back({start, std::u16string(para)});
                }
                if (lf == std::u16string::npos) break;
                start = lf + 1;
            }
        }
    }

    const int lineHeight = measure.LineHeight();
    const int total = lineHeight * static_cast<int>(pieces.size());
    int y = r.top;
    if (single && (format & DT_VCENTER)) y = r.top + (r.Height() - lineHeight) / 2;
    if (single && (format & DT_BOTTOM)) y = r.bottom - lineHeight;
    int widest = 0;
    for (Piece& p : pieces) {
        TextLine line;
        line.text = std::move(p.text);
        line.width = measure.Width(line.text);
        if (!calc && line.width > width) {
            std::size_t before = line.text.size();
            if (format & DT_PATH_ELLIPSIS) {
                line.text = PathEllipsis(line.text, width, measure);
            } else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) {
                line.text = EndEllipsis(line.text, width, measure);
            }
            if (line.text.size() != before) line.width = measure.Width(line.text);
        }
        if (accessKey >= static_cast<int>(p.start)) {
            int local = accessKey - static_cast<int>(p.start);
            // An access key cut away by an ellipsis is not underlined.
            if (local < static_cast<int>(line.text.size()) && line.text.compare(local, 1, prepared, accessKey, 1) == 0)
                line.accessKey = local;
        }
        line.x = r.left;
        if (format & DT_CENTER) line.x = r.left + (width - line.width) / 2;
        if (format & DT_RIGHT) line.x = r.right - line.width;
        line.y = y;
        y += lineHeight;
        widest = std::max(widest, line.width);
        layout.lines.push_back(std::move(line));
    }
    if (calc) {
        layout.bounds = Rect(r.left, r.top, r.left + widest, r.top + total);
    } else {
        Rect bounds;
        for (const TextLine& l : layout.lines) bounds = Union(bounds, Rect(l.x, l.y, l.x + l.width, l.y + lineHeight));
        layout.bounds = bounds;
    }
    layout.result = (!calc && single && (format & (DT_VCENTER | DT_BOTTOM)) && !layout.lines.empty())
                        ? layout.lines.front().y + lineHeight - r.top
                        : total;
    return layout;
}

}  // namespace gui
