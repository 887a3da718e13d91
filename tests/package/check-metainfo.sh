#!/usr/bin/env bash
# The AppStream metainfo in the source tree: valid (without looking anything up on the network),
# and every screenshot it names is one of the pictures in docs/.
# Usage: tests/package/check-metainfo.sh METAINFO DOCS_DIR
set -euo pipefail
metainfo=$1
docs=$2
appstreamcli validate --no-net "$metainfo"
status=0
images=$(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's/<[^>]*>//g')
[ -n "$images" ] || { echo "no screenshots"; exit 1; }
for url in $images; do
  if [ ! -f "$docs/$(basename "$url")" ]; then
    echo "screenshot $url is not in $docs"
    status=1
  fi
done
exit $status
