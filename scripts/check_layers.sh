#!/usr/bin/env bash
# The layers of src/ include only downwards: text <- win <- layout <- features <- app, and
# the features in their own order, each seeing only those before it:
# lyrics <- delivery <- billboard <- search <- update. The build's settings
# (build_settings.h) come in through the roof alone; the update's key (update_key.h) is
# the update's.
# Prints every include that points up and fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/../src"
features="lyrics delivery billboard search update"
allowed() {  # folder -> the folders its files may include from
  case "$1" in
    text) echo "text" ;;
    win) echo "text win" ;;
    layout) echo "text win layout" ;;
    app) echo "text win layout $features app" ;;
    *)
      if ! [[ " $features " == *" $1 "* ]]; then
        echo "$1/ is no layer: add it to $0" >&2
        return
      fi
      echo "text win layout ${features%%"$1"*}$1" ;;  # a feature and those before it
  esac
}
bad=0
while IFS=: read -r file _ target; do
  folder="${file%%/*}"
  top="${target%%/*}"
  if [ "$top" = "$target" ]; then  # generated headers: the build's settings are the roof's
    case "$target:$folder" in
      build_settings.h:app | update_key.h:update) ;;
      *)
        echo "$file includes $target: a generated header only src/app (build_settings.h) or src/update (update_key.h) includes" >&2
        bad=1
        ;;
    esac
    continue
  fi
  if ! [[ " $(allowed "$folder") " == *" $top "* ]]; then
    echo "$file includes $target: a lower layer may not see a higher one" >&2
    bad=1
  fi
done < <(grep -rHo '^#include "[^"]*"' --include='*.h' --include='*.cpp' . | sed 's#^\./##; s#:\#include "#::#; s#"$##')
[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
