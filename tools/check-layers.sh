#!/usr/bin/env bash
# Fails when a folder of src/ includes a header of a folder above it, or of a
# folder it must not know. Each folder names the folders it may include.
#   tools/check-layers.sh [src-folder]
set -euo pipefail
src=${1:-$(dirname "$0")/../src}

declare -A allowed=(
  [base]="base"
  [model]="base model"
  [playback]="base model playback"
  [scheduler]="base model playback scheduler"
  [app]="base model playback scheduler app"
  [platform]="base model playback platform"
  [ui/widgets]="base model ui/widgets"
  [ui/taskview]="base model playback ui/widgets ui/taskview"
  [ui/editor]="base model playback ui/widgets ui/editor"
  [ui/main]="base model playback scheduler app ui/widgets ui/taskview ui/editor ui/main"
  [main]="base model playback scheduler app platform ui/widgets ui/taskview ui/editor ui/main main"
)

status=0
checked=0
while IFS= read -r file; do
  rel=${file#"$src"/}
  folder=$(dirname "$rel")
  if [ -z "${allowed[$folder]+x}" ]; then
    echo "$rel: folder '$folder' has no place in the layers (add it to tools/check-layers.sh)"
    status=1
    continue
  fi
  while IFS= read -r inc; do
    target=$(dirname "$inc")
    [ "$target" = . ] && continue # generated headers such as Version.h
    ok=0
    for a in ${allowed[$folder]}; do
      [ "$target" = "$a" ] && ok=1
    done
    if [ $ok = 0 ]; then
      echo "$rel includes \"$inc\": '$folder' may include only: ${allowed[$folder]}"
      status=1
    fi
  done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/p' "$file")
  checked=$((checked + 1))
done < <(find "$src" -name '*.cpp' -o -name '*.h' | sort)

[ "$checked" -gt 0 ] || { echo "no source files under $src"; exit 1; }
[ $status = 0 ] && echo "layers: $checked files, no include runs upward"
exit $status
