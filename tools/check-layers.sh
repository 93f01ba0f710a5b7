#!/usr/bin/env bash
# Fails when a file under src/ includes from a folder above its own. The folders, from
# the top down; a file may include from its own folder and from any folder after it.
# A folder named here need not exist yet; one that exists must be named here.
LAYERS=(app reports import history transactions accounts lists export help cards grid ui data platform)

set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A rank
for i in "${!LAYERS[@]}"; do
  rank[${LAYERS[$i]}]=$i
done

status=0
for dir in */; do
  dir=${dir%/}
  if [[ -z ${rank[$dir]+x} ]]; then
    echo "src/$dir: a folder without a place in the order at the top of tools/check-layers.sh"
    status=1
  fi
done

while IFS= read -r -d '' file; do
  folder=${file%%/*}
  [[ -n ${rank[$folder]+x} ]] || continue
  line=0
  while IFS= read -r text; do
    line=$((line + 1))
    [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([A-Za-z0-9_]+)/ ]] || continue
    target=${BASH_REMATCH[1]}
    if [[ -z ${rank[$target]+x} ]]; then
      echo "src/$file:$line: ${text#"${text%%[![:space:]]*}"} names a folder outside the order"
      status=1
    elif ((rank[$target] < rank[$folder])); then
      echo "src/$file:$line: ${text#"${text%%[![:space:]]*}"} reaches up from $folder to $target"
      status=1
    fi
  done <"$file"
done < <(find . -mindepth 2 -type f \( -name '*.cpp' -o -name '*.h' \) -printf '%P\0' | sort -z)

exit $status
