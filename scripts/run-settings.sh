# What scripts/run.sh starts the tool with, sourced by it and by the whole flow that
# checks a first run (tests/e2e/first_hour.sh), so that both start it alike.
# The working folder: the lyric list shows the .lrc files of the folder the tool starts
# in, and the sample lyrics are there.
ravo_run_folder="$(cd "$(dirname "${BASH_SOURCE[0]}")/../samples" && pwd)"
