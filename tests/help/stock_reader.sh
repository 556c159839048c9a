#!/usr/bin/env bash
# A stock CHM reader (enum_chmLib, Debian package libchm-bin) lists every
# object of the help file we ship: each page, picture, style sheet and the
# contents that the build put into it, and as many objects as our own reader
# finds. Readers that trust the file's headers used to see only the objects
# of one listing chunk.
#   stock_reader.sh <vantero.chm> <the folder the build compiled it in>
# Exit code 77 (a skip for CTest) when the reader is not installed.
set -uo pipefail

chm="$1"
stage="$2"
if ! command -v enum_chmLib >/dev/null; then
  echo "SKIP: enum_chmLib (libchm-bin) is not installed"
  exit 77
fi
listed="$(enum_chmLib "$chm" | awk 'NR > 3 {print $NF}' | tr 'A-Z' 'a-z' | sort)"
[ -n "$listed" ] || { echo "FAIL: enum_chmLib listed nothing"; exit 1; }
missing=0
while IFS= read -r rel; do
  name="/$(echo "$rel" | tr 'A-Z' 'a-z')"
  if ! grep -qxF "$name" <<<"$listed"; then
    echo "FAIL: the stock reader does not list $name"
    missing=$((missing + 1))
  fi
done < <(cd "$stage" && find . -type f \( -name '*.htm' -o -name '*.hhc' -o -name '*.css' -o -name '*.png' \) | sed 's|^\./||')
[ "$missing" -eq 0 ] || exit 1
echo "PASS: the stock reader lists $(wc -l <<<"$listed") objects, every file of the help project among them"
