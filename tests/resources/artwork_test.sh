#!/usr/bin/env bash
# The embedded artwork is what the window code expects: every image named in
# artwork.rc (by the identifiers of resource_ids.h) is a baseline JPEG with
# full-resolution chroma (Wine's decoder and ImageMagick's then agree within
# one level), of its resource's size, at the skin's size and at twice it (the
# set for displays above 96 DPI); the
# background's information strip decodes to one flat colour in both (the panel
# paints it three pixels off, so any detail there would show a seam); the icon
# holds its four sizes. Given the program, it also checks the program carries
# one manifest, declares its DPI awareness, and the project's version.
#   artwork_test.sh RESOURCE_DIR [PROGRAM.EXE VERSION]
set -euo pipefail
dir=$1
program=${2:-}
version=${3:-}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# number NAME: the resource number resource_ids.h gives NAME (a number stays).
number() {
  [[ $1 =~ ^[0-9]+$ ]] && { echo "$1"; return; }
  sed -n "s/^#define[[:space:]][[:space:]]*$1[[:space:]][[:space:]]*\([0-9][0-9]*\)[[:space:]]*\$/\1/p" \
    "$dir/resource_ids.h"
}

expected_ids="102 $(seq -s ' ' 134 153) 1102 $(seq -s ' ' 1134 1153)"
ids=()
while read -r name path; do
  id=$(number "$name")
  [[ -n $id ]] || { fail "resource $name ($path) is not defined in resource_ids.h"; continue; }
  ids+=("$id")
  file=$dir/$path
  [[ -f $file ]] || { fail "resource $id: $path is missing"; continue; }
  case $id in
    102) size="640 380" ;;
    1102) size="1280 760" ;;
    11??) size="140 60" ;;
    *) size="70 30" ;;
  esac
  got=$(identify -format '%m %w %h %[interlace] %[jpeg:sampling-factor]' "$file")
  [[ $got == "JPEG $size None 1x1,1x1,1x1" ]] ||
    fail "resource $id ($path): '$got', want 'JPEG $size None 1x1,1x1,1x1' (baseline, 4:4:4)"
  # Baseline means a SOF0 frame header (FF C0); progressive would be FF C2.
  LC_ALL=C grep -qa $'\xff\xc0' "$file" && ! LC_ALL=C grep -qa $'\xff\xc2' "$file" ||
    fail "resource $id ($path) is not a baseline JPEG"
done < <(sed -n 's/^[[:space:]]*\([A-Z0-9_][A-Z0-9_]*\)[[:space:]][[:space:]]*RCDATA[[:space:]][[:space:]]*"\([^"]*\.jpg\)".*/\1 \2/p' \
           "$dir/artwork.rc")
[[ "${ids[*]}" == "$expected_ids" ]] || fail "image resources are '${ids[*]}', want '$expected_ids'"

# The information strip, x 16..639 and y 272..319, in whole 8x8 blocks.
strip=$(identify -format '%k %[pixel:p{0,0}]' "$dir/art/background.jpg[624x48+16+272]")
[[ $strip == "1 srgb(14,17,26)" ]] || fail "background strip: '$strip', want one colour srgb(14,17,26)"
strip=$(identify -format '%k %[pixel:p{0,0}]' "$dir/art/2x/background.jpg[1248x96+32+544]")
[[ $strip == "1 srgb(14,17,26)" ]] || fail "large background strip: '$strip', want one colour srgb(14,17,26)"

icon=$(sed -n 's/^\([A-Z0-9_][A-Z0-9_]*\)[[:space:]][[:space:]]*ICON[[:space:]][[:space:]]*"icon\.ico".*/\1/p' "$dir/artwork.rc")
[[ -n $icon && $(number "$icon") == 101 ]] || fail "artwork.rc does not give icon.ico as icon 101"
sizes=$(identify -format '%wx%h ' "$dir/icon.ico")
[[ $sizes == "16x16 32x32 48x48 256x256 " ]] || fail "icon sizes: '$sizes'"

if [[ -n $program ]]; then
  # A second manifest (a toolchain's default one) would only be warned about
  # by the linker, leaving the loader to pick one.
  manifests=$(LC_ALL=C grep -ao '<assembly xmlns=' "$program" | wc -l)
  ((manifests == 1)) || fail "$program holds $manifests manifests, want 1"
  LC_ALL=C grep -qa 'level="asInvoker"' "$program" || fail "$program's manifest does not ask for asInvoker"
  LC_ALL=C grep -qa '>PerMonitorV2, PerMonitor</dpiAwareness>' "$program" &&
    LC_ALL=C grep -qa '>true/pm</dpiAware>' "$program" || fail "$program's manifest does not declare its DPI awareness"
  LC_ALL=C grep -qa '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>' \
    "$program" || fail "$program's manifest does not ask for the UTF-8 code page"
  texts=$(strings -el "$program")
  for want in "TARVIK full-client downloader" "$version.0"; do
    grep -qxF "$want" <<<"$texts" || fail "$program's version information lacks '$want'"
  done
fi

((failures == 0)) || exit 1
echo "PASS: ${#ids[@]} images, flat strip, icon sizes${program:+, program resources}"
