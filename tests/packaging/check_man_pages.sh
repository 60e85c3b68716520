#!/usr/bin/env bash
# Fails when an option that a program's --help prints is missing from its manual page.
# Usage: check_man_pages.sh PROGRAM PAGE [PROGRAM PAGE ...]
set -euo pipefail
status=0
while (($# >= 2)); do
  program=$1 page=$2
  shift 2
  # The page as text: roff's escaped hyphens become hyphens, font changes go.
  text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
  options=$("$program" --help | grep -oE '(^|[^A-Za-z0-9-])--?[A-Za-z][A-Za-z0-9-]*' |
            sed -E 's/^[^-]//' | sort -u)
  [ -n "$options" ] || { echo "$program --help prints no option" >&2; status=1; }
  for option in $options; do
    if ! grep -qE -- "(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|\$)" <<<"$text"; then
      echo "$(basename "$page"): $option (from $(basename "$program") --help) is missing" >&2
      status=1
    fi
  done
  echo "$(basename "$page"): $(wc -w <<<"$options") options of --help, $([ $status -eq 0 ] && echo all || echo not all) in the page"
done
exit $status
