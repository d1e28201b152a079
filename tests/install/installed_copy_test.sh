#!/usr/bin/env bash
# An installed copy works on its own: installed into a temporary prefix and run
# from there with a bare environment, vexmora-cli uses the data inside the
# prefix, makes the same pictures as the build tree's copy for the same recipes,
# says where it looked when that data is missing (it never falls back to the
# source tree), and its manual pages and metainfo are sound.
#
# installed_copy_test.sh CMAKE BUILD_DIR BUILT_CLI
set -euo pipefail
cmake=$1 build=$2 built_cli=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-installed-XXXXXX")
trap 'rm -rf "$work"' EXIT
work=$(realpath "$work")
prefix=$work/prefix
cli=$prefix/bin/vexmora-cli
fail() { echo "FAIL: $*" >&2; exit 1; }
# Only what a user's shell would give; the working folder is the test's own.
run() { env -i PATH=/usr/bin:/bin HOME="$work" "$@"; }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install (build every target first)"; }
for f in share/vexmora/fonts/LiberationSans-Regular.ttf share/vexmora/tips/data.tps \
         share/vexmora/help/index.html share/vexmora/samples/ladybird.jpg \
         share/vexmora/icons/vexmora.svg share/doc/vexmora/copyright \
         share/man/man1/vexmora-cli.1.gz share/man/man1/vexmora.1.gz \
         share/metainfo/org.vexmora.Vexmora.metainfo.xml; do
  [ -f "$prefix/$f" ] || fail "$f was not installed"
done

cd "$work"
version=$(run "$cli" --version) || fail "--version failed"
grep -qx "data: $prefix/share/vexmora" <<<"$version" || fail "--version says: $version"

# The sample photo as installed; each idea is made by the installed copy and
# replayed from its recipe by the build tree's.
photo=$prefix/share/vexmora/samples/ladybird.jpg
for xform in text "fallen letters" mosaic; do
  for seed in 3 12; do
    name=${xform// /-}-$seed
    run "$cli" make "$photo" "$xform" --seed $seed --quiet -o "$name.png" \
      --save-recipe "$name.json" || fail "installed copy: $xform, seed $seed"
    run "$built_cli" make "$photo" --recipe "$name.json" --quiet -o "$name-built.png" ||
      fail "build tree: $xform, seed $seed"
    cmp -s "$name.png" "$name-built.png" || fail "$xform, seed $seed differs from the build tree's"
  done
done

# The data moved away: a clear failure naming the folder looked in, then the
# variable points the program at the moved folder and the pictures come back.
mv "$prefix/share/vexmora" "$work/moved-data"
if run "$cli" make "$photo" text --seed 3 --quiet -o lost.png 2>lost.txt; then
  fail "made an idea without its data folder"
fi
grep -q "$prefix/share/vexmora" lost.txt || fail "the message does not name the folder: $(cat lost.txt)"
[ ! -e lost.png ] || fail "wrote a picture without its data folder"
run VEXMORA_DATA_DIR="$work/moved-data" "$cli" --version | grep -qx "data: $work/moved-data" ||
  fail "VEXMORA_DATA_DIR is not used"
run VEXMORA_DATA_DIR="$work/moved-data" "$cli" make "$work/moved-data/samples/ladybird.jpg" \
  --recipe text-3.json --quiet -o moved.png || fail "make with VEXMORA_DATA_DIR"
cmp -s moved.png text-3.png || fail "VEXMORA_DATA_DIR gives another picture"

if command -v man >/dev/null && command -v groff >/dev/null; then
  for page in "$prefix"/share/man/man1/*.1.gz; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "$(basename "$page"): $out"
  done
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.vexmora.Vexmora.metainfo.xml" \
    >"$work/appstream.txt" 2>&1 || { cat "$work/appstream.txt" >&2; fail "metainfo"; }
fi
echo "installed copy: ok"
