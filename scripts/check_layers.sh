#!/usr/bin/env bash
# The layers of src/ include only downwards: text <- win <- layout <- features <- app.
# Prints every include that points up and fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/../src"
allowed() {  # folder -> the folders its files may include from
  case "$1" in
    text) echo "text" ;;
    win) echo "text win" ;;
    layout) echo "text win layout" ;;
    app) echo "text win layout lyrics delivery billboard online app" ;;
    *) echo "text win layout lyrics delivery billboard online" ;;  # the features
  esac
}
bad=0
while IFS=: read -r file _ target; do
  folder="${file%%/*}"
  top="${target%%/*}"
  [ "$top" = "$target" ] && continue  # generated headers (build_settings.h, update_key.h)
  if ! [[ " $(allowed "$folder") " == *" $top "* ]]; then
    echo "$file includes $target: a lower layer may not see a higher one" >&2
    bad=1
  fi
done < <(grep -rHo '^#include "[^"]*"' --include='*.h' --include='*.cpp' . | sed 's#^\./##; s#:\#include "#::#; s#"$##')
[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
