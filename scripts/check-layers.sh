#!/usr/bin/env bash
# Fails when an include in the engine runs the wrong way: from a layer of paradox/ to a higher
# one, or from the engine to any other part of the project but the text module (shared/text/),
# which every layer may use. The order, lowest first, is the one paradox/README.md gives.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=(storage format session table change)
rank() { local i; for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done; echo -1; }
wrong=0
for layer in "${layers[@]}"; do
  own=$(rank "$layer")
  for file in paradox/"$layer"/*.h paradox/"$layer"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS=: read -r line target; do
      case "$target" in
        shared/text/*) continue ;;
        paradox/*/*) used=$(rank "$(cut -d/ -f2 <<<"$target")") ;;
        *) used=99 ;;
      esac
      if [ "$used" -lt 0 ] || [ "$used" -gt "$own" ]; then
        echo "$file:$line: includes $target, which is not below or in $layer/" >&2
        wrong=1
      fi
    done < <(grep -n '^#include "' "$file" | sed 's/^\([0-9]*\):#include "\([^"]*\)".*/\1:\2/')
  done
done
for file in paradox/*.h paradox/*.cpp; do
  [ -e "$file" ] && { echo "$file: engine sources belong in a layer folder" >&2; wrong=1; }
done
[ "$wrong" = 0 ] && echo "paradox/: every include runs down the layers"
exit "$wrong"
