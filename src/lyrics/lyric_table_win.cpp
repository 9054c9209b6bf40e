#include "lyrics/lyric_table.h"

#include "layout/program_windows.h"
#include "text/utf8_text.h"

namespace {

auto Table() { return M<MainCtl::超级列表框_歌词>(); }

// The timeline the table shows; its owner keeps it for as long as the table shows it.
const LyricTimeline* shown = nullptr;

bool InTimeline(int row) { return shown && row >= 0 && row < shown->count; }

std::string CellOfTimeline(int row, int column) {
  if (!InTimeline(row)) return {};
  const size_t i = static_cast<size_t>(row);
  return column == static_cast<int>(LyricColumn::Time) ? utf8::IntToText(shown->timesMs[i]) : shown->Text(i);
}

intptr_t LineOfTimelineRow(int row) { return InTimeline(row) ? row + 1 : 0; }

const RowSource kTimelineRows{CellOfTimeline, LineOfTimelineRow};

}  // namespace

namespace lyric_table {

int32_t LineAt(int row) { return static_cast<int32_t>(Table().RowData(row)); }

int SelectedRow() { return Table().SelectedRow(); }
void Select(int row) { Table().SetSelectedRow(row); }
void ShowSelected() {
  const auto table = Table();
  table.EnsureVisible(table.SelectedRow());
}

void Clear() {
  const auto table = Table();
  table.DeleteAllRows();
  table.SetSelectedRow(-1);
  shown = nullptr;
}

void ShowTimeline(const LyricTimeline& timeline) {
  shown = &timeline;
  Table().ShowRows(kTimelineRows, timeline.count);
}

}  // namespace lyric_table
