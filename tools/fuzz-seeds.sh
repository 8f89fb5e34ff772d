#!/usr/bin/env bash
# Builds the seed inputs of every fuzz target into BUILD/seeds/<target>/ from the project's own
# tools: varnelo-datakit makes a small program folder, varnelo-pack takes it apart again, lame
# encodes short recitation files. Page images of a demo program folder are added when one exists.
# usage: tools/fuzz-seeds.sh BUILD [DEMO_APP]
set -euo pipefail

build=$1
demo=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
pack=$build/tools/varnelo-pack
datakit=$build/tools/varnelo-datakit/varnelo-datakit
seeds=$build/seeds
work=$build/seedwork
export QT_QPA_PLATFORM=offscreen

rm -rf "$seeds" "$work"
mkdir -p "$work/app/data/tdata"
targets=(fuzz_ze3decode fuzz_archive fuzz_gif fuzz_suradata fuzz_ini fuzz_versereference
    fuzz_translation fuzz_page fuzz_mp3)
for t in "${targets[@]}"; do
    mkdir -p "$seeds/$t"
    if [ -d "$root/fuzz/seeds/$t" ]; then cp "$root/fuzz/seeds/$t"/* "$seeds/$t/"; fi
done

# prefix FILE BYTE... : FILE with the given leading bytes (the targets' choices), to stdout.
prefix() {
    local file=$1
    shift
    printf "$(printf '\\x%02x' "$@")"
    cat "$file"
}

# A small program folder: suras 1, 62 (with heights and word records) and 112.
text=$work/text.txt
{
    for v in 1 2 3 4 5 6 7; do echo "1|$v|بسم الله الحمد لله رب $v"; done
    for v in $(seq 1 11); do echo "62|$v|يسبح لله ما في السماوات وما في الأرض $v"; done
    for v in 1 2 3 4; do echo "112|$v|قل هو الله أحد $v"; done
} >"$text"
sed 's/|[^|]*$/|Praise be verse/' "$text" >"$work/english.txt"
"$datakit" translation "$work/english.txt" "$work/app/data/tdata/english.dat" \
    --window-caption "English" --info "Translator=Nobody" --bismi "In the name" >/dev/null
"$datakit" translation "$work/english.txt" "$work/app/data/tdata/plain.dat" --ansi \
    --font-use-percentage --additional-styles "p{font-size:120%}" >/dev/null
"$datakit" pages "$text" "$work/app/data" --width 200 --font-size 14 --threads 1 >/dev/null
"$datakit" about "$work/app/data" >/dev/null
{
    echo "sura,verse_index,start_ms,end_ms"
    for s in "1 7" "62 12" "112 5"; do
        set -- $s
        for i in $(seq 0 $(($2 - 1))); do echo "$1,$i,$((i * 1000)),$((i * 1000 + 600))"; done
    done
} >"$work/timings.csv"
"$datakit" timings "$work/timings.csv" "$work/app/data/pos.dat" >/dev/null

# Every archive, small ones whole; the members of each, decoded and as stored.
n=0
for archive in "$work"/app/data/*.dat "$work"/app/data/tdata/*.dat; do
    name=$(basename "$archive" .dat)
    if [ "$(stat -c %s "$archive")" -le 65536 ]; then cp "$archive" "$seeds/fuzz_archive/$name.dat"; fi
    { "$pack" list "$archive" 2>/dev/null || true; } | awk '{print $1}' | head -n 6 | while read -r member; do
        out=$work/members/$name
        mkdir -p "$out/raw" "$out/plain"
        "$pack" extract "$archive" "$member" "$out/raw" --raw >/dev/null 2>&1 || continue
        "$pack" extract "$archive" "$member" "$out/plain" >/dev/null 2>&1 || true
    done
done
for f in "$work"/members/*/raw/*; do
    n=$((n + 1))
    if [ "$(stat -c %s "$f")" -le 16384 ]; then cp "$f" "$seeds/fuzz_ze3decode/$n-$(basename "$f")"; fi
done
for f in "$work"/members/*/plain/*; do
    base=$(basename "$f")
    case $base in
    *.pos) prefix "$f" $(($(stat -c %s "$f") / 8 % 256)) >"$seeds/fuzz_suradata/$base" ;;
    *.hgt) prefix "$f" $(($(stat -c %s "$f") / 2 % 256)) >"$seeds/fuzz_suradata/$base" ;;
    *.qwf) prefix "$f" 0 >"$seeds/fuzz_suradata/$base" ;;
    *.gif | *.vxf) cp "$f" "$seeds/fuzz_gif/$(basename "$(dirname "$(dirname "$f")")")-$base" ;;
    *.htm) { printf '\x00\x08\x00\x00\x00\x00\x00'; cat "$f"; } >"$seeds/fuzz_page/$base" ;;
    config.ini) prefix "$f" 0 255 >"$seeds/fuzz_ini/$(basename "$(dirname "$(dirname "$f")")").ini" ;;
    *.txt)
        dir=$(basename "$(dirname "$(dirname "$f")")")
        # flags: bit 0 UTF-16LE, bits 1-2 the sura, bits 3-4 the window; then the record count.
        unicode=$([ "$dir" = plain ] && echo 0 || echo 1)
        prefix "$f" $((unicode | 2)) 12 >"$seeds/fuzz_translation/$dir-$base"
        prefix "$f" $((unicode | 4 | 8)) 5 >"$seeds/fuzz_translation/$dir-9-$base"
        ;;
    esac
done
prefix "$root/resources/config.ini" 0 255 >"$seeds/fuzz_ini/config.ini"
prefix "$root/resources/config.ini" 1 7 >"$seeds/fuzz_ini/config-short.ini"
for f in "$work"/app/data/u.dat "$work"/app/data/d.dat; do cp "$f" "$seeds/fuzz_gif/$(basename "$f").gif"; done

# Page images of the demo program folder, when there is one: a few parts of a few suras.
if [ -n "$demo" ] && [ -d "$demo/data" ]; then
    for archive in "$demo"/data/a.dat "$demo"/data/002.dat "$demo"/data/036.dat; do
        [ -f "$archive" ] || continue
        out=$work/demo/$(basename "$archive" .dat)
        mkdir -p "$out"
        { "$pack" list "$archive" 2>/dev/null || true; } | awk '{print $1}' | { grep -i 'vxf$' || true; } | head -n 3 |
            while read -r member; do "$pack" extract "$archive" "$member" "$out" >/dev/null 2>&1 || true; done
        for f in "$out"/*; do
            if [ -f "$f" ]; then cp "$f" "$seeds/fuzz_gif/demo-$(basename "$(dirname "$f")")-$(basename "$f")"; fi
        done
    done
fi
# Hand-made frames at odd offsets, partly off the screen, interlaced, with key colours.
python3 "$root/tools/fuzz-gifs.py" "$seeds/fuzz_gif"

# Recitation files: mono and stereo, constant and variable bit rate, tags before and after.
if command -v lame >/dev/null 2>&1; then
    # lame warns on every raw input read through libsndfile.
    lame() { command lame "$@" 2>/dev/null; }
    python3 -c "
import math, struct, sys
rate = 22050
samples = [int(8000 * math.sin(2 * math.pi * 440 * i / rate) * (1 if (i // 2000) % 2 else 0.2)) for i in range(rate // 2)]
sys.stdout.buffer.write(struct.pack('<%dh' % len(samples), *samples))" >"$work/tone.raw"
    raw=(-r -s 22.05 --bitwidth 16 --signed --little-endian -m m --silent)
    lame "${raw[@]}" -b 32 "$work/tone.raw" "$seeds/fuzz_mp3/cbr.mp3"
    lame "${raw[@]}" -V 7 "$work/tone.raw" "$seeds/fuzz_mp3/vbr.mp3"
    lame "${raw[@]}" -b 24 -t "$work/tone.raw" "$seeds/fuzz_mp3/noinfo.mp3"
    lame "${raw[@]}" -b 32 --add-id3v2 --tt Fuzz --ta Seed "$work/tone.raw" "$seeds/fuzz_mp3/id3.mp3"
    lame "${raw[@]}" -b 32 --id3v1-only --tt Fuzz "$work/tone.raw" "$seeds/fuzz_mp3/id3v1.mp3"
    lame -r -s 22.05 --bitwidth 16 --signed --little-endian -m j --silent -b 48 \
        <(cat "$work/tone.raw" "$work/tone.raw") "$seeds/fuzz_mp3/stereo.mp3" || true
    # Two streams back to back: the format changes mid-file.
    lame -r -s 11.025 --bitwidth 16 --signed --little-endian -m m --silent -b 32 -t \
        "$work/tone.raw" "$work/other.mp3"
    cat "$seeds/fuzz_mp3/noinfo.mp3" "$work/other.mp3" >"$seeds/fuzz_mp3/joined.mp3"
fi
for f in "${demo:-/nonexistent}"/mp3/*.mp3; do
    if [ -f "$f" ]; then head -c 49152 "$f" >"$seeds/fuzz_mp3/demo-$(basename "$f")"; fi
done

for t in "${targets[@]}"; do echo "[seeds] $t: $(ls "$seeds/$t" | wc -l) inputs"; done
