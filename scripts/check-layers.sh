#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. The libraries form one
# ladder, each may use only the rungs below it:
#   platform < image < net < objects < documents < tiles < view < tools < control
# Programs, tests, benchmarks and fuzz targets stand above all of them.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(platform image net objects documents tiles view tools control)
rank_of() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

status=0
for folder in "${layers[@]}"; do
  own=$(rank_of "$folder")
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=$(sed -E 's/.*#include +"([a-z]+)\/.*/\1/' <<<"$rest")
    other=$(rank_of "$target")
    if [ "$other" -gt "$own" ]; then
      echo "$file:$line: $folder/ includes from $target/, which stands above it" >&2
      status=1
    fi
  done < <(grep -rnE '^\s*#\s*include +"[a-z]+/' --include='*.h' --include='*.cpp' "$folder" || true)
done
[ "$status" -eq 0 ] && echo "layers: every include runs downwards"
exit "$status"
