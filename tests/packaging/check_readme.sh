#!/usr/bin/env bash
# Runs the shell examples of README.md as a reader would, and names the line of each one that
# fails. Every ```sh block runs, one command after another as typed, in a fresh folder of its
# own with the build's programs first on PATH and a scratch HOME. The folder is a machine
# folder (the demo firmware's ROM images and symbol file, and a copy of them in mydir/) and
# looks like the repository's root: its folders are linked there, and build/ is the build.
# Commands that cannot run in a test are listed below with the reason, and reported as not run.
# Usage: check_readme.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$(realpath "$1")
build_dir=$(realpath "$2")
readme=$source_dir/README.md

# Commands not run, by how they begin: PREFIX|REASON.
not_run=(
  "scripts/start|opens the window, and installs packages"
  "scripts/test|builds the tree and runs the test suite that this test is part of"
  "scripts/install-deps|installs into the system"
  "cmake -S . -B build |builds the tree that this test belongs to"
  "cd build && cpack|makes the package, which tests/packaging/check_package.sh checks"
  "cmake --install|installs into the system"
  "apt-get |installs into the system"
  "\$EDITOR|waits for a person to edit a file"
  "CXX=clang++ cmake|builds a second tree with the fuzzer's instrumentation (minutes)"
  "cmake --build build-fuzz|builds a second tree with the fuzzer's instrumentation (minutes)"
  "mkdir -p corpus && build-fuzz/|runs the fuzzer for an hour"
  "tolvan -C .|opens the window"
  "code --install-extension|needs VS Code"
)
# A block that waits for something (a window, input) fails after this long instead of hanging.
block_seconds=300

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The commands of the sh blocks: "BLOCK<TAB>LINE<TAB>COMMAND", a command continued with a
# backslash at the end of a line joined into one.
awk '
  /^[ \t]*```sh[ \t]*$/ { in_block = 1; block++; next }
  in_block && /^[ \t]*```/ { in_block = 0; next }
  !in_block { next }
  {
    line = $0
    sub(/^[ \t]+/, "", line)
    if (command == "") {
      if (line == "" || line ~ /^#/) next
      start = NR
    }
    if (line ~ /\\$/) { command = command substr(line, 1, length(line) - 1); next }
    command = command line
    printf "%d\t%d\t%s\n", block, start, command
    command = ""
  }
' "$readme" >"$scratch/commands"

machine_folder() {
  local folder=$1
  mkdir -p "$folder"
  cp "$build_dir/firmware/TOLVANL.ROM" "$build_dir/firmware/TOLVANH.ROM" \
    "$build_dir/firmware/TOLVAN.sym" "$folder/"
}

declare -A used_prefix
ran=0 skipped=0 failed=0
for block in $(cut -f1 "$scratch/commands" | sort -nu); do
  folder=$scratch/block$block
  machine_folder "$folder"
  machine_folder "$folder/mydir"
  for entry in "$source_dir"/*; do
    name=$(basename "$entry")
    [[ $name == build* || -e $folder/$name ]] || ln -s "$entry" "$folder/$name"
  done
  ln -s "$build_dir" "$folder/build"
  mkdir -p "$folder/.home"

  # The block as one script: each command in turn, the line of the one running kept aside.
  script=$folder/.readme-block.sh
  progress=$folder/.readme-line
  : >"$script"
  while IFS=$'\t' read -r number line command; do
    [ "$number" = "$block" ] || continue
    reason=
    for entry in "${not_run[@]}"; do
      if [[ $command == "${entry%%|*}"* ]]; then
        reason=${entry#*|}
        used_prefix[${entry%%|*}]=1
        break
      fi
    done
    if [ -n "$reason" ]; then
      echo "README.md:$line: not run ($reason): $command"
      skipped=$((skipped + 1))
      continue
    fi
    ran=$((ran + 1))
    printf 'echo %d >%q\n%s\n' "$line" "$progress" "$command" >>"$script"
    printf 'status=$?; [ $status -eq 0 ] || exit $status\n' >>"$script"
  done <"$scratch/commands"

  output=$(cd "$folder" &&
    env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
      HOME="$folder/.home" PATH="$build_dir/app:$build_dir/tools:$PATH" EDITOR=true \
      timeout "$block_seconds" bash "$script" 2>&1 </dev/null)
  status=$?
  if [ $status -ne 0 ]; then
    line=$(cat "$progress")
    echo "README.md:$line: FAILED with exit status $status: $(awk -F'\t' -v l="$line" \
      '$2 == l { print $3 }' "$scratch/commands")"
    echo "$output" | tail -20 | sed 's/^/    /'
    failed=$((failed + 1))
  fi
done

for entry in "${not_run[@]}"; do
  [ -n "${used_prefix[${entry%%|*}]:-}" ] ||
    echo "note: no command of the README begins with \"${entry%%|*}\" any more"
done
if [ $failed -ne 0 ]; then
  echo "README.md: $failed blocks failed"
  exit 1
fi
echo "README.md: $ran commands run, $skipped not run"
