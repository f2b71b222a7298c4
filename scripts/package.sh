#!/usr/bin/env bash
# Makes the release from the committed files in a fresh build folder: dist/dirpick-<version>-win-x64.zip
# (the exe, the manual with its pictures, the license, CONTRIBUTING.md, docs/ and the example scripts)
# and dist/SHA256SUMS for the zip and the exe. A link in a shipped manual to a file the zip does not
# hold fails the package. Two runs on one commit give the same bytes: no time stamps but the commit's, in UTC,
# fixed file modes and a sorted archive without extra attributes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
[ -z "$(git status --porcelain)" ] || echo "package.sh: uncommitted changes are left out" >&2
version=$(sed -n 's/^project(dirpick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=dirpick-$version-win-x64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/source" "$stage/$name/examples" "$stage/$name/docs" "$stage/$name/resources" dist
git archive HEAD | tar -x -C "$stage/source"
cmake -S "$stage/source" -B "$stage/build" -DCMAKE_BUILD_TYPE=Release -DDIRPICK_TESTS=OFF >/dev/null
cmake --build "$stage/build" --target dirpick -j2 >/dev/null
cp "$stage/build/bin/dirpick.exe" "$stage/source/"{README.md,LICENSE,CONTRIBUTING.md} "$stage/$name/"
cp "$stage/source/examples/"*.bat "$stage/$name/examples/"
cp "$stage/source/docs/"*.md "$stage/$name/docs/"
cp "$stage/source/resources/"*.png "$stage/$name/resources/"
# Every relative link of a shipped manual, an anchor taken off, names a file the zip holds.
missing=$(cd "$stage/$name" && find . -name '*.md' | while read -r md; do
  { grep -o '](\([^)#]*\)' "$md" || true; } | sed 's/^](//' | { grep -v '^[a-z]*:' || true; } |
    while read -r link; do [ -e "$(dirname "$md")/$link" ] || echo "$md: $link"; done
done)
[ -z "$missing" ] || { echo "package.sh: links to files the zip does not hold:"$'\n'"$missing" >&2; exit 1; }
find "$stage/$name" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage/$name" -exec touch -d "@$(git log -1 --format=%ct)" {} +
rm -f "dist/$name.zip"
(cd "$stage" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$OLDPWD/dist/$name.zip" -@)
cp "$stage/build/bin/dirpick.exe" dist/
(cd dist && sha256sum "$name.zip" dirpick.exe >SHA256SUMS && cat SHA256SUMS)
