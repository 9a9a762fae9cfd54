#include "history/history_chart.h"

#include <algorithm>
#include <string>

#include "history/history_colours.h"
#include "framework/dpi.h"
#include "framework/handles.h"
#include "framework/resources.h"
#include "resource.h"

namespace history {
namespace {

class Painter {
public:
    Painter(HDC dc, const RECT& client, const ChartPalette& colours, UINT dpi)
        : m_dc(dc), m_client(client), m_colours(colours), m_dpi(dpi),
          m_font(fw::createPointFontForDpi(90, fw::loadString(IDS_HISTORY_FONT).c_str(), dpi)),
          m_select(dc, m_font.get()) {
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        m_lineHeight = metrics.tmHeight + px(4);
        ::SetBkMode(dc, TRANSPARENT);
    }

    // A length given for 96 DPI, at the window's DPI.
    int px(int length96) const { return fw::scaleLength(length96, m_dpi); }
    int lineHeight() const { return m_lineHeight; }

    void fill(int left, int top, int right, int bottom, COLORREF colour) const {
        fw::Brush brush(::CreateSolidBrush(colour));
        const RECT rect{left, top, right, bottom};
        ::FillRect(m_dc, &rect, brush.get());
    }
    // Text at (x, y); DT_ flags place it in the box up to `right`.
    void text(const std::wstring& value, int x, int y, int right, COLORREF colour, UINT flags = DT_LEFT) const {
        RECT box{x, y, right, y + m_lineHeight * 2};
        ::SetTextColor(m_dc, colour);
        ::DrawTextW(m_dc, value.c_str(), static_cast<int>(value.size()), &box, flags | DT_NOPREFIX);
    }
    int textWidth(const std::wstring& value) const {
        SIZE size{};
        ::GetTextExtentPoint32W(m_dc, value.c_str(), static_cast<int>(value.size()), &size);
        return size.cx;
    }
    const RECT& client() const { return m_client; }
    const ChartPalette& colours() const { return m_colours; }

private:
    HDC m_dc;
    RECT m_client;
    ChartPalette m_colours;
    UINT m_dpi;
    fw::Font m_font;
    fw::SelectedObject m_select;
    int m_lineHeight = 16;
};

// String `id` in the language of the windows, with its %u filled in.
std::wstring withNumber(UINT id, uint32_t number) {
    kiv::String text;
    text.format(kiv::String(fw::loadString(id).c_str()).wstr(), number);
    return text.c_wstr();
}

std::wstring hoursText(uint32_t hours) { return withNumber(IDS_HISTORY_HOURS, hours); }

// The legend after the title: a swatch and a word for each kind of mark.
void drawLegend(const Painter& p, int y) {
    const ChartPalette& c = p.colours();
    const struct {
        COLORREF colour;
        std::wstring word;
    } items[] = {{c.work, fw::loadString(IDS_HISTORY_WORK)},
                 {c.rest, fw::loadString(IDS_HISTORY_REST)},
                 {c.cutShort, fw::loadString(IDS_HISTORY_CUT_SHORT)}};
    int x = p.client().right - p.px(12);
    for (int i = 2; i >= 0; --i) {
        x -= p.textWidth(items[i].word);
        p.text(items[i].word, x, y, p.client().right, c.text);
        x -= p.px(14);
        const int top = y + (p.lineHeight() - p.px(10)) / 2 - p.px(2);
        p.fill(x, top, x + p.px(10), top + p.px(10), items[i].colour);
        x -= p.px(12);
    }
}

// The largest bar, rounded up to an even number of hours (two at least), so that the
// half-way line is a whole number of hours too.
uint32_t scaleHours(const Overview& overview) {
    uint32_t most = 0;
    for (const DayBar& bar : overview.bars) most = std::max(most, std::max(bar.worked, bar.rested));
    uint32_t hours = (most + 3599) / 3600;
    hours += hours % 2;
    return std::max<uint32_t>(hours, 2);
}

void drawBars(const Painter& p, const RECT& area, const Overview& overview) {
    const ChartPalette& c = p.colours();
    const uint32_t hours = scaleHours(overview);
    const int axis = p.textWidth(hoursText(hours)) + p.px(6);
    const int left = area.left + axis, right = area.right, top = area.top, bottom = area.bottom;
    const int height = bottom - top;
    for (int part = 0; part <= 2; ++part) {  // grid lines at the top, the middle, the base
        const int y = top + height * part / 2;
        p.fill(left, y, right, y + 1, part == 2 ? c.muted : c.grid);
        if (part < 2) p.text(hoursText(hours * (2 - part) / 2), area.left, y - p.lineHeight() / 2, left, c.muted);
    }
    if (overview.bars.empty()) return;
    const int columns = static_cast<int>(overview.bars.size());
    const int column = (right - left) / columns;
    const uint64_t full = uint64_t(hours) * 3600;
    auto barHeight = [&](uint32_t seconds) {
        if (seconds == 0) return 0;
        return std::max(p.px(2), static_cast<int>(seconds * uint64_t(height) / full));
    };
    for (int i = 0; i < columns; ++i) {
        const DayBar& bar = overview.bars[i];
        const int x = left + i * column;
        if (bar.isToday) p.fill(x + 1, top, x + column - 1, bottom, c.todayBand);
        const int barWidth = std::max(p.px(3), column * 3 / 10);
        const int workLeft = x + (column - 2 * barWidth) / 2, restLeft = workLeft + barWidth;
        const int worked = barHeight(bar.worked), rested = barHeight(bar.rested);
        if (worked == 0 && rested == 0) {
            // A day without any record: a short grey dash on the base line says so.
            p.fill(workLeft, bottom - p.px(2), restLeft + barWidth, bottom, c.grid);
        }
        p.fill(workLeft, bottom - worked, restLeft, bottom, c.work);
        p.fill(restLeft, bottom - rested, restLeft + barWidth, bottom, c.rest);
        const int mark = p.px(5);
        for (unsigned m = 0; m < bar.cutShort; ++m) {
            const int markBottom = bottom - rested - p.px(2) - static_cast<int>(m) * (mark + p.px(2));
            if (markBottom - mark < top) break;
            const int markLeft = restLeft + (barWidth - mark) / 2;
            p.fill(markLeft, markBottom - mark, markLeft + mark, markBottom, c.cutShort);
        }
        p.text(bar.label.c_wstr(), x, bottom + p.px(3), x + column, bar.isToday ? c.text : c.muted, DT_CENTER);
    }
}

void drawEmptyChart(const Painter& p, const RECT& area) {
    const ChartPalette& c = p.colours();
    p.fill(area.left, area.bottom, area.right, area.bottom + 1, c.muted);
    const int middle = (area.top + area.bottom) / 2 - p.lineHeight();
    p.text(fw::loadString(IDS_HISTORY_NONE), area.left, middle, area.right, c.text, DT_CENTER);
    p.text(fw::loadString(IDS_HISTORY_EMPTY_HINT), area.left, middle + p.lineHeight(), area.right, c.muted,
           DT_CENTER);
}

// Today's rests and holds, as many lines as fit above `bottom`, then a count of the ones left out.
void drawTodayList(const Painter& p, int left, int top, int right, int bottom, const Overview& overview) {
    const ChartPalette& c = p.colours();
    p.text(fw::loadString(IDS_HISTORY_TODAY), left, top, right, c.text);
    int y = top + p.lineHeight();
    const int indent = left + p.px(12);
    const std::vector<TodayLine> lines = todaysLines(overview);
    if (lines.empty()) {
        p.text(fw::loadString(IDS_HISTORY_NONE_TODAY), indent, y, right, c.muted);
        return;
    }
    const size_t count = lines.size();
    for (size_t i = 0; i < count; ++i) {
        const bool lastRoom = y + 2 * p.lineHeight() > bottom;
        if (lastRoom && i + 1 < count) {
            p.text(withNumber(IDS_HISTORY_MORE, static_cast<uint32_t>(count - i)), indent, y, right, c.muted);
            return;
        }
        p.text(lines[i].text.c_wstr(), indent, y, right, lines[i].cutShort ? c.cutShort : c.text);
        y += p.lineHeight();
    }
}

}  // namespace

void drawHistory(HDC dc, const RECT& client, const Overview& overview, UINT dpi) {
    Painter p(dc, client, currentChartPalette(), dpi);
    const ChartPalette& c = p.colours();
    p.fill(client.left, client.top, client.right, client.bottom, c.background);
    const int margin = p.px(12), line = p.lineHeight();
    const int left = client.left + margin, right = client.right - margin;
    int y = client.top + margin;
    p.text(fw::loadString(IDS_HISTORY_LAST_DAYS), left, y, right, c.text);
    drawLegend(p, y);
    y += line + p.px(8);

    const RECT chart{left, y, right, y + p.px(150)};
    if (overview.isEmpty())
        drawEmptyChart(p, chart);
    else
        drawBars(p, chart, overview);
    y = chart.bottom + line + p.px(10);

    const int weekTop = client.bottom - margin - 2 * line;
    p.fill(left, weekTop - p.px(6), right, weekTop - p.px(5), c.grid);
    drawTodayList(p, left, y, right, weekTop - p.px(8), overview);
    p.text(weekLine(overview.week).c_wstr(), left, weekTop, right, c.text);
}

}  // namespace history
