#!/usr/bin/env bash
# Regenerates the replay golden file: the final state lumeta-replay prints for every key
# sequence in tests/replay_golden/sequences.txt, one JSON line each, in the same order, with
# the built-in dictionary alone.
# Run it after a deliberate change of behaviour and review the diff before committing.
#
#   bash scripts/update_replay_golden.sh [path/to/lumeta-replay]
set -euo pipefail
cd "$(dirname "$0")/.."
replay=${1:-build/dev/tools/lumeta-replay}
dir=tests/replay_golden
while IFS= read -r line; do
  # shellcheck disable=SC2086
  "$replay" --builtin-dictionary $line
done <"$dir/sequences.txt" >"$dir/expected.jsonl"
wc -l "$dir/expected.jsonl"
