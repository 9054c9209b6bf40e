#include "lyrics/lyric_table.h"

#include "layout/program_windows.h"
#include "lyrics/lyric_state.h"
#include "text/utf8_text.h"

namespace {

auto Table() { return M<MainCtl::超级列表框_歌词>(); }

bool InTimeline(int row) { return row >= 0 && row < currentTimeline.count; }

std::string CellOfTimeline(int row, int column) {
  if (!InTimeline(row)) return {};
  const size_t i = static_cast<size_t>(row);
  return column == static_cast<int>(LyricColumn::Time) ? utf8::IntToText(currentTimeline.timesMs[i])
                                                        : currentTimeline.Text(i);
}

intptr_t LineOfTimelineRow(int row) { return InTimeline(row) ? row + 1 : 0; }

const RowSource kTimelineRows{CellOfTimeline, LineOfTimelineRow};

}  // namespace

namespace lyric_table {

std::string Time(int row) { return Table().Cell(row, static_cast<int>(LyricColumn::Time)); }
std::string Text(int row) { return Table().Cell(row, static_cast<int>(LyricColumn::Text)); }
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
}

void ShowTimeline() { Table().ShowRows(kTimelineRows, currentTimeline.count); }

}  // namespace lyric_table
