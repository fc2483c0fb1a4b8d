#!/usr/bin/env bash
# Regenerates what the replay is held to in tests/replay_golden, with the built-in dictionary
# alone:
# - expected.jsonl: the final state for every key sequence in sequences.txt, one JSON line
#   each, in the same order (every mode, caret clicks, delete-all, long texts);
# - conversion.txt: words typed and converted with ↓ and ↑ among random keys, each case a line
#   "$ <tokens>" and what the replay printed (record_conversion.py).
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
python3 "$dir/record_conversion.py" "$replay" >"$dir/conversion.txt"
wc -l "$dir/expected.jsonl" "$dir/conversion.txt"
