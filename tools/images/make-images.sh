#!/usr/bin/env bash
# Regenerates every image the show reads from src/Data/Images: the two tunnel
# textures from the imagegen tool, and the eight intro pages, drawn with
# ImageMagick in the Play font (Debian fonts-play) over imagegen's backdrop.
# Output is byte-for-byte reproducible with the same package versions.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${IMAGES_OUT:-$root/src/Data/Images}
font=${IMAGES_FONT:-/usr/share/fonts/truetype/play/Play-Bold.ttf}
convert=${CONVERT:-convert}

[[ -f $font ]] || { echo "make-images: font $font missing (apt-get install fonts-play)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$here" -B "$work/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" -j2 >/dev/null

mkdir -p "$out/Text"
"$work/build/imagegen" tunnel "$out"
"$work/build/imagegen" backdrop "$work/backdrop.png"

# Pages are 3:2 and get stretched to any window from 5:4 to 16:9, so every line
# stays inside the middle 72% of the width, and body type keeps a cap height of
# at least 6.5% of the page (Play Bold caps are 0.68 of the point size) so it
# survives nearest-mip minification down to 640x480.
width=1536
height=1024

main_fill='#ecfdff'
main_glow='#16c4ff'
accent_fill='#ff9ef4'
accent_glow='#b23cff'

# Each line: "main|accent|bar  pointsize-or-bar-width  y-offset-from-centre  text".
page() {
    local number=$1
    shift
    local glow=() crisp=()
    local kind size y text fill glow_color
    for spec in "$@"; do
        IFS='|' read -r kind size y text <<<"$spec"
        if [[ $kind == bar ]]; then
            # A short magenta rule; $size is its length in pixels.
            local x0=$(((width - size) / 2)) y0=$((height / 2 + y - 5))
            local bar=(-draw "roundrectangle $x0,$y0 $((x0 + size)),$((y0 + 10)) 5,5")
            glow+=(-fill "$accent_glow" "${bar[@]}")
            crisp+=(-fill "$accent_fill" "${bar[@]}")
            continue
        fi
        if [[ $kind == main ]]; then
            fill=$main_fill glow_color=$main_glow
        else
            fill=$accent_fill glow_color=$accent_glow
        fi
        glow+=(-fill "$glow_color" -pointsize "$size" -annotate "+0$y" "$text")
        crisp+=(-fill "$fill" -pointsize "$size" -annotate "+0$y" "$text")
    done
    "$convert" "$work/backdrop.png" \
        \( -size ${width}x$height xc:black -font "$font" -gravity center "${glow[@]}" \
        -blur 0x26 -level 0,45% \) -compose screen -composite \
        \( -size ${width}x$height xc:black -font "$font" -gravity center "${glow[@]}" \
        -blur 0x6 -level 0,80% \) -compose screen -composite \
        -compose over -font "$font" -gravity center "${crisp[@]}" \
        -alpha off -depth 8 -strip -define png:color-type=2 \
        -define png:exclude-chunks=date,time -define png:compression-level=9 "$out/Text/$number.png"
}

page 1 'main|180|-70|NEON DRIFT' 'bar|420|+60|' 'accent|96|+150|light · sound · code'
page 2 'main|150|-80|Lights down.' 'accent|150|+90|Sound up.'
page 3 'main|120|-85|Fly through' 'accent|120|+85|a tunnel of light'
page 4 'main|140|-85|Two cubes' 'accent|110|+85|spinning in the glow'
page 5 'main|130|-85|Music made' 'accent|110|+85|from scratch, in code'
page 6 'main|120|-85|Nothing recorded.' 'accent|130|+90|All real time.'
page 7 'accent|96|-150|code · pixels · sound' 'main|150|-5|by the crew' 'bar|300|+100|' \
    'main|96|+185|greetings to all makers'
page 8 'main|190|-40|Here we go.' 'bar|360|+105|' 'accent|96|+185|enjoy the ride'
