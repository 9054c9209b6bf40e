#include "lyrics/lyric_table.h"

#include "layout/program_windows.h"
#include "text/utf8_text.h"

namespace {

auto Table() { return M<MainCtl::超级列表框_歌词>(); }

// The rows read the timeline the table shows, which its owner keeps for as long as the
// table shows it.
const LyricTimeline& TimelineOf(const void* context) { return *static_cast<const LyricTimeline*>(context); }

bool InTimeline(const LyricTimeline& timeline, int row) { return row >= 0 && row < timeline.count; }

std::string CellOfTimeline(const void* context, int row, int column, size_t maxUnits) {
  const LyricTimeline& timeline = TimelineOf(context);
  if (!InTimeline(timeline, row)) return {};
  const size_t i = static_cast<size_t>(row);
  if (column == static_cast<int>(LyricColumn::Time)) return utf8::IntToText(timeline.timesMs[i]);
  return utf8::CutToUtf16Units(timeline.Text(i), maxUnits);
}

intptr_t LineOfTimelineRow(const void* context, int row) { return InTimeline(TimelineOf(context), row) ? row + 1 : 0; }

}  // namespace

namespace lyric_table {

int32_t LineAt(int row) { return static_cast<int32_t>(Table().RowData(row)); }

void Select(int row) { Table().SetSelectedRow(row); }
void ShowSelected() {
  const auto table = Table();
  table.EnsureVisible(table.SelectedRow());
}

void Clear() {
  const auto table = Table();
  table.DeleteAllRows();
  table.ShowRows(RowSource{}, 0);
}

void ShowTimeline(const LyricTimeline& timeline) {
  Table().ShowRows(RowSource{&timeline, CellOfTimeline, LineOfTimelineRow}, timeline.count);
}

}  // namespace lyric_table
