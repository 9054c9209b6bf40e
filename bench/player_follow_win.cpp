// Following the music player, measured on the receiving side: the stand-in player
// (tools/player_standin.md) plays a generated lyric's track with a line every 500 ms; it
// is paused, seeked forward and back and moves to the next track, whose lyric the tool
// finds in the folder. For each line written into the stand-in chat client, its lateness
// against the moment the player's position reached it (median, max), and the delay of
// the line written after each seek and track change.
//
// "before": the same script against the song's own clock, started by hand (the lyric
// chosen, "播 放" pressed) with the player started 0.3 s later: each line's lateness
// against the player, and the lines written for a track the player no longer plays.
//
// Usage (under Wine, from the build folder): player_follow_bench.exe [seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "delivery/playback.h"
#include "layout/program_windows.h"
#include "support/child_process.h"
#include "win/file_bytes.h"
#include "win/form.h"
#include "win/program.h"

namespace {

Program& MeasuredProgram() {
  static Program program;
  return program;
}

int64_t WallMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const int64_t t = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return t / 10000 - 11644473600000LL;
}

std::string Folder() { return ui::ProgramFolder(); }

// Appended in place: the player polls the file from where it read last.
void AppendCommand(const std::string& path, const std::string& command) {
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string line = command + "\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

// Song s, a line "s<s> <ms>" every 500 ms from 0.5 s to `seconds`.
std::string GeneratedLyric(int song, int seconds) {
  std::string lrc;
  for (int ms = 500; ms <= seconds * 1000; ms += 500) {
    char line[64];
    std::snprintf(line, sizeof(line), "[%02d:%02d.%02d]s%d %d\r\n", ms / 60000, ms / 1000 % 60, ms % 1000 / 10, song, ms);
    lrc += line;
  }
  return lrc;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\n', pos);
    const std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!line.empty()) lines.push_back(line);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return lines;
}

// A command of the player's script, at ms after the first.
struct Command {
  int64_t at;
  std::string text;
};

// What the player's log says: when each command took effect, the position, the state
// and which song plays (1 or 2).
struct Segment {
  int64_t unixMs, positionMs;
  int state, song;
  std::string command;
};

struct Result {
  std::vector<int64_t> lateness;  // timed lines: against the moment the player reached them
  std::vector<int64_t> firstStretch;  // those of them before the first pause
  std::string jumps;              // the first line after each seek or track change: its delay
  int otherTrack = 0;             // lines written while the player did not play their song
};

Result Run(bool follow, int seconds) {
  const std::string tag = follow ? "follow" : "before";
  const std::string log = Folder() + "\\player_" + tag + ".log";
  const std::string commands = Folder() + "\\player_" + tag + ".commands";
  const std::string playerLog = Folder() + "\\player_" + tag + ".player.log";
  for (const std::string& f : {log, commands, playerLog}) DeleteFileA(f.c_str());
  WriteFileBytes(commands, "");
  ChildProcess standin("\"" + Folder() + "\\chat_standin.exe\" \"" + log + "\" start");
  ChildProcess player("\"" + Folder() + "\\player_standin.exe\" \"" + commands + "\" \"" + playerLog + "\"");
  if (!standin.Started() || !player.Started()) {
    std::fprintf(stderr, "cannot start the stand-ins\n");
    std::exit(1);
  }
  HWND target = nullptr;
  for (int i = 0; i < 500 && !target; ++i, Sleep(10)) target = FindWindowA(nullptr, "Ravo Chat Stand-in");
  for (int i = 0; i < 500 && !FindWindowW(L"Winamp v1.x", nullptr); ++i) Sleep(10);

  const std::string dir = Folder() + "\\follow_lyrics";
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteFileBytes(dir + "\\Bench Song.lrc", GeneratedLyric(1, seconds));
  WriteFileBytes(dir + "\\Bench Artist - Second Song.lrc", GeneratedLyric(2, seconds));
  ui::LoadOptions options;
  options.show = false;
  MeasuredProgram().Use();
  ui::LoadWindow(WindowKind::Main, options);
  Playback& playback = MeasuredProgram().features.playback;
  playback.Target().Set(target);
  M<MainCtl::文件框1>().SetFolder(dir);
  M<MainCtl::选择框2>().SetChecked(follow);
  if (!follow) {  // the singer's own choice, as the song's clock needs one
    M<MainCtl::文件框1>().SetSelectedEntry(1);
    UiEventData chosen;
    chosen.text = dir + "\\Bench Song.lrc";
    playback.OnLyricFileChosen(chosen);
  }

  const int64_t s = seconds * 1000;
  const std::vector<Command> script = {
      {300, "play 1 Bench Song"},  // 0.3 s after the press
      {550 + s / 6, "pause"},  // each a quarter second off the lines' moments
      {550 + s / 6 + 3000, "resume"},
      {550 + s / 3, "seek " + std::to_string(s / 2 + 250)},
      {550 + s / 2, "seek " + std::to_string(s / 3 + 250)},
      {550 + s * 2 / 3, "next Bench Artist - Second Song"},
      {550 + s * 2 / 3 + 7250, "seek 12250"},
      {550 + s * 2 / 3 + 11850, "stop"},
  };
  const int64_t start = WallMs();
  playback.OnPlayButton();
  for (const Command& c : script) {
    while (WallMs() - start < c.at) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      ui::ProcessPendingMessages();
    }
    AppendCommand(commands, c.text);
  }
  const int64_t end = WallMs() + 500;
  while (WallMs() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    ui::ProcessPendingMessages();
  }
  if (playback.Playing()) playback.OnPlayButton();
  Sleep(300);
  ui::DestroyWindowNow(WindowKind::Main);
  MSG quit;
  while (PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
  AppendCommand(commands, "quit");
  PostMessageA(target, WM_CLOSE, 0, 0);
  standin.WaitForExit(5000);
  player.WaitForExit(5000);

  std::vector<Segment> segments;
  int song = 0;
  for (const std::string& line : Lines(ReadFileBytes(playerLog))) {
    Segment seg{};
    char command[128] = {};
    long long u = 0, p = 0;
    if (std::sscanf(line.c_str(), "%lld %lld %d %127[^\n]", &u, &p, &seg.state, command) < 3) continue;
    seg.unixMs = u;
    seg.positionMs = p;
    seg.command = command;
    if (seg.command.rfind("play", 0) == 0) song = 1;
    if (seg.command.rfind("next", 0) == 0) song = 2;
    seg.song = song;
    segments.push_back(seg);
  }
  Result r;
  std::vector<bool> reported(segments.size(), false);
  for (const std::string& line : Lines(ReadFileBytes(log))) {
    long long t = 0;
    char hex[256] = {}, text[128] = {};
    int lineSong = 0, due = 0;
    if (std::sscanf(line.c_str(), "%lld %255s %127[^\n]", &t, hex, text) < 3) continue;
    if (std::sscanf(text, "s%d %d", &lineSong, &due) < 2) continue;  // the nickname
    size_t at = segments.size();
    for (size_t i = 0; i < segments.size(); ++i)
      if (segments[i].unixMs <= t) at = i;
    if (at == segments.size() || segments[at].song != lineSong || segments[at].state != 1) {
      ++r.otherTrack;
      continue;
    }
    const Segment& now = segments[at];
    // The line the player reached by playing: against that moment. The first line after
    // a seek or a track change: the line written, and its delay after the command.
    const bool reached = due > now.positionMs;
    const bool jumped = now.command.rfind("seek", 0) == 0 || now.command.rfind("next", 0) == 0;
    if (jumped && !reported[at]) {
      reported[at] = true;
      char jump[200];
      if (reached) {
        std::snprintf(jump, sizeof(jump), "    %-34s -> %-9s %+6lld ms after the player reached it\n", now.command.c_str(),
                      text, static_cast<long long>(t - (now.unixMs + due - now.positionMs)));
      } else {
        std::snprintf(jump, sizeof(jump), "    %-34s -> %-9s %+6lld ms after the command\n", now.command.c_str(), text,
                      static_cast<long long>(t - now.unixMs));
      }
      r.jumps += jump;
    }
    if (!reached) continue;
    r.lateness.push_back(t - (now.unixMs + due - now.positionMs));
    if (now.command.rfind("play", 0) == 0) r.firstStretch.push_back(r.lateness.back());
  }
  return r;
}

void Summary(const char* what, const std::vector<int64_t>& lateness) {
  if (lateness.empty()) return;
  std::vector<int64_t> sorted = lateness;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  std::printf("  %-28s %3zu  lateness median %6lld ms  min %6lld ms  max %6lld ms\n", what, n,
              static_cast<long long>(sorted[n / 2]), static_cast<long long>(sorted.front()),
              static_cast<long long>(sorted.back()));
}

void Report(const char* name, const Result& r) {
  std::printf("%s:\n", name);
  Summary("timed lines", r.lateness);
  Summary("  of them before the pause", r.firstStretch);
  if (!r.jumps.empty()) std::printf("  the first line written after each seek and track change:\n%s", r.jumps.c_str());
  std::printf("  lines written while the player was stopped, paused or played another track: %d\n", r.otherTrack);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(12, std::atoi(argv[1])) : 30;
  std::printf("following the stand-in player, %d s of lyric a track, a line every 500 ms\n", seconds);
  Report("before: the song's own clock, the player started 0.3 s after the press", Run(false, seconds));
  Report("following the player", Run(true, seconds));
  return 0;
}
