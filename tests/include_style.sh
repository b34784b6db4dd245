#!/bin/bash
# Every header of the program is included with its folder ("engine/decoder.h"),
# so that the reader sees the layer at the include and a header reached only
# through the including file's own folder cannot slip past the libraries'
# rules. Lists the includes that break the rule and fails on any.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bad=$(grep -rnE '^\s*#\s*include\s+"' --include='*.h' --include='*.cpp' \
        common player playlist search settings tags volume |
      grep -vE '#\s*include\s+"[a-z_]+/[a-z_0-9]+\.h"' || true)
if [ -n "$bad" ]; then
  echo "includes without their folder:"
  echo "$bad"
  exit 1
fi
echo "every include names its folder"
