#!/usr/bin/env bash
# Fails when an include runs the wrong way anywhere in the product:
# - inside the engine, from a layer of paradox/ to a higher one (the order, lowest first, is the
#   one paradox/README.md gives; api/, the public face, is the top) or to another part of the
#   project than shared/;
# - into the engine from cli/, editor/, examples/ or library/ other than through its face
#   (paradox/api/, without its *_internal.h implementation headers), and from library/ outside
#   library/engine/ not even that: the rest of the library reaches the engine through that seam;
# - into the engine from shared/, which everything else includes;
# - to Qt (<Q...>) outside editor/ui/ and its widget tests (tests/ui/).
set -euo pipefail
cd "$(dirname "$0")/.."
wrong=0
fail() { echo "$1" >&2; wrong=1; }

# "FILE:LINE:TARGET" for each quoted include of the given files.
quoted_includes() {
  grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$@" 2>/dev/null |
    sed 's/^\([^:]*\):\([0-9]*\):.*include[[:space:]]*"\([^"]*\)".*/\1:\2:\3/' || true
}
sources_in() { find "$@" -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort; }

layers=(storage format session table change verify api)
rank() { local i; for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done; echo -1; }
for layer in "${layers[@]}"; do
  own=$(rank "$layer")
  files=$(sources_in "paradox/$layer")
  [ -n "$files" ] || continue
  while IFS=: read -r file line target; do
    case "$target" in
      paradox/*/*) used=$(rank "$(cut -d/ -f2 <<<"$target")") ;;
      shared/*) used=0 ;;
      *) used=99 ;;
    esac
    if [ "$used" -lt 0 ] || [ "$used" -gt "$own" ]; then
      fail "$file:$line: includes $target, which is not below or in $layer/"
    fi
  done < <(quoted_includes $files)
done
for file in paradox/*.h paradox/*.cpp; do
  [ -e "$file" ] && fail "$file: engine sources belong in a layer folder"
done

while IFS=: read -r file line target; do
  case "$target" in
    paradox/api/*_internal.h) fail "$file:$line: includes $target, an implementation header of the engine's face" ;;
    paradox/api/*)
      case "$file" in
        library/engine/*) ;;
        library/*) fail "$file:$line: includes $target; the library reaches the engine through library/engine/" ;;
      esac ;;
    paradox/*) fail "$file:$line: includes $target, which is inside the engine; use its face, paradox/api/" ;;
  esac
done < <(quoted_includes $(sources_in cli editor examples library))

while IFS=: read -r file line target; do
  case "$target" in
    paradox/*) fail "$file:$line: includes $target; shared/ is included by the engine and uses none of it" ;;
  esac
done < <(quoted_includes $(sources_in shared))

while IFS=: read -r file line; do
  case "$file" in
    editor/ui/* | tests/ui/*) ;;
    *) fail "$file:$line: includes Qt, which only editor/ui/ uses" ;;
  esac
done < <(grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' $(sources_in cli editor examples library paradox shared tests bench) |
  cut -d: -f1,2 || true)

[ "$wrong" = 0 ] && echo "every include runs down the engine's layers and reaches the engine through its face"
exit "$wrong"
