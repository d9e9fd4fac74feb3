#!/usr/bin/env bash
# Fails when the given libparadox.so exports anything but the engine's face: every defined
# dynamic symbol must be a paradox::api name (or the type information of its error class).
set -euo pipefail
library="${1:?usage: check-exports.sh LIBPARADOX.SO}"
others=$(nm -D --defined-only -C "$library" | cut -d' ' -f3- |
  grep -v -e '^paradox::api::' -e '^typeinfo for paradox::api::' -e '^typeinfo name for paradox::api::' \
          -e '^vtable for paradox::api::' || true)
if [ -n "$others" ]; then
  echo "$library exports more than the engine's face:" >&2
  echo "$others" >&2
  exit 1
fi
echo "$library exports the engine's face alone ($(nm -D --defined-only "$library" | wc -l) symbols)"
