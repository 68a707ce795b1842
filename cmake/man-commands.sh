#!/bin/sh
# Writes the COMMANDS section of the orvamat man page (help2man --include):
# the --help of every command and of every command below it, as the tool
# itself prints them, so the page never drifts from the tool.
#   man-commands.sh ORVAMAT_EXECUTABLE OUTPUT
set -eu
exe=$1
out=$2
subcommands() {
  # The names listed under "Subcommands:" in the help of "$@".
  "$exe" "$@" --help 2>/dev/null | awk '/^Subcommands:/ {on=1; next} on && /^  [a-z]/ {print $1}'
}
{
  echo "[COMMANDS]"
  for command in $(subcommands); do
    for sub in "" $(subcommands "$command"); do
      # shellcheck disable=SC2086
      echo ".SS \"orvamat $command${sub:+ $sub}\""
      echo ".nf"
      # shellcheck disable=SC2086
      "$exe" $command $sub --help 2>/dev/null | sed -e '1,/^Usage:/{/^Usage:/!d}' -e 's|^Usage: [^ ]*orvamat|Usage: orvamat|' -e 's/\\/\\e/g' -e 's/^\./\\\&./'
      echo ".fi"
    done
  done
} >"$out"
