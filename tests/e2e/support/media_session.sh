# The stand-in media session of tools/ (media_session_standin.md) for the whole flows:
# registered in the prefix's registry while a flow runs, and played by a script file.
# Sourced after lib.sh ($build names the build folder).
media_class_key='HKLM\Software\Microsoft\WindowsRuntime\ActivatableClassId\Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager'

# register_media_session SCRIPT: registers the stand-in class (DllPath, ActivationType 0)
# and has it play SCRIPT, created empty (no session until a track is played).
register_media_session() {
  media_script="$1"
  : > "$media_script"
  RAVO_MEDIA_SESSION_SCRIPT="$(winepath -w "$media_script")"
  export RAVO_MEDIA_SESSION_SCRIPT
  wine reg add "$media_class_key" /v DllPath /t REG_SZ /d "$(winepath -w "$build/media_session_standin.dll")" /f >/dev/null 2>&1 ||
    fail "the stand-in media session could not be registered"
  wine reg add "$media_class_key" /v ActivationType /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

# unregister_media_session: removes the class again (the prefix as plain Wine has it).
unregister_media_session() { wine reg delete "$media_class_key" /f >/dev/null 2>&1 || true; }

# media_step COMMAND...: one step of the stand-in player (track, pause, play, seek, stop,
# close, late), stamped with the moment it is written; sets media_u to that moment (unix ms).
media_step() {
  media_u=$(date +%s%3N)
  echo "@$((media_u * 10000 + 116444736000000000)) $*" >> "$media_script"
}

# media_session_threads: how many threads of the tool (process $tool) are the media
# session's worker, which names itself "media session" (Wine gives a thread's name to its
# Linux thread).
media_session_threads() {
  local n=0 comm
  for comm in /proc/"$tool"/task/*/comm; do
    [ "$(cat "$comm" 2>/dev/null)" = "media session" ] && n=$((n + 1))
  done
  echo "$n"
}
