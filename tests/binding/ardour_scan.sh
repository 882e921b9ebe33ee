#!/bin/sh
# Runs Ardour's VST 3 scanner on the bundle in a scratch home, so neither the
# user's settings nor Ardour's cache are touched.
set -u
scanner=$1
bundle=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
out="$scratch/scan.txt"
HOME="$scratch" XDG_CONFIG_HOME="$scratch" XDG_CACHE_HOME="$scratch" \
  LD_LIBRARY_PATH="$(dirname "$scanner")" "$scanner" -f -v "$bundle" >"$out" 2>&1
rc=$?
cat "$out"
[ "$rc" -eq 0 ] || { echo "scanner exited with $rc"; exit 1; }
grep -q 'Found Plugin: Halvora' "$out" || { echo "Halvora not found"; exit 1; }
grep -q 'name="Halvora"[^>]*category="Instrument|Synth"' "$out" || { echo "not listed as an instrument"; exit 1; }
if grep -qiE '\[(error|warning)\]' "$out"; then echo "scanner reported a problem"; exit 1; fi
exit 0
