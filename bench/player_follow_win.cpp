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
// "media session": the same script played by the stand-in media session instead
// (tools/media_session_standin.md, its class registered for the run and removed after),
// whose timeline moves only at each step, as real players' does: the lines' lateness
// against the session's position.
//
// Usage (under Wine, from the build folder): player_follow_bench.exe [seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "delivery/playback.h"
#include "layout/program_windows.h"
#include "now_ms.h"
#include "support/child_process.h"
#include "text/encoding.h"
#include "win/file_bytes.h"
#include "win/form.h"
#include "win/program.h"

namespace {

Program& MeasuredProgram() {
  static Program program;
  return program;
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

// The stand-in media session's class, registered while the bench runs (the program's
// source of the session looks for the class once, at its first reading).
class SessionClass {
 public:
  SessionClass() {
    const std::wstring dll = enc::Wide(Folder() + "\\media_session_standin.dll");
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      std::fprintf(stderr, "cannot register the stand-in media session\n");
      std::exit(1);
    }
    const DWORD inProcess = 0;
    RegSetValueExW(key, L"DllPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                   static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"ActivationType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&inProcess), sizeof inProcess);
    RegCloseKey(key);
  }
  ~SessionClass() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kClassKey); }

 private:
  static constexpr const wchar_t* kClassKey =
      L"Software\\Microsoft\\WindowsRuntime\\ActivatableClassId\\"
      L"Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager";
};

// The stand-in media session as the player: each command of the script turned into a step
// of its own, stamped with its moment (no session until the first). The bench keeps the
// player's log itself, in the classic stand-in's form (unix ms, position, state 1 playing,
// 3 paused, 0 stopped, the command).
class SessionPlayer {
 public:
  SessionPlayer(std::string script, std::string log, int64_t lengthMs)
      : script_(std::move(script)), log_(std::move(log)), lengthMs_(lengthMs) {
    WriteFileBytes(script_, "");
    SetEnvironmentVariableW(L"RAVO_MEDIA_SESSION_SCRIPT", enc::Wide(script_).c_str());
  }
  ~SessionPlayer() { SetEnvironmentVariableW(L"RAVO_MEDIA_SESSION_SCRIPT", nullptr); }
  void Command(const std::string& command) {
    const int64_t u = WallMs();
    if (state_ == 1) position_ += u - lastMs_;
    lastMs_ = u;
    std::string step = command;
    const std::string length = std::to_string(lengthMs_);
    if (command.rfind("play ", 0) == 0) {  // play 1 <title>
      step = "track |" + command.substr(command.find(' ', 5) + 1) + "|" + length;
      position_ = 0, state_ = 1;
    } else if (command.rfind("next ", 0) == 0) {  // next <artist> - <title>
      const std::string track = command.substr(5);
      const size_t dash = track.find(" - ");
      step = "track " + track.substr(0, dash) + "|" + track.substr(dash + 3) + "|" + length;
      position_ = 0, state_ = 1;
    } else if (command == "pause") {
      state_ = 3;
    } else if (command == "resume") {
      step = "play", state_ = 1;
    } else if (command.rfind("seek ", 0) == 0) {
      position_ = std::atoll(command.c_str() + 5);
    } else if (command == "stop") {
      position_ = 0, state_ = 0;
    } else if (command == "quit") {
      step = "close", state_ = 0;
    }
    AppendCommand(script_, "@" + std::to_string((u + 11644473600000LL) * 10000) + " " + step);
    AppendCommand(log_, std::to_string(u) + " " + std::to_string(position_) + " " + std::to_string(state_) + " " + command);
  }

 private:
  std::string script_, log_;
  int64_t lengthMs_;
  int64_t position_ = 0, lastMs_ = 0;
  int state_ = 0;
};

// Who plays the track: nobody the tool follows (the song's own clock runs), the classic
// stand-in player, or the stand-in media session.
enum class Mode { SongClock, ClassicPlayer, MediaSession };

struct Result {
  std::vector<int64_t> lateness;  // timed lines: against the moment the player reached them
  std::vector<int64_t> firstStretch;  // those of them before the first pause
  std::string jumps;              // the first line after each seek or track change: its delay
  int otherTrack = 0;             // lines written while the player did not play their song
};

Result Run(Mode mode, int seconds) {
  const bool follow = mode != Mode::SongClock;
  const std::string tag = mode == Mode::SongClock ? "before" : mode == Mode::ClassicPlayer ? "follow" : "session";
  const std::string log = Folder() + "\\player_" + tag + ".log";
  const std::string commands = Folder() + "\\player_" + tag + ".commands";
  const std::string playerLog = Folder() + "\\player_" + tag + ".player.log";
  for (const std::string& f : {log, commands, playerLog}) DeleteFileA(f.c_str());
  WriteFileBytes(commands, "");
  ChildProcess standin("\"" + Folder() + "\\chat_standin.exe\" \"" + log + "\" start");
  std::unique_ptr<ChildProcess> player;
  std::unique_ptr<SessionPlayer> session;
  if (mode == Mode::MediaSession)
    session = std::make_unique<SessionPlayer>(commands, playerLog, seconds * 1000 + 5000);
  else
    player = std::make_unique<ChildProcess>("\"" + Folder() + "\\player_standin.exe\" \"" + commands + "\" \"" + playerLog + "\"");
  if (!standin.Started() || (player && !player->Started())) {
    std::fprintf(stderr, "cannot start the stand-ins\n");
    std::exit(1);
  }
  HWND target = nullptr;
  for (int i = 0; i < 500 && !target; ++i, Sleep(10)) target = FindWindowA(nullptr, "Ravo Chat Stand-in");
  for (int i = 0; i < 500 && player && !FindWindowW(L"Winamp v1.x", nullptr); ++i) Sleep(10);

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
    if (session)
      session->Command(c.text);
    else
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
  if (session)
    session->Command("quit");
  else
    AppendCommand(commands, "quit");
  PostMessageA(target, WM_CLOSE, 0, 0);
  standin.WaitForExit(5000);
  if (player) player->WaitForExit(5000);

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
  const SessionClass registered;
  Report("before: the song's own clock, the player started 0.3 s after the press", Run(Mode::SongClock, seconds));
  Report("following the player", Run(Mode::ClassicPlayer, seconds));
  Report("following the media session", Run(Mode::MediaSession, seconds));
  return 0;
}
